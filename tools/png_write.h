// Writes an RGB565 frame as a PNG with no compression: the bytes are
// stored as they are, which every PNG reader accepts. Enough for
// screenshots from the replay tool and the tests, with no extra library.
#pragma once

#include <cstdint>
#include <string>

namespace sw {

// pixels: height rows of pitch bytes, each pixel a little-endian RGB565.
bool WritePng565(const std::string& path, const void* pixels, int width, int height, int pitch);

}  // namespace sw
