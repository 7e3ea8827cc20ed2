#include "ui/controls/combo_window.h"

#include "ui/controls/combo.h"
#include "ui/controls/list_box.h"
#include "ui/core/box.h"

namespace ui {

CComboWnd::CComboWnd(Combo* combo) : combo_(combo) {}

LRESULT CComboWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      BuildTree();
      return 0;
    case WM_CLOSE:
      if (combo_) {
        // The combo takes its list back into its own window and the focus with it.
        Combo* combo = combo_;
        ReleaseList();
        combo->SetWindowAndParent(combo->GetWindow(), combo->GetParent(), true);
        combo->SetPos(combo->GetPos());
        combo->SetFocus();
      }
      break;
    case WM_KILLFOCUS:
      // Only the first loss counts: the close that follows moves the focus again.
      if (!closing_ && reinterpret_cast<HWND>(wParam) != GetHWND()) StartClosing();
      break;
    default:
      break;
  }
  if (!closing_) return Window::HandleMessage(message, wParam, lParam);
  return CallSavedWindowProc(message, wParam, lParam);
}

void CComboWnd::OnLastMessage(HWND hwnd) {
  Window::OnLastMessage(hwnd);
  if (Combo* combo = combo_) {
    // Gone without the focus loss (its owner was destroyed, say): the list goes back here.
    ReleaseList();
    combo_ = nullptr;
    combo->TakeListBack();
    combo->ForgetComboWnd();
  }
  delete this;
}

void CComboWnd::DetachCombo() {
  ReleaseList();
  combo_ = nullptr;
}

void CComboWnd::ReleaseList() {
  if (!combo_) return;
  ListBox* list = combo_->GetListBox();
  Box* root = dynamic_cast<Box*>(GetRoot());
  if (root && list->GetParent() == root) root->Remove(list);
}

void CComboWnd::BuildTree() {
  Init(GetHWND());
  auto* root = new Box();
  root->SetAutoDestroy(false);  // The list is the combo's, lent while the popup is open.
  if (combo_) {
    ListBox* list = combo_->GetListBox();
    // Out of the combo's window first: nothing there may point into the list while it is here.
    if (Window* owner = list->GetWindow()) owner->ForgetControls(list);
    root->Add(list);
  }
  SetFocus(nullptr);
  AttachRoot(root);
  if (combo_ && combo_->GetWindow()) SetResourcePath(combo_->GetWindow()->GetResourcePath());
}

void CComboWnd::StartClosing() {
  closing_ = true;
  if (HWND hwnd = GetHWND()) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
  if (!combo_) return;
  // A selection made in the list without a pick (keys that raised no event) is the combo's
  // already: the combo shows the list's selection.
  ReleaseList();
}

}  // namespace ui
