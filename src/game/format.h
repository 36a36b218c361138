// Numbers as zero-padded text, and the file names built from the option
// numbers. Shared by the scenes, the displays and the score file.
#pragma once

#include <cstdint>
#include <string>

namespace sw {

// Format(7, 2) is "07"; a longer number is written whole, as the game's
// number formatting always did.
std::string Format(int64_t value, int digits);
// Picture and music file names from the option numbers: bg005.bmp, bgm02.wav.
std::string BgFile(int16_t IntBgNo);
std::string BgmFile(int16_t IntBgmNo);

}  // namespace sw
