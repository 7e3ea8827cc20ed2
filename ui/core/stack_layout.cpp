#include "ui/core/stack_layout.h"

namespace ui {

SIZE VLayout::ArrangeChildren(const std::vector<Control*>& items, RECT rect) {
  ControlSizer sizer(items);
  std::vector<ItemPlacement> placements;
  const SIZE size = ArrangeStack(LayoutAxis::kVertical, Describe(items), sizer, rect,
                                 child_margin_, &placements);
  ApplyPlacements(items, placements);
  return size;
}

SIZE VLayout::EstimateSizeByChildren(const std::vector<Control*>& items, SIZE available) {
  ControlSizer sizer(items);
  return EstimateStack(LayoutAxis::kVertical, Describe(items), sizer, available, child_margin_,
                       padding_);
}

SIZE HLayout::ArrangeChildren(const std::vector<Control*>& items, RECT rect) {
  ControlSizer sizer(items);
  std::vector<ItemPlacement> placements;
  const SIZE size = ArrangeStack(LayoutAxis::kHorizontal, Describe(items), sizer, rect,
                                 child_margin_, &placements);
  ApplyPlacements(items, placements);
  return size;
}

SIZE HLayout::EstimateSizeByChildren(const std::vector<Control*>& items, SIZE available) {
  ControlSizer sizer(items);
  return EstimateStack(LayoutAxis::kHorizontal, Describe(items), sizer, available,
                       child_margin_, padding_);
}

}  // namespace ui
