// Scroll-bar geometry: where a bar's buttons, thumb and rail grip go, which image a part shows, and
// how far a thumb drag scrolls, as pure functions over rectangles and numbers.
//
// ui::ScrollBar lays itself out and interprets drags through these, so the rules can be read and
// tested without a control:
//
//   ui::ScrollBarParts parts = ui::LayOutScrollBar(
//       RECT{0, 0, 16, 200}, /*horizontal=*/false, /*thickness=*/16, true, true,
//       /*range=*/100, /*position=*/50, /*thumbMinLength=*/30);
//   // parts.thumb == {0, 44, 16, 156}: 112 long, 28 pixels down the 56 it can travel
//
// A bar is described as if horizontal; a vertical bar is the same with x and y exchanged. Its
// length L runs along the bar, its thickness t across it. Each shown button is a t x t square at
// its end; the thumb runs between them, as long as the visible share of the content (at least the
// minimum length, at most the room between the buttons). A bar too short for a thumb gets none,
// and its buttons shrink to share the length.
//
// Units: physical pixels, absolute rectangles (window client coordinates) like the bar's own.
// Ranges and positions are 64-bit; the arithmetic is exact for every value (no overflow).
//
// Thread affinity: none (pure functions).
#ifndef UI_CONTROLS_SCROLL_BAR_GEOMETRY_H_
#define UI_CONTROLS_SCROLL_BAR_GEOMETRY_H_

#include <windows.h>

#include <cstdint>

#include "ui/core/control_types.h"

namespace ui {

struct ScrollBarParts {
  RECT button1 = {0, 0, 0, 0};  // Left or top; empty (zero width) when hidden.
  RECT button2 = {0, 0, 0, 0};  // Right or bottom.
  RECT thumb = {0, 0, 0, 0};    // All zero when there is no room for a thumb.
};

// The parts of a bar at bar, thickness pixels thick (negative counts as 0). With a range of 0 or
// less the thumb fills the room between the buttons. position is taken within [0, range].
ScrollBarParts LayOutScrollBar(const RECT& bar, bool horizontal, int thickness, bool showButton1,
                               bool showButton2, int64_t range, int64_t position,
                               int thumbMinLength);

// How far the thumb can travel: the bar's length less the thumb and one thickness per shown
// button. 0 or less means a drag cannot scroll.
int ScrollBarTrackLength(const RECT& bar, bool horizontal, int thickness, bool showButton1,
                         bool showButton2, const RECT& thumb);

// The position change a thumb dragged by offset pixels asks for: offset x range / trackLength,
// truncated toward zero. 0 for a track of 0 or less.
int64_t ThumbDragDelta(int offset, int64_t range, int trackLength);

// The grip drawn on the thumb: a thickness-long square centred on the thumb along the bar,
// spanning the thumb across it.
RECT RailGripRect(const RECT& thumb, bool horizontal, int thickness);

// Which of a part's four state images to draw for the part's state, given which images exist
// (indexed by state; the normal image counts as present). A disabled part shows its disabled
// image, a pushed one its pushed, else hot image, a hot one its hot image, each falling back to
// the normal image; a normal part shows its hot image while the thumb is being dragged.
ControlStateType PickScrollBarPartImage(ControlStateType partState, const bool hasImage[4],
                                        bool thumbPushed);

}  // namespace ui

#endif  // UI_CONTROLS_SCROLL_BAR_GEOMETRY_H_
