// The built pictures and sounds: every file the game loads, every rectangle
// it cuts from the sprite sheet, the colour-key rules and the music loops.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace {

const std::string kGame = SW_GAME_DIR;
const std::string kRects = SW_SHEET_RECTS;

// A picture as its 24-bit colours and their 16-bit reductions.
struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * w + x]; }
    static uint16_t To565(uint32_t c) {
        return static_cast<uint16_t>((((c >> 16) & 0xFF) >> 3) << 11 |
                                     (((c >> 8) & 0xFF) >> 2) << 5 | ((c & 0xFF) >> 3));
    }
    uint16_t At565(int x, int y) const { return To565(At(x, y)); }
};

Picture Load(const std::string& name) {
    Picture p;
    const std::string path = kGame + "/pic/" + name;
    SDL_Surface* raw = SDL_LoadBMP(path.c_str());
    if (!raw) {
        ADD_FAILURE() << "cannot load " << path << ": " << SDL_GetError();
        return p;
    }
    SDL_Surface* s = SDL_ConvertSurfaceFormat(raw, SDL_PIXELFORMAT_RGB888, 0);
    SDL_FreeSurface(raw);
    p.w = s->w;
    p.h = s->h;
    for (int y = 0; y < s->h; ++y) {
        const auto* row =
            reinterpret_cast<const uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
        for (int x = 0; x < s->w; ++x) p.rgb.push_back(row[x] & 0xFFFFFF);
    }
    SDL_FreeSurface(s);
    return p;
}

struct Rect {
    std::string name;
    int x, y, w, h;
};

std::vector<Rect> SheetRects() {
    std::vector<Rect> rects;
    std::ifstream in(kRects);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ls(line);
        Rect r;
        ls >> r.name >> r.x >> r.y >> r.w >> r.h;
        rects.push_back(r);
    }
    return rects;
}

// The cut as the game sees it: 16-bit values, 0 for transparent.
std::vector<uint16_t> Cut(const Picture& p, const Rect& r) {
    std::vector<uint16_t> v;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) v.push_back(p.At565(x, y));
    return v;
}

// Colour science for the tiles: linear light, contrast ratio, CIE Lab (D65),
// CIEDE2000, and Machado's (2009) dichromacy at full severity in linear RGB.
using Rgb = std::array<double, 3>;  // linear RGB, or Lab

