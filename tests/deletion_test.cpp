// Removal, scoring by chain link, and the level.
#include <gtest/gtest.h>

#include "doubles.h"

using namespace swtest;

namespace {

void Thresholds(sw::Form1& f) {
    int32_t v = 30;
    for (int i = 1; i <= 10; ++i) f.VarLvUp(i) = v *= 2;
}

int LevelUps(const FakeSound& s) {
    int n = 0;
    for (const auto& c : s.calls) n += c == "play 5 NON_LOOP";
    return n;
}

}  // namespace

TEST(Deletion, SubBlockDelRemovesMarkedBlocksOnly) {
    Game g;
    SetWell(g.form, Bottom({"1234567"}));
    EXPECT_EQ(g.form.SubBlockDel(), 0);
    EXPECT_EQ(WellRows(g.form.StrBlock), Bottom({"1234567"}));
    g.form.StrDelFlg(2, 12) = "1";
    g.form.StrDelFlg(3, 12) = "1";
    EXPECT_EQ(g.form.SubBlockDel(), 2);
    EXPECT_EQ(WellRows(g.form.StrBlock), Bottom({"12..567"}));
    EXPECT_EQ(MarkRows(g.form.StrDelFlg), Bottom({}));
}

struct ScoreCase {
    const char* name;
    friend void PrintTo(const ScoreCase& c, std::ostream* os) { *os << c.name; }
    int32_t level, score, chain;
    int marked;  // blocks marked in the bottom row
    int32_t scoreAfter, levelAfter;
    int levelUps;
};

class Scoring : public ::testing::TestWithParam<ScoreCase> {};

TEST_P(Scoring, ChainTimesBlocksAndAStrictLevelTest) {
    const ScoreCase& c = GetParam();
    Game g;
    Thresholds(g.form);
    SetWell(g.form, Bottom({"1111111"}));
    for (int x = 0; x < c.marked; ++x) g.form.StrDelFlg(x, 12) = "1";
    g.form.LngLevel = c.level;
    g.form.LngScore = c.score;
    g.form.LngChain = c.chain;
    g.form.IntScene = 3;
    g.form.SubDelAniAfter();
    EXPECT_EQ(g.form.IntScene, 1);
    EXPECT_EQ(g.form.LngScore, c.scoreAfter);
    EXPECT_EQ(g.form.LngLevel, c.levelAfter);
    EXPECT_EQ(LevelUps(g.snd), c.levelUps);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Scoring,
    ::testing::Values(ScoreCase{"first_link_two_blocks", 1, 0, 1, 2, 2, 1, 0},
                      ScoreCase{"second_link_three_blocks", 1, 2, 2, 3, 8, 1, 0},
                      ScoreCase{"fifth_link", 1, 0, 5, 4, 20, 1, 0},
                      ScoreCase{"passes_threshold", 1, 58, 1, 3, 61, 2, 1},
                      ScoreCase{"reaches_threshold_only", 1, 58, 1, 2, 60, 1, 0},
                      ScoreCase{"one_level_per_step", 1, 50, 50, 5, 300, 2, 1},
                      ScoreCase{"next_step_raises_again", 2, 300, 1, 0, 300, 3, 1},
                      ScoreCase{"top_level_stays_but_sounds", 10, 30720, 1, 1, 30721, 10, 1},
                      ScoreCase{"nothing_marked", 4, 100, 3, 0, 100, 4, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Deletion, StepPacksAndLeavesNoMarks) {
    Game g;
    Thresholds(g.form);
    SetWell(g.form, Bottom({"5......", "2......", "34....."}));
    g.form.LngLevel = 1;
    g.form.LngChain = 1;
    g.form.StrDelFlg(0, 12) = "1";
    g.form.StrDelFlg(1, 12) = "1";
    g.form.SubDelAniAfter();
    EXPECT_EQ(WellRows(g.form.StrBlock), Bottom({"5......", "2......"}));
    EXPECT_EQ(MarkRows(g.form.StrDelFlg), Bottom({}));
}

TEST(Deletion, ScoreOverflowIsARunTimeError) {
    Game g;
    Thresholds(g.form);
    SetWell(g.form, Bottom({"11....."}));
    g.form.StrDelFlg(0, 12) = "1";
    g.form.StrDelFlg(1, 12) = "1";
    g.form.LngLevel = 10;
    g.form.LngScore = 2147483647 - 1;
    g.form.LngChain = 1;
    EXPECT_THROW(g.form.SubDelAniAfter(), sw::RunTimeError);
}
