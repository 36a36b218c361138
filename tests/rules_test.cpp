// The rules of the well on its text form: dealing, landing, packing, the
// search with the sevens effects, removal, scoring and the level.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "doubles.h"

using namespace swtest;

TEST(Deal, NeverSevenEveryOtherPairComesAndOnlyTheRightDigitIsRedrawn) {
    Game g;
    std::set<std::pair<int, int>> seen;
    for (int i = 0; i < 20000; ++i) {
        g.form.SubBlockCls();
        const int a = g.form.IntPairNo(0), b = g.form.IntPairNo(1);
        ASSERT_TRUE(a >= 1 && a <= 7 && b >= 1 && b <= 7 && a + b != 7) << a << "-" << b;
        seen.insert({a, b});
    }
    EXPECT_EQ(seen.size(), 43u) << "49 ordered pairs less the six that make seven";
    // 0.0 gives 1, 0.8 gives 6 (a seven: drawn again), 0.3 gives 3; a draw
    // just below 1 still gives 7, never 8.
    g.plat.script = {0.0, 0.8, 0.3, 0.9999999, 0.9999999};
    g.form.SubBlockCls();
    EXPECT_EQ(g.form.IntPairNo(0) * 10 + g.form.IntPairNo(1), 13);
    g.form.SubBlockCls();
    EXPECT_EQ(g.form.IntPairNo(0) * 10 + g.form.IntPairNo(1), 77);
    EXPECT_TRUE(g.plat.script.empty());
}

TEST(Board, SubClsEmptiesWellClockScoreAndChainDisplayButNotTheLevel) {
    Game g;
    SetWell(g.form, "1234567");
    g.form.StrDelFlg(2, 12) = "1";
    Set(g.form,
        "SngTime=99 LngScore=500 IntChainTime=7 LngLevel=6 IntPairX(0)=0 IntPairY(1)=64 FlgPair=0");
    g.form.SubCls();
    EXPECT_EQ(WellRows(g.form.StrBlock), Well(""));
    EXPECT_EQ(MarkRows(g.form.StrDelFlg), Well(""));
    EXPECT_EQ(
        Pick(g.form,
             "SngTime LngScore IntChainTime LngLevel IntPairX(0) IntPairX(1) IntPairY(1) FlgPair"),
        "0 0 0 6 96 128 0 -1");
    EXPECT_THROW(g.form.StrBlock(7, 0), sw::RunTimeError) << "outside the well";
    EXPECT_THROW(g.form.StrBlock(0, 13), sw::RunTimeError);
    EXPECT_THROW(sw::Int16(32768, "IntFallCnt"), sw::RunTimeError) << "past 16 bits";
    EXPECT_EQ(sw::Int16(-32768, "IntFallCnt"), -32768);
}

struct LandingCase {
    const char* name;
    const char* well;
    int x0, y0, x1, y1;  // pixel positions of the blocks 3 and 5
    int16_t landed;
    const char* after;  // after landing and packing
};

TEST(Landing, WritesBothBlocksAtTheirRowsThenPackingDropsThem) {
    const LandingCase cases[] = {
        {"floor", "", 96, 384, 128, 384, 1, "...35.."},
        {"above_the_floor", "", 96, 352, 128, 352, 0, ""},
        {"on_blocks", "...12..", 96, 352, 128, 352, 1, "...35../...12.."},
        {"left_supported", "...1.../...1...", 96, 320, 128, 320, 1, "...3.../...1.../...15.."},
        {"right_supported", "......6/......6", 160, 320, 192, 320, 1, "......5/......6/.....36"},
        {"hard_drop_rows", "....4../....4../....4..", 96, 384, 128, 288, 1,
         "....5../....4../....4../...34.."},
        {"edge_columns", "6.....1", 0, 352, 32, 352, 1, "3....../65....1"},
    };
    for (const auto& c : cases) {
        Game g;
        SetWell(g.form, c.well);
        std::ostringstream pair;
        pair << "IntPairX(0)=" << c.x0 << " IntPairY(0)=" << c.y0 << " IntPairX(1)=" << c.x1
             << " IntPairY(1)=" << c.y1 << " IntPairNo(0)=3 IntPairNo(1)=5 FlgPair=0";
        Set(g.form, pair.str());
        g.plat.script = {0.0, 0.0};  // the next pair: 1 and 1
        EXPECT_EQ(g.form.FncBlockTyakuti(), c.landed) << c.name;
        g.form.FncBlockTume();
        EXPECT_EQ(WellRows(g.form.StrBlock), Well(c.after)) << c.name;
        // A landing deals the next pair at the top at once.
        EXPECT_EQ(Pick(g.form, "IntPairY(0) IntPairNo(0) FlgPair"),
                  c.landed ? "0 1 -1" : std::to_string(c.y0) + " 3 0")
            << c.name;
    }
}

