// Fuzzes the picture loading path: any bytes give either a 16-bit surface
// with a size, or a run-time error; never a crash or a hang.
#include <SDL.h>

#include <cstdint>
#include <cstdlib>

#include "game/errors.h"
#include "present/graphics_sdl.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
    try {
        const sw::SurfacePtr s = sw::DecodeBitmap565(rw, "fuzz.bmp");
        if (s->w <= 0 || s->h <= 0 || s->format->format != SDL_PIXELFORMAT_RGB565) std::abort();
    } catch (const sw::RunTimeError&) {
    }
    return 0;
}
