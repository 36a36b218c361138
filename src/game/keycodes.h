// The eight keys the game knows, by the codes it has always used for them.
// Every layer that turns something into a key (the window, a pad, the
// replay tool, the tests) speaks these codes and nothing else.
#pragma once

#include <cstdint>

namespace sw {

constexpr int16_t kKeyBack = 8;
constexpr int16_t kKeyEnter = 13;
constexpr int16_t kKeyEscape = 27;
constexpr int16_t kKeyLeft = 37;
constexpr int16_t kKeyUp = 38;
constexpr int16_t kKeyRight = 39;
constexpr int16_t kKeyDown = 40;
constexpr int16_t kKeyR = 82;

}  // namespace sw
