// Start-up, shutdown and the two timers of the game window.
#include "game/form1.h"

#include <cstdlib>

namespace sw {

int16_t FallStep(int32_t LngLevel) {
    if (LngLevel >= 1 && LngLevel <= 3) return 1;
    if (LngLevel >= 4 && LngLevel <= 8) return 2;
    return 4;
}

void Form1::Form_Load() {
    IntScene = kSceneLogo;
    IntFallCnt = 0;
    SubCls();
    plat.Randomize();

    // Level thresholds: 60, 120, ... 30720 (30 times two to the level).
    int32_t v = 30;
    for (int i = 1; i <= 10; ++i) {
        v = v * 2;
        VarLvUp(i) = v;
    }

    IntCursor = 0;
    SngTime = 0;
    LngScore = 0;

    // A refused score file ends the program here, before any window exists.
    SubScoreRead();

    gfx.init();
    gfx.PicLoad(kPicSheet, "etc.bmp", kTrue);

    IntInterval = 10;
    plat.SetTimer1Interval(IntInterval);
    plat.ShowCursor(false);
    plat.OpenSoundDevice();

    LngChain = 0;
    FlgSevenOff = 0;
    IntBgNo = 1;
    IntBgmNo = 1;
    LngLevel = 1;

    snd.SubWaveLoad(kWaveEnter, "enter.wav");
    snd.SubWaveLoad(kWaveSelect, "select.wav");
    snd.SubWaveLoad(kWaveOn, "on.wav");
    snd.SubWaveLoad(kWaveDel, "del.wav");
    snd.SubWaveLoad(kWaveChange, "change.wav");
    snd.SubWaveLoad(kWaveLvUp, "lvup.wav");
    snd.SubWaveLoad(kWaveGameOver, "gameover.wav");
    snd.SubWaveLoad(kWaveBgm, "bgm01.wav");
}

void Form1::Form_Unload(int16_t& Cancel) {
    (void)Cancel;  // left as it is: closing is never refused
    gfx.EndIt();
    std::abort();  // not reached: EndIt ends the program
}

void Form1::CloseWindow() {
    int16_t Cancel = 0;
    Form_Unload(Cancel);
}

void Form1::Timer1_Timer() {
    // The scene is read once; a scene that changes it takes effect next tick.
    switch (IntScene) {
        case kSceneLogo:
            SceneLogo();
            break;
        case kSceneTitle:
            SceneTitle();
            break;
        case kSceneReady:
            SceneReady();
            break;
        case kSceneOptions:
            SceneOptions();
            break;
        case kSceneFall:
            SceneFall();
            break;
        case kSceneSearch:
            SceneSearch();
            break;
        case kSceneBlink0:
        case kSceneBlink1:
            SceneBlink(IntScene);
            break;
        case kSceneGameOver:
            SceneGameOver();
            break;
        default:
            break;
    }
}

void Form1::Timer2_Timer() {
    // The play clock runs only while a game is in play, not in game over
    // nor in any menu.
    if (IntScene >= kSceneFall && IntScene <= kSceneBlink1) SngTime = SngTime + 1.0f;
}

}  // namespace sw
