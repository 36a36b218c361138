// Whole-game scenarios: start-up, the scenes of the tick, the keys and the
// clock, driven through the timer and the key handler as the platform would.
#include <gtest/gtest.h>

#include <algorithm>

#include "doubles.h"
#include "game/keycodes.h"

using namespace swtest;
using namespace sw;

namespace {

bool Drew(const FakeGraphics& g, const Draw& d) {
    return std::find(g.draws.begin(), g.draws.end(), d) != g.draws.end();
}

// A loaded game standing in a scene (the fall scene with an empty well by
// default) with the given fields set, and the doubles' records cleared.
void Enter(Game& g, int16_t scene = kSceneFall, const std::string& fields = "") {
    g.Load();
    g.form.IntScene = scene;
    Set(g.form, "IntFallCnt=0 LngLevel=1 " + fields);
    g.gfx.Clear();
    g.snd.calls.clear();
}

bool Same(const Game& g, const GameState& before) {
    return static_cast<const GameState&>(g.form) == before;
}

}  // namespace

TEST(StartUp, FirstValuesRecordsLoadsThenTheLogoFor201Ticks) {
    Game g;
    g.plat.WriteScore("000004560\r\n000000070\r\n");
    g.form.Form_Load();
    EXPECT_EQ(Pick(g.form, "IntScene FlgPair LngLevel IntBgNo IntBgmNo FlgSevenOff IntInterval"),
              "99 -1 1 1 1 0 10");
    EXPECT_EQ(Pick(g.form, "LngHiScore LngMaxChain VarLvUp(1) VarLvUp(10)"), "456 7 60 30720");
    EXPECT_EQ(WellRows(g.form.StrBlock), Well(""));
    EXPECT_TRUE(g.plat.timer1 == 10 && !g.plat.cursorShown && g.plat.soundOpen);
    EXPECT_EQ(Calls(g.gfx.calls), "init|PicLoad 0 etc.bmp -1");
    EXPECT_EQ(Calls(g.snd.calls),
              "load 0 enter.wav|load 1 select.wav|load 2 on.wav|load 3 del.wav|load 4 "
              "change.wav|load 5 lvup.wav|load 6 gameover.wav|load 7 bgm01.wav");
    g.gfx.Clear();
    g.Ticks(200);
    EXPECT_EQ(g.form.IntScene * 1000 + g.gfx.flips, 99200);
    EXPECT_EQ(std::count(g.gfx.calls.begin(), g.gfx.calls.end(), "PicLoad 0 logo.bmp 0"), 200);
    g.gfx.Clear();
    g.Ticks(1);
    EXPECT_EQ(Pick(g.form, "IntScene IntFallCnt"), "98 0");
    EXPECT_EQ(Calls(g.gfx.calls),
              "PicLoad 0 logo.bmp 0|PicLoad 0 etc.bmp -1|PicLoad 1 title.bmp 0|PicLoad 2 bgmst.bmp "
              "-1");

    // A refused file ends the program before any window, timer or sound.
    Game r;
    r.plat.WriteScore("000004560\r\n000000071\r\n");
    EXPECT_THROW(r.form.Form_Load(), ProgramEnded);
    EXPECT_EQ(r.plat.ended, std::vector<int>{1});
    EXPECT_TRUE(r.gfx.calls.empty() && r.snd.calls.empty() && r.plat.timer1 == 0);

    auto deals = [](uint32_t seed) {
        Game d;
        d.plat.seed = seed;
        d.Load();
        std::string pairs;
        for (int i = 0; i < 20; ++i, d.form.SubBlockCls()) pairs += Pick(d.form, "IntPairNo(0)");
        return pairs;
    };
    EXPECT_EQ(deals(11), deals(11)) << "the same seed deals the same game";
    EXPECT_NE(deals(11), deals(12));
}

