#include "ui/controls/virtual_list_box.h"

#include <algorithm>
#include <climits>

#include "ui/controls/scroll_bar.h"

namespace ui {

namespace {

LONG ClampToLong(int64_t value) {
  return static_cast<LONG>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// VirtualLayout

SIZE VirtualLayout::ArrangeChildren(const std::vector<Control*>& items, RECT rect) {
  auto* list = dynamic_cast<VirtualListBox*>(GetOwner());
  if (!list) return VLayout::ArrangeChildren(items, rect);
  const int rows = list->GetElementCount();
  if (static_cast<int64_t>(items.size()) >= rows) return VLayout::ArrangeChildren(items, rect);
  list->ReArrangeChild(false);
  return SIZE{rect.right - rect.left,
              ClampToLong(VirtualContentHeight(rows, list->GetElementHeight()))};
}

// ---------------------------------------------------------------------------------------------
// VirtualListBox

VirtualListBox::VirtualListBox() : ListBox(new VirtualLayout()) {}

void VirtualListBox::SetDataProvider(IVirtualListProvider* provider) { provider_ = provider; }

void VirtualListBox::SetElementHeight(int height) {
  if (height >= 1) element_height_ = height;
}

void VirtualListBox::InitElement(int maxCount) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  // A second pool beside the first would show every row twice.
  if (GetCount() > 0) {
    RemoveAll();
    if (alive.expired()) return;
  }
  max_element_count_ = std::max(maxCount, 0);
  const int count = std::min(max_element_count_, GetElementCount());
  for (int row = 0; row < count; ++row) {
    Control* control = provider_ ? provider_->CreateElement() : nullptr;
    if (alive.expired()) return;
    if (!control || !Add(control)) return;
    if (!Fill(control, row)) return;
  }
}

void VirtualListBox::Refresh() {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  const int rows = GetElementCount();
  const bool poolWasFull = GetCount() == max_element_count_;

  // 1. The pool to the rows: fewer from the front, more up to the maximum.
  if (rows < GetCount()) {
    for (int surplus = GetCount() - rows; surplus > 0; --surplus) {
      if (!RemoveAt(0) || alive.expired()) return;
    }
  } else {
    const int wanted = std::min(max_element_count_, rows);
    while (GetCount() < wanted) {
      Control* control = provider_ ? provider_->CreateElement() : nullptr;
      if (alive.expired()) return;
      if (!control || !Add(control)) break;
    }
  }

  const int count = GetCount();
  if (count >= rows) {
    // 2. Every row has its control: the ordinary layout again, and each control its row.
    if (poolWasFull) {
      const std::vector<Control*> items = GetItems();
      GetLayout()->ArrangeChildren(items, GetPaddingPos());
      if (alive.expired()) return;
    }
    for (int row = 0; row < rows && row < GetCount(); ++row)
      if (!Fill(GetItemAt(row), row)) return;
  } else if (rows > 0) {
    // 3. A pool over more rows: placed and filled anew where the view is.
    ReArrangeChild(true);
    if (alive.expired()) return;
  }
  // The content changed height: the bars follow at the next layout pass.
  Arrange();
}

void VirtualListBox::ReArrangeChild(bool force) {
  const RECT view = GetViewRect();
  VirtualListGeometry geometry;
  geometry.poolSize = GetCount();
  geometry.rowCount = GetElementCount();
  geometry.rowHeight = element_height_;
  geometry.viewHeight = view.bottom - view.top;
  geometry.scrollPos = GetScrollPos().cy;
  if (!provider_ || !IsVirtualPlacementNeeded(geometry)) return;

  VirtualPlacement placement = VirtualPlacement::kFull;
  if (!force && !force_full_arrange_) {
    if (!first_arrange_done_) {
      first_arrange_done_ = true;
    } else {
      // Where the pool lies now, below the top of the content.
      const int64_t firstTop = int64_t{GetItemAt(0)->GetPos().top} - view.top;
      const int64_t lastBottom = int64_t{GetItemAt(geometry.poolSize - 1)->GetPos().bottom} -
                                 view.top;
      placement =
          ChooseVirtualPlacement(geometry, previous_scroll_pos_, firstTop, lastBottom);
    }
  }
  switch (placement) {
    case VirtualPlacement::kNone:
      return;
    case VirtualPlacement::kDownward:
      PlaceVirtualDownward(geometry, &slots_);
      break;
    case VirtualPlacement::kFull:
      PlaceVirtualFull(geometry, &slots_);
      break;
  }
  ApplySlots(view);
}

int VirtualListBox::GetElementCount() const {
  return provider_ ? std::max(provider_->GetElementCount(), 0) : 0;
}

// ---------------------------------------------------------------------------------------------
// Overrides

void VirtualListBox::SetPos(RECT rect) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  const RECT before = GetPos();
  ListBox::SetPos(rect);
  if (alive.expired() || ::EqualRect(&before, &rect_)) return;
  if (GetCount() < GetElementCount()) ReArrangeChild(true);
}

void VirtualListBox::HandleEvent(const EventArgs& args) {
  if (!IsMouseEnabled() && IsMouseEvent(args.type)) {
    if (Box* parent = GetParent())
      parent->DispatchEvent(args);
    else
      ScrollableBox::HandleEvent(args);
    return;
  }
  const bool arrow = args.keyCode == VK_UP || args.keyCode == VK_DOWN;
  if (args.type == kEventKeyDown) {
    switch (args.keyCode) {
      case VK_END: SetScrollPosY(GetScrollRange().cy); return;
      case VK_HOME: SetScrollPosY(0); return;
      case VK_UP:
      case VK_DOWN: OnArrowKeyDown(args.keyCode); return;
      default: break;
    }
  } else if (args.type == kEventKeyUp && arrow) {
    OnArrowKeyUp(args.keyCode);
    return;
  }
  ListBox::HandleEvent(args);
}

void VirtualListBox::SetScrollPos(SIZE position) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  ScrollBar* bar = GetVScrollBar();
  previous_scroll_pos_ = bar ? ClampToLong(bar->GetScrollPos()) : 0;
  ListBox::SetScrollPos(position);
  if (alive.expired()) return;
  if (GetCount() < GetElementCount()) ReArrangeChild(false);
}

