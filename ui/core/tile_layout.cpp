#include "ui/core/tile_layout.h"

#include <cwchar>

#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/number_list.h"

namespace ui {

bool TileLayout::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"itemsize") {
    SetItemSize(ReadSize(value.c_str()), true);
    return true;
  }
  if (name == L"columns") {
    SetColumns(static_cast<int>(std::wcstol(value.c_str(), nullptr, 10)));
    return true;
  }
  return Layout::SetAttribute(name, value);
}

SIZE TileLayout::ArrangeChildren(const std::vector<Control*>& items, RECT rect) {
  ControlSizer sizer(items);
  std::vector<ItemPlacement> placements;
  const SIZE size = ArrangeTiles(Describe(items), sizer, rect, child_margin_, item_size_.cx,
                                 columns_, &placements);
  ApplyPlacements(items, placements);
  return size;
}

SIZE TileLayout::EstimateSizeByChildren(const std::vector<Control*>& items, SIZE /*available*/) {
  const int ownerWidth = owner_ ? owner_->GetFixedWidth() : 0;
  const int firstHeight = items.empty() ? 0 : items.front()->GetFixedHeight();
  return EstimateTiles(Describe(items), ownerWidth, firstHeight, child_margin_, item_size_.cx,
                       columns_, padding_);
}

void TileLayout::SetItemSize(SIZE size, bool dpiScale) {
  if (dpiScale) DpiManager::GetInstance()->ScaleSize(size);
  if (size.cx == item_size_.cx && size.cy == item_size_.cy) return;
  item_size_ = size;
  ArrangeOwner();
}

void TileLayout::SetColumns(int columns) {
  if (columns <= 0) return;
  columns_ = columns;
  ArrangeOwner();
}

}  // namespace ui
