// Whole-game checks beside the recorded call transcripts of tests/calls/:
// Escape in every scene, the other keys where no scene takes them, a
// refused score file at start-up, and the sprite sheet, whose list of
// rectangles must be exactly what the scenes cut from it.
#include <gtest/gtest.h>

#include "doubles.h"
#include "game/keycodes.h"

using namespace swtest;
using namespace sw;

TEST(Keys, EscapeEndsEverySceneAtOnceAndOtherScenesTakeNoKeys) {
    for (int16_t scene : {0, 1, 2, 3, 4, 96, 97, 98, 99}) {
        for (int16_t key : {kKeyEscape, kKeyBack, kKeyEnter, kKeyLeft, kKeyUp, kKeyRight, kKeyDown,
                            kKeyR, int16_t{65}}) {
            if (key != kKeyEscape && (scene == 0 || scene == 96 || scene == 98)) continue;
            Game g;
            g.Load();
            Set(g.form, "IntFallCnt=0 IntScene=" + std::to_string(scene));
            g.io.calls.clear();
            const GameState before = g.form;
            if (key == kKeyEscape)
                EXPECT_THROW(g.Key(key), ProgramEnded) << scene;
            else
                g.Key(key);
            EXPECT_TRUE(static_cast<const GameState&>(g.form) == before && g.io.calls.empty())
                << scene << " " << key;
        }
    }
}

TEST(StartUp, ARefusedFileEndsTheProgramBeforeAnyWindowOrSound) {
    Game g;
    g.plat.WriteScore("000004560\r\n000000071\r\n");
    EXPECT_THROW(g.form.Form_Load(), ProgramEnded);
    EXPECT_TRUE(g.io.calls.empty());
}

TEST(Sheet, TheScenesCutExactlyTheListedRectangles) {
    Game g;
    g.Load();
    g.Ticks(202);  // the logo, then the title
    Set(g.form, "LngHiScore=12345678 LngMaxChain=9");
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
    EXPECT_EQ(g.io.sheetCuts, listed) << "x y w h of every rectangle cut, and of every one listed";
}
