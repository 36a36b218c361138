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
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

const std::string kGame = SW_GAME_DIR;

uint16_t To565(uint32_t c) {  // the 16-bit value the game keys on
    return static_cast<uint16_t>((c >> 19 & 0x1F) << 11 | (c >> 10 & 0x3F) << 5 | (c >> 3 & 0x1F));
}

struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> rgb;  // 0xRRGGBB
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * w + x]; }
    uint16_t Key(int x, int y) const { return To565(At(x, y)); }
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

struct Rect {
    std::string name;
    int x, y, w, h;
};

std::vector<Rect> SheetRects() {
    std::vector<Rect> rects;
    std::ifstream in(SW_SHEET_RECTS);
    for (Rect r; in >> r.name;) {
        if (r.name[0] == '#')
            std::getline(in, r.name);
        else if (in >> r.x >> r.y >> r.w >> r.h)
            rects.push_back(r);
    }
    return rects;
}

// A cut as the game sees it (16-bit values, 0 for transparent), its count of
// opaque pixels and their bounding box, relative to the cut.
struct Cut {
    std::vector<uint16_t> keys;
    int ink = 0, x0 = 9999, y0 = 9999, x1 = -1, y1 = -1;
};
Cut CutOut(const Picture& p, const Rect& r) {
    Cut c;
    for (int y = 0; y < r.h; ++y)
        for (int x = 0; x < r.w; ++x) {
            c.keys.push_back(p.Key(r.x + x, r.y + y));
            if (c.keys.back() == 0) continue;
            ++c.ink, c.x0 = std::min(c.x0, x), c.y0 = std::min(c.y0, y);
            c.x1 = std::max(c.x1, x), c.y1 = std::max(c.y1, y);
        }
    return c;
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

// Eye 0 is normal vision, 1-3 Machado's protanopia, deuteranopia, tritanopia.
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

}  // namespace

TEST(Pictures, EveryFileHasItsSizeAndSurvivesItsColourKey) {
    // Keyed with black, only true black may reduce to 0x0000; loaded with the
    // key 255, nothing may reduce to 0x00FF; opaque pictures hold no black.
    enum { kBlack = 1, k255 = 2, kOpaque = 4 };
    std::map<std::string, int> files{{"etc.bmp", kBlack},   {"logo.bmp", k255 | kOpaque},
                                     {"bgmst.bmp", kBlack}, {"title.bmp", k255 | kOpaque},
                                     {"conf.bmp", kBlack},  {"white.bmp", kOpaque}};
    for (int i = 1; i <= 5; ++i) files["bg00" + std::to_string(i) + ".bmp"] = 7;
    std::set<std::vector<uint32_t>> backgrounds;
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
        if (name.rfind("bg0", 0) == 0) backgrounds.insert(p.rgb);
    }
    EXPECT_EQ(backgrounds.size(), 5u) << "two backgrounds are the same";
}

