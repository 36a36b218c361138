// The score file: check character, reading, writing and its failures.
#include <gtest/gtest.h>

#include <filesystem>

#include "doubles.h"
#include "records/module1.h"
#include "records/score_file.h"

using namespace swtest;

TEST(CheckCharacter, AddAndCheck) {
    struct {
        const char* in;
        const char* added;
    } add[] = {{"00001234", "000012340"},
               {"99999999", "999999990"},
               {"00000000", "000000000"},
               {"12345678x", "12345678x0"}};
    for (const auto& c : add) EXPECT_EQ(sw::FncCodeAdd(c.in), c.added) << c.in;

    struct {
        const char* line;
        const char* verdict;
    } check[] = {{"000012340", "OK"}, {"0000123405", "OK"}, {"999999990", "OK"},
                 {"000012341", "NG"}, {"00001234", "NG"},   {"0000123A0", "NG"},
                 {"", "NG"},          {"00000000 ", "NG"},  {"-00012340", "NG"},
                 {"00001234a", "NG"}};
    for (const auto& c : check) EXPECT_EQ(sw::FncCodeCheck(c.line), c.verdict) << c.line;
}

TEST(ScoreFields, EndAtCommaOrAnyLineEnd) {
    using V = std::vector<std::string>;
    EXPECT_EQ(sw::ScoreFields("000004560\r\n000000070\r\n", 2), (V{"000004560", "000000070"}));
    EXPECT_EQ(sw::ScoreFields("000004560\n000000070", 2), (V{"000004560", "000000070"}));
    EXPECT_EQ(sw::ScoreFields("000004560\r000000070\r", 2), (V{"000004560", "000000070"}));
    EXPECT_EQ(sw::ScoreFields("000004560,000000070\r\n", 2), (V{"000004560", "000000070"}));
    EXPECT_EQ(sw::ScoreFields("00000,4560\r\n", 2), (V{"00000", "4560"}));
    EXPECT_EQ(sw::ScoreFields("000004560\r\n", 2), (V{"000004560"}));
    EXPECT_EQ(sw::ScoreFields("", 2), V{});
    EXPECT_EQ(sw::ScoreFields("a\r\nb\r\nc\r\n", 2), (V{"a", "b"}));
}

struct ReadCase {
    const char* name;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
    const char* file;
    bool refused;
    int32_t hi, chain;
};

class ScoreRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ScoreRead, ReadsBothLinesBeforeTheVerdict) {
    const ReadCase& c = GetParam();
    Game g;
    g.plat.WriteScore(c.file);
    g.form.LngHiScore = -5;
    g.form.LngMaxChain = -5;
    if (c.refused) {
        EXPECT_THROW(g.form.SubScoreRead(), sw::ProgramEnded);
        ASSERT_EQ(g.plat.messages.size(), 1u);
        EXPECT_EQ(g.plat.messages[0], "score.iniのファイルが不正です。");
        EXPECT_EQ(g.plat.ended, std::vector<int>{1});
    } else {
        EXPECT_NO_THROW(g.form.SubScoreRead());
        EXPECT_TRUE(g.plat.messages.empty());
    }
    // A good line is taken even when the other one refuses the file.
    EXPECT_EQ(g.form.LngHiScore, c.hi);
    EXPECT_EQ(g.form.LngMaxChain, c.chain);
    EXPECT_EQ(g.plat.ReadScore(), c.file) << "reading never changes the file";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScoreRead,
    ::testing::Values(ReadCase{"valid", "000004560\r\n000000070\r\n", false, 456, 7},
                      ReadCase{"lf_only", "000004560\n000000070\n", false, 456, 7},
                      ReadCase{"cr_only", "000004560\r000000070\r", false, 456, 7},
                      ReadCase{"no_final_line_end", "000004560\r\n000000070", false, 456, 7},
                      ReadCase{"extra_text_ignored", "000004560\r\n000000070\r\nhello\r\n", false,
                               456, 7},
                      ReadCase{"tenth_char_ignored", "0000045605\r\n000000070\r\n", false, 456, 7},
                      ReadCase{"bad_second_line", "000004560\r\n000000071\r\n", true, 456, -5},
                      ReadCase{"bad_first_line", "000004561\r\n000000070\r\n", true, -5, 7},
                      ReadCase{"letters", "0000A4560\r\n000000070\r\n", true, -5, 7},
                      ReadCase{"comma_split", "00000,4560\r\n000000070\r\n", true, -5, -5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScoreRead, MissingOrShortFileIsARunTimeErrorNamingThePath) {
    Game g;
    try {
        g.form.SubScoreRead();
        FAIL() << "a missing score file must stop start-up";
    } catch (const sw::RunTimeError& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find(g.plat.AppPath() + "score.ini"), std::string::npos) << what;
        EXPECT_NE(what.find("000000000"), std::string::npos) << what;
    }
    for (const char* text : {"", "000004560\r\n"}) {
        g.plat.WriteScore(text);
        EXPECT_THROW(g.form.SubScoreRead(), sw::RunTimeError) << text;
    }
    EXPECT_TRUE(g.plat.messages.empty());
}

TEST(ScoreWrite, RoundTripAndRecordRules) {
    struct {
        int32_t hi, maxChain, score, chain;
        const char* file;
        int32_t hiAfter;
    } cases[] = {
        {0, 0, 0, 0, "000000000\r\n000000000\r\n", 0},
        {100, 3, 500, 1, "000005000\r\n000000030\r\n", 500},
        {500, 3, 300, 4, "000005000\r\n000000040\r\n", 500},
        {1234, 7, 0, 0, "000012340\r\n000000070\r\n", 1234},
        // Eight digits hold the record; more would make a line the next
        // start refuses, so the largest eight-digit value is kept.
        {0, 0, 123456789, 0, "999999990\r\n000000000\r\n", 123456789},
    };
    for (const auto& c : cases) {
        Game g;
        g.form.LngHiScore = c.hi;
        g.form.LngMaxChain = c.maxChain;
        g.form.LngScore = c.score;
        g.form.LngChain = c.chain;
        g.form.SubScoreWrite();
        EXPECT_EQ(g.plat.ReadScore(), c.file);
        EXPECT_EQ(g.form.LngHiScore, c.hiAfter);
        EXPECT_EQ(g.form.LngMaxChain, c.maxChain) << "writing leaves the best chain alone";

        Game again;
        std::filesystem::copy_file(g.plat.dir / "score.ini", again.plat.dir / "score.ini");
        again.form.SubScoreRead();
        EXPECT_EQ(again.form.LngHiScore, std::min<int32_t>(c.hiAfter, 99999999));
        EXPECT_TRUE(again.plat.messages.empty());
    }
}

TEST(ScoreWrite, FailedWriteKeepsThePreviousFile) {
    Game g;
    g.plat.WriteScore("000004560\r\n000000070\r\n");
    // The temporary file's name is taken by a folder, so it cannot be
    // created (this works even for root, unlike file permissions).
    std::filesystem::create_directory(g.plat.dir / "score.ini.new");
    g.form.LngScore = 9999;
    try {
        g.form.SubScoreWrite();
        FAIL() << "the write must fail";
    } catch (const sw::RunTimeError& e) {
        EXPECT_NE(std::string(e.what()).find(g.plat.AppPath() + "score.ini"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(g.plat.ReadScore(), "000004560\r\n000000070\r\n");
}

TEST(ScoreWrite, MissingFolderIsARunTimeError) {
    Game g;
    std::filesystem::remove_all(g.plat.dir);
    EXPECT_THROW(g.form.SubScoreWrite(), sw::RunTimeError);
    std::filesystem::create_directories(g.plat.dir);
}
