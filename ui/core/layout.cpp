#include "ui/core/layout.h"

#include <cwchar>

#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/number_list.h"

namespace ui {

SIZE ControlSizer::Estimate(size_t index, SIZE available) {
  return items_[index]->EstimateSize(available);
}

SIZE ControlSizer::EstimateAtWidth(size_t index, int width, SIZE available) {
  Control* child = items_[index];
  child->SetFixedWidth(width, false, false);
  const SIZE size = child->EstimateSize(available);
  child->SetFixedWidth(kSizeAuto, false, false);
  return size;
}

bool Layout::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"padding") {
    SetPadding(ReadRect(value.c_str()), true);
    return true;
  }
  if (name == L"childmargin") {
    SetChildMargin(static_cast<int>(std::wcstol(value.c_str(), nullptr, 10)), true);
    return true;
  }
  return false;
}

SIZE Layout::ArrangeChildren(const std::vector<Control*>& items, RECT rect) {
  const std::vector<LayoutItem> described = Describe(items);
  ControlSizer sizer(items);
  std::vector<ItemPlacement> placements;
  const SIZE size = ArrangeOverlay(described, sizer, rect, &placements);
  ApplyPlacements(items, placements);
  return size;
}

SIZE Layout::EstimateSizeByChildren(const std::vector<Control*>& items, SIZE available) {
  ControlSizer sizer(items);
  return EstimateOverlay(Describe(items), sizer, available, padding_);
}

void Layout::SetPadding(const RECT& padding, bool dpiScale) {
  RECT scaled = padding;
  if (dpiScale) DpiManager::GetInstance()->ScaleRect(scaled);
  padding_ = scaled;
  ArrangeOwner();
}

void Layout::SetChildMargin(int margin, bool dpiScale) {
  child_margin_ = dpiScale ? DpiManager::GetInstance()->ScaleInt(margin) : margin;
  ArrangeOwner();
}

void Layout::ArrangeOwner() {
  if (owner_) owner_->Arrange();
}

SIZE Layout::SetFloatPos(Control* child, const RECT& rect) {
  if (!child) return SIZE{0, 0};
  const std::vector<Control*> items = {child};
  const std::vector<LayoutItem> described = Describe(items);
  ControlSizer sizer(items);
  ItemPlacement placement;
  const SIZE size = PlaceFloat(described[0], 0, sizer, rect, &placement);
  if (placement.placed) child->SetPos(placement.rect);
  return size;
}

std::vector<LayoutItem> Layout::Describe(const std::vector<Control*>& items) {
  std::vector<LayoutItem> described(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    const Control* child = items[i];
    LayoutItem& item = described[i];
    item.visible = child->IsVisible();
    item.isFloat = child->IsFloat();
    item.margin = child->GetMargin();
    item.minWidth = child->GetMinWidth();
    item.minHeight = child->GetMinHeight();
    item.maxWidth = child->GetMaxWidth();
    item.maxHeight = child->GetMaxHeight();
    item.hAlign = child->GetHorAlignType();
    item.vAlign = child->GetVerAlignType();
    item.wrapsToWidth = child->GetFixedWidth() == kSizeAuto &&
                        child->GetFixedHeight() == kSizeAuto &&
                        child->GetMaxWidth() == kSizeStretch;
  }
  return described;
}

void Layout::ApplyPlacements(const std::vector<Control*>& items,
                             const std::vector<ItemPlacement>& placements) {
  // A child's position-change handler may change the owner's children or destroy the owner (and
  // this layout with it): only locals are read once a child has been moved.
  Box* const owner = owner_;
  const std::weak_ptr<nbase::WeakFlag> ownerAlive =
      owner ? owner->GetWeakFlag() : std::weak_ptr<nbase::WeakFlag>();
  const unsigned version = owner ? owner->GetChildListVersion() : 0;
  for (size_t i = 0; i < items.size() && i < placements.size(); ++i) {
    if (!placements[i].placed) continue;
    if (owner) {
      if (ownerAlive.expired()) return;
      if (owner->GetChildListVersion() != version) {
        owner->Arrange();  // The list changed: the next layout pass places it afresh.
        return;
      }
    }
    items[i]->SetPos(placements[i].rect);
  }
}

}  // namespace ui
