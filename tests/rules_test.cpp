// The rules of the well on its text form: dealing, clearing, the search
// with the sevens effects, removal, scoring and the level. Landing and
// packing are played in tests/calls/well.script.
#include <gtest/gtest.h>

#include "doubles.h"

using namespace swtest;

// 0.0 gives 1, 0.8 gives 6 (a seven: drawn again), 0.3 gives 3; a draw
// just below 1 still gives 7, never 8.
TEST(Deal, NeverSevenAndOnlyTheRightDigitIsRedrawn) {
    Game g;
    g.plat.script = {0.0, 0.8, 0.3, 0.9999999, 0.9999999};
    g.form.SubBlockCls();
    EXPECT_EQ(Pick(g.form, "IntPairNo(0) IntPairNo(1)"), "1 3");
    g.form.SubBlockCls();
    EXPECT_EQ(Pick(g.form, "IntPairNo(0) IntPairNo(1)"), "7 7");
    EXPECT_TRUE(g.plat.script.empty());
}

TEST(Board, SubClsEmptiesWellClockScoreAndChainDisplayButNotTheLevel) {
    Game g;
    SetWell(g.form, "1234567");
    g.form.StrDelFlg(2, 12) = "1";
    Set(g.form, "SngTime=9 LngScore=5 IntChainTime=7 LngLevel=6 IntPairX(0)=0 IntPairY(1)=64");
    g.form.SubCls();
    EXPECT_EQ(Rows(g.form.StrBlock) + Rows(g.form.StrDelFlg, true), Well("") + Well(""));
    EXPECT_EQ(Pick(g.form,
                   "SngTime LngScore IntChainTime LngLevel IntPairX(0) IntPairX(1) "
                   "IntPairY(1) FlgPair"),
              "0 0 0 6 96 128 0 -1");
    EXPECT_THROW(sw::Int16(32768, "IntFallCnt"), sw::RunTimeError) << "past 16 bits";
    EXPECT_EQ(sw::Int16(-32768, "IntFallCnt"), -32768);
}

// Draws: r in [0.2n, 0.2n + 0.2) picks effect n, whose banner shows.
TEST(Search, MarksExactlyTheGroupsAndTheirEffects) {
    const struct {
        const char* well;
        std::vector<double> draws;  // what the generator gives the sevens rule
        const char* marks;
        int16_t sevenOff = 0;
    } cases[] = {
        {"", {}, ""},
        {"1122335/5566557", {}, ""},
        {"..34...", {}, "..xx..."},
        {".....34", {}, ".....xx"},
        {"...4.../..3....", {}, ""},  // corners never pair
        {"6....../1......", {}, "x....../x......"},
        {"......2/......5", {}, "......x/......x"},
        {"434....", {}, "xxx...."},
        {"77.7...", {}, ""},  // a 7 never pairs, two 7s are no line
        {"16..25./2...43.", {}, "xx..xx./....xx."},
        {"^25.....", {}, "^xx....."},
        {"7....../77.....", {}, ""},
        // The effects switched off.
        {"123..../777....", {}, "......./xxx....", 1},
        {"7....../7....../71.....", {}, "x....../x....../x......", 1},
        // Neighbours: only cells inside the well that hold blocks.
        {"1.3..../7774...", {0.1}, "x.x..../xxxx..."},
        {"...1111/...2777/....111", {0.0}, "....xxx/...xxxx/....xxx"},
        {"^17...../27...../17...../24.....", {0.05}, "^xx...../xx...../xx...../.x....."},
        // The column of the first 7; its row; every 7; only the banner.
        {"1.....2/3.....4/7775...", {0.3}, "x....../x....../xxx...."},
        {".....7./.....7./.....7./....21.", {0.25}, ".....x./.....x./.....x./.....x."},
        {"1....../2.77756", {0.5}, "......./x.xxxxx"},
        {"1.....7/2.33..7/2.....7", {0.45}, "x.....x/......x/......x"},
        {"7....7./1.....7/777....", {0.7}, "x....x./......x/xxx...."},
        {"12...../777....", {0.99}, "......./xxx...."},
        // Every window of three is a line: two draws, the banner shows the last.
        {"7777...", {0.9, 0.7}, "xxxx..."},
        {".7...../.7...../777....", {0.9, 0.85}, ".x...../.x...../xxx...."},
        // An effect marking early changes nothing about which pairs are found.
        {"34.7.../777....", {0.7}, "xx.x.../xxx...."},
    };
    for (const auto& c : cases) {
        Game g;
        SetWell(g.form, c.well);
        Set(g.form, "IntVeskTime=0 IntVeskNo=0 FlgSevenOff=" + std::to_string(c.sevenOff));
        g.plat.script.assign(c.draws.begin(), c.draws.end());
        EXPECT_EQ(g.form.FncBlockDelSearch(), *c.marks ? 1 : 0) << c.well;
        EXPECT_EQ(Rows(g.form.StrDelFlg, true), Well(c.marks)) << c.well;
        EXPECT_EQ(Rows(g.form.StrBlock), Well(c.well)) << c.well << ": the well is untouched";
        EXPECT_TRUE(g.plat.script.empty()) << c.well << ": one draw per line of sevens";
        const int banner = c.draws.empty() ? 0 : static_cast<int>(c.draws.back() * 5);
        EXPECT_EQ(Pick(g.form, "IntVeskTime IntVeskNo"),
                  (c.draws.empty() ? "0 " : "50 ") + std::to_string(banner))
            << c.well;
    }
}