TEST(Packing, DropsEveryBlockKeepingColumnOrder) {
    std::string full = "3......";
    for (int y = 1; y < sw::kRows; ++y) full += "/3......";
    const struct {
        std::string before, after;
        int16_t moved;
    } cases[] = {
        {"", "", 0},
        {"12...../3456712", "12...../3456712", 0},
        {"^......./......./......./......./......./3....../......./......./......./4......",
         "3....../4......", 1},
        {"^......7/......6", "......7/......6", 1},
        {".5...../.4...../.3...../......./.2.1...", ".5...../.4...../.3...../.2.1...", 1},
        {"1....../......./.2.....", "12.....", 1},
        {full, full, 0},
    };
    for (const auto& c : cases) {
        Game g;
        SetWell(g.form, c.before);
        g.form.StrDelFlg(0, 0) = "1";
        EXPECT_EQ(g.form.FncBlockTume(), c.moved) << c.before;
        EXPECT_EQ(WellRows(g.form.StrBlock), Well(c.after)) << c.before;
        EXPECT_EQ(g.form.StrDelFlg(0, 0), "1") << "marks stay where they are";
    }
}

struct SearchCase {
    const char* well;
    int16_t sevenOff;
    std::vector<double> draws;  // what the generator gives the sevens rule
    const char* marks;
    int16_t veskNo = 0;  // the banner, when a line of sevens was drawn for
};

// Draws: r in [0.2n, 0.2n + 0.2) picks effect n.
TEST(Search, MarksExactlyTheGroupsAndTheirEffects) {
    const SearchCase cases[] = {
        {"", 0, {}, ""},
        {"1122335/5566557", 0, {}, ""},
        {"..34...", 0, {}, "..xx..."},
        {".....34", 0, {}, ".....xx"},
        // Corners never pair.
        {"...4.../..3....", 0, {}, ""},
        {"6....../1......", 0, {}, "x....../x......"},
        {"......2/......5", 0, {}, "......x/......x"},
        {"434....", 0, {}, "xxx...."},
        // A 7 never pairs, two 7s are no line.
        {"77.7...", 0, {}, ""},
        {"16..25./2...43.", 0, {}, "xx..xx./....xx."},
        {"^25.....", 0, {}, "^xx....."},
        {"7....../77.....", 0, {}, ""},
        // The effects switched off.
        {"123..../777....", 1, {}, "......./xxx...."},
        {"7....../7....../71.....", 1, {}, "x....../x....../x......"},
        // Neighbours: only cells inside the well that hold blocks.
        {"1.3..../7774...", 0, {0.1}, "x.x..../xxxx...", 0},
        {"...1111/...2777/....111", 0, {0.0}, "....xxx/...xxxx/....xxx", 0},
        {"^17...../27...../17...../24.....", 0, {0.05}, "^xx...../xx...../xx...../.x.....", 0},
        // The column of the first 7.
        {"1.....2/3.....4/7775...", 0, {0.3}, "x....../x....../xxx....", 1},
        {".....7./.....7./.....7./....21.", 0, {0.25}, ".....x./.....x./.....x./.....x.", 1},
        // The row of the first 7.
        {"1....../2.77756", 0, {0.5}, "......./x.xxxxx", 2},
        {"1.....7/2.33..7/2.....7", 0, {0.45}, "x.....x/......x/......x", 2},
        // Every 7 in the well.
        {"7....7./1.....7/777....", 0, {0.7}, "x....x./......x/xxx....", 3},
        // No effect, only the banner.
        {"12...../777....", 0, {0.99}, "......./xxx....", 4},
        // Every window of three is a line: two draws, the banner shows the last.
        {"7777...", 0, {0.9, 0.7}, "xxxx...", 3},
        {".7...../.7...../777....", 0, {0.9, 0.85}, ".x...../.x...../xxx....", 4},
        // An effect marking early changes nothing about which pairs are found.
        {"34.7.../777....", 0, {0.7}, "xx.x.../xxx....", 3},
    };
    for (const auto& c : cases) {
        Game g;
        SetWell(g.form, c.well);
        Set(g.form, "IntVeskTime=0 IntVeskNo=0 FlgSevenOff=" + std::to_string(c.sevenOff));
        g.plat.script.assign(c.draws.begin(), c.draws.end());
        EXPECT_EQ(g.form.FncBlockDelSearch(), *c.marks ? 1 : 0) << c.well;
        EXPECT_EQ(MarkRows(g.form.StrDelFlg), Well(c.marks)) << c.well;
        EXPECT_EQ(WellRows(g.form.StrBlock), Well(c.well)) << c.well << ": the well is untouched";
        EXPECT_TRUE(g.plat.script.empty()) << c.well << ": one draw per line of sevens";
        EXPECT_EQ(Pick(g.form, "IntVeskTime IntVeskNo"),
                  (c.draws.empty() ? "0 " : "50 ") + std::to_string(c.veskNo))
            << c.well;
    }
}

