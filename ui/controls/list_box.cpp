#include "ui/controls/list_box.h"

#include <algorithm>

#include "ui/controls/list_container_element.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/window.h"

namespace ui {

ListBox::ListBox(Layout* layout) : ScrollableBox(layout) {}

// ---------------------------------------------------------------------------------------------
// Overrides

void ListBox::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"scrollselect")
    SetScrollSelect(value == L"true");
  else
    ScrollableBox::SetAttribute(name, value);
}

void ListBox::HandleEvent(const EventArgs& args) {
  if (!IsMouseEnabled() && IsMouseEvent(args.type)) {
    if (Box* parent = GetParent())
      parent->DispatchEvent(args);
    else
      ScrollableBox::HandleEvent(args);
    return;
  }
  switch (args.type) {
    case kEventKeyDown:
      switch (args.keyCode) {
        case VK_END: StepTo(FindSelectable(GetCount() - 1, true)); return;
        case VK_HOME: StepTo(FindSelectable(0, false)); return;
        case VK_UP: StepTo(FindSelectable(current_selection_ - 1, false)); return;
        case VK_DOWN: StepTo(FindSelectable(current_selection_ + 1, true)); return;
        default: break;  // Page keys scroll.
      }
      break;
    case kEventScrollWheel:
      if (scroll_select_) {
        const INT_PTR delta = static_cast<INT_PTR>(args.wParam);
        StepTo(delta < 1 ? FindSelectable(current_selection_ + 1, true)
                         : FindSelectable(current_selection_ - 1, false));
        return;
      }
      break;
    default:
      // Button down and up end in the control's handling (ButtonDown, ButtonUp) and go no
      // further up.
      break;
  }
  ScrollableBox::HandleEvent(args);
}

void ListBox::DispatchEvent(const EventArgs& args) { ScrollableBox::DispatchEvent(args); }

bool ListBox::ButtonDown(const EventArgs& args) {
  const bool pushed = ScrollableBox::ButtonDown(args);
  StopScroll();
  return pushed;
}

bool ListBox::SetItemIndex(Control* control, int index) {
  const int old = GetItemIndex(control);
  if (old < 0 || index < 0 || index >= GetCount()) return false;
  if (old == index) return true;
  Control* selected = GetItemAt(current_selection_);
  if (!ScrollableBox::SetItemIndex(control, index)) return false;
  Renumber(std::min(old, index), std::max(old, index));
  if (selected) current_selection_ = GetItemIndex(selected);
  return true;
}

bool ListBox::AddAt(Control* control, int index) {
  Control* selected = GetItemAt(current_selection_);
  auto* item = dynamic_cast<ListContainerElement*>(control);
  IListOwner* const oldOwner = item ? item->GetOwner() : nullptr;
  const int oldIndex = item ? item->GetIndex() : -1;
  if (item) {
    item->SetOwner(this);
    item->SetIndex(index);
  }
  if (!ScrollableBox::AddAt(control, index)) {
    // Refused (it belongs to another box, say): it keeps what it had.
    if (item) {
      item->SetOwner(oldOwner);
      item->SetIndex(oldIndex);
    }
    return false;
  }
  Renumber(index + 1, GetCount() - 1);
  if (selected) current_selection_ = GetItemIndex(selected);
  return true;
}

bool ListBox::Remove(Control* control) {
  const int index = GetItemIndex(control);
  return index >= 0 && RemoveAt(index);
}

bool ListBox::RemoveAt(int index) {
  Control* control = GetItemAt(index);
  if (!control) return false;
  // The item may be deleted by the box, or live on detached: it is no longer ours.
  auto* item = dynamic_cast<ListContainerElement*>(control);
  if (item) {
    item->SetOwner(nullptr);
    item->SetIndex(-1);
  }
  const std::weak_ptr<nbase::WeakFlag> itemAlive = control->GetWeakFlag();
  if (!ScrollableBox::Remove(control)) {
    if (item) {
      item->SetOwner(this);
      item->SetIndex(index);
    }
    return false;
  }
  // Detached, it is selected in no list.
  if (item && !itemAlive.expired() && item->IsSelected()) item->ClearSelectedFlag();
  Renumber(index, GetCount() - 1);
  if (index == current_selection_) {
    if (select_neighbour_on_remove_) {
      // SelectItem lets go of the old selection first: the item before receives the unselect.
      current_selection_ = index - 1;
      SelectItem(FindSelectable(index, false), false, true);
    } else {
      current_selection_ = -1;
    }
  } else if (index < current_selection_) {
    --current_selection_;
  }
  return true;
}

void ListBox::RemoveAll() {
  current_selection_ = -1;
  for (int i = 0; i < GetCount(); ++i) {
    if (auto* item = dynamic_cast<ListContainerElement*>(GetItemAt(i))) {
      item->SetOwner(nullptr);
      item->SetIndex(-1);
      if (item->IsSelected()) item->ClearSelectedFlag();
    }
  }
  ScrollableBox::RemoveAll();
}

