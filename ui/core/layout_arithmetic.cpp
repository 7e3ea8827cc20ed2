#include "ui/core/layout_arithmetic.h"

#include <algorithm>

namespace ui {

namespace {

// The height an item of a tile row is measured in when working out the row's height.
constexpr int kTileMeasureHeight = 9999;
// Where the plain layout's estimate starts: below any real size.
constexpr int kOverlayEstimateStart = -9999;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// One orientation-agnostic view of a stack: "main" runs along the stack, "cross" across it.
struct StackAxis {
  bool vertical;

  int Main(SIZE s) const { return vertical ? s.cy : s.cx; }
  int Cross(SIZE s) const { return vertical ? s.cx : s.cy; }
  int MainLength(const RECT& r) const { return vertical ? Height(r) : Width(r); }
  int CrossLength(const RECT& r) const { return vertical ? Width(r) : Height(r); }
  int MainStart(const RECT& r) const { return vertical ? r.top : r.left; }
  int CrossStart(const RECT& r) const { return vertical ? r.left : r.top; }
  int CrossEnd(const RECT& r) const { return vertical ? r.right : r.bottom; }
  // Margins before and after the item along each direction.
  int Before(const RECT& m) const { return vertical ? m.top : m.left; }
  int After(const RECT& m) const { return vertical ? m.bottom : m.right; }
  int CrossBefore(const RECT& m) const { return vertical ? m.left : m.top; }
  int CrossAfter(const RECT& m) const { return vertical ? m.right : m.bottom; }
  // The cross-axis alignment: horizontal alignment in a vertical stack and vice versa. The
  // values 0, 1, 2 mean start, center, end in both.
  int CrossAlign(const LayoutItem& item) const { return vertical ? item.hAlign : item.vAlign; }
  int ClampMain(const LayoutItem& item, int v) const {
    return vertical ? ClampHeight(item, v) : ClampWidth(item, v);
  }
  int ClampCross(const LayoutItem& item, int v) const {
    return vertical ? ClampWidth(item, v) : ClampHeight(item, v);
  }
  SIZE MakeSize(int main, int cross) const {
    return vertical ? SIZE{cross, main} : SIZE{main, cross};
  }
  RECT MakeRect(int mainPos, int crossPos, int main, int cross) const {
    return vertical ? RECT{crossPos, mainPos, crossPos + cross, mainPos + main}
                    : RECT{mainPos, crossPos, mainPos + main, crossPos + cross};
  }
};

}  // namespace

int ClampWidth(const LayoutItem& item, int width) {
  width = std::max(width, item.minWidth);
  if (item.maxWidth >= 0) width = std::min(width, item.maxWidth);
  return width;
}

int ClampHeight(const LayoutItem& item, int height) {
  height = std::max(height, item.minHeight);
  return std::min(height, item.maxHeight);
}

SIZE PlaceFloat(const LayoutItem& item, size_t index, LayoutSizer& sizer, const RECT& rect,
                ItemPlacement* placement) {
  if (!item.visible) return SIZE{0, 0};
  const RECT& m = item.margin;
  // 1. The space is the rectangle less the item's margins.
  const int w = (rect.right - m.right) - (rect.left + m.left);
  const int h = (rect.bottom - m.bottom) - (rect.top + m.top);
  // 2. Measure; an item that sizes itself both ways and comes out too wide is measured again at
  //    the space's width, so that its content can wrap.
  SIZE size = sizer.Estimate(index, SIZE{w, h});
  if (item.wrapsToWidth && size.cx > std::max(w, 0))
    size = sizer.EstimateAtWidth(index, std::max(w, 0), SIZE{w, h});
  // 3. Stretch sides take the space; then the limits.
  if (size.cx == kSizeStretch) size.cx = std::max(w, 0);
  size.cx = ClampWidth(item, size.cx);
  if (size.cy == kSizeStretch) size.cy = std::max(h, 0);
  size.cy = ClampHeight(item, size.cy);
  // 4. Alignment inside the space.
  int x = rect.left + m.left;
  if (item.hAlign == kHorAlignCenter) x += (w - size.cx) / 2;
  else if (item.hAlign == kHorAlignRight) x = rect.right - m.right - size.cx;
  int y = rect.top + m.top;
  if (item.vAlign == kVerAlignCenter) y += (h - size.cy) / 2;
  else if (item.vAlign == kVerAlignBottom) y = rect.bottom - m.bottom - size.cy;
  // 5. There it goes.
  if (placement) *placement = ItemPlacement{true, RECT{x, y, x + size.cx, y + size.cy}};
  return size;
}

SIZE ArrangeOverlay(const std::vector<LayoutItem>& items, LayoutSizer& sizer, const RECT& rect,
                    std::vector<ItemPlacement>* placements) {
  placements->assign(items.size(), ItemPlacement());
  SIZE largest = {0, 0};
  for (size_t i = 0; i < items.size(); ++i) {
    if (!items[i].visible) continue;
    const SIZE placed = PlaceFloat(items[i], i, sizer, rect, &(*placements)[i]);
    largest.cx = std::max(largest.cx, placed.cx);
    largest.cy = std::max(largest.cy, placed.cy);
  }
  return largest;
}

SIZE EstimateOverlay(const std::vector<LayoutItem>& items, LayoutSizer& sizer, SIZE available,
                     const RECT& padding) {
  SIZE result = {kOverlayEstimateStart, kOverlayEstimateStart};
  for (size_t i = 0; i < items.size(); ++i) {
    const LayoutItem& item = items[i];
    if (!item.visible) continue;
    const SIZE want = sizer.Estimate(i, available);
    const RECT& m = item.margin;
    result.cx = std::max<LONG>(result.cx, ClampWidth(item, want.cx) + m.left + m.right);
    result.cy = std::max<LONG>(result.cy, ClampHeight(item, want.cy) + m.top + m.bottom);
  }
  result.cx += padding.left + padding.right;
  result.cy += padding.top + padding.bottom;
  return result;
}

SIZE ArrangeStack(LayoutAxis axis, const std::vector<LayoutItem>& items, LayoutSizer& sizer,
                  const RECT& rect, int childMargin, std::vector<ItemPlacement>* placements) {
  const StackAxis a{axis == LayoutAxis::kVertical};
  placements->assign(items.size(), ItemPlacement());
  const int mainLength = a.MainLength(rect);
  const int crossLength = a.CrossLength(rect);
  const SIZE whole = {Width(rect), Height(rect)};

  // Pass 1, measure: the length the sized items take with their margins, the gaps between all
  // items, and how many items stretch (they count only their margins here).
  int taken = 0;
  int counted = 0;
  int stretching = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const LayoutItem& item = items[i];
    if (!item.visible || item.isFloat) continue;
    const int main = a.Main(sizer.Estimate(i, whole));
    if (main == kSizeStretch) {
      ++stretching;
      taken += a.Before(item.margin) + a.After(item.margin);
    } else {
      taken += a.ClampMain(item, main) + a.Before(item.margin) + a.After(item.margin);
    }
    ++counted;
  }
  taken += (counted - 1) * childMargin;

