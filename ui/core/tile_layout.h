// TileLayout: children in rows of equal cells, left to right, then top to bottom.
//
// The number of columns is the box width divided by the item width when an item width is set,
// else the "columns" value. The width is split evenly into cells (the first cells of a row one
// pixel wider while the division leaves pixels over); a row is as high as its tallest child; each
// child is centred in its cell, inside half the child margin on each side and its own margins.
//
//   auto* grid = new ui::TileBox();
//   grid->SetAttribute(L"itemsize", L"120,90");            // as many columns as fit
//
// Thread affinity: the thread of the owner box's window.
#ifndef UI_CORE_TILE_LAYOUT_H_
#define UI_CORE_TILE_LAYOUT_H_

#include "ui/core/layout.h"

namespace ui {

class TileLayout : public Layout {
 public:
  ~TileLayout() override = default;

  // "itemsize" (width,height; DPI-scaled) and "columns" (above 0), then the common ones.
  bool SetAttribute(const std::wstring& name, const std::wstring& value) override;
  SIZE ArrangeChildren(const std::vector<Control*>& items, RECT rect) override;
  // The owner's fixed width, and rows of the first child's fixed height (floats take no cell).
  SIZE EstimateSizeByChildren(const std::vector<Control*>& items, SIZE available) override;

  SIZE GetItemSize() const { return item_size_; }
  // DPI-scaled when asked; re-arranges the owner when it changed.
  void SetItemSize(SIZE size, bool dpiScale = true);
  int GetColumns() const { return columns_; }
  // Values below 1 are ignored.
  void SetColumns(int columns);

 private:
  int columns_ = 1;
  SIZE item_size_ = {0, 0};
};

}  // namespace ui

#endif  // UI_CORE_TILE_LAYOUT_H_
