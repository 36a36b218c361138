// The 640 x 480 picture scaled into a window by tables, without SDL: where
// the picture lands, which window columns and rows show which of its
// columns and rows, and the copy of only the bands that changed.
#pragma once

#include <cstdint>
#include <vector>

namespace sw {

struct Box {
    int x, y, w, h;
};

// Where the picture lands in a window of winW x winH, centred with black
// bars around it. A whole-number scale keeps every pixel square: it is
// taken when 2x fits, or 1x too when wholeOnly. Otherwise the picture
// fills the largest 4:3 box that fits, each window pixel showing the
// picture pixel under its centre.
Box PictureBox(int winW, int winH, bool wholeOnly);

class Scaler {
  public:
    static constexpr int kBand = 8;  // picture rows compared and sent together

    // Lays the tables out for a window of winW x winH.
    void Plan(int winW, int winH, bool wholeOnly);
    const Box& Picture() const { return box_; }
    int WindowW() const { return winW_; }
    int WindowH() const { return winH_; }

    // Copies frame (640 x 480 RGB565) into the window's pixels (pitch bytes
    // a row, 2 or 4 bytes a pixel), every value through lut (65536
    // entries, RGB565 to the window's format). With shown (the frame now on
    // screen) only the bands of rows that differ from it are copied, each
    // from its first to its last changed column; without it the whole
    // window is painted, the bars black (lut[0]). rects receives the window
    // rectangles written.
    void Copy(const uint16_t* frame, const uint16_t* shown, const uint32_t* lut, void* pixels,
              int pitch, int bytesPerPixel, std::vector<Box>& rects) const;

    // Copies the area of the picture (x, y, w, h) the same way, and
    // appends the window rectangle written to rects.
    void CopyArea(const uint16_t* frame, const Box& area, const uint32_t* lut, void* pixels,
                  int pitch, int bytesPerPixel, std::vector<Box>& rects) const;

  private:
    template <typename Pixel>
    void CopyBlock(const uint16_t* frame, int lo, int hi, int top, int bottom, const uint32_t* lut,
                   uint8_t* pixels, int pitch) const;
    template <typename Pixel>
    void CopyAs(const uint16_t* frame, const uint16_t* shown, const uint32_t* lut, uint8_t* pixels,
                int pitch, std::vector<Box>& rects) const;

    int winW_ = 0, winH_ = 0;
    Box box_{};
    // First window column (row) inside the box of each picture column
    // (row), and the box's width (height) at the end.
    std::vector<int> colStart_, rowStart_;
};

}  // namespace sw
