// What the screens show: the displays of the play screen and the options
// screen read back as text, the display timers, and the sprite sheet, whose
// list of rectangles must be exactly what the scenes cut from it.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

#include "doubles.h"

using namespace swtest;

namespace {

// The glyphs drawn in one row from x on, as text ("07", "01:01:01"): small
// digits (19 wide) and the colon, or the large digits (47 wide).
std::string Text(const FakeGraphics& g, double y, double x, bool large = false) {
    std::string text;
    const double w = large ? 47 : 19;
    for (bool more = true; more;) {
        more = false;
        for (const Draw& d : g.draws) {
            if (d.slot != 0 || d.sy != y || d.sx != x || d.w != w) continue;
            if (!large && d.mx == 190 && d.my == 185) {
                text += ':';
            } else if (d.my == (large ? 224 : 185)) {
                text += static_cast<char>('0' + static_cast<int>(d.mx / w));
            } else {
                continue;
            }
            x += w;
            more = true;
            break;
        }
    }
    return text;
}

bool Drew(const FakeGraphics& g, const Draw& d) {
    return std::find(g.draws.begin(), g.draws.end(), d) != g.draws.end();
}

void Displays(Game& g, int16_t mainFlg = 0) {
    g.gfx.Clear();
    g.form.SubAniSub(mainFlg);
}

}  // namespace

TEST(PlayScreen, LevelClockAndScore) {
    const struct {
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
        Displays(g);
        EXPECT_EQ(Text(g.gfx, 66, 40), c.levelText);
        EXPECT_EQ(Text(g.gfx, 175, 40), c.clockText);
        EXPECT_EQ(Text(g.gfx, 278, 40), c.scoreText);
    }
}

TEST(PlayScreen, ChainAndSevensDisplaysCountDown) {
    const struct {
        int16_t chain, time;
        const char* digits;  // from x 440; a leading 0 is left blank
        int16_t timeAfter;
    } cases[] = {
        {0, 2000, "", 2000}, {1, 2000, "", 2000}, {5, 2000, "5", 1999},
        {12, 10, "12", 9},   {123, 1, "12", 0},   {5, 0, "", 0},
    };
    for (const auto& c : cases) {
        Game g;
        g.form.IntChainShow = c.chain;
        g.form.IntChainTime = c.time;
        Displays(g);
        const std::string shown =
            Text(g.gfx, 40, 440, true) + (c.chain < 10 ? Text(g.gfx, 40, 487, true) : "");
        EXPECT_EQ(shown, c.digits) << c.chain;
        EXPECT_EQ(
            std::count(g.gfx.draws.begin(), g.gfx.draws.end(), Draw{0, 0, 306, 534, 86, 34, 70}),
            *c.digits ? 1 : 0)
            << "the label, " << c.chain;
        EXPECT_EQ(g.form.IntChainTime, c.timeAfter) << c.chain;
    }
    // The sevens banner lies over the middle of the well, on top of all.
    Game g;
    g.form.IntVeskTime = 2;
    g.form.IntVeskNo = 4;
    g.form.IntChainShow = 3;
    g.form.IntChainTime = 5;
    Displays(g, -1);
    EXPECT_EQ(g.gfx.draws.back(), (Draw{0, 472, 440, 238, 213, 35, 163}));
    Displays(g);
    EXPECT_EQ(g.form.IntVeskTime, 0);
    EXPECT_EQ(g.gfx.draws.back().mx, 472);
    Displays(g);
    EXPECT_NE(g.gfx.draws.back().mx, 472) << "gone once its time is up";
}

TEST(PlayScreen, TheWellAndThePairOnlyWithTheMainFlag) {
    for (int16_t flag : {-1, 0, 1}) {
        Game g;
        SetWell(g.form, "^1....../......./..3....");
        g.form.StrBlock(6, 12) = "7";
        g.form.IntPairNo(0) = 3;
        g.form.IntPairNo(1) = 7;
        g.form.IntPairX(0) = 96;
        g.form.IntPairX(1) = 128;
        g.form.IntPairY(0) = g.form.IntPairY(1) = 40;
        g.gfx.Clear();
        if (flag == -1) {
            g.form.SubBlockDraw();
            EXPECT_EQ(g.gfx.draws[0], (Draw{2, 0, 0, 0, 0, 480, 640})) << "the frame first";
            EXPECT_TRUE(g.gfx.backDraws == 1 && g.gfx.flips == 1);
            for (const Draw& tile :
                 {Draw{0, 0, 0, 208, 32, 32, 32}, Draw{0, 64, 0, 272, 96, 32, 32},
                  Draw{0, 192, 0, 400, 416, 32, 32}})
                EXPECT_EQ(std::count(g.gfx.draws.begin(), g.gfx.draws.end(), tile), 1);
        } else {
            g.form.SubAniSub(flag);
        }
        const bool pair =
            std::count(g.gfx.draws.begin(), g.gfx.draws.end(), Draw{0, 64, 0, 304, 72, 32, 32}) &&
            std::count(g.gfx.draws.begin(), g.gfx.draws.end(), Draw{0, 192, 0, 336, 72, 32, 32});
        EXPECT_EQ(pair, flag == -1) << flag;
    }
}

