// Whole-game scenarios: start-up, the scenes of the tick and the clock,
// driven through the timer and the key handler as the platform would.
#include <gtest/gtest.h>

#include <algorithm>

#include "doubles.h"
#include "game/keycodes.h"

using namespace swtest;

namespace {

constexpr int16_t kBack = sw::kKeyBack, kEnter = sw::kKeyEnter, kEsc = sw::kKeyEscape,
                  kLeft = sw::kKeyLeft, kUp = sw::kKeyUp, kRight = sw::kKeyRight,
                  kDown = sw::kKeyDown, kR = sw::kKeyR;

bool Has(const std::vector<std::string>& calls, const std::string& c) {
    return std::find(calls.begin(), calls.end(), c) != calls.end();
}

bool Drew(const FakeGraphics& g, const Draw& d) {
    return std::find(g.draws.begin(), g.draws.end(), d) != g.draws.end();
}

// A loaded game standing in the fall scene with an empty well.
void ToPlay(Game& g, int32_t level = 1) {
    g.Load();
    g.form.IntScene = 0;
    g.form.IntFallCnt = 0;
    g.form.LngLevel = level;
    g.gfx.Clear();
    g.snd.calls.clear();
}

}  // namespace

TEST(StartUp, SetsTheFirstValuesAndLoadsInOrder) {
    Game g;
    g.plat.WriteScore("000004560\r\n000000070\r\n");
    g.form.Form_Load();
    const sw::Form1& f = g.form;
    EXPECT_EQ(f.IntScene, 99);
    EXPECT_EQ(f.IntFallCnt, 0);
    EXPECT_EQ(WellRows(f.StrBlock), Bottom({}));
    EXPECT_NE(f.IntPairNo(0) + f.IntPairNo(1), 7);
    EXPECT_EQ(f.FlgPair, -1);
    EXPECT_EQ(f.LngLevel, 1);
    EXPECT_EQ(f.LngScore, 0);
    EXPECT_EQ(f.SngTime, 0.0f);
    EXPECT_EQ(f.IntBgNo, 1);
    EXPECT_EQ(f.IntBgmNo, 1);
    EXPECT_EQ(f.FlgSevenOff, 0);
    EXPECT_EQ(f.LngHiScore, 456);
    EXPECT_EQ(f.LngMaxChain, 7);
    EXPECT_EQ(f.IntInterval, 10);
    EXPECT_EQ(g.plat.timer1, 10);
    EXPECT_FALSE(g.plat.cursorShown);
    EXPECT_TRUE(g.plat.soundOpen);
    for (int i = 1; i <= 10; ++i) EXPECT_EQ(f.VarLvUp(i), 30 << i) << i;
    EXPECT_EQ(f.VarLvUp(0), 0);
    EXPECT_EQ(f.VarLvUp(11), 0);
    EXPECT_EQ(g.gfx.calls, (std::vector<std::string>{"init", "PicLoad 0 etc.bmp -1"}));
    EXPECT_EQ(g.snd.calls,
              (std::vector<std::string>{"load 0 enter.wav", "load 1 select.wav", "load 2 on.wav",
                                        "load 3 del.wav", "load 4 change.wav", "load 5 lvup.wav",
                                        "load 6 gameover.wav", "load 7 bgm01.wav"}));
}

TEST(StartUp, RefusedScoreFileEndsBeforeAnyWindowOrSound) {
    Game g;
    g.plat.WriteScore("000004560\r\n000000071\r\n");
    EXPECT_THROW(g.form.Form_Load(), sw::ProgramEnded);
    EXPECT_EQ(g.plat.messages, std::vector<std::string>{"score.iniのファイルが不正です。"});
    EXPECT_EQ(g.plat.ended, std::vector<int>{1});
    EXPECT_TRUE(g.gfx.calls.empty());
    EXPECT_TRUE(g.snd.calls.empty());
    EXPECT_EQ(g.plat.timer1, 0);
}

