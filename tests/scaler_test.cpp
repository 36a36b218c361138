// The table scaler of the window-surface path, on plain memory: where the
// picture lands, that every window pixel shows the picture pixel under its
// centre, and that a changed frame sends exactly its changed bands.
#include "present/scaler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kW = 640, kH = 480;

struct Window {
    int w, h;
    bool whole;
    sw::Box expect;
};

// 1x, 2x and 3x, letterboxed or not; fractional fits; a window below 1x.
const Window kWindows[] = {
    {640, 480, false, {0, 0, 640, 480}},       {1400, 1000, false, {60, 20, 1280, 960}},
    {2000, 1500, false, {40, 30, 1920, 1440}}, {1366, 768, false, {171, 0, 1024, 768}},
    {1600, 900, false, {200, 0, 1200, 900}},   {1280, 720, false, {160, 0, 960, 720}},
    {1366, 768, true, {363, 144, 640, 480}},   {600, 480, true, {0, 15, 600, 450}},
};

std::vector<uint32_t> Lut() {
    std::vector<uint32_t> lut(65536);
    for (uint32_t v = 0; v < lut.size(); ++v) lut[v] = 0xFF000000u | v;
    return lut;
}

// The picture pixel under the centre of window pixel x of a box n wide.
int Under(int x, int n, int box) {
    return static_cast<int>(std::floor((x + 0.5) * n / box));
}

// The first window pixel of a box that shows picture pixel p or beyond.
int First(int p, int n, int box) {
    int x = 0;
    while (x < box && Under(x, n, box) < p) ++x;
    return x;
}

std::vector<int> Corners(const sw::Box& b) {
    return {b.x, b.y, b.w, b.h};
}

struct Target {
    sw::Scaler scaler;
    std::vector<uint32_t> pixels;
    std::vector<sw::Box> rects;
    explicit Target(const Window& w) : pixels(static_cast<size_t>(w.w) * w.h, 0x12345678u) {
        scaler.Plan(w.w, w.h, w.whole);
    }
    void Copy(const std::vector<uint16_t>& frame, const std::vector<uint16_t>* shown) {
        static const std::vector<uint32_t> lut = Lut();
        scaler.Copy(frame.data(), shown ? shown->data() : nullptr, lut.data(), pixels.data(),
                    scaler.WindowW() * 4, 4, rects);
    }
    uint32_t At(int x, int y) const {
        return pixels[static_cast<size_t>(y) * scaler.WindowW() + x];
    }
};

std::vector<uint16_t> Frame(uint16_t (*value)(int x, int y)) {
    std::vector<uint16_t> f(kW * kH);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) f[y * kW + x] = value(x, y);
    return f;
}

}  // namespace

TEST(Scaler, EveryWindowPixelShowsThePicturePixelUnderItsCentre) {
    // Two frames: one names each pixel's column, the other its row.
    const auto cols = Frame([](int x, int) { return static_cast<uint16_t>(x + 1); });
    const auto rows = Frame([](int, int y) { return static_cast<uint16_t>(y + 1); });
    for (const Window& w : kWindows) {
        Target t(w);
        const sw::Box b = t.scaler.Picture();
        ASSERT_EQ(Corners(b), Corners(w.expect)) << w.w << "x" << w.h;
        for (const auto* frame : {&cols, &rows}) {
            t.Copy(*frame, nullptr);
            ASSERT_EQ(t.rects.size(), 1u);
            int wrong = 0;
            for (int y = 0; y < w.h; ++y) {
                for (int x = 0; x < w.w; ++x) {
                    const bool in = x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h;
                    const int sx = Under(x - b.x, kW, b.w), sy = Under(y - b.y, kH, b.h);
                    const uint32_t want = !in ? 0 : frame == &cols ? sx + 1 : sy + 1;
                    wrong += t.At(x, y) != (0xFF000000u | want);  // black bars around
                }
            }
            EXPECT_EQ(wrong, 0) << w.w << "x" << w.h << (frame == &cols ? " columns" : " rows");
        }
    }
}

TEST(Scaler, ChangedFrameSendsExactlyItsChangedBands) {
    const auto before = Frame([](int x, int y) { return static_cast<uint16_t>(x * 7 + y * 131); });
    // Changes at the edges of bands and of the picture: the last row of
    // band 0 at the left edge, the first row of band 1 at the right edge,
    // the bottom row, and a run in the middle of band 30.
    auto after = before;
    const int changed[][2] = {{0, 7}, {639, 8}, {300, 479}, {100, 243}, {130, 245}};
    for (const auto& c : changed) after[c[1] * kW + c[0]] ^= 0x5555;
    const int bands[][3] = {{0, 0, 0}, {1, 639, 639}, {30, 100, 130}, {59, 300, 300}};
    for (const Window& w : {kWindows[0], kWindows[1], kWindows[2], kWindows[3]}) {
        Target full(w), t(w);
        full.Copy(after, nullptr);
        t.Copy(after, &before);  // onto the sentinel: shows what was written
        const sw::Box b = t.scaler.Picture();
        ASSERT_EQ(t.rects.size(), 4u) << w.w;
        for (int i = 0; i < 4; ++i) {
            // The window pixels of the band's rows and changed columns.
            const auto [band, lo, hi] = bands[i];
            const int x = First(lo, kW, b.w), y = First(band * 8, kH, b.h);
            EXPECT_EQ(Corners(t.rects[i]),
                      std::vector<int>({b.x + x, b.y + y, First(hi + 1, kW, b.w) - x,
                                        First(band * 8 + 8, kH, b.h) - y}))
                << w.w << "x" << w.h << " band " << band;
        }
        // Inside the rectangles the full picture; outside, nothing written.
        int wrong = 0;
        for (int y = 0; y < w.h; ++y) {
            for (int x = 0; x < w.w; ++x) {
                bool in = false;
                for (const sw::Box& r : t.rects)
                    in |= x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
                wrong += t.At(x, y) != (in ? full.At(x, y) : 0x12345678u);
            }
        }
        EXPECT_EQ(wrong, 0) << w.w << "x" << w.h;
        t.Copy(after, &after);
        EXPECT_TRUE(t.rects.empty()) << "an unchanged frame sends nothing";
    }
}
