// The play screen's displays: exact rectangles and the two display timers.
#include <gtest/gtest.h>

#include <algorithm>

#include "doubles.h"

using namespace swtest;

namespace {

// The small glyphs drawn in one display row, as text ("07", "01:01:01").
std::string SmallText(const FakeGraphics& g, double y) {
    std::string text;
    double x = 40;
    for (const Draw& d : g.draws) {
        if (d.slot != 0 || d.sy != y || d.sx != x) continue;
        if (d.mx == 190 && d.my == 185 && d.h == 31) {
            text += ':';
        } else if (d.my == 185 && d.h == 33 && d.w == 19) {
            text += static_cast<char>('0' + static_cast<int>(d.mx) / 19);
        } else {
            continue;
        }
        x += 19;
    }
    return text;
}

void DrawDisplays(Game& g) {
    g.gfx.Clear();
    g.form.SubAniSub(0);
}

}  // namespace

TEST(PlayScreen, LevelClockAndScoreTexts) {
    struct {
        int32_t level;
        float time;
        int32_t score;
        const char *levelText, *clockText, *scoreText;
    } cases[] = {
        {7, 0, 0, "07", "00:00:00", "00000000"},
        {10, 3661, 1234, "10", "01:01:01", "00001234"},
        {123, 359999, 12345678, "12", "99:59:59", "12345678"},
        {1, 360000, 123456789, "01", "100:00:0", "12345678"},
    };
    for (const auto& c : cases) {
        Game g;
        g.form.LngLevel = c.level;
        g.form.SngTime = c.time;
        g.form.LngScore = c.score;
        DrawDisplays(g);
        EXPECT_EQ(SmallText(g.gfx, 66), c.levelText);
        EXPECT_EQ(SmallText(g.gfx, 175), c.clockText);
        EXPECT_EQ(SmallText(g.gfx, 278), c.scoreText);
    }
}

TEST(PlayScreen, ChainDisplayAndItsTimer) {
    struct {
        int16_t chain, time;
        std::vector<Draw> digits;  // large digits expected
        bool label;
        int16_t timeAfter;
    } cases[] = {
        {0, 2000, {}, false, 2000},
        {1, 2000, {}, false, 2000},
        {5, 2000, {{0, 235, 224, 487, 40, 80, 47}}, true, 1999},
        {12, 10, {{0, 47, 224, 440, 40, 80, 47}, {0, 94, 224, 487, 40, 80, 47}}, true, 9},
        {123, 1, {{0, 47, 224, 440, 40, 80, 47}, {0, 94, 224, 487, 40, 80, 47}}, true, 0},
        {5, 0, {}, false, 0},
    };
    for (const auto& c : cases) {
        Game g;
        g.form.IntChainShow = c.chain;
        g.form.IntChainTime = c.time;
        DrawDisplays(g);
        std::vector<Draw> large;
        for (const Draw& d : g.gfx.draws) {
            if (d.my == 224) large.push_back(d);
        }
        EXPECT_EQ(large, c.digits) << c.chain;
        const bool label = std::count(g.gfx.draws.begin(), g.gfx.draws.end(),
                                      Draw{0, 0, 306, 534, 86, 34, 70}) == 1;
        EXPECT_EQ(label, c.label) << c.chain;
        EXPECT_EQ(g.form.IntChainTime, c.timeAfter) << c.chain;
    }
}

TEST(PlayScreen, SevensBannerIsDrawnLastAndCountsDown) {
    Game g;
    g.form.IntVeskTime = 2;
    g.form.IntVeskNo = 4;
    g.form.IntChainShow = 3;
    g.form.IntChainTime = 5;
    g.gfx.Clear();
    g.form.SubAniSub(-1);
    ASSERT_FALSE(g.gfx.draws.empty());
    EXPECT_EQ(g.gfx.draws.back(), (Draw{0, 472, 440, 238, 213, 35, 163}));
    EXPECT_EQ(g.form.IntVeskTime, 1);
    DrawDisplays(g);
    DrawDisplays(g);
    EXPECT_EQ(g.form.IntVeskTime, 0);
    EXPECT_EQ(std::count_if(g.gfx.draws.begin(), g.gfx.draws.end(),
                            [](const Draw& d) { return d.mx == 472; }),
              0);
}

TEST(PlayScreen, PairOnlyWithMainFlagTrue) {
    for (int16_t flag : {-1, 0, 1}) {
        Game g;
        g.form.IntPairNo(0) = 3;
        g.form.IntPairNo(1) = 7;
        g.form.IntPairX(0) = 96;
        g.form.IntPairX(1) = 128;
        g.form.IntPairY(0) = 40;
        g.form.IntPairY(1) = 40;
        g.gfx.Clear();
        g.form.SubAniSub(flag);
        const bool pair = std::count(g.gfx.draws.begin(), g.gfx.draws.end(),
                                     Draw{0, 64, 0, 304, 72, 32, 32}) == 1 &&
                          std::count(g.gfx.draws.begin(), g.gfx.draws.end(),
                                     Draw{0, 192, 0, 336, 72, 32, 32}) == 1;
        EXPECT_EQ(pair, flag == -1) << flag;
    }
}

TEST(PlayScreen, FrameDrawsEveryTileInOrder) {
    Game g;
    std::vector<std::string> full(13, "1234567");
    SetWell(g.form, full);
    g.gfx.Clear();
    g.form.SubBlockDraw();
    EXPECT_EQ(g.gfx.backDraws, 1);
    EXPECT_EQ(g.gfx.flips, 1);
    ASSERT_GE(g.gfx.draws.size(), 92u);
    EXPECT_EQ(g.gfx.draws[0], (Draw{2, 0, 0, 0, 0, 480, 640}));
    for (int i = 0; i < 91; ++i) {
        const int x = i % 7, y = i / 7;
        EXPECT_EQ(g.gfx.draws[1 + i],
                  (Draw{0, 32.0 * x, 0, 208.0 + 32 * x, 32.0 + 32 * y, 32, 32}));
    }
    SetWell(g.form, Bottom({}));
    g.gfx.Clear();
    g.form.SubBlockDraw();
    EXPECT_EQ(std::count_if(g.gfx.draws.begin(), g.gfx.draws.end(),
                            [](const Draw& d) { return d.my == 0 && d.h == 32 && d.mx < 224; }),
              2)
        << "an empty well draws only the pair";
}
