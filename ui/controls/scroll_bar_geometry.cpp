#include "ui/controls/scroll_bar_geometry.h"

#include <algorithm>
#include <limits>

namespace ui {

namespace {

using Wide = __int128;

// Exchanges x and y, so that a vertical bar is laid out as a horizontal one.
RECT Transpose(const RECT& r) { return RECT{r.top, r.left, r.bottom, r.right}; }

int64_t ClampToInt64(Wide value) {
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  if (value < kMin) return kMin;
  if (value > kMax) return kMax;
  return static_cast<int64_t>(value);
}

ScrollBarParts LayOutHorizontal(const RECT& r, int t, bool showButton1, bool showButton2,
                                int64_t range, int64_t position, int thumbMinLength) {
  ScrollBarParts parts;
  const int length = r.right - r.left;
  const int available = length - (showButton1 ? t : 0) - (showButton2 ? t : 0);
  parts.button1 = showButton1 ? RECT{r.left, r.top, r.left + t, r.top + t}
                              : RECT{r.left, r.top, r.left, r.top};

  if (t >= available) {
    // No room for a thumb: the buttons share the length, each at most a square.
    const int share = std::min(t, length / 2);
    parts.button1.right = showButton1 ? r.left + share : r.left;
    parts.button2 = RECT{showButton2 ? r.right - share : r.right, r.top, r.right, r.top + t};
    return parts;
  }

  parts.button2 = showButton2 ? RECT{r.right - t, r.top, r.right, r.top + t}
                              : RECT{r.right, r.top, r.right, r.top};
  RECT thumb = {parts.button1.right, r.top, parts.button2.left, r.top + t};
  if (range > 0) {
    position = std::clamp<int64_t>(position, 0, range);
    // The thumb is the visible share of the content: the bar's length out of range + length. It
    // keeps a minimum length, but never outgrows the room between the buttons (a longer thumb
    // would hang over button 1 and travel backward as the position grows).
    int64_t thumbLength = static_cast<int64_t>(static_cast<Wide>(available) * length /
                                               (static_cast<Wide>(range) + length));
    thumbLength = std::max<int64_t>(thumbLength, thumbMinLength);
    thumbLength = std::min<int64_t>(thumbLength, available);
    const int64_t travel =
        static_cast<int64_t>(static_cast<Wide>(available - thumbLength) * position / range);
    thumb.left = parts.button1.right + static_cast<LONG>(travel);
    thumb.right = thumb.left + static_cast<LONG>(thumbLength);
    if (thumb.right > parts.button2.left) {
      thumb.right = parts.button2.left;
      thumb.left = thumb.right - static_cast<LONG>(thumbLength);
    }
  }
  parts.thumb = thumb;
  return parts;
}

}  // namespace

ScrollBarParts LayOutScrollBar(const RECT& bar, bool horizontal, int thickness, bool showButton1,
                               bool showButton2, int64_t range, int64_t position,
                               int thumbMinLength) {
  thickness = std::max(thickness, 0);
  if (horizontal) {
    return LayOutHorizontal(bar, thickness, showButton1, showButton2, range, position,
                            thumbMinLength);
  }
  ScrollBarParts parts = LayOutHorizontal(Transpose(bar), thickness, showButton1, showButton2,
                                          range, position, thumbMinLength);
  parts.button1 = Transpose(parts.button1);
  parts.button2 = Transpose(parts.button2);
  parts.thumb = Transpose(parts.thumb);
  return parts;
}

int ScrollBarTrackLength(const RECT& bar, bool horizontal, int thickness, bool showButton1,
                         bool showButton2, const RECT& thumb) {
  thickness = std::max(thickness, 0);
  const int length = horizontal ? bar.right - bar.left : bar.bottom - bar.top;
  const int thumbLength = horizontal ? thumb.right - thumb.left : thumb.bottom - thumb.top;
  return length - thumbLength - (showButton1 ? thickness : 0) - (showButton2 ? thickness : 0);
}

int64_t ThumbDragDelta(int offset, int64_t range, int trackLength) {
  if (trackLength <= 0) return 0;
  return ClampToInt64(static_cast<Wide>(offset) * range / trackLength);
}

RECT RailGripRect(const RECT& thumb, bool horizontal, int thickness) {
  if (horizontal) {
    const int left = (thumb.left + thumb.right) / 2 - thickness / 2;
    return RECT{left, thumb.top, left + thickness, thumb.bottom};
  }
  const int top = (thumb.top + thumb.bottom) / 2 - thickness / 2;
  return RECT{thumb.left, top, thumb.right, top + thickness};
}

ControlStateType PickScrollBarPartImage(ControlStateType partState, const bool hasImage[4],
                                        bool thumbPushed) {
  const auto pick = [hasImage](ControlStateType state) {
    return hasImage[state] ? state : kControlStateNormal;
  };
  switch (partState) {
    case kControlStateDisabled:
      return pick(kControlStateDisabled);
    case kControlStatePushed:
      return hasImage[kControlStatePushed] ? kControlStatePushed : pick(kControlStateHot);
    case kControlStateHot:
      return pick(kControlStateHot);
    default:
      return thumbPushed ? pick(kControlStateHot) : kControlStateNormal;
  }
}

}  // namespace ui
