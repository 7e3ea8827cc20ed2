#include "swplay/src/test_pattern.h"

#include <algorithm>
#include <cstring>

namespace swplay_internal {
namespace {

// 3 x 5 digit glyphs, one row per element, bit 2 the leftmost column.
constexpr uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};

// Maps rectangles of the upright (portrait) screen onto the buffer.
class Canvas {
 public:
  Canvas(uint8_t* pixels, int width, int height)
      : pixels_(reinterpret_cast<uint32_t*>(pixels)),
        width_(width),
        height_(height),
        turned_(width > height) {}

  // Screen size in upright coordinates.
  int screenWidth() const { return turned_ ? height_ : width_; }
  int screenHeight() const { return turned_ ? width_ : height_; }

  // Fills the upright rectangle [left, right) x [top, bottom) with a B, G, R, A word.
  void Fill(int left, int top, int right, int bottom, uint32_t color) {
    int x0, y0, x1, y1;
    if (turned_) {
      // Upright (c, r) sits at buffer (W - 1 - r, c): a clockwise quarter turn.
      x0 = width_ - bottom;
      x1 = width_ - top;
      y0 = left;
      y1 = right;
    } else {
      x0 = left;
      x1 = right;
      y0 = top;
      y1 = bottom;
    }
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, width_);
    y1 = std::min(y1, height_);
    if (x0 >= x1 || y0 >= y1) return;
    for (int y = y0; y < y1; ++y)
      std::fill(pixels_ + size_t(y) * width_ + x0, pixels_ + size_t(y) * width_ + x1, color);
  }

  void Digits(int left, int top, int scale, uint32_t value, uint32_t color) {
    char text[16];
    int n = 0;
    do {
      text[n++] = static_cast<char>('0' + value % 10);
      value /= 10;
    } while (value && n < 10);
    for (int i = 0; i < n; ++i) {
      const uint8_t* glyph = kDigits[text[n - 1 - i] - '0'];
      int gx = left + i * 4 * scale;
      for (int row = 0; row < 5; ++row) {
        for (int col = 0; col < 3; ++col) {
          if (glyph[row] & (4 >> col)) {
            Fill(gx + col * scale, top + row * scale, gx + (col + 1) * scale,
                 top + (row + 1) * scale, color);
          }
        }
      }
    }
  }

 private:
  uint32_t* pixels_;
  int width_, height_;
  bool turned_;
};

}  // namespace

void PaintTestPattern(uint8_t* pixels, int width, int height, uint32_t streamId,
                      uint32_t frameNumber) {
  if (!pixels || width <= 0 || height <= 0) return;
  Canvas c(pixels, width, height);
  const int w = c.screenWidth(), h = c.screenHeight();
  c.Fill(0, 0, w / 2, h / 2, kPatternTopLeft);
  c.Fill(w / 2, 0, w, h / 2, kPatternTopRight);
  c.Fill(0, h / 2, w / 2, h, kPatternBottomLeft);
  c.Fill(w / 2, h / 2, w, h, kPatternBottomRight);

  const int unit = std::max(1, std::min(w, h) / 48);
  const int marker = unit * 4;
  c.Fill(0, 0, marker, marker, kPatternMarker);

  const int barHeight = std::max(1, unit);
  const int span = std::max(1, h - barHeight);
  const int barTop = static_cast<int>((frameNumber * unit) % static_cast<uint32_t>(span));
  c.Fill(0, barTop, w, barTop + barHeight, kPatternMarker);

  // Panel with the stream id (top line) and the frame number (bottom line).
  const int scale = std::max(1, unit);
  const int lineHeight = 6 * scale;
  const int panelWidth = std::min(w, 4 * scale * 10 + 2 * scale);
  const int panelLeft = (w - panelWidth) / 2;
  const int panelTop = h / 2 - lineHeight - scale;
  c.Fill(panelLeft, panelTop, panelLeft + panelWidth, panelTop + 2 * lineHeight + scale,
         0xFFFFFFFF);
  c.Digits(panelLeft + scale, panelTop + scale, scale, streamId, 0xFF000000);
  c.Digits(panelLeft + scale, panelTop + lineHeight + scale, scale, frameNumber, 0xFF000000);
}

}  // namespace swplay_internal
