// Packing: blocks drop into the empty cells below them.
#include "game/form1.h"

namespace sw {

int16_t Form1::FncBlockTume() {
    int16_t result = 0;
    bool moved = true;
    while (moved) {
        moved = false;
        // Sweeping upwards lowers every loose block by one row per sweep,
        // and a stack above a gap follows as a whole.
        for (int y = kRows - 1; y >= 1; --y) {
            for (int x = 0; x < kCols; ++x) {
                if (StrBlock(x, y) == "" && StrBlock(x, y - 1) != "") {
                    StrBlock(x, y) = StrBlock(x, y - 1);
                    StrBlock(x, y - 1) = "";
                    moved = true;
                    result = 1;
                }
            }
        }
    }
    return result;
}

}  // namespace sw