TEST(Pictures, SheetCutsHoldDistinctArtThatKeepsClear) {
    const Picture sheet = Load("etc.bmp"), frame = Load("bgmst.bmp");
    int border = 432;  // the well border's last column beside the chain digits
    for (int y = 40; y < 120; ++y)
        for (int x = 432; frame.Key(x, y) != 0; ++x) border = std::max(border, x);
    const auto rects = SheetRects();
    ASSERT_GE(rects.size(), 50u);
    std::map<std::string, std::vector<std::vector<uint16_t>>> kinds;  // by name without digits
    for (const Rect& r : rects) {
        ASSERT_TRUE(r.x >= 0 && r.y >= 0 && r.x + r.w <= sheet.w && r.y + r.h <= sheet.h) << r.name;
        const Cut c = CutOut(sheet, r);
        EXPECT_GT(c.ink, r.w * r.h / 20) << r.name << " is nearly empty";
        const std::string kind = r.name.substr(0, r.name.find_first_of("0123456789"));
        kinds[kind].push_back(c.keys);
        // The score's small digits never touch; the first chain digit, at x
        // 440, keeps off the border; the game-over banner starts six rows
        // below a sevens banner and must hide it whole.
        EXPECT_TRUE(kind != "small" || (c.x0 >= 1 && c.x1 <= r.w - 2)) << r.name << " touches";
        EXPECT_TRUE(kind != "large" || 440 + c.x0 >= border + 2) << r.name << " meets the border";
        EXPECT_TRUE(kind != "banner" || c.y0 >= 6) << r.name << " shows above the game-over banner";
    }
    for (const auto& [kind, cuts] : kinds)
        EXPECT_EQ(std::set(cuts.begin(), cuts.end()).size(), cuts.size()) << kind << "s look alike";
    // The game-over banner's last row is the small digits' first row: blank.
    for (int x = 0; x < 357; ++x) EXPECT_EQ(sheet.Key(x, 185), 0) << x;
    // The colon is two round dots, each as wide as it is high; the upper one
    // is also the level marker.
    for (const Rect& dot :
         {Rect{"upper dot", 190, 185, 19, 18}, Rect{"lower dot", 190, 203, 19, 13}}) {
        const Cut c = CutOut(sheet, dot);
        EXPECT_GE(c.x1 - c.x0, 5) << dot.name;
        EXPECT_LE(std::abs((c.x1 - c.x0) - (c.y1 - c.y0)), 1) << dot.name;
    }
}

TEST(Pictures, TilesStayApartForEveryEyeAndBlinkWithoutStrobing) {
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
                differ += sheet.Key(x, y) != sheet.Key(x, y + 32);
            }
        EXPECT_GT(differ, 400) << "tile " << d + 1 << ": the marked look must stand out";
        EXPECT_LE(std::fabs(marked - normal), 0.1 * normal) << "tile " << d + 1 << " strobes";
    }
    for (int e = 0; e < 4; ++e)
        for (int i = 0; i < 7; ++i)
            for (int j = i + 1; j < 7; ++j)
                EXPECT_GE(DeltaE2000(LabSeenBy(body[i], kEye[e]), LabSeenBy(body[j], kEye[e])),
                          e == 0 ? 20.0 : 10.0)
                    << "tiles " << i + 1 << " and " << j + 1 << " for eye " << e;
}