  // Pass 2, share: stretch items split what is left evenly (never below 0); the pixels the
  // division leaves over go one each to the first stretch items.
  int share = 0;
  int leftOver = 0;
  if (stretching > 0) {
    share = std::max((mainLength - taken) / stretching, 0);
    leftOver = mainLength - stretching * share - taken;
  }

  // Pass 3, place in list order: each item after the previous one and the gap, measured again
  // in the length still free; across the stack by its own alignment.
  int cursor = a.MainStart(rect);
  int remaining = mainLength;
  int stacked = 0;
  int widest = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const LayoutItem& item = items[i];
    if (!item.visible) continue;
    if (item.isFloat) {
      PlaceFloat(item, i, sizer, rect, &(*placements)[i]);
      continue;
    }
    const int before = a.Before(item.margin), after = a.After(item.margin);
    const int crossBefore = a.CrossBefore(item.margin), crossAfter = a.CrossAfter(item.margin);
    const SIZE want = sizer.Estimate(i, a.MakeSize(remaining - before, crossLength));

    int main = a.Main(want);
    if (main == kSizeStretch) {
      main = share;
      if (leftOver > 0) {
        ++main;
        --leftOver;
      }
    }
    main = a.ClampMain(item, main);

    int cross = a.Cross(want);
    if (cross == kSizeStretch) cross = std::max(crossLength - crossBefore - crossAfter, 0);
    cross = a.ClampCross(item, cross);

    int crossPos = a.CrossStart(rect) + crossBefore;
    if (a.CrossAlign(item) == 2)
      crossPos = a.CrossEnd(rect) - crossAfter - cross;
    else if (a.CrossAlign(item) == 1)
      crossPos = a.CrossStart(rect) + (crossLength - cross + crossBefore - crossAfter) / 2;

    (*placements)[i] = ItemPlacement{true, a.MakeRect(cursor + before, crossPos, main, cross)};
    const int advance = before + main + after + childMargin;
    cursor += advance;
    remaining -= advance;
    stacked += before + main + after;
    widest = std::max(widest, cross);
  }
  // The gaps; with no item at all this leaves minus one gap.
  stacked += (counted - 1) * childMargin;
  return a.MakeSize(stacked, widest);
}

SIZE EstimateStack(LayoutAxis axis, const std::vector<LayoutItem>& items, LayoutSizer& sizer,
                   SIZE available, int childMargin, const RECT& padding) {
  const StackAxis a{axis == LayoutAxis::kVertical};
  int stacked = 0;
  int widest = 0;
  int counted = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const LayoutItem& item = items[i];
    if (!item.visible || item.isFloat) continue;
    const SIZE want = sizer.Estimate(i, available);
    const RECT& m = item.margin;
    const int width = ClampWidth(item, want.cx) + m.left + m.right;
    const int height = ClampHeight(item, want.cy) + m.top + m.bottom;
    stacked += a.vertical ? height : width;
    widest = std::max(widest, a.vertical ? width : height);
    ++counted;
  }
  if (counted >= 2) stacked += (counted - 1) * childMargin;
  SIZE result = a.MakeSize(stacked, widest);
  result.cx += padding.left + padding.right;
  result.cy += padding.top + padding.bottom;
  return result;
}