void VirtualListBox::RemoveAll() {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  ListBox::RemoveAll();
  if (alive.expired()) return;
  if (ScrollBar* bar = GetVScrollBar()) bar->SetScrollPos(0);
  previous_scroll_pos_ = 0;
  first_arrange_done_ = false;
  force_full_arrange_ = false;
}

// ---------------------------------------------------------------------------------------------
// Private

RECT VirtualListBox::GetViewRect() const {
  RECT view = GetPaddingPos();
  const ScrollBar* bar = GetVScrollBar();
  if (bar && !IsScrollBarFloat() && bar->GetScrollRange() != 0) view.right -= bar->GetFixedWidth();
  view.right = std::max(view.right, view.left);
  view.bottom = std::max(view.bottom, view.top);
  return view;
}

bool VirtualListBox::Fill(Control* control, int row) {
  if (!provider_ || !control) return true;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  provider_->FillElement(control, row);
  return !alive.expired();
}

bool VirtualListBox::ApplySlots(const RECT& view) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  // The provider may change the pool, or place it again, while it fills: each step reads the
  // control and its slot afresh.
  for (int i = 0; i < GetCount() && i < static_cast<int>(slots_.size()); ++i) {
    Control* control = GetItemAt(i);
    const VirtualSlot slot = slots_[i];
    const int64_t top = int64_t{view.top} + slot.top;
    control->SetPos(RECT{view.left, ClampToLong(top), view.right,
                         ClampToLong(top + element_height_)});
    if (alive.expired()) return false;
    if (slot.row >= 0 && !Fill(control, slot.row)) return false;
  }
  return true;
}

}  // namespace ui
