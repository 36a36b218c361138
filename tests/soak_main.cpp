// soak [TICKS] [SEED]: the long soak, a million ticks unless told.
#include <cstdio>
#include <cstdlib>

#include "soak.h"

int main(int argc, char** argv) {
    const long ticks = argc > 1 ? std::atol(argv[1]) : 1000000;
    const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::atol(argv[2])) : 2026;
    const swtest::SoakResult r = swtest::Soak(seed, ticks);
    std::printf("soak: %ld ticks, %ld games, %ld removal steps, seed %u\n", r.ticks, r.games,
                r.chains, seed);
    if (!r.fault.empty() || r.games == 0 || r.chains == 0) {
        // A player that never ends a game or removes a block proves little.
        std::printf("FAULT at %s\n",
                    r.fault.empty() ? "no game ended or no block removed" : r.fault.c_str());
        return 1;
    }
    std::printf("1 passed, 0 failed\n");
    return 0;
}
