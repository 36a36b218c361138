// The search for pairs adding up to seven and lines of three sevens, with
// the sevens effects.
#include <gtest/gtest.h>

#include "doubles.h"

using namespace swtest;

struct SearchCase {
    const char* name;
    friend void PrintTo(const SearchCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::string> well;
    int16_t sevenOff;
    std::vector<double> draws;  // what the generator gives the sevens rule
    int16_t result;
    std::vector<std::string> marks;
    int16_t veskNo;  // -1: banner untouched
};

class Search : public ::testing::TestWithParam<SearchCase> {};

TEST_P(Search, MarksExactlyTheGroups) {
    const SearchCase& c = GetParam();
    Game g;
    SetWell(g.form, c.well);
    g.form.FlgSevenOff = c.sevenOff;
    g.form.IntVeskTime = 0;
    g.form.IntVeskNo = 0;
    g.plat.script.assign(c.draws.begin(), c.draws.end());
    const auto before = WellRows(g.form.StrBlock);
    EXPECT_EQ(g.form.FncBlockDelSearch(), c.result);
    EXPECT_EQ(MarkRows(g.form.StrDelFlg), c.marks);
    EXPECT_EQ(WellRows(g.form.StrBlock), before) << "the search never changes the well";
    EXPECT_TRUE(g.plat.script.empty()) << "one draw per line of sevens";
    if (c.veskNo < 0) {
        EXPECT_EQ(g.form.IntVeskTime, 0);
    } else {
        EXPECT_EQ(g.form.IntVeskTime, 50);
        EXPECT_EQ(g.form.IntVeskNo, c.veskNo);
    }
}

// Draws: r in [0.2n, 0.2n + 0.2) picks effect n.
INSTANTIATE_TEST_SUITE_P(
    Pairs, Search,
    ::testing::Values(
        SearchCase{"empty", Bottom({}), 0, {}, 0, Bottom({}), -1},
        SearchCase{"no_groups", Bottom({"1122335", "5566557"}), 0, {}, 0, Bottom({}), -1},
        SearchCase{"side_by_side", Bottom({"..34..."}), 0, {}, 1, Bottom({"..xx..."}), -1},
        SearchCase{"corner_only", Bottom({"...4...", "..3...."}), 0, {}, 0, Bottom({}), -1},
        SearchCase{"one_above_other_edge",
                   Bottom({"6......", "1......"}),
                   0,
                   {},
                   1,
                   Bottom({"x......", "x......"}),
                   -1},
        SearchCase{"right_column",
                   Bottom({"......2", "......5"}),
                   0,
                   {},
                   1,
                   Bottom({"......x", "......x"}),
                   -1},
        SearchCase{"four_three_four", Bottom({"434...."}), 0, {}, 1, Bottom({"xxx...."}), -1},
        SearchCase{"seven_never_pairs", Bottom({"77.7..."}), 0, {}, 0, Bottom({}), -1},
        SearchCase{"several_groups_at_once",
                   Bottom({"16..25.", "2...43."}),
                   0,
                   {},
                   1,
                   Bottom({"xx..xx.", "....xx."}),
                   -1},
        SearchCase{"top_row",
                   {"25.....", ".......", ".......", ".......", ".......", ".......", ".......",
                    ".......", ".......", ".......", ".......", ".......", "......."},
                   0,
                   {},
                   1,
                   {"xx.....", ".......", ".......", ".......", ".......", ".......", ".......",
                    ".......", ".......", ".......", ".......", ".......", "......."},
                   -1}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Sevens, Search,
    ::testing::Values(
        SearchCase{"two_sevens_nothing", Bottom({"77....."}), 0, {}, 0, Bottom({}), -1},
        SearchCase{"l_shape_nothing", Bottom({"7......", "77....."}), 0, {}, 0, Bottom({}), -1},
        SearchCase{"line_switched_off",
                   Bottom({"123....", "777...."}),
                   1,
                   {},
                   1,
                   Bottom({".......", "xxx...."}),
                   -1},
        // Neighbours at the left and bottom edges: only cells inside the
        // well that hold blocks.
        SearchCase{"neighbours_bottom_left",
                   Bottom({"1.3....", "7774..."}),
                   0,
                   {0.1},
                   1,
                   Bottom({"x.x....", "xxxx..."}),
                   0},
        SearchCase{"neighbours_right_edge",
                   Bottom({"...1111", "...2777", "....111"}),
                   0,
                   {0.0},
                   1,
                   Bottom({"....xxx", "...xxxx", "....xxx"}),
                   0},
        SearchCase{"neighbours_vertical_top",
                   {"17.....", "27.....", "17.....", "24.....", ".......", ".......", ".......",
                    ".......", ".......", ".......", ".......", ".......", "......."},
                   0,
                   {0.05},
                   1,
                   {"xx.....", "xx.....", "xx.....", ".x.....", ".......", ".......", ".......",
                    ".......", ".......", ".......", ".......", ".......", "......."},
                   0},
        SearchCase{"column_horizontal_leftmost",
                   Bottom({"1.....2", "3.....4", "7775..."}),
                   0,
                   {0.3},
                   1,
                   Bottom({"x......", "x......", "xxx...."}),
                   1},
        SearchCase{"column_vertical_own",
                   Bottom({".....1.", ".....7.", ".....7.", "....27."}),
                   0,
                   {0.25},
                   1,
                   Bottom({".....x.", ".....x.", ".....x.", ".....x."}),
                   1},
        SearchCase{"row_horizontal",
                   Bottom({"1......", "2.77756"}),
                   0,
                   {0.5},
                   1,
                   Bottom({".......", "x.xxxxx"}),
                   2},
        SearchCase{"row_vertical_topmost",
                   Bottom({"1.....7", "2.33..7", "2.....7"}),
                   0,
                   {0.45},
                   1,
                   Bottom({"x.....x", "......x", "......x"}),
                   2},
        SearchCase{"all_sevens",
                   Bottom({"7....7.", "1.....7", "777...."}),
                   0,
                   {0.7},
                   1,
                   Bottom({"x....x.", "......x", "xxx...."}),
                   3},
        SearchCase{"no_effect",
                   Bottom({"12.....", "777...."}),
                   0,
                   {0.99},
                   1,
                   Bottom({".......", "xxx...."}),
                   4},
        // Four in a row are two lines: two draws, the banner shows the last.
        SearchCase{
            "four_sevens_two_draws", Bottom({"7777..."}), 0, {0.9, 0.7}, 1, Bottom({"xxxx..."}), 3},
        SearchCase{"crossing_lines",
                   Bottom({".7.....", ".7.....", "777...."}),
                   0,
                   {0.9, 0.85},
                   1,
                   Bottom({".x.....", ".x.....", "xxx...."}),
                   4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Search, EffectMarksDoNotChangeWhichGroupsAreFound) {
    // Effect 3 marks the 7 in the pair row early; the 3-4 pair is still found.
    Game g;
    SetWell(g.form, Bottom({"34.7...", "777...."}));
    g.plat.script = {0.7};
    EXPECT_EQ(g.form.FncBlockDelSearch(), 1);
    EXPECT_EQ(MarkRows(g.form.StrDelFlg), Bottom({"xx.x...", "xxx...."}));
}