TEST(StartUp, SameSeedSameGameOtherSeedOtherPairs) {
    auto deals = [](uint32_t seed) {
        Game g;
        g.plat.seed = seed;
        g.Load();
        std::vector<int> d;
        for (int i = 0; i < 20; ++i) {
            g.form.SubBlockCls();
            d.push_back(g.form.IntPairNo(0) * 10 + g.form.IntPairNo(1));
        }
        return d;
    };
    EXPECT_EQ(deals(11), deals(11));
    EXPECT_NE(deals(11), deals(12));
}

TEST(Logo, ShowsFor201TicksThenLoadsTheMenus) {
    Game g;
    g.Load();
    g.gfx.Clear();
    g.Ticks(200);
    EXPECT_EQ(g.form.IntScene, 99);
    EXPECT_EQ(g.form.IntFallCnt, 200);
    EXPECT_EQ(g.gfx.flips, 200);
    EXPECT_EQ(std::count(g.gfx.calls.begin(), g.gfx.calls.end(), "PicLoad 0 logo.bmp 0"), 200);
    g.Ticks(1);
    EXPECT_EQ(g.form.IntScene, 98);
    EXPECT_EQ(g.form.IntFallCnt, 0);
    EXPECT_EQ(g.gfx.slots[0], "etc.bmp");
    EXPECT_EQ(g.gfx.slots[1], "title.bmp");
    EXPECT_EQ(g.gfx.slots[2], "bgmst.bmp");
    EXPECT_TRUE(Has(g.gfx.calls, "PicLoad 0 etc.bmp -1"));
    EXPECT_TRUE(Has(g.gfx.calls, "PicLoad 2 bgmst.bmp -1"));
    g.gfx.Clear();
    g.Ticks(1);
    EXPECT_TRUE(Drew(g.gfx, {1, 0, 0, 0, 0, 480, 640}));
    EXPECT_TRUE(Drew(g.gfx, {0, 256, 0, 452, 303, 32, 32}));
}

TEST(Title, CursorWrapsAndEnterLeads) {
    Game g;
    g.Load();
    g.form.IntScene = 98;
    struct {
        int16_t key;
        int16_t cursor;
    } steps[] = {{kUp, 2}, {kUp, 1}, {kDown, 2}, {kDown, 0}, {kLeft, 0}, {kR, 0}};
    for (const auto& s : steps) {
        g.snd.calls.clear();
        g.Key(s.key);
        EXPECT_EQ(g.form.IntCursor, s.cursor);
        const bool sounds = s.key == kUp || s.key == kDown;
        EXPECT_EQ(g.snd.calls, sounds ? std::vector<std::string>{"play 1 NON_LOOP"}
                                      : std::vector<std::string>{});
    }
    g.Ticks(1);
    EXPECT_TRUE(Drew(g.gfx, {0, 256, 0, 452, 303, 32, 32}));

    g.form.IntCursor = 1;
    g.snd.calls.clear();
    g.Key(kEnter);
    EXPECT_EQ(g.form.IntScene, 96);
    EXPECT_EQ(g.form.IntCursor, 0);
    EXPECT_EQ(g.gfx.backdrop, "white.bmp");
    EXPECT_TRUE(Has(g.gfx.calls, "PicLoad 3 conf.bmp -1"));
    EXPECT_TRUE(Has(g.gfx.calls, "PicLoad 4 bg001.bmp -1"));
    EXPECT_EQ(g.snd.calls, std::vector<std::string>{"play 0 NON_LOOP"});
}

TEST(Title, QuitItemEndsAtOnceWithoutSound) {
    Game g;
    g.Load();
    g.form.IntScene = 98;
    g.form.IntCursor = 2;
    g.snd.calls.clear();
    EXPECT_THROW(g.Key(kEnter), sw::ProgramEnded);
    EXPECT_TRUE(g.snd.calls.empty());
    EXPECT_EQ(g.gfx.calls.back(), "EndIt");
}

