#include "present/scaler.h"

#include <algorithm>
#include <cstring>

namespace sw {

namespace {

constexpr int kW = 640, kH = 480;

// First of the out pixels whose centre lies over source pixel i of n, when
// n pixels are spread over out: the least x with (x + 1/2) * n / out >= i.
int FirstCovering(int i, int n, int out) {
    const long long num = 2LL * i * out - n;
    return num <= 0 ? 0 : static_cast<int>((num + 2LL * n - 1) / (2LL * n));
}

}  // namespace

Box PictureBox(int winW, int winH, bool wholeOnly) {
    const int k = std::min(winW / kW, winH / kH);
    if (k >= 2 || (wholeOnly && k >= 1)) {
        return {(winW - k * kW) / 2, (winH - k * kH) / 2, k * kW, k * kH};
    }
    int w = winW, h = winW * kH / kW;
    if (h > winH) {
        h = winH;
        w = winH * kW / kH;
    }
    return {(winW - w) / 2, (winH - h) / 2, w, h};
}

void Scaler::Plan(int winW, int winH, bool wholeOnly) {
    winW_ = winW;
    winH_ = winH;
    box_ = PictureBox(winW, winH, wholeOnly);
    colStart_.resize(kW + 1);
    rowStart_.resize(kH + 1);
    for (int i = 0; i <= kW; ++i) colStart_[i] = FirstCovering(i, kW, box_.w);
    for (int i = 0; i <= kH; ++i) rowStart_[i] = FirstCovering(i, kH, box_.h);
}

void Scaler::Copy(const uint16_t* frame, const uint16_t* shown, const uint32_t* lut, void* pixels,
                  int pitch, int bytesPerPixel, std::vector<Box>& rects) const {
    auto* bytes = static_cast<uint8_t*>(pixels);
    if (bytesPerPixel == 4) {
        CopyAs<uint32_t>(frame, shown, lut, bytes, pitch, rects);
    } else {
        CopyAs<uint16_t>(frame, shown, lut, bytes, pitch, rects);
    }
}

template <typename Pixel>
void Scaler::CopyBlock(const uint16_t* frame, int lo, int hi, int top, int bottom,
                       const uint32_t* lut, uint8_t* pixels, int pitch) const {
    // Picture columns lo to hi of the rows top to bottom (exclusive).
    auto row = [&](int y) {
        return reinterpret_cast<Pixel*>(pixels + static_cast<long>(y) * pitch);
    };
    const int x0 = box_.x + colStart_[lo], width = colStart_[hi + 1] - colStart_[lo];
    for (int y = top; y < bottom; ++y) {
        const int first = rowStart_[y], last = rowStart_[y + 1];
        if (first == last) continue;
        const uint16_t* src = frame + y * kW;
        Pixel* start = row(box_.y + first) + x0;
        Pixel* out = start;
        for (int x = lo; x <= hi; ++x) {
            const Pixel c = static_cast<Pixel>(lut[src[x]]);
            for (int n = colStart_[x + 1] - colStart_[x]; n > 0; --n) *out++ = c;
        }
        // The other window rows showing this picture row are the same.
        for (int wy = first + 1; wy < last; ++wy) {
            std::memcpy(row(box_.y + wy) + x0, start, static_cast<size_t>(width) * sizeof(Pixel));
        }
    }
}

void Scaler::CopyArea(const uint16_t* frame, const Box& area, const uint32_t* lut, void* pixels,
                      int pitch, int bytesPerPixel, std::vector<Box>& rects) const {
    const int lo = area.x, hi = area.x + area.w - 1, top = area.y, bottom = area.y + area.h;
    const Box r{box_.x + colStart_[lo], box_.y + rowStart_[top], colStart_[hi + 1] - colStart_[lo],
                rowStart_[bottom] - rowStart_[top]};
    if (r.w <= 0 || r.h <= 0) return;
    auto* bytes = static_cast<uint8_t*>(pixels);
    if (bytesPerPixel == 4) {
        CopyBlock<uint32_t>(frame, lo, hi, top, bottom, lut, bytes, pitch);
    } else {
        CopyBlock<uint16_t>(frame, lo, hi, top, bottom, lut, bytes, pitch);
    }
    rects.push_back(r);
}

template <typename Pixel>
void Scaler::CopyAs(const uint16_t* frame, const uint16_t* shown, const uint32_t* lut,
                    uint8_t* pixels, int pitch, std::vector<Box>& rects) const {
    rects.clear();
    auto row = [&](int y) {
        return reinterpret_cast<Pixel*>(pixels + static_cast<long>(y) * pitch);
    };
    if (!shown) {
        // The bars around the picture: whole rows above and below, the
        // sides of the rows in between.
        const Pixel black = static_cast<Pixel>(lut[0]);
        for (int y = 0; y < winH_; ++y) {
            Pixel* out = row(y);
            const bool inside = y >= box_.y && y < box_.y + box_.h;
            std::fill(out, out + (inside ? box_.x : winW_), black);
            if (inside) std::fill(out + box_.x + box_.w, out + winW_, black);
        }
        rects.push_back({0, 0, winW_, winH_});
    }
    for (int band = 0; band < kH; band += kBand) {
        int lo = 0, hi = kW - 1;
        if (shown) {
            lo = kW;
            hi = -1;
            for (int y = band; y < band + kBand; ++y) {
                const uint16_t* a = frame + y * kW;
                const uint16_t* b = shown + y * kW;
                if (std::memcmp(a, b, kW * 2) == 0) continue;
                int l = 0, h = kW - 1;
                while (a[l] == b[l]) ++l;
                while (a[h] == b[h]) --h;
                lo = std::min(lo, l);
                hi = std::max(hi, h);
            }
            if (hi < lo) continue;
        }
        const Box r{box_.x + colStart_[lo], box_.y + rowStart_[band],
                    colStart_[hi + 1] - colStart_[lo], rowStart_[band + kBand] - rowStart_[band]};
        if (r.w <= 0 || r.h <= 0) continue;  // a window smaller than the picture drops rows
        CopyBlock<Pixel>(frame, lo, hi, band, band + kBand, lut, pixels, pitch);
        if (shown) rects.push_back(r);
    }
}

}  // namespace sw
