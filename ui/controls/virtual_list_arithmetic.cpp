#include "ui/controls/virtual_list_arithmetic.h"

#include <algorithm>

namespace ui {

namespace {

// The first row the view shows and that row's top.
struct FirstRow {
  int row = 0;
  int64_t top = 0;
};

FirstRow FirstShownRow(const VirtualListGeometry& view) {
  const int64_t scroll = std::max(view.scrollPos, 0);
  const int64_t row = scroll / view.rowHeight;
  return FirstRow{static_cast<int>(row), row * view.rowHeight};
}

int RowOrNone(int64_t row, int rowCount) {
  return row >= 0 && row < rowCount ? static_cast<int>(row) : -1;
}

}  // namespace

int VirtualReachableRows(int rowCount, int rowHeight) {
  if (rowCount < 0 || rowHeight < 1) return 0;
  return static_cast<int>(std::min<int64_t>(rowCount, kMaxVirtualContentHeight / rowHeight));
}

int64_t VirtualContentHeight(int rowCount, int rowHeight) {
  return static_cast<int64_t>(VirtualReachableRows(rowCount, rowHeight)) *
         std::max(rowHeight, 0);
}

bool IsVirtualPlacementNeeded(const VirtualListGeometry& view) {
  return view.poolSize >= 1 && view.poolSize < view.rowCount && view.rowHeight >= 1 &&
         view.viewHeight >= 1;
}

VirtualPlacement ChooseVirtualPlacement(const VirtualListGeometry& view, int previousScrollPos,
                                        int64_t firstTop, int64_t lastBottom) {
  if (!IsVirtualPlacementNeeded(view)) return VirtualPlacement::kNone;
  const bool coversTop = firstTop <= view.scrollPos;
  const bool coversBottom = lastBottom - view.viewHeight - view.scrollPos >= 0;
  if (coversTop && coversBottom) return VirtualPlacement::kNone;
  // Up, or a view above the pool (the position was pulled back when the content shrank): the
  // rows above are wanted too.
  if (view.scrollPos < previousScrollPos || !coversTop) return VirtualPlacement::kFull;
  return VirtualPlacement::kDownward;
}

void PlaceVirtualDownward(const VirtualListGeometry& view, std::vector<VirtualSlot>* slots) {
  slots->clear();
  if (!IsVirtualPlacementNeeded(view)) return;
  const int rows = VirtualReachableRows(view.rowCount, view.rowHeight);
  const FirstRow first = FirstShownRow(view);
  slots->resize(static_cast<size_t>(view.poolSize));
  for (int i = 0; i < view.poolSize; ++i) {
    (*slots)[i].top = first.top + static_cast<int64_t>(i) * view.rowHeight;
    (*slots)[i].row = RowOrNone(static_cast<int64_t>(first.row) + i, rows);
  }
}

void PlaceVirtualFull(const VirtualListGeometry& view, std::vector<VirtualSlot>* slots) {
  slots->clear();
  if (!IsVirtualPlacementNeeded(view)) return;
  const int rows = VirtualReachableRows(view.rowCount, view.rowHeight);
  const FirstRow first = FirstShownRow(view);
  // The rows from the first one shown that the pool keeps below the view's top: every row the
  // view touches (one more than it holds whole when it stands between rows), and at least one
  // more than it holds whole.
  const int64_t lastShown =
      (int64_t{std::max(view.scrollPos, 0)} + view.viewHeight - 1) / view.rowHeight;
  const int64_t below = std::max<int64_t>(lastShown - first.row + 1,
                                          view.viewHeight / view.rowHeight + 1);
  // The controls left over hold the rows just above; near either end of the rows the pool
  // slides so that every control holds a row (a pool no larger than the view starts with the
  // first row shown).
  const int64_t above = std::clamp<int64_t>(view.poolSize - below, 0, view.poolSize - 1);
  const int64_t lastStart = std::max<int64_t>(rows - view.poolSize, 0);
  const int64_t start = std::clamp<int64_t>(first.row - above, 0, lastStart);
  slots->resize(static_cast<size_t>(view.poolSize));
  for (int i = 0; i < view.poolSize; ++i) {
    const int64_t row = start + i;
    (*slots)[i].top = row * view.rowHeight;
    (*slots)[i].row = RowOrNone(row, rows);
  }
}

}  // namespace ui
