// Landing: has the falling pair come to rest?
#include "game/form1.h"

namespace sw {

int16_t Form1::FncBlockTyakuti() {
    int X[2], Y[2];
    for (int i = 0; i < 2; ++i) {
        X[i] = IntPairX(i) / 32;
        Y[i] = IntPairY(i) / 32;
    }

    bool landed = Y[0] == 12 || Y[1] == 12;
    for (int i = 0; i < 2 && !landed; ++i) {
        if (StrBlock(X[i], Y[i] + 1) != "") landed = true;
    }
    if (!landed) return 0;

    // Both blocks go in at their own rows, even when only one is supported:
    // packing, which follows at once, drops the other.
    for (int i = 0; i < 2; ++i) StrBlock(X[i], Y[i]) = std::to_string(IntPairNo(i));
    SubBlockCls();
    return 1;
}

}  // namespace sw