TEST(OptionsScreen, ShowsTheChosenValuesAndTheRecords) {
    Game g;
    g.Load();
    g.form.IntScene = 96;
    g.form.LngLevel = 10;
    g.form.FlgSevenOff = 1;
    g.form.IntBgmNo = 2;
    g.form.IntBgNo = 5;
    g.form.LngHiScore = 123456789;
    g.form.LngMaxChain = 7;
    g.gfx.Clear();
    g.Ticks(1);
    EXPECT_EQ(Text(g.gfx, 125, 544), "10") << "the chosen level in digits";
    EXPECT_EQ(std::count_if(g.gfx.draws.begin(), g.gfx.draws.end(),
                            [](const Draw& d) { return d.mx == 191 && d.sy == 135; }),
              9)
        << "a marker at every other level";
    EXPECT_EQ(Text(g.gfx, 214, 440), "02");
    EXPECT_EQ(Text(g.gfx, 255, 440), "05");
    EXPECT_EQ(Text(g.gfx, 339, 344), "12345678") << "the first eight digits";
    EXPECT_EQ(Text(g.gfx, 380, 344), "007");
    EXPECT_TRUE(Drew(g.gfx, {0, 0, 368, 344, 174, 28, 34})) << "sevens off: the on label dim";
    EXPECT_TRUE(Drew(g.gfx, {0, 157, 340, 520, 174, 28, 49})) << "and the off label lit";
}

TEST(Sheet, TheScenesCutExactlyTheListedRectangles) {
    Game g;
    g.Load();
    g.Ticks(202);  // the logo, then the title
    g.form.LngHiScore = 12345678;
    g.form.LngMaxChain = 9;
    for (int16_t off : {0, 1}) {
        for (int32_t level = 1; level <= 10; ++level) {
            g.form.IntScene = 96;
            g.form.FlgSevenOff = off;
            g.form.LngLevel = level;
            g.form.IntBgmNo = static_cast<int16_t>(1 + level % 3);
            g.form.IntBgNo = static_cast<int16_t>(1 + level % 5);
            g.Ticks(1);
        }
    }
    g.form.IntScene = 97;
    g.form.IntFallCnt = 0;
    g.Ticks(140);
    SetWell(g.form, "1234567/1234567");
    for (int x = 0; x < 7; ++x) g.form.StrDelFlg(x, 12) = "1";
    g.form.SubBlockDelAni(0);
    g.form.LngScore = 12345678;
    const int16_t chains[] = {10, 23, 45, 67, 89};  // every large digit
    for (int16_t k = 0; k < 5; ++k) {
        g.form.IntChainShow = chains[k];
        g.form.IntChainTime = 5;
        g.form.IntVeskNo = k;
        g.form.IntVeskTime = 5;
        g.form.SubBlockDraw();
    }
    g.form.IntScene = 4;
    g.Ticks(1);

    std::set<std::vector<double>> listed, cut;
    std::ifstream in(SW_SHEET_RECTS);
    ASSERT_TRUE(in) << SW_SHEET_RECTS;
    for (std::string line; std::getline(in, line);) {
        std::istringstream f(line);
        std::string name;
        double x, y, w, h;
        if (line[0] != '#' && f >> name >> x >> y >> w >> h) listed.insert({x, y, w, h});
    }
    for (const Draw& d : g.gfx.sheetCuts) cut.insert({d.mx, d.my, d.w, d.h});
    for (const auto& r : cut)
        EXPECT_TRUE(listed.count(r))
            << "cut but not listed: " << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
    for (const auto& r : listed)
        EXPECT_TRUE(cut.count(r)) << "listed but never cut: " << r[0] << " " << r[1];
}
