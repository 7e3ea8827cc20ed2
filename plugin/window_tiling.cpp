#include "plugin/window_tiling.h"

#include <algorithm>

void SortForTiling(std::vector<TileEntry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const TileEntry& a, const TileEntry& b) {
    if (a.window.top != b.window.top) return a.window.top < b.window.top;
    return a.window.left < b.window.left;
  });
}

std::vector<POINT> ComputeTiles(const std::vector<TileEntry>& sorted, const RECT& workArea) {
  const int count = static_cast<int>(sorted.size());
  std::vector<POINT> cells(sorted.size());
  if (count == 0) return cells;

  // Pass 1: cell sizes (tile less insets, at least 1) and the widest cell.
  std::vector<int> widths(count), heights(count);
  int widest = 1;
  for (int i = 0; i < count; ++i) {
    const TileEntry& e = sorted[i];
    widths[i] = e.tileWidth - e.insets.left - e.insets.right;
    heights[i] = e.tileHeight - e.insets.top - e.insets.bottom;
    if (widths[i] < 2) widths[i] = 1;
    if (heights[i] < 2) heights[i] = 1;
    widest = std::max(widest, widths[i]);
  }

  // Pass 2: the grid.
  int columns = (workArea.right - workArea.left) / widest;
  columns = std::min(columns, count);
  if (columns < 2) columns = 1;
  const int rows = (count + columns - 1) / columns;

  // Pass 3: column widths and row heights from their largest cells.
  std::vector<int> columnWidth(columns, 0), rowHeight(rows, 0);
  for (int i = 0; i < count; ++i) {
    columnWidth[i % columns] = std::max(columnWidth[i % columns], widths[i]);
    rowHeight[i / columns] = std::max(rowHeight[i / columns], heights[i]);
  }

  // Pass 4: positions from the work area's corner.
  std::vector<int> x(columns), y(rows);
  x[0] = workArea.left;
  for (int k = 1; k < columns; ++k) x[k] = x[k - 1] + columnWidth[k - 1];
  y[0] = workArea.top;
  for (int j = 1; j < rows; ++j) y[j] = y[j - 1] + rowHeight[j - 1];
  for (int i = 0; i < count; ++i) cells[i] = POINT{x[i % columns], y[i / columns]};
  return cells;
}