Rgb Linear(uint32_t c) {
    auto lin = [](double s) {
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return {lin((c >> 16 & 0xFF) / 255.0), lin((c >> 8 & 0xFF) / 255.0), lin((c & 0xFF) / 255.0)};
}
double Luma(const Rgb& v) {
    return 0.2126 * v[0] + 0.7152 * v[1] + 0.0722 * v[2];
}
double Contrast(const Rgb& a, const Rgb& b) {
    return (std::max(Luma(a), Luma(b)) + 0.05) / (std::min(Luma(a), Luma(b)) + 0.05);
}
Rgb LabSeenBy(const Rgb& rgb, const double (&m)[9]) {
    Rgb v, f;
    for (int k = 0; k < 3; ++k)
        v[k] =
            std::clamp(m[3 * k] * rgb[0] + m[3 * k + 1] * rgb[1] + m[3 * k + 2] * rgb[2], 0.0, 1.0);
    const double xyz[3] = {(0.4124 * v[0] + 0.3576 * v[1] + 0.1805 * v[2]) / 0.95047, Luma(v),
                           (0.0193 * v[0] + 0.1192 * v[1] + 0.9505 * v[2]) / 1.08883};
    for (int k = 0; k < 3; ++k)
        f[k] = xyz[k] > 0.008856 ? std::cbrt(xyz[k]) : 7.787 * xyz[k] + 16.0 / 116;
    return {116 * f[1] - 16, 500 * (f[0] - f[1]), 200 * (f[1] - f[2])};
}
double DeltaE2000(const Rgb& p, const Rgb& q) {
    const double r = 3.14159265358979 / 180, k25 = 6103515625.0;  // 25^7
    const double c7 = std::pow((std::hypot(p[1], p[2]) + std::hypot(q[1], q[2])) / 2, 7);
    const double g = 1.5 - 0.5 * std::sqrt(c7 / (c7 + k25));
    const double c1 = std::hypot(p[1] * g, p[2]), c2 = std::hypot(q[1] * g, q[2]);
    double h1 = std::atan2(p[2], p[1] * g) / r, h2 = std::atan2(q[2], q[1] * g) / r;
    h1 += h1 < 0 ? 360 : 0, h2 += h2 < 0 ? 360 : 0;
    const double d = h2 - h1, dh = std::fabs(d) <= 180 ? d : d > 0 ? d - 360 : d + 360;
    const double hm = (h1 + h2 + (std::fabs(d) <= 180 ? 0 : h1 + h2 < 360 ? 360 : -360)) / 2;
    const double cm = (c1 + c2) / 2, cm7 = std::pow(cm, 7),
                 lm = std::pow((p[0] + q[0]) / 2 - 50, 2);
    const double t = 1 - 0.17 * std::cos((hm - 30) * r) + 0.24 * std::cos(2 * hm * r) +
                     0.32 * std::cos((3 * hm + 6) * r) - 0.2 * std::cos((4 * hm - 63) * r);
    const double rt = -2 * std::sqrt(cm7 / (cm7 + k25)) *
                      std::sin(60 * std::exp(-std::pow((hm - 275) / 25, 2)) * r);
    const double l = (q[0] - p[0]) / (1 + 0.015 * lm / std::sqrt(20 + lm)),
                 c = (c2 - c1) / (1 + 0.045 * cm),
                 h = 2 * std::sqrt(c1 * c2) * std::sin(dh / 2 * r) / (1 + 0.015 * cm * t);
    return std::sqrt(l * l + c * c + h * h + rt * c * h);
}

// Normal vision, then Machado's protanopia, deuteranopia and tritanopia.
const double kEye[4][9] = {
    {1, 0, 0, 0, 1, 0, 0, 0, 1},
    {0.152286, 1.052583, -0.204868, 0.114503, 0.786281, 0.099216, -0.003882, -0.048116, 1.051998},
    {0.367322, 0.860646, -0.227968, 0.280085, 0.672501, 0.047413, -0.011820, 0.042940, 0.968881},
    {1.255528, -0.076749, -0.178779, -0.078411, 0.930809, 0.147602, 0.004733, 0.691367, 0.303900},
};

// A tile's body colour (the mean of the strips beside its digit, in linear
// light) and its digit's (the commonest colour in the middle that stands
// out from the body).
std::pair<Rgb, Rgb> TileColours(const Picture& p, int x0) {
    Rgb body{};
    for (int y = 8; y < 24; ++y)
        for (int x : {4, 5, 6, 7, 24, 25, 26, 27})
            for (int k = 0; k < 3; ++k) body[k] += Linear(p.At(x0 + x, y))[k] / 128;
    std::map<uint32_t, int> count;
    for (int y = 6; y < 26; ++y)
        for (int x = x0 + 8; x < x0 + 24; ++x)
            if (Contrast(Linear(p.At(x, y)), body) >= 2) ++count[p.At(x, y)];
    const auto digit = std::max_element(count.begin(), count.end(),
                                        [](auto& a, auto& b) { return a.second < b.second; });
    return {body, Linear(digit == count.end() ? 0 : digit->first)};
}

// The bounding box of a cut's ink, relative to the cut.
struct Box {
    int x0 = 9999, y0 = 9999, x1 = -1, y1 = -1;
};
Box Ink(const Picture& p, const Rect& r) {
    Box b;
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x)
            if (p.At565(r.x + x, r.y + y) != 0)
                b = {std::min(b.x0, x), std::min(b.y0, y), std::max(b.x1, x), std::max(b.y1, y)};
    return b;
}

}  // namespace

TEST(Pictures, EveryFileTheGameLoadsHasItsSize) {
    const std::map<std::string, std::pair<int, int>> sizes{
        {"etc.bmp", {640, 480}},   {"logo.bmp", {640, 480}},  {"title.bmp", {640, 480}},
        {"bgmst.bmp", {640, 480}}, {"conf.bmp", {605, 480}},  {"white.bmp", {640, 480}},
        {"bg001.bmp", {640, 480}}, {"bg002.bmp", {640, 480}}, {"bg003.bmp", {640, 480}},
        {"bg004.bmp", {640, 480}}, {"bg005.bmp", {640, 480}}};
    for (const auto& [name, size] : sizes) {
        const Picture p = Load(name);
        EXPECT_EQ(p.w, size.first) << name;
        EXPECT_EQ(p.h, size.second) << name;
    }
}

