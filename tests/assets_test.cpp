// The built pictures and sounds: every file the game loads, every rectangle
// it cuts from the sprite sheet, the colour-key rules and the music loops.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
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
        ASSERT_GE(r.x, 0) << r.name;
        ASSERT_GE(r.y, 0) << r.name;
        ASSERT_LE(r.x + r.w, sheet.w) << r.name;
        ASSERT_LE(r.y + r.h, sheet.h) << r.name;
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
    // The marked look must stand out from the normal one.
    for (int d = 0; d < 7; ++d) {
        const auto normal = Cut(sheet, {"", 32 * d, 0, 32, 32});
        const auto marked = Cut(sheet, {"", 32 * d, 32, 32, 32});
        int differ = 0;
        for (size_t i = 0; i < normal.size(); ++i) differ += normal[i] != marked[i];
        EXPECT_GT(differ, 400) << "tile " << d + 1;
    }
}

TEST(Pictures, SharedRowsLookRightInEveryCut) {
    const Picture sheet = Load("etc.bmp");
    // The game-over banner's last row is the small digits' first row: blank.
    for (int x = 0; x < 357; ++x) EXPECT_EQ(sheet.At565(x, 185), 0) << x;
    // The level marker is the colon's upper dot: the colon keeps a lower one.
    int lower = 0;
    for (int y = 203; y < 216; ++y)
        for (int x = 190; x < 209; ++x) lower += sheet.At565(x, y) != 0;
    EXPECT_GT(lower, 40);
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

// The loudest sample of channel c, or of all channels when c is -1.
int Peak(const Wave& w, int c = -1) {
    int peak = 0;
    for (size_t i = 0; i < w.samples.size(); ++i)
        if (c < 0 || static_cast<int>(i) % w.channels == c)
            peak = std::max(peak, std::abs(static_cast<int>(w.samples[i])));
    return peak;
}

double Rms(const std::vector<double>& x, size_t from = 0, size_t n = SIZE_MAX) {
    n = std::min(n, x.size() - from);
    double e = 0;
    for (size_t i = from; i < from + n; ++i) e += x[i] * x[i];
    return std::sqrt(e / static_cast<double>(std::max<size_t>(n, 1)));
}

std::vector<double> Mono(const Wave& w) {
    std::vector<double> m(w.samples.size() / w.channels, 0.0);
    for (size_t i = 0; i < w.samples.size(); ++i) m[i / w.channels] += w.samples[i];
    for (double& v : m) v /= w.channels;
    return m;
}

// A Butterworth second-order high-pass or low-pass filter (44.1 kHz).
std::vector<double> Filter(const std::vector<double>& x, double hz, bool high) {
    const double w = 2 * 3.14159265358979 * hz / 44100, c = std::cos(w);
    const double a = std::sin(w) / std::sqrt(2.0), b0 = (high ? 1 + c : 1 - c) / 2;
    const double b1 = high ? -2 * b0 : 2 * b0;
    std::vector<double> y(x.size());
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (size_t i = 0; i < x.size(); ++i) {
        y[i] = (b0 * x[i] + b1 * x1 + b0 * x2 + 2 * c * y1 - (1 - a) * y2) / (1 + a);
        x2 = x1, x1 = x[i], y2 = y1, y1 = y[i];
    }
    return y;
}

double Db(double ratio) {
    return 20 * std::log10(std::max(ratio, 1e-9));
}

const char* const kTunes[] = {"bgm01.wav", "bgm02.wav", "bgm03.wav"};

}  // namespace

TEST(Sounds, EffectsAreShortAndUnclipped) {
    for (const char* name : {"enter.wav", "select.wav", "on.wav", "del.wav", "change.wav",
                             "lvup.wav", "gameover.wav"}) {
        const Wave w = LoadWave(name);
        EXPECT_GE(w.Seconds(), 0.05) << name;
        EXPECT_LE(w.Seconds(), 4.0) << name;
        EXPECT_LT(Peak(w), 32767) << name << " clips";
        EXPECT_GT(Peak(w), 8000) << name << " is too quiet";
    }
}

TEST(Sounds, MusicIsLongUnclippedAndLoopsWithoutAJump) {
    std::vector<std::vector<int16_t>> tracks;
    for (const char* name : {"bgm01.wav", "bgm02.wav", "bgm03.wav"}) {
        const Wave w = LoadWave(name);
        ASSERT_GT(w.channels, 0) << name;
        EXPECT_GE(w.Seconds(), 120.0) << name << " repeats too soon";
        EXPECT_LE(w.Seconds(), 180.0) << name;
        EXPECT_LT(Peak(w), 32767) << name << " clips";
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
        const auto mono = Mono(w);
        const size_t two = 2 * static_cast<size_t>(w.rate);
        EXPECT_LE(std::fabs(Db(Rms(mono, mono.size() - two) / Rms(mono, 0, two))), 2.0) << name;
        tracks.push_back(w.samples);
    }
    EXPECT_NE(tracks[0], tracks[1]);
    EXPECT_NE(tracks[1], tracks[2]);
}

TEST(Sounds, EffectsRiseOverEveryTuneWithoutClipping) {
    // The mixer adds the two with no volume control: the peaks must fit
    // together at any offset, and the effect must not drown in the music.
    for (const char* tune : kTunes) {
        const Wave t = LoadWave(tune);
        const double tuneRms = Rms(Mono(t));
        for (const char* fx : {"enter.wav", "select.wav", "on.wav", "del.wav", "lvup.wav"}) {
            const Wave e = LoadWave(fx);
            EXPECT_LE(std::max(Peak(t, 0) + Peak(e, 0), Peak(t, 1) + Peak(e, 1)), 32767)
                << fx << " over " << tune << " clips";
            EXPECT_GE(Db(Rms(Mono(e)) / tuneRms), -6.0) << fx << " is lost in " << tune;
        }
    }
}

TEST(Sounds, TunesHaveContrastingSectionsAndABrightTop) {
    for (const char* name : kTunes) {
        const auto mono = Mono(LoadWave(name));
        const auto low = Filter(mono, 250, false),
                   high = Filter(Filter(mono, 4000, true), 4000, true);
        EXPECT_GE(Db(Rms(high) / Rms(mono)), -20.0) << name << " is dull above 4 kHz";
        // Level, bass and treble of each 8-second stretch, in dB: two
        // stretches that differ clearly tell one section from the next.
        const size_t win = 8 * 44100;
        std::vector<std::vector<double>> looks;
        for (size_t at = 0; at + win <= mono.size(); at += win / 2) {
            const double all = Rms(mono, at, win);
            looks.push_back({Db(all), Db(Rms(low, at, win) / all), Db(Rms(high, at, win) / all)});
        }
        double contrast = 0;
        for (const auto& a : looks)
            for (const auto& b : looks)
                for (size_t k = 0; k < a.size(); ++k)
                    contrast = std::max(contrast, std::fabs(a[k] - b[k]));
        EXPECT_GE(contrast, 4.0) << name << " sounds the same all through";
    }
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
