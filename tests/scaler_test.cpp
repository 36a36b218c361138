// The table scaler of the window-surface path, on plain memory: where the
// picture lands in windows at 1x, 2x and 3x, letterboxed, fractional and
// below 1x; that a full copy shows in every window pixel the picture pixel
// under its centre, black bars around; and that a changed frame then sends
// exactly its changed bands and writes nothing else.
#include "present/scaler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kW = 640, kH = 480;
constexpr uint32_t kUnwritten = 0x12345678u;

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

}  // namespace

TEST(Scaler, FullCopyShowsThePixelUnderEachCentreAndAnUpdateOnlyItsChangedBands) {
    const struct {
        int w, h;
        bool whole;
        std::vector<int> box;
    } windows[] = {
        {640, 480, false, {0, 0, 640, 480}},       {1400, 1000, false, {60, 20, 1280, 960}},
        {2000, 1500, false, {40, 30, 1920, 1440}}, {1366, 768, false, {171, 0, 1024, 768}},
        {1600, 900, false, {200, 0, 1200, 900}},   {1280, 720, false, {160, 0, 960, 720}},
        {1366, 768, true, {363, 144, 640, 480}},   {600, 480, true, {0, 15, 600, 450}},
    };
    std::vector<uint32_t> lut(65536);  // the value itself, made opaque
    for (uint32_t v = 0; v < lut.size(); ++v) lut[v] = 0xFF000000u | v;
    // Neighbouring pixels differ; the changes sit at the edges of bands and
    // of the picture: the last row of band 0 at the left edge, the first row
    // of band 1 at the right edge, the bottom row, and a run inside band 30.
    std::vector<uint16_t> before(kW * kH);
    for (int i = 0; i < kW * kH; ++i) before[i] = static_cast<uint16_t>(i % kW * 7 + i / kW * 131);
    auto after = before;
    const int changed[][2] = {{0, 7}, {639, 8}, {300, 479}, {100, 243}, {130, 245}};
    for (const auto [x, y] : changed) after[y * kW + x] ^= 0x5555;
    const int bands[][3] = {{0, 0, 0}, {1, 639, 639}, {30, 100, 130}, {59, 300, 300}};
    for (const auto& w : windows) {
        sw::Scaler s;
        s.Plan(w.w, w.h, w.whole);
        const sw::Box b = s.Picture();
        ASSERT_EQ(std::vector<int>({b.x, b.y, b.w, b.h}), w.box) << w.w << "x" << w.h;
        // The full copy writes the whole window; the update one rectangle a
        // changed band: its rows, from its first to its last changed column.
        std::vector<std::vector<int>> want[2] = {{{0, 0, w.w, w.h}}, {}};
        for (const auto [band, lo, hi] : bands) {
            const int x = First(lo, kW, b.w), y = First(band * 8, kH, b.h);
            want[1].push_back(
                {b.x + x, b.y + y, First(hi + 1, kW, b.w) - x, First(band * 8 + 8, kH, b.h) - y});
        }
        std::vector<uint32_t> px(static_cast<size_t>(w.w) * w.h);
        std::vector<sw::Box> rects;
        for (int update = 0; update < 2; ++update) {
            const auto& frame = update ? after : before;
            std::fill(px.begin(), px.end(), kUnwritten);
            s.Copy(frame.data(), update ? before.data() : nullptr, lut.data(), px.data(), w.w * 4,
                   4, rects);
            std::vector<std::vector<int>> got;
            for (const sw::Box& r : rects) got.push_back({r.x, r.y, r.w, r.h});
            EXPECT_EQ(got, want[update]) << w.w << "x" << w.h;
            int wrong = 0;
            for (int y = 0; y < w.h; ++y) {
                for (int x = 0; x < w.w; ++x) {
                    bool sent = false, in = x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h;
                    for (const auto& r : want[update])
                        sent |= x >= r[0] && x < r[0] + r[2] && y >= r[1] && y < r[1] + r[3];
                    const int at = Under(y - b.y, kH, b.h) * kW + Under(x - b.x, kW, b.w);
                    wrong += px[static_cast<size_t>(y) * w.w + x] !=
                             (!sent ? kUnwritten : 0xFF000000u | (in ? frame[at] : 0));
                }
            }
            EXPECT_EQ(wrong, 0) << w.w << "x" << w.h << (update ? " update" : " full copy");
        }
        s.Copy(after.data(), after.data(), lut.data(), px.data(), w.w * 4, 4, rects);
        EXPECT_TRUE(rects.empty()) << "an unchanged frame sends nothing";
    }
}
