// CComboWnd: the drop-down window of a ui::Combo.
//
// A borderless, layered tool window owned by the combo's window. It borrows the combo's list as
// the only child of its root box while it is open, and closes as soon as it loses the keyboard
// focus: to a click elsewhere, or because the combo posted it the focus loss after a pick. On the
// way out it hands the list back to the combo (whose selection is the list's) and gives the
// combo the focus. The object deletes itself after its native window's last message.
//
//   Made only by ui::Combo::Activate:
//     auto* popup = new CComboWnd(combo);
//     popup->Create(comboWindow, L"", WS_POPUP, WS_EX_TOOLWINDOW, true, rectOnScreen);
//
// A combo destroyed while the popup is open detaches from it first (DetachCombo); the popup then
// touches the combo no more and closes.
//
// Thread affinity: the thread of the combo's window.
#ifndef UI_CONTROLS_COMBO_WINDOW_H_
#define UI_CONTROLS_COMBO_WINDOW_H_

#include <string>

#include "ui/core/window.h"

namespace ui {

class Combo;

class CComboWnd : public Window {
 public:
  explicit CComboWnd(Combo* combo);

  std::wstring GetWindowClassName() const override { return L"ComboWnd"; }
  // The combo forgets the popup (and gets its list back, if the popup still held it); then the
  // object deletes itself.
  void OnLastMessage(HWND hwnd) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // Whether the popup has lost the focus and is on its way out.
  bool IsClosing() const { return closing_; }
  // Null once the combo has detached.
  Combo* GetCombo() const { return combo_; }

 private:
  friend class Combo;

  // The combo is going: the list leaves the popup's tree and the combo is never touched again.
  void DetachCombo();
  // Lets go of the list (the root does not delete it): it has no window and no parent after.
  void ReleaseList();
  // WM_CREATE: the render context, a root holding the list, the combo's resource path.
  void BuildTree();
  // WM_KILLFOCUS (the first one): the list goes back to the combo, WM_CLOSE posted.
  void StartClosing();

  Combo* combo_;  // Not owned; cleared by DetachCombo.
  bool closing_ = false;
};

}  // namespace ui

#endif  // UI_CONTROLS_COMBO_WINDOW_H_