// ---------------------------------------------------------------------------------------------
// IListOwner

bool ListBox::SelectItem(int index, bool takeFocus, bool trigger) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  const int previous = current_selection_;

  // 1. The old selection goes, whatever comes next.
  if (current_selection_ >= 0) {
    if (auto* old = dynamic_cast<ListContainerElement*>(GetItemAt(current_selection_))) {
      const std::weak_ptr<nbase::WeakFlag> oldAlive = old->GetWeakFlag();
      old->ClearSelectedFlag();
      if (Window* window = old->GetWindow()) window->SendEvent(old, kEventUnSelect);
      if (alive.expired()) return false;
      if (!oldAlive.expired()) old->Invalidate();
    }
    current_selection_ = -1;
  }

  // 2. Only a visible, enabled item is selected.
  if (index < 0) return false;
  auto* item = dynamic_cast<ListContainerElement*>(GetItemAt(index));
  if (!item || !item->IsVisible() || !item->IsEnabled()) return false;

  // 3. The item's own selection (its option group), then into view, focus and the list's event.
  current_selection_ = index;
  const std::weak_ptr<nbase::WeakFlag> itemAlive = item->GetWeakFlag();
  item->SelectAsOption(trigger);
  if (alive.expired()) return false;
  if (!itemAlive.expired()) {
    EnsureVisible(item->GetPos());
    if (alive.expired()) return false;
    if (takeFocus && !itemAlive.expired()) item->SetFocus();
    if (alive.expired()) return false;
  }
  if (trigger) {
    if (Window* window = GetWindow()) window->SendEvent(this, kEventSelect, index, previous);
  }
  return true;
}

void ListBox::EnsureVisible(const RECT& rect) {
  const SIZE scroll = GetScrollPos();
  RECT shown = rect;
  ::OffsetRect(&shown, -scroll.cx, -scroll.cy);
  RECT view = GetPaddingPos();
  ScrollBar* hbar = GetHScrollBar();
  if (hbar && hbar->IsVisible()) view.bottom -= hbar->GetFixedHeight();

  const bool inside = shown.left >= view.left && shown.top >= view.top &&
                      shown.right <= view.right && shown.bottom <= view.bottom;
  if (!inside) {
    const LONG dx = shown.right > view.right  ? shown.right - view.right
                    : shown.left < view.left  ? shown.left - view.left
                                              : 0;
    const LONG dy = shown.bottom > view.bottom ? shown.bottom - view.bottom
                    : shown.top < view.top     ? shown.top - view.top
                                               : 0;
    SetScrollPos(SIZE{scroll.cx + dx, scroll.cy + dy});
    return;
  }
  // In view here; a list inside an item of another list asks that list too.
  if (auto* parentItem = dynamic_cast<ListContainerElement*>(GetParent())) {
    if (IListOwner* owner = parentItem->GetOwner()) owner->EnsureVisible(rect);
  }
}

void ListBox::StopScroll() { StopScrollAnimation(); }

// ---------------------------------------------------------------------------------------------
// List

bool ListBox::ScrollItemToTop(const std::wstring& name) {
  Control* found = nullptr;
  for (Control* child : GetItems()) {
    if (child->GetName() == name) {
      found = child;
      break;
    }
  }
  if (!found || GetScrollRange().cy == 0) return false;
  const int offset = found->GetPos().top - (GetPos().top + GetLayout()->GetPadding().top);
  if (offset < 0) return false;
  SetScrollPos(SIZE{GetScrollPos().cx, offset});
  return true;
}

Control* ListBox::GetTopItem() const {
  const int top = GetPos().top + GetLayout()->GetPadding().top + GetScrollPos().cy;
  for (Control* child : GetItems()) {
    if (!child->IsVisible() || child->IsFloat()) continue;
    if (child->GetPos().bottom >= top) return child;
  }
  return nullptr;
}

void ListBox::OnChildDeleted(int index) {
  Renumber(index, GetCount() - 1);
  if (index == current_selection_)
    current_selection_ = -1;  // Nothing is left to unselect, and no event comes from a destructor.
  else if (index < current_selection_)
    --current_selection_;
}

// ---------------------------------------------------------------------------------------------
// Private

void ListBox::Renumber(int first, int last) {
  last = std::min(last, GetCount() - 1);
  for (int i = std::max(first, 0); i <= last; ++i) {
    if (auto* item = dynamic_cast<ListContainerElement*>(GetItemAt(i))) {
      item->SetOwner(this);
      item->SetIndex(i);
    }
  }
}

void ListBox::StepTo(int target) {
  if (target < 0) return;  // Nothing to go to: the selection stays.
  SelectItem(target, true, true);
}

}  // namespace ui