TEST(Pictures, SheetRectanglesLieInsideAndHoldArt) {
    const Picture sheet = Load("etc.bmp");
    const auto rects = SheetRects();
    ASSERT_GE(rects.size(), 50u);
    for (const Rect& r : rects) {
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= sheet.w && r.y + r.h <= sheet.h) << r.name;
        const auto cut = Cut(sheet, r);
        const auto opaque =
            std::count_if(cut.begin(), cut.end(), [](uint16_t v) { return v != 0; });
        EXPECT_GT(opaque, static_cast<long>(cut.size()) / 20) << r.name << " is nearly empty";
    }
}

TEST(Pictures, GlyphsOfEachSizeDifferFromEachOther) {
    const Picture sheet = Load("etc.bmp");
    for (const char* prefix : {"small", "large", "tile", "marked", "banner"}) {
        std::vector<std::vector<uint16_t>> cuts;
        for (const Rect& r : SheetRects()) {
            if (r.name.rfind(prefix, 0) == 0) cuts.push_back(Cut(sheet, r));
        }
        ASSERT_GE(cuts.size(), 5u) << prefix;
        for (size_t i = 0; i < cuts.size(); ++i)
            for (size_t j = i + 1; j < cuts.size(); ++j)
                EXPECT_NE(cuts[i], cuts[j]) << prefix << " " << i << " and " << j << " look alike";
    }
}

TEST(Pictures, SharedRowsLookRightInEveryCut) {
    const Picture sheet = Load("etc.bmp");
    // The game-over banner's last row is the small digits' first row: blank.
    for (int x = 0; x < 357; ++x) EXPECT_EQ(sheet.At565(x, 185), 0) << x;
    // The level marker is the colon's upper dot; the lower dot is checked
    // with the glyphs.
}

TEST(Pictures, OpaqueArtNeverTurnsIntoAColourKey) {
    // Keyed with black: only true black may reduce to 0x0000.
    for (const char* name : {"etc.bmp", "bgmst.bmp", "conf.bmp", "bg001.bmp", "bg002.bmp",
                             "bg003.bmp", "bg004.bmp", "bg005.bmp"}) {
        const Picture p = Load(name);
        int bad = 0;
        for (uint32_t c : p.rgb) bad += c != 0 && Picture::To565(c) == 0;
        EXPECT_EQ(bad, 0) << name << ": dark art pixels would turn transparent";
    }
    // Loaded with the key 255: no pixel may reduce to 0x00FF.
    for (const char* name : {"logo.bmp", "title.bmp", "bg001.bmp", "bg002.bmp", "bg003.bmp",
                             "bg004.bmp", "bg005.bmp"}) {
        const Picture p = Load(name);
        int bad = 0;
        for (uint32_t c : p.rgb) bad += Picture::To565(c) == 0x00FF;
        EXPECT_EQ(bad, 0) << name;
    }
    // Full-screen pictures and backgrounds are opaque everywhere.
    for (const char* name : {"logo.bmp", "title.bmp", "white.bmp", "bg001.bmp", "bg005.bmp"}) {
        const Picture p = Load(name);
        EXPECT_EQ(std::count(p.rgb.begin(), p.rgb.end(), 0u), 0) << name;
    }
}

TEST(Pictures, TilesStayApartForEveryEyeAndBlinkWithoutStrobing) {
    const char* const kNames[] = {"normal vision", "protanopia", "deuteranopia", "tritanopia"};
    const Picture sheet = Load("etc.bmp");
    std::vector<Rgb> body;
    for (int d = 0; d < 7; ++d) {
        const auto [b, digit] = TileColours(sheet, 32 * d);
        body.push_back(b);
        EXPECT_GE(Contrast(b, digit), 4.5) << "digit on tile " << d + 1;
        // The marked look (the blink) differs by pattern, not by brightness.
        double normal = 0, marked = 0;
        int differ = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 32 * d; x < 32 * d + 32; ++x) {
                normal += Luma(Linear(sheet.At(x, y)));
                marked += Luma(Linear(sheet.At(x, y + 32)));
                differ += sheet.At565(x, y) != sheet.At565(x, y + 32);
            }
        EXPECT_GT(differ, 400) << "tile " << d + 1 << ": the marked look must stand out";
        EXPECT_LE(std::fabs(marked - normal), 0.1 * normal) << "tile " << d + 1 << " strobes";
    }
    for (int e = 0; e < 4; ++e)
        for (int i = 0; i < 7; ++i)
            for (int j = i + 1; j < 7; ++j)
                EXPECT_GE(DeltaE2000(LabSeenBy(body[i], kEye[e]), LabSeenBy(body[j], kEye[e])),
                          e == 0 ? 20.0 : 10.0)
                    << "tiles " << i + 1 << " and " << j + 1 << " under " << kNames[e];
}

