// The game's random source: a Mersenne Twister giving reals in [0, 1).
// The real platform seeds it from the clock; tests and the replay tool
// seed it with a number so that a run can be repeated.
#pragma once

#include <cstdint>
#include <random>

namespace sw {

class Random {
  public:
    explicit Random(uint32_t seed = 5489u) : engine_(seed) {}
    void Seed(uint32_t seed) { engine_.seed(seed); }
    double Next() {
        // 32 random bits scaled into [0, 1): never 1.0, whatever the engine.
        return static_cast<double>(engine_()) / 4294967296.0;
    }

  private:
    std::mt19937 engine_;
};

}  // namespace sw