TEST(Escape, EndsEveryScene) {
    for (int16_t scene : {0, 1, 2, 3, 4, 96, 97, 98, 99}) {
        Game g;
        g.Load();
        g.form.IntScene = scene;
        g.snd.calls.clear();
        const sw::GameState before = g.form;
        EXPECT_THROW(g.Key(kEsc), sw::ProgramEnded) << scene;
        EXPECT_TRUE(g.snd.calls.empty()) << scene;
        EXPECT_TRUE(static_cast<const sw::GameState&>(g.form) == before) << "nothing ran after";
        EXPECT_EQ(g.gfx.calls.back(), "EndIt");
    }
}

TEST(Ready, CaptionsThenPlayOnThe141stTick) {
    Game g;
    g.Load();
    g.form.IntScene = 98;
    g.form.IntCursor = 0;
    g.snd.calls.clear();
    g.Key(kEnter);
    EXPECT_EQ(g.form.IntScene, 97);
    EXPECT_EQ(g.gfx.backdrop, "bg001.bmp");
    EXPECT_EQ(g.snd.calls, (std::vector<std::string>{"play 7 LOOP", "play 0 NON_LOOP"}));
    const Draw first{0, 0, 71, 227, 212, 60, 186}, second{0, 222, 71, 261, 212, 60, 118};
    for (int tick = 1; tick <= 140; ++tick) {
        g.gfx.Clear();
        g.Ticks(1);
        ASSERT_EQ(Drew(g.gfx, first), tick <= 69) << tick;
        ASSERT_EQ(Drew(g.gfx, second), tick >= 70 && tick <= 139) << tick;
        ASSERT_EQ(g.form.IntScene, tick == 140 ? 0 : 97) << tick;
        ASSERT_EQ(g.gfx.flips, 1);
    }
    EXPECT_EQ(g.form.IntFallCnt, 0);
    g.Ticks(1);
    EXPECT_EQ(g.form.IntPairY(0), 1) << "the 141st tick is the first fall step";
}

TEST(Fall, StepAndLandingTestByLevel) {
    struct {
        int32_t level;
        int16_t step;
        int ticksPerRow;
    } cases[] = {{1, 1, 33}, {3, 1, 33}, {4, 2, 17}, {8, 2, 17}, {9, 4, 9}, {10, 4, 9}};
    for (const auto& c : cases) {
        Game g;
        ToPlay(g, c.level);
        g.Ticks(1);
        EXPECT_EQ(g.form.IntPairY(0), c.step);
        EXPECT_EQ(g.form.IntPairY(1), c.step);
        g.Ticks(c.ticksPerRow - 2);
        EXPECT_EQ(g.form.IntFallCnt, 32) << c.level;
        EXPECT_EQ(g.form.IntPairY(0), 32);
        // The landing test: nothing below, the pair stays and the count resets.
        g.Ticks(1);
        EXPECT_EQ(g.form.IntFallCnt, 0);
        EXPECT_EQ(g.form.IntPairY(0), 32);
        EXPECT_EQ(g.form.IntScene, 0);
        g.Ticks(c.ticksPerRow);
        EXPECT_EQ(g.form.IntPairY(0), 64) << "one row every " << c.ticksPerRow << " ticks";
        EXPECT_EQ(g.form.IntFallCnt, 0);
    }
}

TEST(Fall, LandingWithNothingToDeleteGoesZeroOneZero) {
    Game g;
    ToPlay(g);
    g.form.IntPairNo(0) = 1;
    g.form.IntPairNo(1) = 2;
    g.form.LngMaxChain = 0;
    g.Key(kDown);
    EXPECT_EQ(g.snd.calls, std::vector<std::string>{"play 2 NON_LOOP"});
    EXPECT_EQ(g.form.FlgPair, 0);
    EXPECT_EQ(g.form.IntFallCnt, 32);
    g.gfx.Clear();
    g.Ticks(1);
    EXPECT_EQ(g.form.IntScene, 1);
    EXPECT_EQ(g.gfx.flips, 2) << "a landing tick draws twice";
    EXPECT_EQ(WellRows(g.form.StrBlock), Bottom({"...12.."}));
    EXPECT_EQ(g.form.FlgPair, 0);
    g.gfx.Clear();
    g.Ticks(1);
    EXPECT_EQ(g.gfx.flips, 0) << "the search draws nothing";
    EXPECT_EQ(g.form.IntScene, 0);
    EXPECT_EQ(g.form.FlgPair, -1);
    EXPECT_EQ(g.form.IntChainShow, 0);
    EXPECT_EQ(g.form.IntChainTime, 2000);
    EXPECT_EQ(g.form.LngMaxChain, 0);
}

