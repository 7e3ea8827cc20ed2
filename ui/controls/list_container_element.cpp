#include "ui/controls/list_container_element.h"

#include "ui/core/window.h"

namespace ui {

ListContainerElement::ListContainerElement() { text_style_ = kItemTextStyle; }

void ListContainerElement::SetVisible(bool visible) {
  // A fade-out ends here too, through its completion.
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  OptionTemplate<Box>::SetVisible(visible);
  if (!alive.expired() && !visible) LeaveSelectionIfUnselectable();
}

void ListContainerElement::SetEnabled(bool enabled) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  OptionTemplate<Box>::SetEnabled(enabled);
  if (alive.expired() || enabled) return;
  // A list disabled as a whole disables its items after itself: they keep the selection.
  if (parent_ && !parent_->IsEnabled()) return;
  LeaveSelectionIfUnselectable();
}

void ListContainerElement::LeaveSelectionIfUnselectable() {
  if (IsVisible() && IsEnabled()) return;
  if (!owner_ || index_ < 0 || owner_->GetCurSel() != index_) return;
  owner_->SelectItem(-1, false, true);  // Unselects this item (its event) and selects nothing.
}

void ListContainerElement::SetSelected(bool selected, bool triggerEvent) {
  if (!IsEnabled() || !selected || !owner_) return;
  owner_->SelectItem(index_, false, triggerEvent);
}

void ListContainerElement::SelectAsOption(bool triggerEvent) {
  OptionTemplate<Box>::SetSelected(true, triggerEvent);
}

void ListContainerElement::ClearSelectedFlag() {
  selected_ = false;
  Invalidate();
}

void ListContainerElement::HandleEvent(const EventArgs& args) {
  if (!IsMouseEnabled() && IsMouseEvent(args.type)) {
    if (owner_)
      owner_->DispatchEvent(args);
    else
      OptionTemplate<Box>::HandleEvent(args);
    return;
  }
  Window* window = GetWindow();
  switch (args.type) {
    case kEventInternalDoubleClick:
      if (IsActivatable() && window) window->SendEvent(this, kEventDoubleClick);
      return;
    case kEventKeyDown:
      if (args.keyCode == VK_RETURN && IsEnabled()) {
        if (IsActivatable() && window) window->SendEvent(this, kEventReturn);
        return;
      }
      if ((args.keyCode == VK_SPACE || args.keyCode == VK_RETURN) && IsKeyboardEnabled()) {
        Activate();
        return;
      }
      break;
    case kEventInternalMenu:
      if (IsEnabled()) {
        const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
        SetSelected(true, true);
        if (alive.expired()) return;
        if (Window* now = GetWindow()) now->SendEvent(this, kEventMenu, args.wParam, args.lParam);
        if (!alive.expired()) Invalidate();
      } else if (IsContextMenuUsed() && window) {
        window->SendEvent(this, kEventMenu, args.wParam, args.lParam);
      }
      return;
    default:
      break;
  }
  // Not the button's handling: its Space, Return and menu rules are the item's own above.
  Control::HandleEvent(args);
}

}  // namespace ui
