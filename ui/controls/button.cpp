#include "ui/controls/button.h"

#include "ui/core/window.h"

namespace ui {

template <typename T>
void ButtonTemplate<T>::Activate() {
  if (!this->IsActivatable() || !this->GetWindow()) return;
  this->SendEvent(kEventClick);
}

template <typename T>
void ButtonTemplate<T>::HandleEvent(const EventArgs& args) {
  if (IsMouseEvent(args.type) && !this->IsMouseEnabled()) {
    if (Box* parent = this->GetParent())
      parent->DispatchEvent(args);
    else
      LabelTemplate<T>::HandleEvent(args);
    return;
  }
  if (args.type == kEventKeyDown && this->IsKeyboardEnabled()) {
    if (args.keyCode == VK_SPACE || args.keyCode == VK_RETURN) {
      this->Activate();
      return;
    }
  } else if (args.type == kEventInternalMenu) {
    Window* window = this->GetWindow();
    if (this->IsContextMenuUsed() && window)
      window->SendEvent(this, kEventMenu, args.wParam, args.lParam);
    return;
  }
  LabelTemplate<T>::HandleEvent(args);
}

template class ButtonTemplate<Control>;
template class ButtonTemplate<Box>;

}  // namespace ui
