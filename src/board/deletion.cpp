// Deletion: the blink, the removal, scoring and the level.
#include "game/form1.h"

namespace sw {

void Form1::SubBlockDelAni(int16_t IntFlg) {
    gfx.BackDraw();
    gfx.PicDraw(kPicFrame, 0, 0, 0, 0, 480, 640);
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kCols; ++x) {
            const std::string& cell = StrBlock(x, y);
            if (cell == "") continue;
            // Marked blocks show their marked look in phase 0 only.
            const int s = (StrDelFlg(x, y) != "" && IntFlg == 0) ? 32 : 0;
            gfx.PicDraw(kPicSheet, 32 * (cell[0] - '1'), s, kWellLeft + 32 * x, kWellTop + 32 * y,
                        32, 32);
        }
    }
    SubAniSub(kTrue);
    gfx.SurfFlip();
}

int16_t Form1::SubBlockDel() {
    int16_t count = 0;
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kCols; ++x) {
            if (StrBlock(x, y) != "" && StrDelFlg(x, y) != "") {
                StrBlock(x, y) = "";
                StrDelFlg(x, y) = "";
                ++count;
            }
        }
    }
    return count;
}

void Form1::SubDelAniAfter() {
    IntScene = kSceneSearch;
    const int16_t n = SubBlockDel();
    LngScore = Lng32(int64_t{LngScore} + int64_t{LngChain} * n, "LngScore");
    // Strictly greater, at most one level per step; at the top level the
    // fanfare still plays each time.
    if (LngScore > VarLvUp(LngLevel)) {
        if (LngLevel < 10) LngLevel = LngLevel + 1;
        snd.SubWavePlay(kWaveLvUp, "NON_LOOP");
    }
    FncBlockTume();
}

}  // namespace sw
