#include "ui/core/scroll_arithmetic.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace ui {

int EffectiveScrollUnit(int unit) { return unit > 0 ? unit : kFallbackScrollUnit; }

int ScrollLineStep(int delta, int unit) {
  unit = EffectiveScrollUnit(unit);
  // Any negative delta means "one unit": taken as pixels it would step the wrong way.
  return delta < 0 || delta > unit ? unit : delta;
}

int ScrollPageLength(int boxLength, int paddingBefore, int paddingAfter, int crossingBar) {
  const int64_t page = static_cast<int64_t>(boxLength) - paddingBefore - paddingAfter -
                       std::max(crossingBar, 0);
  return static_cast<int>(std::clamp<int64_t>(page, 0, INT_MAX));
}

int SmoothScrollEnd(int position, bool running, int runningEnd, int step, bool forward) {
  if (forward) {
    const int from = running ? std::max(position, runningEnd) : position;
    return static_cast<int>(std::min<int64_t>(static_cast<int64_t>(from) + step, INT_MAX));
  }
  const int from = running ? std::min(position, runningEnd) : position;
  return static_cast<int>(std::max<int64_t>(static_cast<int64_t>(from) - step, INT_MIN));
}

int EndScrollGap(int slideEnd, int range, int renderOffset, int position) {
  const int64_t gap = static_cast<int64_t>(slideEnd) + range - renderOffset - position;
  return static_cast<int>(std::clamp<int64_t>(gap, INT_MIN, INT_MAX));
}

ScrollBarFit FitScrollBar(int required, int view, int currentRange, bool relayout) {
  const int64_t overflow =
      std::clamp<int64_t>(static_cast<int64_t>(required) - view, -INT_MAX, INT_MAX);
  ScrollBarFit fit;
  if (overflow > 0 && currentRange == 0) {
    fit.action = ScrollBarFit::kShow;
    fit.range = static_cast<int>(overflow);
  } else if (currentRange == 0) {
    fit.action = ScrollBarFit::kNone;
  } else if (overflow > 0 || relayout) {
    // While laying out again for a bar that just appeared, the range follows the content even
    // when the content now fits (the distance either way).
    fit.action = ScrollBarFit::kPlace;
    fit.range = static_cast<int>(overflow < 0 ? -overflow : overflow);
  } else {
    fit.action = ScrollBarFit::kHide;
  }
  return fit;
}

RECT VScrollBarRect(const RECT& box, const RECT& padding, int barWidth) {
  return RECT{box.right - padding.right - barWidth, box.top + padding.top, box.right - padding.right,
              box.bottom - padding.bottom};
}

RECT HScrollBarRect(const RECT& box, const RECT& padding, int barHeight) {
  return RECT{box.left + padding.left, box.bottom - padding.bottom - barHeight,
              box.right - padding.right, box.bottom - padding.bottom};
}

}  // namespace ui
