// The soak driver: the whole game headless, random key releases from a
// seeded generator, and after every tick a check that the record is sound.
#pragma once

#include <cstdint>
#include <string>

#include "game/state.h"

namespace swtest {

struct SoakResult {
    long ticks = 0;
    long games = 0;     // game-over scenes that handed back to the title
    long chains = 0;    // searches that found something
    std::string fault;  // empty when every tick was sound
};

SoakResult Soak(uint32_t seed, long ticks);

// What is wrong with the record, or "" when it is sound.
std::string Unsound(const sw::GameState& s);

}  // namespace swtest
