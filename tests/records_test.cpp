// The score file: its check character, reading with the verdict, and
// writing the records back.
#include <gtest/gtest.h>

#include <filesystem>

#include "doubles.h"
#include "records/module1.h"
#include "records/score_file.h"

using namespace swtest;

TEST(CheckCharacter, AddAndCheck) {
    EXPECT_EQ(sw::FncCodeAdd("00001234"), "000012340");
    EXPECT_EQ(sw::FncCodeAdd("99999999"), "999999990");
    const struct {
        const char* line;
        const char* verdict;
    } check[] = {{"000012340", "OK"}, {"0000123405", "OK"}, {"999999990", "OK"},
                 {"000012341", "NG"}, {"00001234", "NG"},   {"0000123A0", "NG"},
                 {"", "NG"},          {"00000000 ", "NG"},  {"-00012340", "NG"},
                 {"00001234a", "NG"}, {"0000123:0", "NG"},  {"0000123/0", "NG"}};
    for (const auto& c : check) EXPECT_EQ(sw::FncCodeCheck(c.line), c.verdict) << c.line;
}

TEST(ScoreRead, ReadsBothLinesBeforeTheVerdict) {
    const std::pair<const char*, const char*> cases[] = {
        // The file (nullptr: none at all), and what the read did with the
        // best score and chain, -5 where left as they were.
        {"000004560\r\n000000070\r\n", "taken 456 7"},
        {"000004560\n000000070", "taken 456 7"},
        {"000004560\r000000070\r", "taken 456 7"},
        {"000004560,000000070\r\n", "taken 456 7"},
        {"000004560\r\n000000070\r\nhello\r\n", "taken 456 7"},
        {"0000045605\r\n000000070\r\n", "taken 456 7"},
        // Blanks around a field's digits are passed over, as they always were.
        {" \t000004560\r\n  000000070 \t\r\n", "taken 456 7"},
        // A good line is taken even when the other one refuses the file.
        {"000004560\r\n000000071\r\n", "refused 456 -5"},
        {"000004561\r\n000000070\r\n", "refused -5 7"},
        {"0000A4560\r\n000000070\r\n", "refused -5 7"},
        {"00000,4560\r\n000000070\r\n", "refused -5 -5"},
        {"0000 04560\r\n000000070\r\n", "refused -5 7"},
        // Missing or short: start-up stops with a message naming the file
        // (what the messages say is up to the fault tests).
        {"", "error -5 -5"},
        {"000004560\r\n", "error -5 -5"},
        {nullptr, "error -5 -5"},
    };
    for (const auto& [file, want] : cases) {
        Game g;
        if (file) g.plat.WriteScore(file);
        g.form.LngHiScore = g.form.LngMaxChain = -5;
        std::string what = "taken";
        try {
            g.form.SubScoreRead();
        } catch (const sw::ProgramEnded& e) {
            what = e.status == 1 ? "refused" : "ended";
        } catch (const sw::RunTimeError&) {
            what = "error";
        }
        EXPECT_EQ(Pick(g.form, "LngHiScore LngMaxChain").insert(0, what + " "), want) << file;
        EXPECT_EQ(g.plat.messages, std::vector<std::string>(what == "refused", sw::kScoreRefusal));
        EXPECT_EQ(g.plat.ReadScore(), file ? file : "") << "reading never changes the file";
    }
}

// Writing keeps the better score and leaves the best chain alone, though
// the file takes the better chain as well.
TEST(ScoreWrite, RecordsAsTheNextStartReadsThem) {
    const struct {
        const char *before, *file, *after;  // best score, best chain, score, chain
    } cases[] = {
        {"0 0 0 0", "000000000\r\n000000000\r\n", "0 0"},
        {"100 3 500 1", "000005000\r\n000000030\r\n", "500 3"},
        {"500 3 300 4", "000005000\r\n000000040\r\n", "500 3"},
        {"1234 7 0 0", "000012340\r\n000000070\r\n", "1234 7"},
        // Past eight digits the line would be refused at the next start, so
        // the largest eight-digit record is written instead.
        {"0 0 123456789 0", "999999990\r\n000000000\r\n", "123456789 0"},
    };
    for (const auto& c : cases) {
        Game g;
        Set(g.form, "LngHiScore LngMaxChain LngScore LngChain", c.before);
        g.form.SubScoreWrite();
        EXPECT_EQ(g.plat.ReadScore(), c.file);
        EXPECT_EQ(Pick(g.form, "LngHiScore LngMaxChain"), c.after);
    }
    Game g;
    std::filesystem::remove_all(g.plat.dir);
    EXPECT_THROW(g.form.SubScoreWrite(), sw::RunTimeError) << "no folder to write into";
    std::filesystem::create_directories(g.plat.dir);
}
