// Scroll arithmetic of ui::ScrollableBox: line and page steps, where a smooth scroll ends, the gap
// the animated scroll-to-end slides over, and how a scroll bar is fitted to the content, as pure
// functions.
//
//   int step = ui::ScrollLineStep(120, 30);             // a wheel notch scrolls one unit: 30
//   ui::ScrollBarFit fit = ui::FitScrollBar(1000, 300, 0, false);
//   // fit.action == kShow, fit.range == 700: the content is 700 pixels taller than the view
//
// Units: physical pixels. Positions and ranges are ints, as the box reads its bars.
//
// Thread affinity: none (pure functions).
#ifndef UI_CORE_SCROLL_ARITHMETIC_H_
#define UI_CORE_SCROLL_ARITHMETIC_H_

#include <windows.h>

namespace ui {

// The two directions a box scrolls in.
enum class ScrollAxis { kVertical, kHorizontal };

// The unit a box scrolls by when markup sets none.
constexpr int kDefaultScrollUnit = 30;
// The unit that stands in for a unit of 0 (or less).
constexpr int kFallbackScrollUnit = 20;

// unit, or kFallbackScrollUnit when it is 0 or less.
int EffectiveScrollUnit(int unit);

// The pixels of one line step of delta: a negative delta (-1 asks for "one unit") and a delta
// beyond the unit become the unit, so a wheel notch (120) scrolls one unit.
int ScrollLineStep(int delta, int unit);

// One page along an axis: the box's length less the layout padding at both ends and less the
// thickness of a bar that lies across the axis (0 when it has no range). Never negative.
int ScrollPageLength(int boxLength, int paddingBefore, int paddingAfter, int crossingBar);

// Where a smooth line step that starts now should end. A step made while an earlier one still
// runs extends that one's target instead of starting from where the content is, so quick steps
// add up (two steps of 30 end 60 further on).
int SmoothScrollEnd(int position, bool running, int runningEnd, int step, bool forward);

// How far the animated scroll-to-end slides the content: from the view as it shows now (the
// position, with the render offset a running slide has left) to the end of the range.
int EndScrollGap(int slideEnd, int range, int renderOffset, int position);

// What fitting a bar to its content does.
struct ScrollBarFit {
  enum Action {
    kNone,  // The bar has no range and the content fits: nothing.
    kShow,  // The content overflows a bar without range: range := range, position 0, and the
            // box is laid out again with the bar in place.
    kPlace, // The bar keeps a range: it is placed, and its range set to range when it differs.
    kHide,  // The content fits again: position 0, range 0 (the bar hides), laid out again.
  };
  Action action = kNone;
  int range = 0;
};

// Fits a bar whose range is currentRange to content required pixels long in a view of view
// pixels; relayout is set while the box lays itself out again for a bar that just appeared.
ScrollBarFit FitScrollBar(int required, int view, int currentRange, bool relayout);

// Where the bars go: inside box shrunk by padding, a vertical bar barWidth wide at the right, a
// horizontal bar barHeight high at the bottom.
RECT VScrollBarRect(const RECT& box, const RECT& padding, int barWidth);
RECT HScrollBarRect(const RECT& box, const RECT& padding, int barHeight);

}  // namespace ui

#endif  // UI_CORE_SCROLL_ARITHMETIC_H_
