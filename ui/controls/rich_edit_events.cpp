// ui::RichEdit: the library's events turned into window messages for the text services, the
// events the control raises, number mode (typed and pasted), the cursor and the IME window.
#include "ui/controls/rich_edit.h"

#include <imm.h>

#include <algorithm>

#include "ui/controls/on_screen_keyboard_manager.h"
#include "ui/controls/text_clipboard.h"
#include "ui/core/window.h"

namespace ui {

namespace {

bool IsKeyDown(int key) { return (::GetKeyState(key) & 0x8000) != 0; }

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The keys with which the text services paste: Ctrl+V and Shift+Insert (Ctrl+Insert copies).
bool IsPasteKey(WORD key) {
  if (key == 'V') return IsKeyDown(VK_CONTROL);
  return key == VK_INSERT && IsKeyDown(VK_SHIFT) && !IsKeyDown(VK_CONTROL);
}

}  // namespace

void RichEdit::HandleEvent(const EventArgs& args) {
  // A control disabled while it held the focus still lets the focus go: otherwise its text
  // services would keep a caret and a focus it no longer has.
  const bool lettingFocusGo = args.type == kEventInternalKillFocus;
  if ((!IsMouseEnabled() && IsMouseEvent(args.type)) || (!IsEnabled() && !lettingFocusGo)) {
    if (parent_)
      parent_->DispatchEvent(args);
    else
      ScrollableBox::HandleEvent(args);
    return;
  }
  switch (args.type) {
    case kEventInternalSetFocus:
      OnSetFocus();
      return;
    case kEventInternalKillFocus:
      OnKillFocus();
      return;
    case kEventKeyDown:
      OnKeyDown(args);
      return;
    case kEventChar:
      OnChar(args);
      return;
    case kEventButtonDown:
    case kEventPointerDown:
      OnButtonDown(args);
      return;
    case kEventButtonUp:
    case kEventPointerUp:
      OnButtonUp(args);
      return;
    case kEventInternalDoubleClick:
      if (read_only_) {
        SetSelAll();
        return;
      }
      SendMouseMessage(WM_LBUTTONDBLCLK, args);
      return;
    case kEventMouseMove:
      SendMouseMessage(WM_MOUSEMOVE, args);
      return;
    case kEventRButtonDown:
      SendMouseMessage(WM_RBUTTONDOWN, args);
      return;
    case kEventRButtonUp:
      SendMouseMessage(WM_RBUTTONUP, args);
      return;
    case kEventScrollWheel:
      if (IsKeyDown(VK_CONTROL)) return;  // Ctrl+wheel is left alone.
      break;
    case kEventSetCursor:
      OnSetCursor(args);
      return;
    case kEventImeStartComposition:
      OnImeStartComposition();
      return;
    case kEventImeEndComposition:
      composing_ = false;
      return;
    default:
      break;
  }
  ScrollableBox::HandleEvent(args);
}

// ---------------------------------------------------------------------------------------------
// Focus

void RichEdit::OnSetFocus() {
  // Focused first: the text services place the caret while they take the focus.
  focused_ = true;
  if (host_) {
    const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
    TxSendMessage(WM_SETFOCUS, 0, 0, nullptr);
    if (alive.expired()) return;
    StartCaret();
  }
  Invalidate();
}

void RichEdit::OnKillFocus() {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  focused_ = false;
  clicked_since_focus_ = false;
  if (host_) {
    TxSendMessage(WM_KILLFOCUS, 0, 0, nullptr);
    if (alive.expired()) return;
  }
  StopCaret();
  if (IsEnabled()) {
    if (read_only_ && clear_selection_read_only_) SetSelNone();
    if (select_all_on_focus_) SetSelNone();
  }
  Invalidate();
  KeyboardManager()->ShowKeyboard(false);
}

// ---------------------------------------------------------------------------------------------
// Keys

void RichEdit::OnKeyDown(const EventArgs& args) {
  const WORD key = args.keyCode;
  if (key == VK_RETURN && want_return_msg_ && !IsKeyDown(VK_SHIFT) &&
      IsKeyDown(VK_CONTROL) == return_msg_want_ctrl_) {
    RaiseEvent(kEventReturn, args);
    return;
  }
  if (number_only_ && IsPasteKey(key)) {
    // The text services refuse a paste into a read-only field, but not a replaced selection.
    if (!read_only_) PasteDigits();
    return;
  }
  TxSendMessage(WM_KEYDOWN, key, args.lParam, nullptr);
}

void RichEdit::PasteDigits() {
  TextClipboard* clipboard = clipboard_ ? clipboard_ : TextClipboard::System();
  std::wstring text;
  // A clipboard that cannot be read cannot be filtered: nothing is pasted.
  if (!ReadClipboardText(clipboard, GetHostWindow(), &text)) return;
  // Kept here: a text-change handler may destroy this control while the text goes in.
  const std::wstring digits = KeepDigits(text);
  if (digits.empty()) return;  // No digit (or no text at all): nothing to paste.
  // As the text services paste: over the selection, and undoable.
  TxSendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(digits.c_str()), nullptr);
}