TEST(Fall, TwoStepChain) {
    Game g;
    ToPlay(g);
    SetWell(g.form, Bottom({"2......", "3......", "56....."}));
    g.form.IntPairX(0) = 32;
    g.form.IntPairX(1) = 64;
    g.form.IntPairNo(0) = 4;
    g.form.IntPairNo(1) = 4;
    g.Key(kDown);
    g.Ticks(1);  // lands, packs
    ASSERT_EQ(g.form.IntScene, 1);
    g.Ticks(1);  // search finds 3 + 4
    ASSERT_EQ(g.form.IntScene, 2);
    EXPECT_EQ(g.form.LngChain, 1);
    EXPECT_TRUE(Has(g.snd.calls, "play 3 NON_LOOP"));
    g.gfx.Clear();
    g.Ticks(21);  // 21 blink frames, the deletion in the last
    EXPECT_EQ(g.gfx.flips, 21);
    EXPECT_EQ(g.form.IntScene, 1);
    EXPECT_EQ(g.form.LngScore, 2);
    EXPECT_EQ(WellRows(g.form.StrBlock), Bottom({"2......", "564...."}));
    g.Ticks(1);  // search finds 2 + 5
    EXPECT_EQ(g.form.LngChain, 2);
    g.Ticks(21);
    EXPECT_EQ(g.form.LngScore, 2 + 2 * 2);
    g.Ticks(1);  // nothing more: the chain ends
    EXPECT_EQ(g.form.IntScene, 0);
    EXPECT_EQ(g.form.IntChainShow, 2);
    EXPECT_EQ(g.form.LngMaxChain, 2);
    EXPECT_EQ(g.form.FlgPair, -1);
    g.Ticks(1);
    EXPECT_EQ(g.form.LngChain, 0) << "the fall tick clears the chain count";
}

TEST(Blink, PhasesAlternateZeroOneEndingOnZero) {
    Game g;
    ToPlay(g);
    SetWell(g.form, Bottom({"34....."}));
    g.form.IntScene = 1;
    g.Ticks(1);
    std::string phases;
    for (int i = 0; i < 21; ++i) {
        g.gfx.Clear();
        g.Ticks(1);
        phases += Drew(g.gfx, {0, 64, 32, 208, 416, 32, 32}) ? '0' : '1';
    }
    EXPECT_EQ(phases, "010101010101010101010");
    EXPECT_EQ(g.form.IntScene, 1);
}

TEST(GameOver, SavesInItsTickAndReturnsToTheTitle) {
    struct {
        int32_t level;
        int frames;
    } cases[] = {{1, 300}, {4, 299}, {9, 297}};
    for (const auto& c : cases) {
        Game g;
        g.plat.WriteScore("000001000\r\n000000030\r\n");
        ToPlay(g, c.level);
        g.form.LngScore = 1234;
        g.form.StrBlock(3, 1) = "5";
        g.form.StrBlock(3, 12) = "5";
        g.Ticks(1);
        EXPECT_EQ(g.form.IntScene, 4);
        EXPECT_EQ(g.snd.calls, (std::vector<std::string>{"stop 7", "play 6 NON_LOOP"}));
        EXPECT_EQ(g.plat.ReadScore(), "000012340\r\n000000030\r\n") << "saved in the tick";
        EXPECT_EQ(g.form.LngHiScore, 1234);
        EXPECT_EQ(g.form.IntFallCnt, sw::FallStep(c.level));
        EXPECT_EQ(g.gfx.flips, 1) << "the frame is still drawn";
        int frames = 0;
        while (g.form.IntScene == 4 && frames < 1000) {
            g.Ticks(1);
            ++frames;
        }
        EXPECT_EQ(frames, c.frames) << c.level;
        EXPECT_EQ(g.form.IntScene, 98);
        EXPECT_EQ(g.form.LngLevel, 1);
        EXPECT_EQ(g.form.IntCursor, 0);
        EXPECT_EQ(g.form.LngScore, 0);
        EXPECT_EQ(WellRows(g.form.StrBlock), Bottom({}));
    }
}