TEST(Title, CursorWrapsEnterLeadsAndQuitEnds) {
    Game g;
    Enter(g, kSceneTitle);
    std::string cursor;
    for (int16_t key : {kKeyUp, kKeyUp, kKeyDown, kKeyDown, kKeyLeft, kKeyR}) {
        g.Key(key);
        cursor += Pick(g.form, "IntCursor");
    }
    EXPECT_EQ(cursor, "212000");
    EXPECT_EQ(Calls(g.snd.calls),
              "play 1 NON_LOOP|play 1 NON_LOOP|play 1 NON_LOOP|play 1 NON_LOOP");
    g.Ticks(1);
    EXPECT_TRUE(Drew(g.gfx, {0, 256, 0, 452, 303, 32, 32})) << "the cursor at the first item";
    Enter(g, kSceneTitle, "IntCursor=1");
    g.Key(kKeyEnter);
    EXPECT_EQ(Pick(g.form, "IntScene IntCursor"), "96 0");
    EXPECT_EQ(Calls(g.gfx.calls),
              "BackLoad white.bmp|PicLoad 3 conf.bmp -1|PicLoad 4 bg001.bmp -1");
    EXPECT_EQ(Calls(g.snd.calls), "play 0 NON_LOOP");
    Enter(g, kSceneTitle, "IntCursor=2");
    EXPECT_THROW(g.Key(kKeyEnter), ProgramEnded);
    EXPECT_EQ(Calls(g.gfx.calls) + Calls(g.snd.calls), "EndIt") << "quits at once, silently";
}

TEST(Keys, EscapeEndsEverySceneAtOnceAndOtherScenesTakeNoKeys) {
    for (int16_t scene : {0, 1, 2, 3, 4, 96, 97, 98, 99}) {
        for (int16_t key : {kKeyEscape, kKeyBack, kKeyEnter, kKeyLeft, kKeyUp, kKeyRight, kKeyDown,
                            kKeyR, int16_t{65}}) {
            if (key != kKeyEscape && (scene == 0 || scene == 96 || scene == 98)) continue;
            Game g;
            Enter(g, scene);
            const GameState before = g.form;
            if (key == kKeyEscape)
                EXPECT_THROW(g.Key(key), ProgramEnded) << scene;
            else
                g.Key(key);
            EXPECT_TRUE(Same(g, before) && g.gfx.draws.empty()) << scene << " " << key;
            EXPECT_EQ(Calls(g.gfx.calls) + Calls(g.snd.calls), key == kKeyEscape ? "EndIt" : "");
        }
    }
}

TEST(Ready, CaptionsThenPlayOnThe141stTick) {
    Game g;
    Enter(g, kSceneTitle);
    g.Key(kKeyEnter);
    EXPECT_EQ(Calls(g.gfx.calls) + " " + Calls(g.snd.calls),
              "BackLoad bg001.bmp play 7 LOOP|play 0 NON_LOOP");
    std::string captions;  // which caption each tick draws
    for (int tick = 1; tick <= 141; ++tick) {
        g.gfx.Clear();
        g.Ticks(1);
        captions += Drew(g.gfx, {0, 0, 71, 227, 212, 60, 186})     ? '1'
                    : Drew(g.gfx, {0, 222, 71, 261, 212, 60, 118}) ? '2'
                                                                   : '-';
        EXPECT_EQ(g.form.IntScene, tick < 140 ? 97 : 0) << tick;
    }
    EXPECT_EQ(captions, std::string(69, '1') + std::string(70, '2') + "--");
    EXPECT_EQ(Pick(g.form, "IntPairY(0)"), "1") << "the 141st tick is the first fall step";
}

TEST(Fall, StepAndLandingTestByLevel) {
    const struct {
        int32_t level;
        int ticksPerRow;
    } cases[] = {{1, 33}, {3, 33}, {4, 17}, {8, 17}, {9, 9}, {10, 9}};
    for (const auto& c : cases) {
        Game g;
        Enter(g, kSceneFall, "LngLevel=" + std::to_string(c.level));
        std::string rows;
        for (int t = 1; t <= 2 * c.ticksPerRow; ++t) {
            g.Ticks(1);
            if (t == 1 || t == c.ticksPerRow - 1 || t == c.ticksPerRow || t == 2 * c.ticksPerRow)
                rows += Pick(g.form, "IntPairY(0) IntPairY(1) IntFallCnt") + "/";
        }
        const std::string step = std::to_string(32 / (c.ticksPerRow - 1));
        EXPECT_EQ(rows, step + " " + step + " " + step + "/32 32 32/32 32 0/64 64 0/") << c.level;
    }
}