void RichEdit::OnChar(const EventArgs& args) {
  const wchar_t character = static_cast<wchar_t>(args.keyCode);
  if (character == L'\t' && !want_tab_) {
    RaiseEvent(kEventTab, args);
    return;
  }
  if (number_only_ && !IsDigit(character)) return;
  TxSendMessage(WM_CHAR, character, args.lParam, nullptr);
}

void RichEdit::RaiseEvent(int type, const EventArgs& args) {
  if (window_)
    window_->SendEvent(this, type, args.wParam, args.lParam);
  else
    SendEvent(type, args.wParam, args.lParam, args.keyCode, args.mousePos);
}

// ---------------------------------------------------------------------------------------------
// Mouse

void RichEdit::OnButtonDown(const EventArgs& args) {
  std::wstring link;
  if (HitTestLink(args.mousePos, &link)) {
    // The link's text travels as wParam, valid while the event runs.
    if (window_)
      window_->SendEvent(this, kEventLinkClick, reinterpret_cast<WPARAM>(link.c_str()),
                         args.lParam);
    else
      SendEvent(kEventLinkClick, reinterpret_cast<WPARAM>(link.c_str()), args.lParam, 0,
                args.mousePos);
    return;
  }
  if (args.type == kEventPointerDown) KeyboardManager()->ShowKeyboard(true);
  SendMouseMessage(WM_LBUTTONDOWN, args);
}

void RichEdit::OnButtonUp(const EventArgs& args) {
  if (IsEnabled() && !clicked_since_focus_) {
    clicked_since_focus_ = true;
    if (select_all_on_focus_) {
      SetSelAll();
      if (style_ & ES_MULTILINE)
        HomeUp();
      else
        HomeLeft();
    }
  }
  SendMouseMessage(WM_LBUTTONUP, args);
}

void RichEdit::SendMouseMessage(UINT message, const EventArgs& args) {
  // The text services know the control where it would be without the boxes around it scrolled.
  const SIZE offset = GetScrollOffset();
  const int x = args.mousePos.x + offset.cx;
  const int y = args.mousePos.y + offset.cy;
  TxSendMessage(message, args.wParam, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)),
                nullptr);
}

void RichEdit::OnSetCursor(const EventArgs& args) {
  std::wstring link;
  if (HitTestLink(args.mousePos, &link)) {
    ::SetCursor(::LoadCursorW(nullptr, IDC_HAND));
    return;
  }
  const SIZE offset = GetScrollOffset();
  const POINT point = {args.mousePos.x + offset.cx, args.mousePos.y + offset.cy};
  if (host_ && ::PtInRect(&host_->GetClientRect(), point)) {
    host_->SetCursorAt(point);
    return;
  }
  ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
}

void RichEdit::OnImeStartComposition() {
  const HWND hwnd = GetHostWindow();
  if (!hwnd) return;
  const HIMC context = ::ImmGetContext(hwnd);
  if (!context) return;
  const SIZE offset = GetScrollOffset();
  COMPOSITIONFORM form = {};
  form.dwStyle = CFS_POINT;
  form.ptCurrentPos.x = std::max<LONG>(1, caret_pos_.x - offset.cx);
  form.ptCurrentPos.y = std::max<LONG>(1, caret_pos_.y - offset.cy);
  ::ImmSetCompositionWindow(context, &form);
  ::ImmReleaseContext(hwnd, context);
  composing_ = true;
}

}  // namespace ui
