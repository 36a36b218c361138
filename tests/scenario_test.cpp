// Whole-game scenarios: start-up, the scenes of the tick, the keys and the
// clock, driven through the timer and the key handler as the platform would.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "doubles.h"
#include "game/dump.h"
#include "game/keycodes.h"

using namespace swtest;
using namespace sw;  // the key codes
using S = std::vector<std::string>;

namespace {

bool Has(const S& calls, const std::string& c) {
    return std::find(calls.begin(), calls.end(), c) != calls.end();
}

bool Drew(const FakeGraphics& g, const Draw& d) {
    return std::find(g.draws.begin(), g.draws.end(), d) != g.draws.end();
}

// A loaded game standing in a scene (the fall scene with an empty well by
// default), with the doubles' records cleared.
void Enter(Game& g, int16_t scene = kSceneFall, int32_t level = 1) {
    g.Load();
    g.form.IntScene = scene;
    g.form.IntFallCnt = 0;
    g.form.LngLevel = level;
    g.gfx.Clear();
    g.snd.calls.clear();
}

bool Same(const Game& g, const GameState& before) {
    return static_cast<const GameState&>(g.form) == before;
}

}  // namespace

TEST(StartUp, SetsTheFirstValuesReadsTheRecordsAndLoadsInOrder) {
    Game g;
    g.plat.WriteScore("000004560\r\n000000070\r\n");
    g.form.Form_Load();
    const Form1& f = g.form;
    EXPECT_EQ(f.IntScene, 99);
    EXPECT_EQ(WellRows(f.StrBlock), Well(""));
    EXPECT_EQ(f.FlgPair, -1);
    EXPECT_EQ(f.LngLevel * 1000 + f.IntBgNo * 100 + f.IntBgmNo * 10 + f.FlgSevenOff, 1110);
    EXPECT_EQ(f.LngHiScore, 456);
    EXPECT_EQ(f.LngMaxChain, 7);
    EXPECT_EQ(f.IntInterval, 10);
    EXPECT_EQ(g.plat.timer1, 10);
    EXPECT_FALSE(g.plat.cursorShown);
    EXPECT_TRUE(g.plat.soundOpen);
    for (int i = 0; i <= 11; ++i) EXPECT_EQ(f.VarLvUp(i), i >= 1 && i <= 10 ? 30 << i : 0) << i;
    EXPECT_EQ(g.gfx.calls, (S{"init", "PicLoad 0 etc.bmp -1"}));
    EXPECT_EQ(g.snd.calls, (S{"load 0 enter.wav", "load 1 select.wav", "load 2 on.wav",
                              "load 3 del.wav", "load 4 change.wav", "load 5 lvup.wav",
                              "load 6 gameover.wav", "load 7 bgm01.wav"}));

    // A refused file ends the program before any window, timer or sound.
    Game r;
    r.plat.WriteScore("000004560\r\n000000071\r\n");
    EXPECT_THROW(r.form.Form_Load(), ProgramEnded);
    EXPECT_EQ(r.plat.ended, std::vector<int>{1});
    EXPECT_TRUE(r.gfx.calls.empty() && r.snd.calls.empty() && r.plat.timer1 == 0);
}