TEST(Fall, TwoStepChainScoresEachLinkAndBlinks) {
    Game g;
    Enter(g, kSceneFall, "IntPairX(0)=32 IntPairX(1)=64 IntPairNo(0)=4 IntPairNo(1)=4 LngChain=3");
    SetWell(g.form, "2....../3....../56.....");
    g.Key(kKeyDown);
    EXPECT_EQ(Calls(g.snd.calls), "play 2 NON_LOOP");
    g.Ticks(1);  // lands and packs, and the next pair waits
    EXPECT_EQ(Pick(g.form, "IntScene FlgPair"), "1 0");
    EXPECT_EQ(g.gfx.flips, 2) << "a landing tick draws twice";
    g.gfx.Clear();
    g.Ticks(1);  // the search finds 3 + 4 and draws nothing
    EXPECT_EQ(g.gfx.flips, 0);
    EXPECT_EQ(Pick(g.form, "IntScene LngChain"), "2 1");
    EXPECT_EQ(g.snd.calls.back(), "play 3 NON_LOOP");
    // 21 blink frames, the marked look and the normal look in turn, and the
    // deletion in the last.
    std::string phases;
    for (int i = 0; i < 21; ++i) {
        g.gfx.Clear();
        g.Ticks(1);
        phases += Drew(g.gfx, {0, 64, 32, 208, 384, 32, 32}) ? '0' : '1';
        phases += g.gfx.flips == 1 ? "" : "?";
    }
    EXPECT_EQ(phases, "010101010101010101010");
    EXPECT_EQ(Pick(g.form, "IntScene LngScore"), "1 2");
    EXPECT_EQ(WellRows(g.form.StrBlock), Well("2....../564...."));
    g.Ticks(22);  // 2 + 5: the second link
    EXPECT_EQ(Pick(g.form, "LngScore"), "6");
    g.Ticks(1);  // nothing more: the chain ends and the waiting pair falls
    EXPECT_EQ(Pick(g.form, "IntScene FlgPair IntChainShow IntChainTime LngMaxChain"),
              "0 -1 2 2000 2");
    g.Ticks(1);
    EXPECT_EQ(Pick(g.form, "LngChain"), "0") << "the fall tick clears the chain count";
}

TEST(GameOver, SavesInItsTickDrawsTheBannerAndReturnsToTheTitle) {
    for (int32_t level : {1, 4, 9}) {
        Game g;
        g.plat.WriteScore("000001000\r\n000000030\r\n");
        Enter(g, kSceneFall, "LngScore=1234 IntCursor=2 LngLevel=" + std::to_string(level));
        SetWell(g.form, "^......./...5...");
        g.form.StrBlock(0, 12) = "6";
        g.Ticks(1);
        EXPECT_EQ(Pick(g.form, "IntScene"), "4");
        EXPECT_EQ(Calls(g.snd.calls), "stop 7|play 6 NON_LOOP");
        EXPECT_EQ(g.plat.ReadScore(), "000012340\r\n000000030\r\n") << "saved in the tick";
        EXPECT_EQ(g.form.IntFallCnt, FallStep(level)) << "the pair still moves a step";
        EXPECT_EQ(g.gfx.flips, 1) << "and the frame is drawn";
        g.gfx.Clear();
        g.Ticks(1);
        EXPECT_TRUE(Drew(g.gfx, {0, 0, 142, 141, 219, 44, 357})) << "the banner";
        EXPECT_TRUE(Drew(g.gfx, {0, 160, 0, 208, 416, 32, 32})) << "the well";
        EXPECT_EQ(std::count_if(g.gfx.draws.begin(), g.gfx.draws.end(),
                                [](const Draw& d) { return d.my == 0 && d.h == 32; }),
                  2)
            << "but no pair";
        int frames = 1;
        for (; g.form.IntScene == 4 && frames < 1000; ++frames) g.Ticks(1);
        EXPECT_EQ(frames, 301 - FallStep(level)) << level;
        EXPECT_EQ(Pick(g.form, "IntScene LngLevel IntCursor LngScore"), "98 1 0 0");
        EXPECT_EQ(WellRows(g.form.StrBlock), Well(""));
    }
    for (int x : {2, 5}) {  // only the two cells below the spawn end the game
        Game g;
        Enter(g);
        g.form.StrBlock(x, 1) = g.form.StrBlock(x, 12) = "5";
        g.Ticks(1);
        EXPECT_EQ(g.form.IntScene, 0) << x;
    }
}

