#include "game/format.h"

namespace sw {

std::string Format(int64_t value, int digits) {
    std::string text = std::to_string(value < 0 ? -value : value);
    if (static_cast<int>(text.size()) < digits) {
        text.insert(0, static_cast<size_t>(digits) - text.size(), '0');
    }
    return value < 0 ? "-" + text : text;
}

std::string BgFile(int16_t IntBgNo) {
    return "bg" + Format(IntBgNo, 3) + ".bmp";
}
std::string BgmFile(int16_t IntBgmNo) {
    return "bgm" + Format(IntBgmNo, 2) + ".wav";
}

}  // namespace sw
