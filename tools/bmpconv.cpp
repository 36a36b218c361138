// Turns a rendered picture (raw 8-bit RGBA) into the 24-bit BMP the game
// loads. Black is the transparent colour of keyed pictures, and the game
// compares colour keys after reducing to 16 bits (5-6-5), so:
//   - a pixel less than half covered, or drawn pure black on purpose,
//     becomes pure black (transparent);
//   - any other pixel keeps its colour, but one that would reduce to
//     0x0000 is lifted to the darkest grey that does not, and one that
//     would reduce to 0x00FF (the other key) gets one step more green.
// With --dither, smooth gradients are ordered-dithered before the game
// reduces them to 16 bits, so skies and glows show no bands.
// Usage: bmpconv in.rgba width height out.bmp [--dither]
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace

int main(int argc, char** argv) {
    const bool dither = argc == 6 && std::string(argv[5]) == "--dither";
    if (argc != 5 && !dither) {
        std::cerr << "usage: bmpconv in.rgba width height out.bmp [--dither]\n";
        return 2;
    }
    const int w = std::atoi(argv[2]), h = std::atoi(argv[3]);
    if (w <= 0 || h <= 0) {
        std::cerr << "bmpconv: bad size " << argv[2] << " x " << argv[3] << "\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4);
    if (!in.read(reinterpret_cast<char*>(rgba.data()), static_cast<std::streamsize>(rgba.size()))) {
        std::cerr << "bmpconv: " << argv[1] << " holds fewer than " << w << " x " << h
                  << " RGBA pixels\n";
        return 1;
    }

    const uint32_t rowBytes = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    const uint32_t dataSize = rowBytes * static_cast<uint32_t>(h);
    std::vector<uint8_t> bmp;
    bmp.push_back('B');
    bmp.push_back('M');
    Put32(bmp, 54 + dataSize);
    Put32(bmp, 0);
    Put32(bmp, 54);
    Put32(bmp, 40);
    Put32(bmp, static_cast<uint32_t>(w));
    Put32(bmp, static_cast<uint32_t>(h));
    Put16(bmp, 1);
    Put16(bmp, 24);
    Put32(bmp, 0);
    Put32(bmp, dataSize);
    Put32(bmp, 2835);
    Put32(bmp, 2835);
    Put32(bmp, 0);
    Put32(bmp, 0);

    for (int y = h - 1; y >= 0; --y) {  // bottom-up rows
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
            int r = 0, g = 0, b = 0;
            const bool keyBlack = p[0] == 0 && p[1] == 0 && p[2] == 0;
            if (p[3] >= 128 && !keyBlack) {
                r = (p[0] * p[3] + 127) / 255;
                g = (p[1] * p[3] + 127) / 255;
                b = (p[2] * p[3] + 127) / 255;
                if (dither) {
                    // 4 x 4 Bayer matrix: spread each colour's lost low bits
                    // over neighbouring pixels (5 bits red/blue, 6 green).
                    static const int kBayer[4][4] = {
                        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
                    const int t = kBayer[y & 3][x & 3];
                    r = std::min(255, r + t * 8 / 16);
                    g = std::min(255, g + t * 4 / 16);
                    b = std::min(255, b + t * 8 / 16);
                }
                if ((r >> 3) == 0 && (g >> 2) == 0 && (b >> 3) == 0) r = g = b = 8;
                if ((r >> 3) == 0 && (g >> 2) == 7 && (b >> 3) == 31) g = 32;
            }
            bmp.push_back(static_cast<uint8_t>(b));
            bmp.push_back(static_cast<uint8_t>(g));
            bmp.push_back(static_cast<uint8_t>(r));
        }
        for (uint32_t pad = static_cast<uint32_t>(w) * 3; pad < rowBytes; ++pad) bmp.push_back(0);
    }
    std::ofstream out(argv[4], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bmp.data()), static_cast<std::streamsize>(bmp.size()));
    if (!out) {
        std::cerr << "bmpconv: cannot write " << argv[4] << "\n";
        return 1;
    }
    return 0;
}
