// The well and the falling pair: emptying the board and dealing pairs.
#include "game/form1.h"

namespace sw {

void Form1::SubCls() {
    SubBlockCls();
    for (int y = 0; y < kRows; ++y) {
        for (int x = 0; x < kCols; ++x) {
            StrDelFlg(x, y) = "";
            StrBlock(x, y) = "";
        }
    }
    SngTime = 0;
    IntChainTime = 0;
    LngScore = 0;
}

void Form1::SubBlockCls() {
    IntPairY(0) = 0;
    IntPairY(1) = 0;
    IntPairX(0) = 96;
    IntPairX(1) = 128;
    // The left digit is drawn once; the right one is drawn again until the
    // two do not add up to seven (so a pair of two 7s can still come).
    IntPairNo(0) = static_cast<int16_t>(plat.Rnd() * 7 + 1);
    do {
        IntPairNo(1) = static_cast<int16_t>(plat.Rnd() * 7 + 1);
    } while (IntPairNo(0) + IntPairNo(1) == 7);
    FlgPair = kTrue;
}

}  // namespace sw
