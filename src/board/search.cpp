// Match search: pairs adding up to seven and lines of three sevens.
#include "game/form1.h"

namespace sw {

namespace {

int Digit(const std::string& cell) {
    return cell.empty() ? 0 : cell[0] - '0';
}

// Two touching blocks pair off when they add up to seven; a 7 never pairs.
bool Pairs(const std::string& a, const std::string& b) {
    if (a == "" || b == "" || a == "7" || b == "7") return false;
    return Digit(a) + Digit(b) == 7;
}

}  // namespace

int16_t Form1::FncBlockDelSearch() {
    int16_t result = 0;

    for (int y = 0; y <= 12; ++y) {
        for (int x = 0; x <= 5; ++x) {
            if (Pairs(StrBlock(x, y), StrBlock(x + 1, y))) {
                StrDelFlg(x, y) = "1";
                StrDelFlg(x + 1, y) = "1";
                result = 1;
            }
        }
    }
    for (int y = 0; y <= 11; ++y) {
        for (int x = 0; x <= 6; ++x) {
            if (Pairs(StrBlock(x, y), StrBlock(x, y + 1))) {
                StrDelFlg(x, y) = "1";
                StrDelFlg(x, y + 1) = "1";
                result = 1;
            }
        }
    }
    // Every window of three sevens is a line of its own, and each line
    // sets off its own effect.
    for (int y = 0; y <= 12; ++y) {
        for (int x = 0; x <= 4; ++x) {
            if (StrBlock(x, y) == "7" && StrBlock(x + 1, y) == "7" && StrBlock(x + 2, y) == "7") {
                for (int i = 0; i < 3; ++i) StrDelFlg(x + i, y) = "1";
                result = 1;
                if (FlgSevenOff == 0)
                    SubVesk("x", static_cast<int16_t>(x), static_cast<int16_t>(y));
            }
        }
    }
    for (int y = 0; y <= 10; ++y) {
        for (int x = 0; x <= 6; ++x) {
            if (StrBlock(x, y) == "7" && StrBlock(x, y + 1) == "7" && StrBlock(x, y + 2) == "7") {
                for (int i = 0; i < 3; ++i) StrDelFlg(x, y + i) = "1";
                result = 1;
                if (FlgSevenOff == 0)
                    SubVesk("y", static_cast<int16_t>(x), static_cast<int16_t>(y));
            }
        }
    }
    return result;
}

void Form1::SubVesk(const std::string& XY, int16_t x, int16_t y) {
    const int16_t n = static_cast<int16_t>(plat.Rnd() * 5);
    auto mark = [this](int cx, int cy) {
        if (StrBlock(cx, cy) != "") StrDelFlg(cx, cy) = "1";
    };

    switch (n) {
        case 0:  // neighbours of the three sevens, inside the well
            for (int i = 0; i < 3; ++i) {
                const int sx = XY == "x" ? x + i : x;
                const int sy = XY == "x" ? y : y + i;
                if (sy > 0) mark(sx, sy - 1);
                if (sy < 12) mark(sx, sy + 1);
                if (sx < 6) mark(sx + 1, sy);
                if (sx > 0) mark(sx - 1, sy);
            }
            break;
        case 1:  // the column of the first seven
            for (int row = 0; row <= 12; ++row) mark(x, row);
            break;
        case 2:  // the row of the first seven
            for (int col = 0; col <= 6; ++col) mark(col, y);
            break;
        case 3:  // every seven in the well
            for (int row = 0; row <= 12; ++row) {
                for (int col = 0; col <= 6; ++col) {
                    if (StrBlock(col, row) == "7") StrDelFlg(col, row) = "1";
                }
            }
            break;
        default:  // 4: no effect, only the banner
            break;
    }
    IntVeskTime = 50;
    IntVeskNo = n;
}

}  // namespace sw