int TileColumns(int width, int itemWidth, int columns) {
  const int count = itemWidth > 0 ? width / itemWidth : columns;
  return std::max(count, 1);
}

SIZE ArrangeTiles(const std::vector<LayoutItem>& items, LayoutSizer& sizer, const RECT& rect,
                  int childMargin, int itemWidth, int columnsSetting,
                  std::vector<ItemPlacement>* placements) {
  placements->assign(items.size(), ItemPlacement());
  const int width = std::max(Width(rect), 0);
  // 1. Columns, and 2. cells: the width split evenly, the first cells of every row one pixel
  //    wider until the remainder is used up.
  const int columns = TileColumns(width, itemWidth, columnsSetting);
  const int cellWidth = width / columns;
  const int widerCells = width % columns;
  const int halfGap = childMargin / 2;

  int column = 0;
  int cellLeft = rect.left;
  int rowTop = rect.top;
  int rowHeight = 0;
  int bottom = rect.top;
  for (size_t i = 0; i < items.size(); ++i) {
    const LayoutItem& item = items[i];
    // 3. Floats take no cell; invisible items are skipped.
    if (!item.visible) continue;
    if (item.isFloat) {
      PlaceFloat(item, i, sizer, rect, &(*placements)[i]);
      continue;
    }

    // 4. At a row's first cell: the row is as high as its tallest item, each measured at the
    //    width inside its cell (less its margins and the gap, half the gap in the last cell). A
    //    stretch height counts as nothing there (only its margins), as in a stack.
    if (column == 0) {
      rowHeight = 0;
      cellLeft = rect.left;
      int cell = 0;
      for (size_t j = i; j < items.size() && cell < columns; ++j) {
        const LayoutItem& rowItem = items[j];
        if (!rowItem.visible || rowItem.isFloat) continue;
        const RECT& m = rowItem.margin;
        const int gap = cell == columns - 1 ? halfGap : childMargin;
        const int cellW = cellWidth + (cell < widerCells ? 1 : 0);
        const SIZE want = sizer.Estimate(j, SIZE{cellW - m.left - m.right - gap,
                                                 kTileMeasureHeight});
        const int height = want.cy == kSizeStretch ? 0 : want.cy;
        rowHeight = std::max<int>(rowHeight, ClampHeight(rowItem, height) + m.top + m.bottom);
        ++cell;
      }
    }

    // 5. The item's inner cell: half the gap off each side, then its own margins. Stretch sides
    //    fill it (never below nothing, as in a stack); the item is centred in it.
    const RECT& m = item.margin;
    const int cellW = cellWidth + (column < widerCells ? 1 : 0);
    const RECT inner = {cellLeft + halfGap + m.left, rowTop + m.top,
                        cellLeft + cellW - halfGap - m.right, rowTop + rowHeight};
    const int innerWidth = Width(inner);
    const SIZE want = sizer.Estimate(i, SIZE{innerWidth, rowHeight - m.top});
    const int stretchWidth = std::max(innerWidth, 0);
    const int stretchHeight = std::max<int>(rowHeight - m.top, 0);
    const int w = ClampWidth(item, want.cx == kSizeStretch ? stretchWidth : want.cx);
    const int h = ClampHeight(item, want.cy == kSizeStretch ? stretchHeight : want.cy);
    const int x = inner.left + (innerWidth - w) / 2;
    const int y = inner.top + (Height(inner) - h) / 2;
    (*placements)[i] = ItemPlacement{true, RECT{x, y, x + w, y + h}};

    // 6. Next cell; after a row's last cell the next row starts below it and the gap.
    cellLeft += cellW;
    bottom = rowTop + rowHeight;
    if (++column == columns) {
      column = 0;
      rowTop += rowHeight + childMargin;
    }
  }
  // 7. The whole width, and the height down to the last row's bottom.
  return SIZE{width, bottom - rect.top};
}

SIZE EstimateTiles(const std::vector<LayoutItem>& items, int ownerFixedWidth,
                   int firstItemFixedHeight, int childMargin, int itemWidth, int columnsSetting,
                   const RECT& padding) {
  const int columns = TileColumns(ownerFixedWidth, itemWidth, columnsSetting);
  // Cells, as the arrangement counts them: floats take none.
  const int count = static_cast<int>(std::count_if(
      items.begin(), items.end(), [](const LayoutItem& i) { return i.visible && !i.isFloat; }));
  if (count == 0) return SIZE{ownerFixedWidth, 0};
  const int rows = (count + columns - 1) / columns;
  const int height = (rows - 1) * childMargin + rows * firstItemFixedHeight + padding.top +
                     padding.bottom;
  return SIZE{ownerFixedWidth, height};
}

}  // namespace ui