TEST(Pictures, GlyphsKeepClearOfEachOtherAndTheirSurroundings) {
    const Picture sheet = Load("etc.bmp"), frame = Load("bgmst.bmp");
    int border = 432;  // the well border's last column beside the chain digits
    for (int y = 40; y < 120; ++y)
        for (int x = 432; frame.At565(x, y) != 0; ++x) border = std::max(border, x);
    for (const Rect& r : SheetRects()) {
        const Box ink = Ink(sheet, r);
        auto is = [&](const char* kind) { return r.name.rfind(kind, 0) == 0; };
        // The score's small digits never touch; the first chain digit, at x
        // 440, keeps off the border; the game-over banner starts six rows
        // below a sevens banner and must hide it whole.
        EXPECT_TRUE(!is("small") || (ink.x0 >= 1 && ink.x1 <= r.w - 2)) << r.name << " touches";
        EXPECT_TRUE(!is("large") || 440 + ink.x0 >= border + 2) << r.name << " meets the border";
        EXPECT_TRUE(!is("banner") || ink.y0 >= 6) << r.name << " shows above the game-over banner";
    }
    // The colon is two round dots, each as wide as it is high.
    for (const Rect& dot :
         {Rect{"upper dot", 190, 185, 19, 18}, Rect{"lower dot", 190, 203, 19, 13}}) {
        const Box ink = Ink(sheet, dot);
        EXPECT_GE(ink.x1 - ink.x0, 5) << dot.name;
        EXPECT_LE(std::abs((ink.x1 - ink.x0) - (ink.y1 - ink.y0)), 1) << dot.name;
    }
}

TEST(Pictures, BackgroundsDifferFromEachOther) {
    std::vector<Picture> bgs;
    for (const char* n : {"bg001.bmp", "bg002.bmp", "bg003.bmp", "bg004.bmp", "bg005.bmp"})
        bgs.push_back(Load(n));
    for (size_t i = 0; i < bgs.size(); ++i)
        for (size_t j = i + 1; j < bgs.size(); ++j) EXPECT_NE(bgs[i].rgb, bgs[j].rgb);
}

namespace {

struct Wave {
    std::vector<int16_t> samples;  // interleaved
    int channels = 0, rate = 0;
    double Seconds() const { return static_cast<double>(samples.size()) / channels / rate; }
};

Wave LoadWave(const std::string& name) {
    Wave w;
    const std::string path = kGame + "/sound/" + name;
    SDL_AudioSpec have;
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV(path.c_str(), &have, &buf, &len)) {
        ADD_FAILURE() << "cannot decode " << path << ": " << SDL_GetError();
        return w;
    }
    EXPECT_EQ(have.format, AUDIO_S16LSB) << name << " is 16-bit PCM";
    w.channels = have.channels;
    w.rate = have.freq;
    w.samples.assign(reinterpret_cast<int16_t*>(buf), reinterpret_cast<int16_t*>(buf + len));
    SDL_FreeWAV(buf);
    return w;
}

int Peak(const Wave& w, int c = -1) {  // of channel c, or of all when c is -1
    int peak = 0;
    for (size_t i = 0; i < w.samples.size(); ++i)
        if (c < 0 || static_cast<int>(i) % w.channels == c)
            peak = std::max<int>(peak, std::abs(w.samples[i]));
    return peak;
}

// The mean power of n samples from `from`, in dB.
double Level(const std::vector<double>& x, size_t from = 0, size_t n = SIZE_MAX) {
    n = std::min(n, x.size() - from);
    double e = 1e-9;
    for (size_t i = from; i < from + n; ++i) e += x[i] * x[i];
    return 10 * std::log10(e / static_cast<double>(std::max<size_t>(n, 1)));
}

std::vector<double> Mono(const Wave& w) {
    std::vector<double> m(w.samples.size() / w.channels, 0.0);
    for (size_t i = 0; i < w.samples.size(); ++i) m[i / w.channels] += w.samples[i] / w.channels;
    return m;
}

