// Where "tileWindows" puts the pop-out windows: a grid filled row by row, left to right, in the
// order of the windows' current positions (top to bottom, then left to right).
//
//   std::vector<TileEntry> entries = ...;        // one per open window
//   SortForTiling(entries);
//   std::vector<POINT> cells = ComputeTiles(entries, workArea);
//   // move entry i so its visible frame starts at cells[i]
//
// Each cell is the tile less the window's invisible frame (insets). The number of columns is how
// many of the widest cells fit across the work area (at least 1, at most the number of windows);
// a column is as wide as its widest cell and a row as high as its highest. Coordinates are
// physical pixels.
//
// Thread-safety: pure functions.
#pragma once

#include <windows.h>

#include <vector>

struct TileEntry {
  RECT window{};      // current window rectangle
  int tileWidth = 0;  // outer size the window takes in the grid
  int tileHeight = 0;
  RECT insets{};  // invisible frame: left, top, right, bottom
  int tag = 0;    // caller's index, carried through sorting
};

void SortForTiling(std::vector<TileEntry>& entries);
std::vector<POINT> ComputeTiles(const std::vector<TileEntry>& sorted, const RECT& workArea);