TEST(StartUp, SameSeedSameDealsOtherSeedOthers) {
    auto deals = [](uint32_t seed) {
        Game g;
        g.plat.seed = seed;
        g.Load();
        std::vector<int> d;
        for (int i = 0; i < 20; ++i, g.form.SubBlockCls())
            d.push_back(g.form.IntPairNo(0) * 10 + g.form.IntPairNo(1));
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
    EXPECT_EQ(g.gfx.flips, 200);
    EXPECT_EQ(std::count(g.gfx.calls.begin(), g.gfx.calls.end(), "PicLoad 0 logo.bmp 0"), 200);
    g.Ticks(1);
    EXPECT_EQ(g.form.IntScene, 98);
    EXPECT_EQ(g.form.IntFallCnt, 0);
    EXPECT_TRUE(Has(g.gfx.calls, "PicLoad 0 etc.bmp -1"));
    EXPECT_TRUE(Has(g.gfx.calls, "PicLoad 1 title.bmp 0"));
    EXPECT_TRUE(Has(g.gfx.calls, "PicLoad 2 bgmst.bmp -1"));
}

TEST(Title, CursorWrapsEnterLeadsAndQuitEnds) {
    Game g;
    Enter(g, kSceneTitle);
    const struct {
        int16_t key, cursor;
    } steps[] = {{kKeyUp, 2}, {kKeyUp, 1}, {kKeyDown, 2}, {kKeyDown, 0}, {kKeyLeft, 0}, {kKeyR, 0}};
    for (const auto& s : steps) {
        g.snd.calls.clear();
        g.Key(s.key);
        EXPECT_EQ(g.form.IntCursor, s.cursor);
        EXPECT_EQ(g.snd.calls, s.key == kKeyUp || s.key == kKeyDown ? S{"play 1 NON_LOOP"} : S{});
    }
    g.Ticks(1);
    EXPECT_TRUE(Drew(g.gfx, {0, 256, 0, 452, 303, 32, 32})) << "the cursor at the first item";
    g.form.IntCursor = 1;
    g.snd.calls.clear();
    g.Key(kKeyEnter);
    EXPECT_EQ(g.form.IntScene, 96);
    EXPECT_EQ(g.form.IntCursor, 0);
    EXPECT_EQ(g.gfx.backdrop, "white.bmp");
    EXPECT_TRUE(Has(g.gfx.calls, "PicLoad 3 conf.bmp -1"));
    EXPECT_TRUE(Has(g.gfx.calls, "PicLoad 4 bg001.bmp -1"));
    EXPECT_EQ(g.snd.calls, S{"play 0 NON_LOOP"});

    Game q;
    Enter(q, kSceneTitle);
    q.form.IntCursor = 2;
    EXPECT_THROW(q.Key(kKeyEnter), ProgramEnded);
    EXPECT_TRUE(q.snd.calls.empty());
    EXPECT_EQ(q.gfx.calls.back(), "EndIt");
}

TEST(Keys, EscapeEndsEverySceneAtOnceAndOtherScenesTakeNoKeys) {
    for (int16_t scene : {0, 1, 2, 3, 4, 96, 97, 98, 99}) {
        Game g;
        Enter(g, scene);
        const GameState before = g.form;
        EXPECT_THROW(g.Key(kKeyEscape), ProgramEnded) << scene;
        EXPECT_TRUE(g.snd.calls.empty() && Same(g, before)) << "nothing ran after, " << scene;
        EXPECT_EQ(g.gfx.calls.back(), "EndIt");
    }
    for (int16_t scene : {1, 2, 3, 4, 97, 99}) {
        for (int16_t key :
             {kKeyBack, kKeyEnter, kKeyLeft, kKeyUp, kKeyRight, kKeyDown, kKeyR, int16_t{65}}) {
            Game g;
            Enter(g, scene);
            const GameState before = g.form;
            g.Key(key);
            EXPECT_TRUE(Same(g, before) && g.snd.calls.empty() && g.gfx.calls.empty())
                << scene << " " << key;
        }
    }
}

TEST(Ready, CaptionsThenPlayOnThe141stTick) {
    Game g;
    Enter(g, kSceneTitle);
    g.Key(kKeyEnter);
    EXPECT_EQ(g.form.IntScene, 97);
    EXPECT_EQ(g.gfx.backdrop, "bg001.bmp");
    EXPECT_EQ(g.snd.calls, (S{"play 7 LOOP", "play 0 NON_LOOP"}));
    const Draw first{0, 0, 71, 227, 212, 60, 186}, second{0, 222, 71, 261, 212, 60, 118};
    for (int tick = 1; tick <= 140; ++tick) {
        g.gfx.Clear();
        g.Ticks(1);
        ASSERT_EQ(Drew(g.gfx, first), tick <= 69) << tick;
        ASSERT_EQ(Drew(g.gfx, second), tick >= 70 && tick <= 139) << tick;
        ASSERT_EQ(g.form.IntScene, tick == 140 ? 0 : 97) << tick;
        ASSERT_EQ(g.gfx.flips, 1);
    }
    g.Ticks(1);
    EXPECT_EQ(g.form.IntPairY(0), 1) << "the 141st tick is the first fall step";
}

TEST(Fall, StepAndLandingTestByLevel) {
    const struct {
        int32_t level;
        int16_t step;
        int ticksPerRow;
    } cases[] = {{1, 1, 33}, {3, 1, 33}, {4, 2, 17}, {8, 2, 17}, {9, 4, 9}, {10, 4, 9}};
    for (const auto& c : cases) {
        Game g;
        Enter(g, kSceneFall, c.level);
        g.Ticks(1);
        EXPECT_EQ(g.form.IntPairY(0) + g.form.IntPairY(1), 2 * c.step) << c.level;
        g.Ticks(c.ticksPerRow - 2);
        EXPECT_EQ(g.form.IntFallCnt, 32) << c.level;
        g.Ticks(1);  // the landing test: nothing below, the count starts again
        EXPECT_EQ(g.form.IntFallCnt, 0);
        EXPECT_EQ(g.form.IntPairY(0), 32);
        g.Ticks(c.ticksPerRow);
        EXPECT_EQ(g.form.IntPairY(0), 64) << "a row every " << c.ticksPerRow << " ticks";
    }
}

TEST(Fall, TwoStepChainScoresEachLinkAndBlinks) {
    Game g;
    Enter(g);
    SetWell(g.form, "2....../3....../56.....");
    g.form.IntPairX(0) = 32;
    g.form.IntPairX(1) = 64;
    g.form.IntPairNo(0) = g.form.IntPairNo(1) = 4;
    g.form.LngChain = 3;
    g.Key(kKeyDown);
    EXPECT_EQ(g.snd.calls, S{"play 2 NON_LOOP"});
    g.Ticks(1);  // lands and packs, and the next pair waits
    EXPECT_EQ(g.form.IntScene * 10 + g.form.FlgPair, 10);
    EXPECT_EQ(g.gfx.flips, 2) << "a landing tick draws twice";
    g.gfx.Clear();
    g.Ticks(1);  // the search finds 3 + 4 and draws nothing
    EXPECT_EQ(g.gfx.flips, 0);
    ASSERT_EQ(g.form.IntScene, 2);
    EXPECT_EQ(g.form.LngChain, 1);
    EXPECT_TRUE(Has(g.snd.calls, "play 3 NON_LOOP"));
    // 21 blink frames, marked look and normal look in turn, the deletion
    // in the last.
    std::string phases;
    for (int i = 0; i < 21; ++i) {
        g.gfx.Clear();
        g.Ticks(1);
        EXPECT_EQ(g.gfx.flips, 1);
        phases += Drew(g.gfx, {0, 64, 32, 208, 384, 32, 32}) ? '0' : '1';
    }
    EXPECT_EQ(phases, "010101010101010101010");
    EXPECT_EQ(g.form.IntScene, 1);
    EXPECT_EQ(g.form.LngScore, 2);
    EXPECT_EQ(WellRows(g.form.StrBlock), Well("2....../564...."));
    g.Ticks(22);  // 2 + 5: the second link
    EXPECT_EQ(g.form.LngScore, 2 + 2 * 2);
    g.Ticks(1);  // nothing more: the chain ends and the waiting pair falls
    EXPECT_EQ(g.form.IntScene * 10 + g.form.FlgPair, -1);
    EXPECT_EQ(g.form.IntChainShow * 10000 + g.form.IntChainTime, 22000);
    EXPECT_EQ(g.form.LngMaxChain, 2);
    g.Ticks(1);
    EXPECT_EQ(g.form.LngChain, 0) << "the fall tick clears the chain count";
}

TEST(GameOver, SavesInItsTickDrawsTheBannerAndReturnsToTheTitle) {
    const struct {
        int32_t level;
        int frames;
    } cases[] = {{1, 300}, {4, 299}, {9, 297}};
    for (const auto& c : cases) {
        Game g;
        g.plat.WriteScore("000001000\r\n000000030\r\n");
        Enter(g, kSceneFall, c.level);
        g.form.LngScore = 1234;
        g.form.IntCursor = 2;
        SetWell(g.form, "^......./...5...");
        g.form.StrBlock(0, 12) = "6";
        g.Ticks(1);
        EXPECT_EQ(g.form.IntScene, 4);
        EXPECT_EQ(g.snd.calls, (S{"stop 7", "play 6 NON_LOOP"}));
        EXPECT_EQ(g.plat.ReadScore(), "000012340\r\n000000030\r\n") << "saved in the tick";
        EXPECT_EQ(g.form.IntFallCnt, FallStep(c.level)) << "the pair still moves a step";
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
        EXPECT_EQ(frames, c.frames) << c.level;
        EXPECT_EQ(g.form.IntScene, 98);
        EXPECT_EQ(g.form.LngLevel * 10 + g.form.IntCursor, 10);
        EXPECT_EQ(g.form.LngScore, 0);
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
    for (int16_t scene : {0, 1, 2, 3, 4, 96, 97, 98, 99, 5}) {
        g.form.IntScene = scene;
        g.form.SngTime = 10;
        g.form.Timer2_Timer();
        EXPECT_EQ(g.form.SngTime, scene <= 3 ? 11.0f : 10.0f) << scene;
    }
    g.gfx.Clear();
    const GameState before = g.form;
    g.Ticks(3);
    EXPECT_TRUE(Same(g, before) && g.gfx.flips == 0);
}

TEST(Restart, DuringFallOnlyKeepingLevelAndCount) {
    Game g;
    Enter(g, kSceneFall, 5);
    g.form.LngScore = 77;
    g.form.SngTime = 30;
    g.form.StrBlock(2, 12) = "4";
    g.form.FlgPair = 0;  // even with no pair under control
    g.form.IntFallCnt = 12;
    g.Key(kKeyR);
    EXPECT_EQ(g.form.IntScene, 97);
    EXPECT_EQ(g.gfx.backdrop, "bg001.bmp");
    EXPECT_EQ(g.snd.calls, S{"play 7 LOOP"});
    EXPECT_EQ(g.form.LngScore + g.form.SngTime, 0);
    EXPECT_EQ(WellRows(g.form.StrBlock), Well(""));
    EXPECT_EQ(g.form.LngLevel, 5);
    EXPECT_EQ(g.form.FlgPair, -1);
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
        g.form.IntPairX(0) = c.x0;
        g.form.IntPairX(1) = c.x0 + 32;
        g.form.IntPairY(0) = g.form.IntPairY(1) = c.y;
        g.form.IntFallCnt = 7;
        g.Key(c.key);
        EXPECT_EQ(g.form.IntPairX(0), c.x0After) << c.well << " " << c.x0;
        EXPECT_EQ(g.form.IntPairX(1), c.x0After + 32);
        EXPECT_EQ(g.form.IntPairY(0) + g.form.IntFallCnt, c.y + 7);
        EXPECT_TRUE(g.snd.calls.empty()) << "moves make no sound";
    }
}

TEST(Keys, TurnSwapsDigitsAndDropLandsEachColumn) {
    Game g;
    Enter(g);
    g.form.IntPairNo(0) = 3;
    g.form.IntPairNo(1) = 5;
    g.Key(kKeyUp);
    EXPECT_EQ(g.form.IntPairNo(0) * 10 + g.form.IntPairNo(1), 53);
    EXPECT_EQ(g.snd.calls, S{"play 2 NON_LOOP"});
    SetWell(g.form, "....1../....1../....1../....1..");
    g.Key(kKeyDown);
    EXPECT_EQ(g.form.IntPairY(0), 384);
    EXPECT_EQ(g.form.IntPairY(1), 256);
    EXPECT_EQ(g.form.FlgPair, 0);
    g.snd.calls.clear();
    g.Key(kKeyLeft);
    g.Key(kKeyUp);
    EXPECT_EQ(g.form.IntPairX(0), 96) << "a dropped pair answers no key";
    EXPECT_TRUE(g.snd.calls.empty());
    g.Ticks(1);
    EXPECT_EQ(WellRows(g.form.StrBlock), Well("....3../....1../....1../....1../...51.."));
}

// The options as "cursor level sevens-off music background" and after the
// key the same and the scene; sounds and pictures as calls joined by '|'.
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
    auto join = [](const S& calls) {
        std::string all;
        for (const auto& c : calls) all += (all.empty() ? "" : "|") + c;
        return all;
    };
    for (const auto& c : cases) {
        Game g;
        Enter(g, kSceneOptions);
        Form1& f = g.form;
        std::istringstream(c.before) >> f.IntCursor >> f.LngLevel >> f.FlgSevenOff >> f.IntBgmNo >>
            f.IntBgNo;
        g.Key(c.key);
        std::ostringstream after;
        after << f.IntCursor << " " << f.LngLevel << " " << f.FlgSevenOff << " " << f.IntBgmNo
              << " " << f.IntBgNo << " " << f.IntScene;
        const std::string what = std::string(c.before) + " key " + std::to_string(c.key);
        EXPECT_EQ(after.str(), c.after) << what;
        EXPECT_EQ(join(g.snd.calls), c.sounds) << what;
        EXPECT_EQ(join(g.gfx.calls), c.pictures) << what;
    }
}

TEST(Record, EveryPrintedFieldCanBeSetByName) {
    std::istringstream lines(DumpRecord(GameState{}));
    int fields = 0;
    for (std::string line; std::getline(lines, line);) {
        const std::string name = line.substr(0, line.find('='));
        if (name.rfind("Str", 0) == 0) continue;  // the well has rows of its own
        GameState s;
        ASSERT_TRUE(SetField(s, name, "7")) << name;
        EXPECT_NE(DumpRecord(s).find(name + "=7\n"), std::string::npos) << name;
        ++fields;
    }
    EXPECT_EQ(fields, 35) << "IntInterval and VarLvUp(1) to (10) among them";
    GameState s;
    EXPECT_FALSE(SetField(s, "IntNothing", "1") || SetField(s, "IntScene", "x"));
    EXPECT_THROW(SetField(s, "IntScene", "40000"), RunTimeError);
}
