#include "ui/controls/progress_geometry.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cwchar>

namespace ui {

namespace {

// Truncates toward zero, held at the ends of int's range; not a number gives 0.
int TruncToInt(double value) {
  if (std::isnan(value)) return 0;
  if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(value);
}

int ClampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// max - min, or 1 for a range that still needs its repair.
double Span(const ProgressRange& range) {
  return range.max > range.min ? static_cast<double>(range.max) - range.min : 1.0;
}

// (a + b) / 2 with C++'s truncation toward zero, without overflowing.
int Half(int64_t a, int64_t b) { return ClampToInt((a + b) / 2); }

}  // namespace

ProgressRange RepairProgressRange(ProgressRange range) {
  if (range.max <= range.min) {
    if (range.min < INT_MAX) {
      range.max = range.min + 1;
    } else {
      range.min = INT_MAX - 1;
      range.max = INT_MAX;
    }
  }
  if (std::isnan(range.value)) range.value = range.min;
  if (range.value > range.max) range.value = range.max;
  if (range.value < range.min) range.value = range.min;
  return range;
}

RECT ProgressFillRect(bool horizontal, SIZE size, const ProgressRange& range) {
  const double span = Span(range);
  if (horizontal) {
    const int right = TruncToInt((range.value - range.min) * size.cx / span);
    return RECT{0, 0, right, size.cy};
  }
  const int top = TruncToInt(size.cy * (range.max - range.value) / span);
  return RECT{0, top, size.cx, size.cy};
}

RECT SliderFillRect(bool horizontal, SIZE size, SIZE thumb, const ProgressRange& range) {
  const double span = Span(range);
  if (horizontal) {
    const double travel = static_cast<double>(size.cx) - thumb.cx;
    const int right = TruncToInt(travel * (range.value - range.min) / span + thumb.cx / 2 + 0.5);
    return RECT{0, 0, right, size.cy};
  }
  const double travel = static_cast<double>(size.cy) - thumb.cy;
  const int top = TruncToInt((range.max - range.value) * travel / span + thumb.cy / 2 + 0.5);
  return RECT{0, top, size.cx, size.cy};
}

RECT SliderThumbRect(bool horizontal, const RECT& position, SIZE thumb,
                     const ProgressRange& range) {
  const double span = Span(range);
  const int64_t l = position.left, t = position.top, r = position.right, b = position.bottom;
  RECT rect = {0, 0, 0, 0};
  if (horizontal) {
    rect.left = TruncToInt(static_cast<double>(r - l - thumb.cx) * (range.value - range.min) /
                               span + static_cast<double>(l));
    rect.top = Half(b - thumb.cy, t);
  } else {
    rect.left = Half(l + r, -static_cast<int64_t>(thumb.cx));
    rect.top = TruncToInt(static_cast<double>(b - thumb.cy) -
                          static_cast<double>(b - t - thumb.cy) * (range.value - range.min) /
                              span);
  }
  rect.right = ClampToInt(static_cast<int64_t>(rect.left) + thumb.cx);
  rect.bottom = ClampToInt(static_cast<int64_t>(rect.top) + thumb.cy);
  return rect;
}

double SliderValueAt(bool horizontal, const RECT& position, SIZE thumb, const ProgressRange& range,
                     POINT point) {
  // The product in 64 bits: a wide slider over a large range overflows 32.
  const int64_t span = static_cast<int64_t>(range.max) - range.min;
  if (horizontal) {
    const int64_t half = thumb.cx / 2;
    const int64_t x = point.x, l = position.left, r = position.right;
    if (x >= r - half) return range.max;
    if (x <= l + half) return range.min;
    const int64_t travel = r - l - thumb.cx;
    if (travel <= 0) return range.min;
    return range.min + static_cast<double>((x - l - half) * span) / static_cast<double>(travel);
  }
  const int64_t half = thumb.cy / 2;
  const int64_t y = point.y, t = position.top, b = position.bottom;
  if (y >= b - half) return range.min;
  if (y <= t + half) return range.max;
  const int64_t travel = b - t - thumb.cy;
  if (travel <= 0) return range.min;
  return range.min + static_cast<double>((b - half - y) * span) / static_cast<double>(travel);
}

RingGeometry ComputeRingGeometry(const RECT& position, int inset) {
  RingGeometry ring;
  const int64_t width = static_cast<int64_t>(position.right) - position.left;
  const int64_t height = static_cast<int64_t>(position.bottom) - position.top;
  ring.center.x = ClampToInt(position.left + width / 2);
  ring.center.y = ClampToInt(position.top + height / 2);
  ring.side = ClampToInt(std::max<int64_t>(0, std::min(width, height)));
  ring.corner.x = ClampToInt(static_cast<int64_t>(ring.center.x) - ring.side / 2);
  ring.corner.y = ClampToInt(static_cast<int64_t>(ring.center.y) - ring.side / 2);
  ring.arcX = static_cast<float>(ring.corner.x + inset * 0.5 + 1);
  ring.arcY = static_cast<float>(ring.corner.y + inset * 0.5 + 1);
  ring.arcSize = static_cast<float>(static_cast<double>(ring.side) - inset - 2);
  return ring;
}

float RingSweepAngle(const ProgressRange& range, bool clockwise) {
  const double turn = clockwise ? 360.0 : -360.0;
  return static_cast<float>((range.value - range.min) * turn / Span(range));
}

std::wstring ProgressImageModify(const RECT& fill, bool stretch) {
  wchar_t text[160] = {};
  if (stretch) {
    std::swprintf(text, 160, L"destscale='false' dest='%d,%d,%d,%d'", static_cast<int>(fill.left),
                  static_cast<int>(fill.top), static_cast<int>(fill.right),
                  static_cast<int>(fill.bottom));
  } else {
    std::swprintf(text, 160, L"destscale='false' dest='%d,%d,%d,%d' source='%d,%d,%d,%d'",
                  static_cast<int>(fill.left), static_cast<int>(fill.top),
                  static_cast<int>(fill.right), static_cast<int>(fill.bottom),
                  static_cast<int>(fill.left), static_cast<int>(fill.top),
                  static_cast<int>(fill.right), static_cast<int>(fill.bottom));
  }
  return text;
}

std::wstring SliderThumbModify(const RECT& thumb) {
  return ProgressImageModify(thumb, true);
}

}  // namespace ui