TEST(GameOver, DrawsWellBannerAndNoPair) {
    Game g;
    ToPlay(g);
    g.form.IntScene = 4;
    g.form.StrBlock(0, 12) = "6";
    g.form.IntPairNo(0) = 2;
    g.Ticks(1);
    EXPECT_TRUE(Drew(g.gfx, {0, 160, 0, 208, 416, 32, 32}));
    EXPECT_TRUE(Drew(g.gfx, {0, 0, 142, 141, 219, 44, 357}));
    EXPECT_FALSE(Drew(g.gfx, {0, 32, 0, 208 + 96, 32, 32, 32}));
}

TEST(Clock, CountsOnlyInPlay) {
    Game g;
    g.Load();
    for (int16_t scene : {0, 1, 2, 3, 4, 96, 97, 98, 99, 5}) {
        g.form.IntScene = scene;
        g.form.SngTime = 10;
        g.form.Timer2_Timer();
        EXPECT_EQ(g.form.SngTime, scene <= 3 ? 11.0f : 10.0f) << scene;
    }
}

TEST(Tick, UnknownSceneDoesNothing) {
    Game g;
    g.Load();
    g.form.IntScene = 5;
    g.gfx.Clear();
    const sw::GameState before = g.form;
    g.Ticks(3);
    EXPECT_TRUE(static_cast<const sw::GameState&>(g.form) == before);
    EXPECT_EQ(g.gfx.flips, 0);
}

TEST(Restart, DuringFallOnlyKeepsLevelAndCount) {
    Game g;
    ToPlay(g, 5);
    g.form.LngScore = 77;
    g.form.SngTime = 30;
    g.form.StrBlock(2, 12) = "4";
    g.form.FlgPair = 0;  // even with no pair under control
    g.form.IntFallCnt = 12;
    g.Key(kR);
    EXPECT_EQ(g.form.IntScene, 97);
    EXPECT_EQ(g.gfx.backdrop, "bg001.bmp");
    EXPECT_EQ(g.snd.calls, std::vector<std::string>{"play 7 LOOP"});
    EXPECT_EQ(g.form.LngScore, 0);
    EXPECT_EQ(g.form.SngTime, 0.0f);
    EXPECT_EQ(WellRows(g.form.StrBlock), Bottom({}));
    EXPECT_EQ(g.form.LngLevel, 5);
    EXPECT_EQ(g.form.IntFallCnt, 12);
    EXPECT_EQ(g.form.FlgPair, -1);
    // The ready count goes on from 12: the first caption is shorter.
    g.Ticks(57);
    EXPECT_EQ(g.form.IntFallCnt, 69);
    for (int16_t scene : {1, 2, 3, 4}) {
        Game h;
        ToPlay(h);
        h.form.IntScene = scene;
        h.form.LngScore = 9;
        h.Key(kR);
        EXPECT_EQ(h.form.IntScene, scene);
        EXPECT_EQ(h.form.LngScore, 9);
        EXPECT_TRUE(h.snd.calls.empty());
    }
}

struct MoveCase {
    const char* name;
    friend void PrintTo(const MoveCase& c, std::ostream* os) { *os << c.name; }
    std::vector<std::string> well;
    int x0, y;  // left block's x, both blocks' y
    int16_t key;
    int x0After;
};

class Moves : public ::testing::TestWithParam<MoveCase> {};

