// Progress geometry: how full a progress bar is, where a slider's thumb sits and which value a
// point on the slider stands for, and where a circle progress draws its ring, as pure functions.
//
// ui::Progress, ui::Slider and ui::CircleProgress paint and hit-test through these, so the rules
// can be read and tested without a control:
//
//   ui::ProgressRange range{0, 100, 50.0};
//   RECT thumb = ui::SliderThumbRect(true, RECT{0, 0, 110, 20}, SIZE{10, 10}, range);
//   // thumb == {50, 5, 60, 15}
//   double value = ui::SliderValueAt(true, RECT{0, 0, 110, 20}, SIZE{10, 10}, range,
//                                    POINT{55, 10});   // 50
//
// A range is repaired before a bar paints (RepairProgressRange); the functions below also accept
// one that was not: wherever they divide by the range they read a range whose maximum is not
// above its minimum as one unit wide, as the repair would make it, so nothing divides by zero.
// Quotients of value, minimum and maximum are computed in double; results are truncated toward
// zero into int and held at the ends of int's range rather than overflowing.
//
// Units: physical pixels. "Relative" rectangles are relative to the control's top-left corner;
// the others are window client coordinates like the control's position.
//
// Thread affinity: none (pure functions).
#ifndef UI_CONTROLS_PROGRESS_GEOMETRY_H_
#define UI_CONTROLS_PROGRESS_GEOMETRY_H_

#include <windows.h>

#include <string>

namespace ui {

struct ProgressRange {
  int min = 0;
  int max = 100;
  double value = 0.0;
};

// The repair every paint starts with: a maximum not above the minimum becomes minimum + 1 (at
// the top of int's range the minimum steps down instead), then the value is pulled into
// [min, max]. A value that is not a number becomes the minimum.
ProgressRange RepairProgressRange(ProgressRange range);

// The filled part of a bar of size, relative: from the left when horizontal, from the bottom
// otherwise.
RECT ProgressFillRect(bool horizontal, SIZE size, const ProgressRange& range);

// The filled part of a slider of size with a thumb of thumb, relative: it reaches the middle of
// the thumb.
RECT SliderFillRect(bool horizontal, SIZE size, SIZE thumb, const ProgressRange& range);

// The thumb of a slider at position: from the left end (min) to the right end (max)
// horizontally, from the bottom (min) to the top (max) vertically; centred across.
RECT SliderThumbRect(bool horizontal, const RECT& position, SIZE thumb, const ProgressRange& range);

// The value a point on a slider at position stands for: max and min within half a thumb of the
// ends, in between in proportion to the room the thumb travels.
double SliderValueAt(bool horizontal, const RECT& position, SIZE thumb, const ProgressRange& range,
                     POINT point);

// Where a circle progress at position draws: its ring in the largest square centred in the
// control, the arc's rectangle inset by half of inset (the indicator's width, or the ring's pen
// width) plus one pixel.
struct RingGeometry {
  POINT center = {0, 0};
  int side = 0;              // The square's side: the smaller of width and height.
  POINT corner = {0, 0};     // The square's top-left corner.
  float arcX = 0.0f;
  float arcY = 0.0f;
  float arcSize = 0.0f;      // Width and height of the arc's rectangle; 0 or less: no room.
};
RingGeometry ComputeRingGeometry(const RECT& position, int inset);

// The arc's sweep in degrees from the top, positive clockwise: a full turn at max.
float RingSweepAngle(const ProgressRange& range, bool clockwise);

// The modify strings the bar's images are drawn with (dest not DPI-scaled; relative rectangles).
// A stretched progress image fills the filled part; an unstretched one shows the part of the image
// that lies under it.
std::wstring ProgressImageModify(const RECT& fill, bool stretch);
std::wstring SliderThumbModify(const RECT& thumb);

}  // namespace ui

#endif  // UI_CONTROLS_PROGRESS_GEOMETRY_H_