TEST(Deletion, ChainTimesBlocksStrictLevelTestThenPacking) {
    const struct {
        const char* name;
        int32_t level, score, chain;
        int marked;  // of the bottom row "1111111", from the left
        int32_t scoreAfter, levelAfter;
        bool fanfare;
    } cases[] = {
        {"first_link", 1, 0, 1, 2, 2, 1, 0},
        {"second_link", 1, 2, 2, 3, 8, 1, 0},
        {"passes_threshold", 1, 58, 1, 3, 61, 2, 1},
        {"reaches_threshold_only", 1, 58, 1, 2, 60, 1, 0},
        {"one_level_per_step", 1, 50, 50, 5, 300, 2, 1},
        {"next_step_raises_again", 2, 300, 1, 0, 300, 3, 1},
        {"top_level_stays_but_sounds", 10, 30720, 1, 1, 30721, 10, 1},
        {"nothing_marked", 4, 100, 3, 0, 100, 4, 0},
    };
    for (const auto& c : cases) {
        Game g;
        g.Load();
        SetWell(g.form, "5....../2....../1111111");
        for (int x = 0; x < c.marked; ++x) g.form.StrDelFlg(x, 12) = "1";
        g.form.StrDelFlg(6, 11) = "1";  // a mark on an empty cell removes nothing
        Set(g.form, "IntScene=3 LngLevel=" + std::to_string(c.level) + " LngScore=" +
                        std::to_string(c.score) + " LngChain=" + std::to_string(c.chain));
        g.snd.calls.clear();
        g.form.SubDelAniAfter();
        EXPECT_EQ(Pick(g.form, "IntScene LngScore LngLevel"),
                  "1 " + std::to_string(c.scoreAfter) + " " + std::to_string(c.levelAfter))
            << c.name;
        EXPECT_EQ(Calls(g.snd.calls), c.fanfare ? "play 5 NON_LOOP" : "") << c.name;
        // The marked blocks go, and the 5 and 2 drop into the gap below them.
        const std::string bottom = std::string(c.marked, '.') + std::string(7 - c.marked, '1');
        EXPECT_EQ(WellRows(g.form.StrBlock),
                  Well(c.marked ? "5....../2" + bottom.substr(1) : "5....../2....../1111111"))
            << c.name;
        EXPECT_EQ(MarkRows(g.form.StrDelFlg), Well("......x/.......")) << c.name;
    }
    Game g;
    g.Load();
    SetWell(g.form, "11.....");
    g.form.StrDelFlg(0, 12) = g.form.StrDelFlg(1, 12) = "1";
    g.form.LngScore = 2147483647 - 1;
    g.form.LngChain = 1;
    EXPECT_THROW(g.form.SubDelAniAfter(), sw::RunTimeError) << "a score past 32 bits";
}
