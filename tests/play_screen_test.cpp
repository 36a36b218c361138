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

// The n glyphs drawn in one row from x on, as text ("07", "01:01:01"), a
// blank where none is drawn: the small digits (19 wide) or the large ones
// (47). The small colon sits right after the 9 on the sheet, as ':' follows
// '9'.
std::string Text(const FakeGraphics& g, double y, double x, int n, bool large = false) {
    const double w = large ? 47 : 19;
    std::string text(n, ' ');
    for (const Draw& d : g.draws) {
        const int k = static_cast<int>((d.sx - x) / w);
        if (d.slot == 0 && d.sy == y && d.w == w && d.my == (large ? 224 : 185) && d.sx >= x &&
            k < n && d.sx == x + k * w)
            text[k] = static_cast<char>('0' + static_cast<int>(d.mx / w));
    }
    return text;
}

bool Drew(const FakeGraphics& g, const Draw& d) {
    return std::find(g.draws.begin(), g.draws.end(), d) != g.draws.end();
}

}  // namespace

TEST(PlayScreen, LevelClockScoreAndChainWithTheirTimers) {
    const struct {
        const char *fields, *level, *clock, *score, *chain, *after;
    } cases[] = {
        {"LngLevel=7 SngTime=0 LngScore=0", "07", "00:00:00", "00000000", "  ", "0 0"},
        {"LngLevel=10 SngTime=3661 LngScore=1234", "10", "01:01:01", "00001234", "  ", "0 0"},
        {"LngLevel=123 SngTime=359999 LngScore=12345678", "12", "99:59:59", "12345678", "  ",
         "0 0"},
        {"LngLevel=1 SngTime=360000 LngScore=123456789", "01", "100:00:0", "12345678", "  ", "0 0"},
        // A chain shows from two links on, a leading 0 left blank, while
        // its time lasts; each showing takes one off.
        {"IntChainShow=1 IntChainTime=2000", "00", "00:00:00", "00000000", "  ", "1 2000"},
        {"IntChainShow=5 IntChainTime=2000", "00", "00:00:00", "00000000", " 5", "5 1999"},
        {"IntChainShow=12 IntChainTime=1", "00", "00:00:00", "00000000", "12", "12 0"},
        {"IntChainShow=123 IntChainTime=1", "00", "00:00:00", "00000000", "12", "123 0"},
        {"IntChainShow=5 IntChainTime=0", "00", "00:00:00", "00000000", "  ", "5 0"},
    };
    for (const auto& c : cases) {
        Game g;
        Set(g.form, c.fields);
        g.form.SubAniSub(0);
        // One position more than each display has: nothing may be drawn there.
        EXPECT_EQ(Text(g.gfx, 66, 40, 3) + Text(g.gfx, 175, 40, 9) + Text(g.gfx, 278, 40, 9) +
                      Text(g.gfx, 40, 440, 2, true),
                  std::string(c.level) + " " + c.clock + " " + c.score + " " + c.chain)
            << c.fields;
        EXPECT_EQ(Drew(g.gfx, {0, 0, 306, 534, 86, 34, 70}), c.chain[1] != ' ') << "the label";
        EXPECT_EQ(Pick(g.form, "IntChainShow IntChainTime"), c.after) << c.fields;
    }
    // The sevens banner lies over the middle of the well, on top of all,
    // for as many showings as its time says.
    Game g;
    Set(g.form, "IntVeskTime=2 IntVeskNo=4 IntChainShow=3 IntChainTime=5");
    std::string banner;
    for (int16_t flag : {-1, 0, 0}) {
        g.gfx.Clear();
        g.form.SubAniSub(flag);
        banner += g.gfx.draws.back() == Draw{0, 472, 440, 238, 213, 35, 163} ? 'B' : '-';
    }
    EXPECT_EQ(banner, "BB-");
}

TEST(OptionsScreen, ShowsTheChosenValuesAndTheRecords) {
    Game g;
    g.Load();
    Set(g.form,
        "IntScene=96 LngLevel=10 FlgSevenOff=1 IntBgmNo=2 IntBgNo=5 LngHiScore=123456789 "
        "LngMaxChain=7");
    g.gfx.Clear();
    g.Ticks(1);
    EXPECT_EQ(Text(g.gfx, 125, 544, 2), "10") << "the chosen level in digits";
    EXPECT_EQ(std::count_if(g.gfx.draws.begin(), g.gfx.draws.end(),
                            [](const Draw& d) { return d.mx == 191 && d.sy == 135; }),
              9)
        << "a marker at every other level";
    EXPECT_EQ(Text(g.gfx, 214, 440, 2), "02");
    EXPECT_EQ(Text(g.gfx, 255, 440, 2), "05");
    EXPECT_EQ(Text(g.gfx, 339, 344, 9), "12345678 ") << "the first eight digits";
    EXPECT_EQ(Text(g.gfx, 380, 344, 4), "007 ");
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
        for (int level = 1; level <= 10; ++level) {
            std::ostringstream o;
            o << "IntScene=96 FlgSevenOff=" << off << " LngLevel=" << level
              << " IntBgmNo=" << 1 + level % 3 << " IntBgNo=" << 1 + level % 5;
            Set(g.form, o.str());
            g.Ticks(1);
        }
    }
    Set(g.form, "IntScene=97 IntFallCnt=0");
    g.Ticks(140);
    SetWell(g.form, "1234567/1234567");
    for (int x = 0; x < 7; ++x) g.form.StrDelFlg(x, 12) = "1";
    g.form.SubBlockDelAni(0);
    g.form.LngScore = 12345678;
    const int16_t chains[] = {10, 23, 45, 67, 89};  // every large digit
    for (int16_t k = 0; k < 5; ++k) {
        Set(g.form, "IntChainTime=5 IntVeskTime=5 IntVeskNo=" + std::to_string(k) +
                        " IntChainShow=" + std::to_string(chains[k]));
        g.form.SubBlockDraw();
    }
    g.form.IntScene = 4;
    g.Ticks(1);

    std::set<std::vector<double>> listed;
    std::ifstream in(SW_SHEET_RECTS);
    ASSERT_TRUE(in) << SW_SHEET_RECTS;
    for (std::string line; std::getline(in, line);) {
        std::istringstream f(line);
        std::string name;
        double x, y, w, h;
        if (line[0] != '#' && f >> name >> x >> y >> w >> h) listed.insert({x, y, w, h});
    }
    auto str = [](const std::vector<double>& r) {
        return std::to_string(r[0]) + " " + std::to_string(r[1]) + " " + std::to_string(r[2]);
    };
    for (const auto& r : g.gfx.sheetCuts) EXPECT_TRUE(listed.count(r)) << "not listed: " << str(r);
    for (const auto& r : listed) EXPECT_TRUE(g.gfx.sheetCuts.count(r)) << "never cut: " << str(r);
}