TEST(Clock, CountsOnlyInPlayAndAnUnknownSceneDoesNothing) {
    Game g;
    g.Load();
    std::string counted;
    for (int16_t scene : {0, 1, 2, 3, 4, 96, 97, 98, 99, 5}) {
        Set(g.form, "SngTime=10 IntScene=" + std::to_string(scene));
        g.form.Timer2_Timer();
        counted += Pick(g.form, "SngTime") + " ";
    }
    EXPECT_EQ(counted, "11 11 11 11 10 10 10 10 10 10 ");
    g.gfx.Clear();
    const GameState before = g.form;
    g.Ticks(3);
    EXPECT_TRUE(Same(g, before) && g.gfx.flips == 0);
}

TEST(Restart, DuringFallOnlyKeepingLevelAndCount) {
    Game g;
    Enter(g, kSceneFall, "LngLevel=5 LngScore=77 SngTime=30 FlgPair=0 IntFallCnt=12");
    g.form.StrBlock(2, 12) = "4";
    g.Key(kKeyR);
    EXPECT_EQ(Pick(g.form, "IntScene LngScore SngTime LngLevel FlgPair IntFallCnt"),
              "97 0 0 5 -1 12");
    EXPECT_EQ(Calls(g.gfx.calls) + " " + Calls(g.snd.calls), "BackLoad bg001.bmp play 7 LOOP");
    EXPECT_EQ(WellRows(g.form.StrBlock), Well(""));
    g.Ticks(57);
    EXPECT_EQ(g.form.IntFallCnt, 69) << "the ready count goes on from 12";
}

TEST(Keys, MovesTestTheCellsBesideThePair) {
    const struct {
        const char* well;
        int x0, y;  // left block's x, both blocks' y
        int16_t key;
        int x0After;
    } cases[] = {
        {"", 96, 100, kKeyRight, 128},
        {"", 96, 100, kKeyLeft, 64},
        {"", 160, 0, kKeyRight, 160},
        {"", 0, 0, kKeyLeft, 0},
        {"", 128, 0, kKeyRight, 160},
        {"", 96, 384, kKeyLeft, 64},
        // Rows 3 and 4 (y 100): a block in row 4 beside the pair stops it.
        {"^......./......./......./......./......3", 128, 100, kKeyRight, 128},
        {"^......./......./......./......./..3....", 96, 100, kKeyLeft, 96},
        // On a row boundary the cell below the target is tested too.
        {".....1./.....1./.....1./.....1./.....1./.....1./.....1./.....1.", 96, 128, kKeyRight, 96},
        {".....5.", 96, 384, kKeyRight, 96},
        {"......5", 96, 384, kKeyRight, 128},
        {"..5....", 96, 384, kKeyLeft, 96},
    };
    for (const auto& c : cases) {
        Game g;
        Enter(g);
        SetWell(g.form, c.well);
        Set(g.form, "IntPairX(0) IntPairX(1) IntPairY(0) IntPairY(1) IntFallCnt",
            std::to_string(c.x0) + " " + std::to_string(c.x0 + 32) + " " + std::to_string(c.y) +
                " " + std::to_string(c.y) + " 7");
        g.Key(c.key);
        EXPECT_EQ(Pick(g.form, "IntPairX(0) IntPairX(1) IntPairY(0) IntFallCnt"),
                  std::to_string(c.x0After) + " " + std::to_string(c.x0After + 32) + " " +
                      std::to_string(c.y) + " 7")
            << c.well << " " << c.x0;
        EXPECT_TRUE(g.snd.calls.empty()) << "moves make no sound";
    }
}

