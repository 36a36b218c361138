// The play scenes of the tick: fall, search, blink and game over.
#include "game/form1.h"

namespace sw {

void Form1::SceneFall() {
    // Game over is tested first: a block just below the spawn cells.
    if (StrBlock(3, 1) != "" || StrBlock(4, 1) != "") {
        IntScene = kSceneGameOver;
        snd.SubWaveStop(kWaveBgm);
        snd.SubWavePlay(kWaveGameOver, "NON_LOOP");
        IntFallCnt = 0;
        SubScoreWrite();
        // The rest of the tick runs as usual: the pair still moves a step
        // and the frame is drawn once more.
    }

    if (IntFallCnt >= 32) {
        if (FncBlockTyakuti() == 1) {
            IntScene = kSceneSearch;
            FlgPair = kFalse;  // the next pair waits until the drop is resolved
            FncBlockTume();
            SubBlockDraw();
        }
        IntFallCnt = 0;
    } else {
        const int16_t step = FallStep(LngLevel);
        IntFallCnt = Int16(IntFallCnt + step, "IntFallCnt");
        IntPairY(0) = Int16(IntPairY(0) + step, "IntPairY(0)");
        IntPairY(1) = Int16(IntPairY(1) + step, "IntPairY(1)");
    }

    LngChain = 0;
    SubBlockDraw();
}

void Form1::SceneSearch() {
    if (FncBlockDelSearch() == 1) {
        LngChain = Lng32(int64_t{LngChain} + 1, "LngChain");
        IntAniCnt = 0;
        IntScene = kSceneBlink0;
        snd.SubWavePlay(kWaveDel, "NON_LOOP");
    } else {
        // The chain is over: hand the waiting pair to the player.
        FlgPair = kTrue;
        IntScene = kSceneFall;
        IntChainTime = 2000;
        IntChainShow = Int16(LngChain, "IntChainShow");
        if (LngMaxChain < LngChain) LngMaxChain = LngChain;
    }
}

void Form1::SceneBlink(int16_t scene) {
    if (scene == kSceneBlink0) {
        SubBlockDelAni(0);
        IntScene = kSceneBlink1;
    } else {
        SubBlockDelAni(1);
        IntScene = kSceneBlink0;
    }
    IntAniCnt = Int16(IntAniCnt + 1, "IntAniCnt");
    if (IntAniCnt > 20) SubDelAniAfter();
}

void Form1::SceneGameOver() {
    gfx.BackDraw();
    gfx.PicDraw(kPicFrame, 0, 0, 0, 0, 480, 640);
    DrawWell();
    SubAniSub(0);
    gfx.PicDraw(kPicSheet, 0, 142, 141, 219, 44, 357);
    gfx.SurfFlip();

    if (IntFallCnt >= 300) {
        IntFallCnt = 0;
        IntScene = kSceneTitle;
        IntCursor = 0;
        SubCls();
        LngLevel = 1;
    } else {
        IntFallCnt = Int16(IntFallCnt + 1, "IntFallCnt");
    }
}

}  // namespace sw
