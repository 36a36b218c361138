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
// the file takes the better chain as well. Another game in the same folder
// may have written the file meanwhile: the better of each record stays.
TEST(ScoreWrite, RecordsAsTheNextStartReadsThem) {
    const struct {
        const char *before, *meanwhile, *file, *after;  // best score, best chain, score, chain
    } cases[] = {
        {"0 0 0 0", nullptr, "000000000\r\n000000000\r\n", "0 0"},
        {"100 3 500 1", nullptr, "000005000\r\n000000030\r\n", "500 3"},
        {"500 3 300 4", nullptr, "000005000\r\n000000040\r\n", "500 3"},
        {"1234 7 0 0", nullptr, "000012340\r\n000000070\r\n", "1234 7"},
        // Past eight digits the line would be refused at the next start, so
        // the largest eight-digit record is written instead.
        {"0 0 123456789 0", nullptr, "999999990\r\n000000000\r\n", "123456789 0"},
        // Both games read 100; the other ended with 500, this one with 300.
        {"100 3 300 1", "000005000\r\n000000020\r\n", "000005000\r\n000000030\r\n", "500 3"},
        {"100 3 300 1", "000000500\r\n000000090\r\n", "000003000\r\n000000090\r\n", "300 9"},
        // A file refused meanwhile is replaced by this game's records.
        {"100 3 300 1", "000005000\r\n000000091\r\n", "000003000\r\n000000030\r\n", "300 3"},
    };
    for (const auto& c : cases) {
        Game g;
        Set(g.form, "LngHiScore LngMaxChain LngScore LngChain", c.before);
        if (c.meanwhile) g.plat.WriteScore(c.meanwhile);
        g.form.SubScoreWrite();
        EXPECT_EQ(g.plat.ReadScore(), c.file);
        EXPECT_EQ(Pick(g.form, "LngHiScore LngMaxChain"), c.after);
    }
    Game g;
    std::filesystem::remove_all(g.plat.dir);
    EXPECT_THROW(g.form.SubScoreWrite(), sw::RunTimeError) << "no folder to write into";
    std::filesystem::create_directories(g.plat.dir);
}

// Records in the player's own folder start from the install's, once; the
// install's file is never written.
TEST(ScoreRead, TheFirstRecordsOfThePlayersOwnFolderAreTheInstalls) {
    const std::string good = "000004560\r\n000000070\r\n";
    for (const char* install : {good.c_str(), "000004561\r\n000000070\r\n", ""}) {
        Game g;
        g.plat.records = (g.plat.dir / "data/sevenwell/").string();
        if (*install) g.plat.WriteScore(install);
        const bool taken = install == good;
        g.form.SubScoreRead();
        EXPECT_EQ(Pick(g.form, "LngHiScore LngMaxChain"), taken ? "456 7" : "0 0") << install;
        Set(g.form, "LngScore LngChain", "300 1");
        g.form.SubScoreWrite();
        g.form.LngHiScore = -5;
        g.form.SubScoreRead();
        EXPECT_EQ(g.form.LngHiScore, taken ? 456 : 300) << "read from the player's folder";
        EXPECT_EQ(g.plat.ReadScore(), install);
        EXPECT_TRUE(g.plat.messages.empty());
    }
}
