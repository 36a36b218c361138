// The well, dealing pairs, landing and packing.
#include <gtest/gtest.h>

#include <set>

#include "doubles.h"

using namespace swtest;

TEST(Deal, NeverAddsUpToSevenAndEveryOtherPairComes) {
    Game g;
    std::set<std::pair<int, int>> seen;
    for (int i = 0; i < 20000; ++i) {
        g.form.SubBlockCls();
        const int a = g.form.IntPairNo(0), b = g.form.IntPairNo(1);
        ASSERT_GE(a, 1);
        ASSERT_LE(a, 7);
        ASSERT_GE(b, 1);
        ASSERT_LE(b, 7);
        ASSERT_NE(a + b, 7) << a << "-" << b;
        seen.insert({a, b});
    }
    // 49 ordered pairs less the six that add up to seven.
    EXPECT_EQ(seen.size(), 43u);
    EXPECT_TRUE(seen.count({7, 7}));
    EXPECT_TRUE(seen.count({1, 7}));
    EXPECT_TRUE(seen.count({7, 1}));
}

TEST(Deal, LeftDigitDrawnOnceRightDigitRedrawn) {
    // r = 0.0 gives 1, r = 0.8 gives 6 (1 + 6 = 7, drawn again), r = 0.3 gives 3.
    Game g;
    g.plat.script = {0.0, 0.8, 0.3};
    g.form.SubBlockCls();
    EXPECT_EQ(g.form.IntPairNo(0), 1);
    EXPECT_EQ(g.form.IntPairNo(1), 3);
    EXPECT_TRUE(g.plat.script.empty());
    // A nearly-1 draw still gives 7, never 8.
    g.plat.script = {0.9999999, 0.9999999};
    g.form.SubBlockCls();
    EXPECT_EQ(g.form.IntPairNo(0), 7);
    EXPECT_EQ(g.form.IntPairNo(1), 7);
}

TEST(Board, SubClsEmptiesWellAndResetsClockScoreAndChainDisplay) {
    Game g;
    SetWell(g.form, Bottom({"1234567"}));
    g.form.StrDelFlg(2, 12) = "1";
    g.form.SngTime = 99;
    g.form.LngScore = 500;
    g.form.IntChainTime = 7;
    g.form.LngLevel = 6;
    g.form.IntPairX(0) = 0;
    g.form.FlgPair = 0;
    g.form.SubCls();
    EXPECT_EQ(WellRows(g.form.StrBlock), Bottom({}));
    EXPECT_EQ(MarkRows(g.form.StrDelFlg), Bottom({}));
    EXPECT_EQ(g.form.SngTime, 0.0f);
    EXPECT_EQ(g.form.LngScore, 0);
    EXPECT_EQ(g.form.IntChainTime, 0);
    EXPECT_EQ(g.form.LngLevel, 6);
    EXPECT_EQ(g.form.IntPairX(0), 96);
    EXPECT_EQ(g.form.IntPairX(1), 128);
    EXPECT_EQ(g.form.IntPairY(0), 0);
    EXPECT_EQ(g.form.FlgPair, -1);
}

TEST(Board, SubBlockClsLeavesTheWellAlone) {
    Game g;
    SetWell(g.form, Bottom({"12.4567"}));
    g.form.StrDelFlg(0, 12) = "1";
    g.form.SubBlockCls();
    EXPECT_EQ(WellRows(g.form.StrBlock), Bottom({"12.4567"}));
    EXPECT_EQ(g.form.StrDelFlg(0, 12), "1");
}

TEST(Board, CellsOutsideTheWellAreRunTimeErrors) {
    Game g;
    EXPECT_THROW(g.form.StrBlock(7, 0), sw::RunTimeError);
    EXPECT_THROW(g.form.StrBlock(0, 13), sw::RunTimeError);
    EXPECT_THROW(g.form.StrBlock(-1, 0), sw::RunTimeError);
    EXPECT_THROW(g.form.IntPairX(2), sw::RunTimeError);
}