TEST_P(Moves, TestTheCellsBesideThePair) {
    const MoveCase& c = GetParam();
    Game g;
    ToPlay(g);
    SetWell(g.form, c.well);
    g.form.IntPairX(0) = c.x0;
    g.form.IntPairX(1) = c.x0 + 32;
    g.form.IntPairY(0) = c.y;
    g.form.IntPairY(1) = c.y;
    g.form.IntFallCnt = 7;
    g.Key(c.key);
    EXPECT_EQ(g.form.IntPairX(0), c.x0After);
    EXPECT_EQ(g.form.IntPairX(1), c.x0After + 32);
    EXPECT_EQ(g.form.IntPairY(0), c.y);
    EXPECT_EQ(g.form.IntFallCnt, 7);
    EXPECT_TRUE(g.snd.calls.empty()) << "moves make no sound";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Moves,
    ::testing::Values(
        MoveCase{"right_free", Bottom({}), 96, 100, kRight, 128},
        MoveCase{"left_free", Bottom({}), 96, 100, kLeft, 64},
        MoveCase{"right_wall", Bottom({}), 160, 0, kRight, 160},
        MoveCase{"left_wall", Bottom({}), 0, 0, kLeft, 0},
        // Rows 4 to 5 (y 140): a block in row 5 beside the pair stops it.
        MoveCase{"right_blocked_below",
                 {".......", ".......", ".......", ".......", ".......", "......3", ".......",
                  ".......", ".......", ".......", ".......", ".......", "......."},
                 128,
                 140,
                 kRight,
                 128},
        MoveCase{"left_blocked_below",
                 {".......", ".......", ".......", ".......", ".......", "..3....", ".......",
                  ".......", ".......", ".......", ".......", ".......", "......."},
                 96,
                 140,
                 kLeft,
                 96},
        // On a row boundary the cell below the target is tested too.
        MoveCase{"boundary_tests_below",
                 Bottom({".....1.", ".....1.", ".....1.", ".....1.", ".....1.", ".....1.",
                         ".....1.", ".....1."}),
                 96, 128, kRight, 96},
        MoveCase{"bottom_row_occupied", Bottom({".....5."}), 96, 384, kRight, 96},
        MoveCase{"bottom_row_free", Bottom({"......."}), 96, 384, kRight, 128},
        MoveCase{"bottom_row_left_occupied", Bottom({"..5...."}), 96, 384, kLeft, 96}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Keys, TurnSwapsDigitsAndDropLandsEachColumn) {
    Game g;
    ToPlay(g);
    g.form.IntPairNo(0) = 3;
    g.form.IntPairNo(1) = 5;
    g.Key(kUp);
    EXPECT_EQ(g.form.IntPairNo(0), 5);
    EXPECT_EQ(g.form.IntPairNo(1), 3);
    EXPECT_EQ(g.snd.calls, std::vector<std::string>{"play 2 NON_LOOP"});

    SetWell(g.form, Bottom({"....1..", "....1..", "....1..", "....1.."}));
    g.Key(kDown);
    EXPECT_EQ(g.form.IntPairY(0), 384);
    EXPECT_EQ(g.form.IntPairY(1), 256);
    EXPECT_EQ(g.form.FlgPair, 0);
    g.snd.calls.clear();
    g.Key(kLeft);
    g.Key(kUp);
    EXPECT_EQ(g.form.IntPairX(0), 96) << "a dropped pair answers no key";
    EXPECT_TRUE(g.snd.calls.empty());
    g.Ticks(1);
    EXPECT_EQ(WellRows(g.form.StrBlock),
              Bottom({"....3..", "....1..", "....1..", "....1..", "...51.."}));
}

TEST(Keys, OtherScenesTakeNoKeys) {
    for (int16_t scene : {1, 2, 3, 4, 97, 99}) {
        for (int16_t key : {kBack, kEnter, kLeft, kUp, kRight, kDown, kR, int16_t{65}}) {
            Game g;
            g.Load();
            g.form.IntScene = scene;
            g.snd.calls.clear();
            g.gfx.Clear();
            const sw::GameState before = g.form;
            g.Key(key);
            EXPECT_TRUE(static_cast<const sw::GameState&>(g.form) == before) << scene << " " << key;
            EXPECT_TRUE(g.snd.calls.empty());
            EXPECT_TRUE(g.gfx.calls.empty());
        }
    }
}

struct OptionCase {
    const char* name;
    friend void PrintTo(const OptionCase& c, std::ostream* os) { *os << c.name; }
    int16_t cursor;
    int16_t key;
    // before
    int32_t level;
    int16_t sevenOff, bgm, bg;
    // after
    int32_t levelAfter;
    int16_t sevenOffAfter, bgmAfter, bgAfter, cursorAfter, sceneAfter;
    std::vector<std::string> sounds;
    std::vector<std::string> pictures;
};

class Options : public ::testing::TestWithParam<OptionCase> {};

TEST_P(Options, EveryKeyWithItsSoundOrSilence) {
    const OptionCase& c = GetParam();
    Game g;
    g.Load();
    g.form.IntScene = 96;
    g.form.IntCursor = c.cursor;
    g.form.LngLevel = c.level;
    g.form.FlgSevenOff = c.sevenOff;
    g.form.IntBgmNo = c.bgm;
    g.form.IntBgNo = c.bg;
    g.snd.calls.clear();
    g.gfx.Clear();
    g.Key(c.key);
    EXPECT_EQ(g.form.LngLevel, c.levelAfter);
    EXPECT_EQ(g.form.FlgSevenOff, c.sevenOffAfter);
    EXPECT_EQ(g.form.IntBgmNo, c.bgmAfter);
    EXPECT_EQ(g.form.IntBgNo, c.bgAfter);
    EXPECT_EQ(g.form.IntCursor, c.cursorAfter);
    EXPECT_EQ(g.form.IntScene, c.sceneAfter);
    EXPECT_EQ(g.snd.calls, c.sounds);
    EXPECT_EQ(g.gfx.calls, c.pictures);
}

using S = std::vector<std::string>;
INSTANTIATE_TEST_SUITE_P(
    Cases, Options,
    ::testing::Values(
        OptionCase{"up_wraps", 0, kUp, 1, 0, 1, 1, 1, 0, 1, 1, 4, 96,
                   S{"stop 7", "play 1 NON_LOOP"}, S{}},
        OptionCase{"down_wraps", 4, kDown, 1, 0, 1, 1, 1, 0, 1, 1, 0, 96,
                   S{"stop 7", "play 1 NON_LOOP"}, S{}},
        OptionCase{"level_up", 0, kRight, 3, 0, 1, 1, 4, 0, 1, 1, 0, 96, S{"play 0 NON_LOOP"}, S{}},
        OptionCase{"level_top_silent", 0, kRight, 10, 0, 1, 1, 10, 0, 1, 1, 0, 96, S{}, S{}},
        OptionCase{"level_bottom_silent", 0, kLeft, 1, 0, 1, 1, 1, 0, 1, 1, 0, 96, S{}, S{}},
        OptionCase{"level_down", 0, kLeft, 10, 0, 1, 1, 9, 0, 1, 1, 0, 96, S{"play 0 NON_LOOP"},
                   S{}},
        OptionCase{"sevens_off", 1, kRight, 1, 0, 1, 1, 1, 1, 1, 1, 1, 96, S{"play 0 NON_LOOP"},
                   S{}},
        OptionCase{"sevens_on", 1, kLeft, 1, 1, 1, 1, 1, 0, 1, 1, 1, 96, S{"play 0 NON_LOOP"}, S{}},
        OptionCase{"music_wraps_up", 2, kRight, 1, 0, 3, 1, 1, 0, 1, 1, 2, 96,
                   S{"load 7 bgm01.wav", "play 7 LOOP"}, S{}},
        OptionCase{"music_wraps_down", 2, kLeft, 1, 0, 1, 1, 1, 0, 3, 1, 2, 96,
                   S{"load 7 bgm03.wav", "play 7 LOOP"}, S{}},
        OptionCase{"background_wraps_down", 3, kLeft, 1, 0, 1, 1, 1, 0, 1, 5, 3, 96,
                   S{"play 0 NON_LOOP"}, S{"PicLoad 4 bg005.bmp 0"}},
        OptionCase{"background_wraps_up", 3, kRight, 1, 0, 1, 5, 1, 0, 1, 1, 3, 96,
                   S{"play 0 NON_LOOP"}, S{"PicLoad 4 bg001.bmp 0"}},
        OptionCase{"row4_sideways_nothing", 4, kRight, 1, 0, 1, 1, 1, 0, 1, 1, 4, 96, S{}, S{}},
        OptionCase{"row4_enter_sound_only", 4, kEnter, 1, 0, 1, 1, 1, 0, 1, 1, 4, 96,
                   S{"play 0 NON_LOOP"}, S{}},
        OptionCase{"row0_enter_nothing", 0, kEnter, 1, 0, 1, 1, 1, 0, 1, 1, 0, 96, S{}, S{}},
        OptionCase{"back_to_title", 3, kBack, 4, 1, 2, 3, 4, 1, 2, 3, 0, 98, S{"play 0 NON_LOOP"},
                   S{}},
        OptionCase{"r_nothing", 2, kR, 1, 0, 1, 1, 1, 0, 1, 1, 2, 96, S{}, S{}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OptionsScreen, DrawsEveryValue) {
    Game g;
    g.Load();
    g.form.IntScene = 96;
    g.form.IntCursor = 3;
    g.form.LngLevel = 10;
    g.form.FlgSevenOff = 1;
    g.form.IntBgmNo = 2;
    g.form.IntBgNo = 5;
    g.form.LngHiScore = 123456789;
    g.form.LngMaxChain = 7;
    g.gfx.Clear();
    g.Ticks(1);
    const auto& d = g.gfx.draws;
    EXPECT_EQ(d[0], (Draw{4, 0, 0, 0, 0, 480, 640}));
    EXPECT_EQ(d[1], (Draw{3, 0, 0, 35, 0, 480, 605}));
    EXPECT_EQ(d[2], (Draw{0, 256, 0, 32, 255, 32, 32}));
    // Level 10: a 1 at x 544 and a 0 at x 563, markers at the nine others.
    EXPECT_TRUE(Drew(g.gfx, {0, 19, 185, 544, 125, 33, 19}));
    EXPECT_TRUE(Drew(g.gfx, {0, 0, 185, 563, 125, 33, 19}));
    EXPECT_EQ(std::count_if(d.begin(), d.end(), [](const Draw& x) { return x.mx == 191; }), 9);
    // Sevens off: the right label lit, the left one dim.
    EXPECT_TRUE(Drew(g.gfx, {0, 0, 368, 344, 174, 28, 34}));
    EXPECT_TRUE(Drew(g.gfx, {0, 157, 340, 520, 174, 28, 49}));
    EXPECT_TRUE(Drew(g.gfx, {0, 80, 340, 444, 174, 31, 32}));
    // Music 02 and background 05 between their marks.
    EXPECT_TRUE(Drew(g.gfx, {0, 216, 189, 344, 217, 30, 28}));
    EXPECT_TRUE(Drew(g.gfx, {0, 0, 185, 440, 214, 33, 19}));
    EXPECT_TRUE(Drew(g.gfx, {0, 38, 185, 459, 214, 33, 19}));
    EXPECT_TRUE(Drew(g.gfx, {0, 247, 189, 549, 258, 30, 28}));
    EXPECT_TRUE(Drew(g.gfx, {0, 95, 185, 459, 255, 33, 19}));
    // A nine-digit best score shows its first eight digits; chain 007.
    const int score[] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int k = 0; k < 8; ++k) {
        EXPECT_TRUE(Drew(g.gfx, {0, 19.0 * score[k], 185, 344.0 + 19 * k, 339, 33, 19})) << k;
    }
    EXPECT_TRUE(Drew(g.gfx, {0, 0, 185, 344, 380, 33, 19}));
    EXPECT_TRUE(Drew(g.gfx, {0, 0, 185, 363, 380, 33, 19}));
    EXPECT_TRUE(Drew(g.gfx, {0, 133, 185, 382, 380, 33, 19}));
    EXPECT_EQ(g.gfx.flips, 1);
    EXPECT_EQ(static_cast<const sw::GameState&>(g.form).IntCursor, 3) << "the tick changes nothing";
}