namespace {

struct Wave {
    std::vector<int16_t> s;  // interleaved, 44.1 kHz
    size_t channels = 1;
    double Seconds() const { return static_cast<double>(s.size()) / channels / 44100; }
    int Peak() const {
        const auto [lo, hi] = std::minmax_element(s.begin(), s.end());
        return std::max(-*lo, +*hi);
    }
    std::vector<double> Mono() const {
        std::vector<double> m(s.size() / channels, 0.0);
        for (size_t i = 0; i < s.size(); ++i) m[i / channels] += s[i] / double(channels);
        return m;
    }
};

Wave LoadWave(const std::string& name) {
    const std::string path = kGame + "/sound/" + name;
    SDL_AudioSpec have;
    Uint8* buf = nullptr;
    Uint32 len = 0;
    if (!SDL_LoadWAV(path.c_str(), &have, &buf, &len))
        throw std::runtime_error("cannot decode " + path + ": " + SDL_GetError());
    EXPECT_TRUE(have.format == AUDIO_S16LSB && have.freq == 44100)
        << name << " is not 16-bit 44.1 kHz";
    Wave w{{reinterpret_cast<int16_t*>(buf), reinterpret_cast<int16_t*>(buf + len)}, have.channels};
    SDL_FreeWAV(buf);
    return w;
}

// The mean power of n samples from `from`, in dB.
double Level(const std::vector<double>& x, size_t from = 0, size_t n = SIZE_MAX) {
    n = std::min(n, x.size() - from);
    double e = 1e-9;
    for (size_t i = from; i < from + n; ++i) e += x[i] * x[i];
    return 10 * std::log10(e / static_cast<double>(std::max<size_t>(n, 1)));
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

}  // namespace

TEST(Sounds, TunesLoopWithoutASeamAndEffectsRiseOverThemWithoutClipping) {
    const char* const kTunes[] = {"bgm01.wav", "bgm02.wav", "bgm03.wav"};
    std::vector<Wave> tunes;
    std::vector<double> loudness;
    for (const char* name : kTunes) {
        const Wave& w = tunes.emplace_back(LoadWave(name));
        EXPECT_TRUE(w.Seconds() >= 120 && w.Seconds() <= 180)
            << name << ": " << w.Seconds() << " s";
        EXPECT_GT(w.Peak(), 8000) << name << " is too quiet";
        // The step from the last frame to the first must be no larger than
        // the largest within a millisecond either side of it, or the loop
        // clicks (a step no larger than the music's own big ones can still
        // stand out from a quiet stretch).
        const size_t n = w.s.size(), ch = w.channels;
        for (size_t c = 0; c < ch; ++c) {
            int around = 0;
            for (size_t i = 1; i < 44; ++i)
                around = std::max({around, std::abs(w.s[i * ch + c] - w.s[(i - 1) * ch + c]),
                                   std::abs(w.s[n - i * ch + c] - w.s[n - (i + 1) * ch + c])});
            EXPECT_LE(std::abs(w.s[c] - w.s[n - ch + c]), around) << name << " clicks at its loop";
        }
        // No fade into the loop: the last two seconds as loud as the first.
        const auto mono = w.Mono(), high = HighPass4k(HighPass4k(mono));
        const size_t two = 2 * 44100, win = 8 * 44100;
        EXPECT_LE(std::fabs(Level(mono, mono.size() - two, two) - Level(mono, 0, two)), 2.0)
            << name << " fades into its loop";
        loudness.push_back(Level(mono));
        EXPECT_GE(Level(high) - loudness.back(), -20.0) << name << " is dull above 4 kHz";
        // Level and brightness of each 8-second stretch: two stretches that
        // differ clearly in either tell one section from the next.
        double lo[2] = {1e9, 1e9}, hi[2] = {-1e9, -1e9};
        for (size_t at = 0; at + win <= mono.size(); at += win / 2) {
            const double all = Level(mono, at, win), look[2] = {all, Level(high, at, win) - all};
            for (int k = 0; k < 2; ++k)
                lo[k] = std::min(lo[k], look[k]), hi[k] = std::max(hi[k], look[k]);
        }
        EXPECT_GE(std::max(hi[0] - lo[0], hi[1] - lo[1]), 4.0) << name << " never changes";
    }
    EXPECT_TRUE(tunes[0].s != tunes[1].s && tunes[1].s != tunes[2].s && tunes[0].s != tunes[2].s);
    for (const std::string fx : {"enter.wav", "select.wav", "on.wav", "del.wav", "lvup.wav",
                                 "change.wav", "gameover.wav"}) {
        const Wave e = LoadWave(fx);
        EXPECT_TRUE(e.Seconds() >= 0.05 && e.Seconds() <= 4) << fx << ": " << e.Seconds() << " s";
        EXPECT_TRUE(e.Peak() > 8000 && e.Peak() < 32767) << fx << " peaks at " << e.Peak();
        // The mixer adds an effect to the music with no volume control: the
        // peaks must fit together at any offset, and the effect must not
        // drown (change.wav never plays; gameover.wav follows the music).
        for (size_t t = 0; t < 3 && fx != "change.wav" && fx != "gameover.wav"; ++t) {
            EXPECT_LE(tunes[t].Peak() + e.Peak(), 32767) << fx << " over " << kTunes[t] << " clips";
            EXPECT_GE(Level(e.Mono()) - loudness[t], -6.0) << fx << " is lost in " << kTunes[t];
        }
    }
}
