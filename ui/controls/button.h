// ButtonTemplate: a label that is clicked, or activated from the keyboard.
//
// A click (button down and up inside the control) or Space or Return while it has the focus
// activates the button, which sends kEventClick to itself. The text is centred both ways. A
// button that is not mouse-enabled hands mouse events to its parent; one with "menu" set raises
// kEventMenu when a context menu is asked for.
//
//   auto* save = new ui::Button();
//   save->SetText(L"Save");
//   save->AttachClick([this](const ui::EventArgs&) { Save(); return true; });
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_BUTTON_H_
#define UI_CONTROLS_BUTTON_H_

#include "ui/controls/label.h"

namespace ui {

template <typename T = Control>
class ButtonTemplate : public LabelTemplate<T> {
 public:
  // The label's bits plus DT_CENTER | DT_VCENTER.
  static constexpr UINT kDefaultButtonTextStyle = 0x8125;

  ButtonTemplate() { this->text_style_ = kDefaultButtonTextStyle; }

  // Only while keyboard-enabled and enabled.
  bool IsTabStop() const override { return this->IsKeyboardEnabled() && this->IsEnabled(); }
  // Sends kEventClick to itself (visible, enabled and in a window only).
  void Activate() override;
  void HandleEvent(const EventArgs& args) override;
};

extern template class ButtonTemplate<Control>;
extern template class ButtonTemplate<Box>;

using Button = ButtonTemplate<Control>;
using ButtonBox = ButtonTemplate<Box>;

}  // namespace ui

#endif  // UI_CONTROLS_BUTTON_H_
