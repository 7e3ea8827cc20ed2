// Virtual list placement: where a virtual list's pool of item controls goes and which rows they
// show, as plain numbers.
//
// A virtual list shows rowCount rows of rowHeight pixels each with a pool of poolSize controls.
// Row r lies at content pixels [r * rowHeight, (r + 1) * rowHeight) below the top of the view's
// content; the view shows viewHeight pixels from the scroll position down. The pool is placed in
// one of two ways:
//   - downward: control i holds row f + i, where f is the first row the view shows;
//   - full: the pool holds consecutive rows that cover every row the view touches, with at least
//     one row to spare below it; the controls left over hold the rows just above, so that
//     scrolling back up a little needs no new placement. Near the first or the last row the pool
//     slides so that every control holds a row.
// As the view scrolls, the pool is placed again only when it no longer covers the view.
//
//   ui::VirtualListGeometry view{20, 1000, 30, 300, 3000};   // pool, rows, height, view, scroll
//   std::vector<ui::VirtualSlot> slots;
//   ui::PlaceVirtualDownward(view, &slots);                   // slots[0] = {3000, 100}
//
// The content is at most kMaxVirtualContentHeight pixels tall: rows beyond it are not reachable,
// so no sum here leaves 64 bits and no coordinate derived from it leaves 32.
//
// Thread affinity: none (pure functions).
#ifndef UI_CONTROLS_VIRTUAL_LIST_ARITHMETIC_H_
#define UI_CONTROLS_VIRTUAL_LIST_ARITHMETIC_H_

#include <cstdint>
#include <vector>

namespace ui {

constexpr int64_t kMaxVirtualContentHeight = int64_t{1} << 30;

// What a placement needs to know; every length in pixels.
struct VirtualListGeometry {
  int poolSize = 0;
  int rowCount = 0;
  int rowHeight = 0;
  int viewHeight = 0;
  int scrollPos = 0;
};

// One control of the pool: its top edge below the top of the view's content, and the row it shows
// (-1: there is no such row; the control keeps what it showed).
struct VirtualSlot {
  int64_t top = 0;
  int row = -1;
};

enum class VirtualPlacement { kNone, kDownward, kFull };

// The rows that can be reached: rowCount, or fewer when their content would pass
// kMaxVirtualContentHeight; 0 for a row height below 1 or a negative count.
int VirtualReachableRows(int rowCount, int rowHeight);

// The height of the content: reachable rows times the row height.
int64_t VirtualContentHeight(int rowCount, int rowHeight);

// Whether the pool is placed by rows at all: a pool of at least one control and fewer controls
// than rows, a row height and a view of at least one pixel.
bool IsVirtualPlacementNeeded(const VirtualListGeometry& view);

// The placement an unforced scroll asks for, given the scroll position before it and where the
// pool lies now (firstTop: control 0's top, lastBottom: the last control's bottom, both below the
// top of the content): none while the pool covers the whole view; otherwise full when scrolling
// up or when the view lies above the pool's top, else downward.
VirtualPlacement ChooseVirtualPlacement(const VirtualListGeometry& view, int previousScrollPos,
                                        int64_t firstTop, int64_t lastBottom);

// Fills slots (poolSize entries) with the downward or full placement. Nothing for a view that
// IsVirtualPlacementNeeded refuses (slots comes back empty).
void PlaceVirtualDownward(const VirtualListGeometry& view, std::vector<VirtualSlot>* slots);
void PlaceVirtualFull(const VirtualListGeometry& view, std::vector<VirtualSlot>* slots);

}  // namespace ui

#endif  // UI_CONTROLS_VIRTUAL_LIST_ARITHMETIC_H_