// A second-order Butterworth high-pass at 4 kHz (44.1 kHz sampling).
std::vector<double> HighPass4k(const std::vector<double>& x) {
    const double c = std::cos(2 * 3.14159265358979 * 4000 / 44100), a = std::sqrt(0.5 - c * c / 2);
    std::vector<double> y(x.size());
    for (size_t i = 2; i < x.size(); ++i)
        y[i] = ((1 + c) / 2 * (x[i] - 2 * x[i - 1] + x[i - 2]) + 2 * c * y[i - 1] -
                (1 - a) * y[i - 2]) /
               (1 + a);
    return y;
}

const char* const kTunes[] = {"bgm01.wav", "bgm02.wav", "bgm03.wav"};

}  // namespace

TEST(Sounds, MusicIsLongVariedBrightAndLoopsWithoutASeam) {
    std::vector<std::vector<int16_t>> tracks;
    for (const char* name : kTunes) {
        const Wave w = LoadWave(name);
        ASSERT_GT(w.channels, 0) << name;
        EXPECT_GE(w.Seconds(), 120.0) << name << " repeats too soon";
        EXPECT_LE(w.Seconds(), 180.0) << name;
        EXPECT_GT(Peak(w), 8000) << name << " is too quiet";
        // The step from the last frame to the first must be no larger than
        // the steps inside the music, or the loop clicks.
        for (int c = 0; c < w.channels; ++c) {
            std::vector<int> steps;
            const size_t frames = w.samples.size() / w.channels;
            for (size_t i = 1; i < frames; ++i) {
                steps.push_back(
                    std::abs(w.samples[i * w.channels + c] - w.samples[(i - 1) * w.channels + c]));
            }
            std::nth_element(steps.begin(), steps.begin() + steps.size() * 99 / 100, steps.end());
            const int p99 = steps[steps.size() * 99 / 100];
            const int seam = std::abs(w.samples[c] - w.samples[(frames - 1) * w.channels + c]);
            EXPECT_LE(seam, p99) << name << " channel " << c;
        }
        // No fade into the loop: the last two seconds as loud as the first.
        const auto mono = Mono(w), high = HighPass4k(HighPass4k(mono));
        const size_t two = 2 * 44100, win = 8 * 44100;
        EXPECT_LE(std::fabs(Level(mono, mono.size() - two, two) - Level(mono, 0, two)), 2.0)
            << name << " fades into its loop";
        EXPECT_GE(Level(high) - Level(mono), -20.0) << name << " is dull above 4 kHz";
        // Level and brightness of each 8-second stretch: two stretches that
        // differ clearly in either tell one section from the next.
        double lo[2] = {1e9, 1e9}, hi[2] = {-1e9, -1e9};
        for (size_t at = 0; at + win <= mono.size(); at += win / 2) {
            const double all = Level(mono, at, win), look[2] = {all, Level(high, at, win) - all};
            for (int k = 0; k < 2; ++k)
                lo[k] = std::min(lo[k], look[k]), hi[k] = std::max(hi[k], look[k]);
        }
        EXPECT_GE(std::max(hi[0] - lo[0], hi[1] - lo[1]), 4.0)
            << name << " sounds the same throughout";
        tracks.push_back(w.samples);
    }
    EXPECT_NE(tracks[0], tracks[1]);
    EXPECT_NE(tracks[1], tracks[2]);
}

TEST(Sounds, EffectsAreShortAndRiseOverEveryTuneWithoutClipping) {
    std::vector<Wave> tunes;
    for (const char* t : kTunes) tunes.push_back(LoadWave(t));
    for (const char* fx : {"enter.wav", "select.wav", "on.wav", "del.wav", "lvup.wav", "change.wav",
                           "gameover.wav"}) {
        const Wave e = LoadWave(fx);
        EXPECT_GE(e.Seconds(), 0.05) << fx;
        EXPECT_LE(e.Seconds(), 4.0) << fx;
        EXPECT_LT(Peak(e), 32767) << fx << " clips";
        EXPECT_GT(Peak(e), 8000) << fx << " is too quiet";
        // The mixer adds an effect to the music with no volume control: the
        // peaks must fit together at any offset, and the effect must not
        // drown (change.wav never plays; gameover.wav follows the music).
        for (size_t t = 0; t < tunes.size() && fx[0] != 'c' && fx[0] != 'g'; ++t) {
            EXPECT_LE(std::max(Peak(tunes[t], 0) + Peak(e, 0), Peak(tunes[t], 1) + Peak(e, 1)),
                      32767)
                << fx << " over " << kTunes[t] << " clips";
            EXPECT_GE(Level(Mono(e)) - Level(Mono(tunes[t])), -6.0)
                << fx << " is lost in " << kTunes[t];
        }
    }
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
