// The built pictures and sounds, for the faults a player would meet: a
// picture of the wrong size, art that the colour key punches holes into, a
// sprite-sheet cut that is empty or reaches outside the sheet, a tile with no
// digit, an effect that clips over the music. (The design figures of the art
// and music, measured once, are in docs/art.md.)
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "game/state.h"

namespace {

const std::string kGame = SW_GAME_DIR;

uint16_t To565(uint32_t c) {  // the 16-bit value the game keys on
    return static_cast<uint16_t>((c >> 19 & 0x1F) << 11 | (c >> 10 & 0x3F) << 5 | (c >> 3 & 0x1F));
}

struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * w + x]; }
};

Picture Load(const std::string& name) {
    const std::string path = kGame + "/pic/" + name;
    SDL_Surface* raw = SDL_LoadBMP(path.c_str());
    SDL_Surface* s = raw ? SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB888, 0) : nullptr;
    SDL_FreeSurface(raw);
    if (!s) throw std::runtime_error("cannot load " + path + ": " + SDL_GetError());
    Picture p{s->w, s->h, {}};
    for (int y = 0; y < s->h; ++y)
        for (int x = 0; x < s->w; ++x)
            p.rgb.push_back(static_cast<uint32_t*>(s->pixels)[y * s->pitch / 4 + x] & 0xFFFFFF);
    SDL_FreeSurface(s);
    return p;
}

// The brightness of a colour, 0 to 255 a channel summed with the eye's weights.
int Brightness(uint32_t c) {
    return (2126 * (c >> 16 & 0xFF) + 7152 * (c >> 8 & 0xFF) + 722 * (c & 0xFF)) / 10000;
}

}  // namespace

TEST(Pictures, EveryFileHasItsSizeAndSurvivesItsColourKey) {
    // Keyed with black, only true black may reduce to 0x0000; loaded with the
    // key 255, nothing may reduce to 0x00FF; opaque pictures hold no black.
    enum { kBlack = 1, k255 = 2, kOpaque = 4 };
    std::map<std::string, int> files{{"etc.bmp", kBlack},   {"logo.bmp", k255 | kOpaque},
                                     {"bgmst.bmp", kBlack}, {"title.bmp", k255 | kOpaque},
                                     {"conf.bmp", kBlack},  {"white.bmp", kOpaque}};
    for (int i = 1; i <= sw::kBackgrounds; ++i) files["bg00" + std::to_string(i) + ".bmp"] = 7;
    for (const auto& [name, want] : files) {
        const Picture p = Load(name);
        EXPECT_TRUE(p.w == (name == "conf.bmp" ? 605 : 640) && p.h == 480)
            << name << " is " << p.w << "x" << p.h;
        int dark = 0, blue = 0, black = 0;
        for (uint32_t c : p.rgb)
            dark += c != 0 && To565(c) == 0, blue += To565(c) == 0xFF, black += c == 0;
        EXPECT_TRUE(!(want & kBlack) || dark == 0) << name << ": dark art turns transparent";
        EXPECT_TRUE(!(want & k255) || blue == 0) << name << ": blue art turns transparent";
        EXPECT_TRUE(!(want & kOpaque) || black == 0) << name << " has holes";
    }
}

TEST(Pictures, EverySheetCutIsInsideInkedAndItsOwnAndEveryTileHasADigit) {
    const Picture sheet = Load("etc.bmp");
    std::ifstream in(SW_SHEET_RECTS);
    std::set<std::vector<uint16_t>> cuts;
    int count = 0;
    std::string name;
    for (int x, y, w, h; in >> name;) {
        if (name[0] == '#' || !(in >> x >> y >> w >> h)) {
            std::getline(in, name);
            continue;
        }
        ++count;
        ASSERT_TRUE(x >= 0 && y >= 0 && x + w <= sheet.w && y + h <= sheet.h) << name;
        std::vector<uint16_t> keys;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) keys.push_back(To565(sheet.At(i, j)));
        EXPECT_GT(w * h - std::count(keys.begin(), keys.end(), 0), w * h / 20)
            << name << " is nearly empty";
        EXPECT_TRUE(cuts.insert(keys).second) << name << " looks like another cut";
    }
    EXPECT_GE(count, 50) << "the list of cuts is cut short";
    // A tile's digit stands out from the flat body beside it (the strips
    // left and right of the digit), by a third of the brightness scale.
    for (int x0 = 0; x0 < 7 * 32; x0 += 32) {
        int body = 0, digit = 0;
        for (int y = 8; y < 24; ++y)
            for (int x : {4, 5, 6, 7, 24, 25, 26, 27}) body += Brightness(sheet.At(x0 + x, y));
        body /= 16 * 8;
        for (int y = 8; y < 24; ++y)
            for (int x = x0 + 9; x < x0 + 23; ++x)
                digit += std::abs(Brightness(sheet.At(x, y)) - body) > 85;
        EXPECT_GE(digit, 30) << "tile " << x0 / 32 + 1 << " shows no digit";
    }
}

namespace {

// The highest sample of a sound, which must be 16-bit at 44.1 kHz.
int Peak(const std::string& name) {
    const std::string path = kGame + "/sound/" + name;
    SDL_AudioSpec have;
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV(path.c_str(), &have, &buf, &len))
        throw std::runtime_error("cannot decode " + path + ": " + SDL_GetError());
    EXPECT_TRUE(have.format == AUDIO_S16LSB && have.freq == 44100)
        << name << " is not 16-bit 44.1 kHz";
    const int16_t* s = reinterpret_cast<int16_t*>(buf);
    int peak = 0;
    for (size_t i = 0; i < len / 2; ++i) peak = std::max(peak, std::abs(int{s[i]}));
    SDL_FreeWAV(buf);
    return peak;
}

}  // namespace

TEST(Sounds, NoEffectClipsOverAnyTune) {
    // The mixer adds an effect to the music with no volume control: the
    // peaks must fit together at any offset. change.wav never plays, and
    // gameover.wav follows the music: they need only fit alone.
    int tunes = 0;
    for (int i = 1; i <= sw::kTunes; ++i) {
        const std::string name = "bgm0" + std::to_string(i) + ".wav";
        const int peak = Peak(name);
        EXPECT_GT(peak, 0) << name << " is silent";
        tunes = std::max(tunes, peak);
    }
    for (const std::string fx :
         {"enter.wav", "select.wav", "on.wav", "del.wav", "lvup.wav", "change.wav", "gameover.wav"})
        EXPECT_LT(Peak(fx) + (fx == "change.wav" || fx == "gameover.wav" ? 0 : tunes), 32767)
            << fx << " clips";
}