TEST(Keys, TurnSwapsDigitsAndDropLandsEachColumn) {
    Game g;
    Enter(g, kSceneFall, "IntPairNo(0)=3 IntPairNo(1)=5");
    g.Key(kKeyUp);
    EXPECT_EQ(Pick(g.form, "IntPairNo(0) IntPairNo(1)"), "5 3");
    SetWell(g.form, "....1../....1../....1../....1..");
    g.Key(kKeyDown);
    EXPECT_EQ(Pick(g.form, "IntPairY(0) IntPairY(1) FlgPair"), "384 256 0");
    g.Key(kKeyLeft);
    g.Key(kKeyUp);
    EXPECT_EQ(Pick(g.form, "IntPairX(0) IntPairNo(0)"), "96 5") << "a dropped pair takes no key";
    EXPECT_EQ(Calls(g.snd.calls), "play 2 NON_LOOP|play 2 NON_LOOP");
    g.Ticks(1);
    EXPECT_EQ(WellRows(g.form.StrBlock), Well("....3../....1../....1../....1../...51.."));
}

// The options as "cursor level sevens-off music background", and after the
// key the same and the scene.
TEST(Options, EveryKeyWithItsSoundOrSilence) {
    const struct {
        int16_t key;
        const char *before, *after, *sounds, *pictures;
    } cases[] = {
        {kKeyUp, "0 1 0 1 1", "4 1 0 1 1 96", "stop 7|play 1 NON_LOOP", ""},
        {kKeyDown, "4 1 0 1 1", "0 1 0 1 1 96", "stop 7|play 1 NON_LOOP", ""},
        {kKeyDown, "3 1 0 1 1", "4 1 0 1 1 96", "stop 7|play 1 NON_LOOP", ""},
        {kKeyRight, "0 9 0 1 1", "0 10 0 1 1 96", "play 0 NON_LOOP", ""},
        {kKeyRight, "0 10 0 1 1", "0 10 0 1 1 96", "", ""},
        {kKeyLeft, "0 1 0 1 1", "0 1 0 1 1 96", "", ""},
        {kKeyLeft, "0 10 0 1 1", "0 9 0 1 1 96", "play 0 NON_LOOP", ""},
        {kKeyRight, "1 1 0 1 1", "1 1 1 1 1 96", "play 0 NON_LOOP", ""},
        {kKeyLeft, "1 1 1 1 1", "1 1 0 1 1 96", "play 0 NON_LOOP", ""},
        {kKeyRight, "2 1 0 3 1", "2 1 0 1 1 96", "load 7 bgm01.wav|play 7 LOOP", ""},
        {kKeyLeft, "2 1 0 1 1", "2 1 0 3 1 96", "load 7 bgm03.wav|play 7 LOOP", ""},
        {kKeyLeft, "3 1 0 1 1", "3 1 0 1 5 96", "play 0 NON_LOOP", "PicLoad 4 bg005.bmp 0"},
        {kKeyRight, "3 1 0 1 5", "3 1 0 1 1 96", "play 0 NON_LOOP", "PicLoad 4 bg001.bmp 0"},
        {kKeyRight, "3 1 0 1 4", "3 1 0 1 5 96", "play 0 NON_LOOP", "PicLoad 4 bg005.bmp 0"},
        {kKeyRight, "4 1 0 1 1", "4 1 0 1 1 96", "", ""},
        {kKeyEnter, "4 1 0 1 1", "4 1 0 1 1 96", "play 0 NON_LOOP", ""},
        {kKeyEnter, "0 1 0 1 1", "0 1 0 1 1 96", "", ""},
        {kKeyBack, "3 4 1 2 3", "0 4 1 2 3 98", "play 0 NON_LOOP", ""},
        {kKeyR, "2 1 0 1 1", "2 1 0 1 1 96", "", ""},
    };
    const std::string fields = "IntCursor LngLevel FlgSevenOff IntBgmNo IntBgNo";
    for (const auto& c : cases) {
        Game g;
        Enter(g, kSceneOptions);
        Set(g.form, fields, c.before);
        g.Key(c.key);
        const std::string what = std::string(c.before) + " key " + std::to_string(c.key);
        EXPECT_EQ(Pick(g.form, fields + " IntScene"), c.after) << what;
        EXPECT_EQ(Calls(g.snd.calls), c.sounds) << what;
        EXPECT_EQ(Calls(g.gfx.calls), c.pictures) << what;
    }
}