TEST(Deletion, ChainTimesBlocksStrictLevelTestThenPacking) {
    const struct {
        const char* before;  // level score chain
        int marked;          // of the bottom row "1111111", from the left
        const char* after;   // score level
        bool fanfare;
    } cases[] = {
        {"1 0 1", 2, "2 1", 0},           {"1 2 2", 3, "8 1", 0},
        {"1 58 1", 3, "61 2", 1},         {"1 58 1", 2, "60 1", 0},    // the threshold is strict
        {"1 50 50", 5, "300 2", 1},       {"2 300 1", 0, "300 3", 1},  // one level a step
        {"10 30720 1", 1, "30721 10", 1}, {"4 100 3", 0, "100 4", 0},
    };
    for (const auto& c : cases) {
        Game g;
        g.Load();
        SetWell(g.form, "5....../2....../1111111");
        for (int x = 0; x < c.marked; ++x) g.form.StrDelFlg(x, 12) = "1";
        g.form.StrDelFlg(6, 11) = "1";  // a mark on an empty cell removes nothing
        Set(g.form, "LngLevel LngScore LngChain", c.before);
        g.form.IntScene = 3;
        g.io.calls.clear();
        g.form.SubDelAniAfter();
        EXPECT_EQ(Pick(g.form, "IntScene LngScore LngLevel"), std::string("1 ") + c.after)
            << c.before;
        EXPECT_EQ(g.io.calls, std::vector<std::string>(c.fanfare, "play 5 NON_LOOP")) << c.before;
        // The marked blocks go, and the 5 and 2 drop into the gap below them.
        const std::string bottom = std::string(c.marked, '.') + std::string(7 - c.marked, '1');
        EXPECT_EQ(Rows(g.form.StrBlock),
                  Well(c.marked ? "5....../2" + bottom.substr(1) : "5....../2....../1111111"));
        EXPECT_EQ(Rows(g.form.StrDelFlg, true), Well("......x/......."));
    }
    Game g;
    g.Load();
    SetWell(g.form, "11.....");
    g.form.StrDelFlg(0, 12) = g.form.StrDelFlg(1, 12) = "1";
    Set(g.form, "LngScore=2147483646 LngChain=1");
    EXPECT_THROW(g.form.SubDelAniAfter(), sw::RunTimeError) << "a score past 32 bits";
}