struct LandingCase {
    const char* name;
    friend void PrintTo(const LandingCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::string> well;
    int x0, y0, x1, y1;  // pixel positions of the two blocks
    int16_t result;
    std::vector<std::string> after;  // after landing and packing
};

class Landing : public ::testing::TestWithParam<LandingCase> {};

TEST_P(Landing, LandsWritesBothBlocksAndPacks) {
    const LandingCase& c = GetParam();
    Game g;
    SetWell(g.form, c.well);
    g.form.IntPairX(0) = c.x0;
    g.form.IntPairY(0) = c.y0;
    g.form.IntPairX(1) = c.x1;
    g.form.IntPairY(1) = c.y1;
    g.form.IntPairNo(0) = 3;
    g.form.IntPairNo(1) = 5;
    g.form.FlgPair = 0;
    g.plat.script = {0.0, 0.0};  // the next pair: 1 and 1
    const int16_t r = g.form.FncBlockTyakuti();
    EXPECT_EQ(r, c.result);
    if (r == 1) {
        g.form.FncBlockTume();
        EXPECT_EQ(g.form.IntPairX(0), 96);
        EXPECT_EQ(g.form.IntPairY(0), 0);
        EXPECT_EQ(g.form.IntPairNo(0), 1);
        EXPECT_EQ(g.form.FlgPair, -1);
    } else {
        EXPECT_EQ(g.form.IntPairY(0), c.y0);
        EXPECT_EQ(g.form.FlgPair, 0);
    }
    EXPECT_EQ(WellRows(g.form.StrBlock), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Landing,
    ::testing::Values(
        LandingCase{"floor", Bottom({}), 96, 384, 128, 384, 1, Bottom({"...35.."})},
        LandingCase{"above_empty_floor", Bottom({}), 96, 352, 128, 352, 0, Bottom({})},
        LandingCase{"on_blocks", Bottom({"...12.."}), 96, 352, 128, 352, 1,
                    Bottom({"...35..", "...12.."})},
        // Left block supported, right over an empty column: written in
        // the same row, then packing drops the right one to the floor.
        LandingCase{"split_left_supported", Bottom({"...1...", "...1..."}), 96, 320, 128, 320, 1,
                    Bottom({"...3...", "...1...", "...15.."})},
        LandingCase{"split_right_supported", Bottom({"......6", "......6"}), 160, 320, 192, 320, 1,
                    Bottom({"......5", "......6", ".....36"})},
        // After a hard drop the blocks rest in different rows.
        LandingCase{"hard_drop_rows", Bottom({"....4..", "....4..", "....4.."}), 96, 384, 128, 288,
                    1, Bottom({"....5..", "....4..", "....4..", "...34.."})},
        LandingCase{"edge_columns", Bottom({"6.....1"}), 0, 352, 32, 352, 1,
                    Bottom({"3......", "65....1"})}),
    [](const auto& info) { return std::string(info.param.name); });

struct PackCase {
    const char* name;
    friend void PrintTo(const PackCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::string> before, after;
    int16_t result;
};

class Packing : public ::testing::TestWithParam<PackCase> {};

TEST_P(Packing, DropsEveryBlockKeepingColumnOrder) {
    Game g;
    SetWell(g.form, GetParam().before);
    EXPECT_EQ(g.form.FncBlockTume(), GetParam().result);
    EXPECT_EQ(WellRows(g.form.StrBlock), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Packing,
    ::testing::Values(
        PackCase{"empty", Bottom({}), Bottom({}), 0},
        PackCase{"already_packed", Bottom({"12.....", "3456712"}), Bottom({"12.....", "3456712"}),
                 0},
        PackCase{"gap_in_column",
                 {".......", ".......", ".......", ".......", ".......", "3......", ".......",
                  ".......", ".......", "4......", ".......", ".......", "......."},
                 Bottom({"3......", "4......"}),
                 1},
        PackCase{"top_to_bottom",
                 {"......7", "......6", ".......", ".......", ".......", ".......", ".......",
                  ".......", ".......", ".......", ".......", ".......", "......."},
                 Bottom({"......7", "......6"}),
                 1},
        PackCase{"stack_over_gap", Bottom({".5.....", ".4.....", ".3.....", ".......", ".2.1..."}),
                 Bottom({".5.....", ".4.....", ".3.....", ".2.1..."}), 1},
        PackCase{"never_sideways", Bottom({"1......", ".......", ".2....."}), Bottom({"12....."}),
                 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Packing, FullColumnStaysPutAndMarksDoNotMove) {
    Game g;
    std::vector<std::string> full(13, "3......");
    SetWell(g.form, full);
    g.form.StrDelFlg(0, 0) = "1";
    EXPECT_EQ(g.form.FncBlockTume(), 0);
    EXPECT_EQ(WellRows(g.form.StrBlock), full);
    EXPECT_EQ(g.form.StrDelFlg(0, 0), "1");
}
