// The play screen: the well, the falling pair and the displays around it.
#include <cmath>

#include "game/form1.h"

namespace sw {

void Form1::DrawWell() {
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kCols; ++x) {
            const std::string& cell = StrBlock(x, y);
            if (cell == "") continue;
            gfx.PicDraw(kPicSheet, 32 * (cell[0] - '1'), 0, kWellLeft + 32 * x, kWellTop + 32 * y,
                        32, 32);
        }
    }
}

void Form1::SubBlockDraw() {
    gfx.BackDraw();
    gfx.PicDraw(kPicFrame, 0, 0, 0, 0, 480, 640);
    DrawWell();
    SubAniSub(kTrue);
    gfx.SurfFlip();
}

void Form1::SubAniSub(int16_t MainFlg) {
    if (MainFlg == kTrue) {
        for (int i = 0; i < 2; ++i) {
            gfx.PicDraw(kPicSheet, 32 * (IntPairNo(i) - 1), 0, kWellLeft + IntPairX(i),
                        kWellTop + IntPairY(i), 32, 32);
        }
    }

    // Level: the first two characters.
    DrawSmallDigits(Format(LngLevel, 2).substr(0, 2), 40, 66);

    // Play clock, hh:mm:ss; past 99 hours only the first eight characters.
    const double t = SngTime;
    const int64_t h = static_cast<int64_t>(std::floor(t / 3600));
    const int64_t m = static_cast<int64_t>(std::floor((t - 3600.0 * h) / 60));
    const int16_t s = Int16(std::lrint(t - 3600.0 * h - 60.0 * m), "play clock seconds");
    const std::string clock = Format(h, 2) + ":" + Format(m, 2) + ":" + Format(s, 2);
    for (int k = 0; k < 8 && k < static_cast<int>(clock.size()); ++k) {
        if (clock[k] == ':') {
            gfx.PicDraw(kPicSheet, 190, 185, 40 + 19 * k, 175, 31, 19);
        } else {
            gfx.PicDraw(kPicSheet, 19 * (clock[k] - '0'), 185, 40 + 19 * k, 175, 33, 19);
        }
    }

    DrawSmallDigits(Format(LngScore, 8).substr(0, 8), 40, 278);

    // Chain of the last drop, in large digits with a blank for a leading 0.
    if (IntChainTime > 0 && IntChainShow > 1) {
        std::string text = Format(IntChainShow, 2);
        if (text[0] == '0') text[0] = ' ';
        for (int k = 0; k < 2; ++k) {
            if (text[k] != ' ') {
                gfx.PicDraw(kPicSheet, 47 * (text[k] - '0'), 224, 440 + 47 * k, 40, 80, 47);
            }
        }
        gfx.PicDraw(kPicSheet, 0, 306, 534, 86, 34, 70);
        IntChainTime = static_cast<int16_t>(IntChainTime - 1);
    }

    // Banner of the last sevens effect, over the middle of the well.
    if (IntVeskTime > 0) {
        gfx.PicDraw(kPicSheet, 472, 228 + 53 * IntVeskNo, 238, 213, 35, 163);
        IntVeskTime = static_cast<int16_t>(IntVeskTime - 1);
    }
}

}  // namespace sw
