// ui::Window: Windows messages to control events. Mouse (capture, hover tracking, leave), keys,
// focus and the Tab order, tooltips, the context-menu sequence, touch and pointer input, and the
// messages reflected to child windows.
//
// Every event goes to a control of this window only; a control pointer of the routing state is
// cleared before the event that ends its role goes out, and nothing of the window is touched
// after an event that may have deleted it unless the window is known to live on.
#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "ui/controls/rich_edit.h"
#include "ui/core/box.h"
#include "ui/core/control.h"
#include "ui/core/touch_input_api.h"
#include "ui/core/window.h"

namespace ui {

namespace {

// Walks the tree in order and remembers the tab stops around the focus control.
struct TabWalk {
  Control* focus = nullptr;
  bool passedFocus = false;
  Control* first = nullptr;
  Control* last = nullptr;
  Control* lastBefore = nullptr;  // The last tab stop before the focus control.
  Control* firstAfter = nullptr;  // The first tab stop after it.
};

Control* VisitTabStop(Control* control, void* data) {
  auto* walk = static_cast<TabWalk*>(data);
  if (control == walk->focus) {
    walk->passedFocus = true;
    return nullptr;
  }
  if (!control->IsTabStop()) return nullptr;
  if (!walk->first) walk->first = control;
  walk->last = control;
  if (!walk->passedFocus) walk->lastBefore = control;
  if (walk->passedFocus && !walk->firstAfter) walk->firstAfter = control;
  return nullptr;  // The whole tree is walked.
}

POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// The common controls are delay-loaded: the first tooltip of the process loads them (once, from
// whichever window thread gets there first), so that a program's start-up does not.
void LoadCommonControlsOnce() {
  static const bool loaded = (::InitCommonControls(), true);
  (void)loaded;
}

}  // namespace

LRESULT Window::RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  *handled = false;
  if (message == WM_DISPLAYCHANGE) virtual_screen_known_ = false;
  // Filters may add or remove filters: the list is walked by index, as it stands.
  for (size_t i = 0; i < message_filters_.size(); ++i) {
    bool filtered = false;
    const LRESULT result =
        message_filters_[i]->MessageFilter(message, wParam, lParam, &filtered);
    if (filtered && message != WM_MOUSEMOVE) {
      *handled = true;
      return result;
    }
  }

  switch (message) {
    case kDelayedCleanupMessage: {
      std::vector<Control*> queued;
      queued.swap(delayed_cleanup_);  // Destructors may queue more: those wait for a later post.
      for (Control* control : queued) delete control;
      *handled = true;
      return 0;
    }
    case WM_SIZE: {
      const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
      SendEvent(focus_, kEventWindowSize);
      if (alive.expired()) return 0;
      if (root_) root_->Arrange();
      if (wParam == SIZE_MAXIMIZED) MaximizedOrRestored(true);
      if (wParam == SIZE_RESTORED) MaximizedOrRestored(false);
      *handled = true;
      return 0;
    }
    case WM_KILLFOCUS:
      if (mouse_captured_ && (captured_ || touch_ || pointer_)) {
        ReleaseCaptureIfHeld();
        ReleasePressedControls();
      }
      return 0;
    case WM_CAPTURECHANGED:
      // Taken away (a menu or a message box opened from a press), not let go by the routing
      // itself, which clears the flag first: the pressed control no longer gets the moves.
      if (mouse_captured_ && reinterpret_cast<HWND>(lParam) != hwnd_) {
        mouse_captured_ = false;
        captured_ = nullptr;
      }
      return 0;
    case WM_PAINT:
      Paint();
      *handled = true;
      return 0;
    case WM_CLOSE:
      return RouteClose();
    case WM_ERASEBKGND:
      *handled = true;
      return 1;
    case WM_SETCURSOR: {
      if (LOWORD(lParam) != HTCLIENT || captured_ || touch_ || pointer_) return 0;
      POINT point = {};
      ::GetCursorPos(&point);
      ::ScreenToClient(hwnd_, &point);
      last_mouse_pos_ = point;
      Control* control = OwnControlAt(point);
      if (!control) return 0;
      *handled = true;
      SendEvent(control, kEventSetCursor, wParam, lParam);
      return TRUE;
    }
    case WM_NOTIFY:
    case WM_COMMAND:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      return RouteReflected(message, wParam, lParam, handled);
    case WM_CONTEXTMENU:
      return RouteContextMenu(lParam);
    case WM_KEYDOWN:
      return RouteKeyDown(wParam, lParam, handled);
    case WM_KEYUP: {
      Control* control = key_down_;
      key_down_ = nullptr;
      if (control) SendEventAt(control, kEventKeyUp, last_mouse_pos_, wParam, lParam,
                               static_cast<WORD>(wParam));
      return 0;
    }
    case WM_CHAR:
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_ENDCOMPOSITION: {
      const int type = message == WM_CHAR                   ? kEventChar
                       : message == WM_IME_STARTCOMPOSITION ? kEventImeStartComposition
                                                            : kEventImeEndComposition;
      if (focus_) SendEventAt(focus_, type, last_mouse_pos_, wParam, lParam,
                              static_cast<WORD>(wParam));
      return 0;
    }
    case WM_MOUSEMOVE:
      return RouteMouseMove(wParam, lParam);
    case WM_LBUTTONDOWN:
      return RouteButtonDown(kEventButtonDown, wParam, lParam);
    case WM_LBUTTONDBLCLK:
      return RouteButtonDown(kEventInternalDoubleClick, wParam, lParam);
    case WM_RBUTTONDOWN:
      return RouteButtonDown(kEventRButtonDown, wParam, lParam);
    case WM_LBUTTONUP: {
      last_mouse_pos_ = PointOf(lParam);
      ReleaseCaptureIfHeld();
      Control* control = captured_;
      captured_ = nullptr;
      SendEvent(control, kEventButtonUp, wParam, lParam);
      return 0;
    }
    case WM_RBUTTONUP:
      // The control stays captured: the context menu that follows goes to it.
      last_mouse_pos_ = PointOf(lParam);
      ReleaseCaptureIfHeld();
      SendEvent(captured_, kEventRButtonUp, wParam, lParam);
      return 0;
    case WM_MOUSEWHEEL: {
      POINT point = PointOf(lParam);
      ::ScreenToClient(hwnd_, &point);
      last_mouse_pos_ = point;
      const INT_PTR delta = GET_WHEEL_DELTA_WPARAM(wParam);
      SendEvent(OwnControlAt(point), kEventScrollWheel, static_cast<WPARAM>(delta), lParam);
      return 0;
    }
    case WM_MOUSEHOVER:
      *handled = true;
      return RouteMouseHover(wParam, lParam);
    case WM_MOUSELEAVE:
      return RouteMouseLeave();
    case WM_TOUCH:
      return RouteTouch(wParam, lParam);
    case WM_POINTERUPDATE:
    case WM_POINTERDOWN:
    case WM_POINTERUP:
    case WM_POINTERLEAVE:
    case WM_POINTERCAPTURECHANGED:
      if (!pointer_input_enabled_ || !IS_POINTER_PRIMARY_WPARAM(wParam)) return 0;
      return RoutePointer(message, wParam, lParam, handled);
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------------------------
// Helpers

Control* Window::OwnControlAt(POINT point) const {
  Control* control = FindControlAt(point);
  return control && control->GetWindow() == this ? control : nullptr;
}

Control* Window::FindControlAt(POINT point) const {
  for (IRootFinder* finder : root_finders_) {
    if (Control* control = finder->FindControlAt(point)) return control;
  }
  if (!root_) return nullptr;
  auto underPoint = [](Control* control, void* data) -> Control* {
    const RECT pos = control->GetPos();
    return ::PtInRect(&pos, *static_cast<const POINT*>(data)) ? control : nullptr;
  };
  return root_->FindControl(underPoint, &point, kFindVisible | kFindHitTest | kFindTopFirst);
}

bool Window::SendEvent(Control* control, int type, WPARAM wParam, LPARAM lParam) {
  return SendEventAt(control, type, last_mouse_pos_, wParam, lParam);
}

bool Window::SendEventAt(Control* control, int type, POINT point, WPARAM wParam, LPARAM lParam,
                         WORD keyCode, float pressure) {
  if (!control) return false;
  EventArgs args;
  args.type = type;
  args.sender = control;
  args.timestamp = ::GetTickCount();
  args.mousePos = point;
  args.keyCode = keyCode;
  args.wParam = wParam;
  args.lParam = lParam;
  args.pressure = pressure;
  control->DispatchEvent(args);
  return true;
}

void Window::TakeCapture() {
  if (!hwnd_) return;
  ::SetCapture(hwnd_);
  mouse_captured_ = true;
}

void Window::ReleaseCaptureIfHeld() {
  if (!mouse_captured_) return;
  mouse_captured_ = false;
  ::ReleaseCapture();
}

void Window::ReleasePressedControls() {
  std::vector<Control*> pressed;
  for (Control* control : {captured_, touch_, pointer_}) {
    if (control && std::find(pressed.begin(), pressed.end(), control) == pressed.end())
      pressed.push_back(control);
  }
  captured_ = touch_ = pointer_ = nullptr;
  // A control's up handler may delete another pressed control (or the window): each is checked.
  std::vector<std::weak_ptr<nbase::WeakFlag>> alive;
  for (Control* control : pressed) alive.push_back(control->GetWeakFlag());
  for (size_t i = 0; i < pressed.size(); ++i) {
    if (!alive[i].expired()) SendEvent(pressed[i], kEventButtonUp);
  }
}

// ---------------------------------------------------------------------------------------------
// Focus and Tab

void Window::SetFocus(Control* control) {
  // 1. The window takes the system focus for a new control.
  if (hwnd_ && control && control != focus_ && ::GetFocus() != hwnd_) ::SetFocus(hwnd_);
  // 2. The same control again: nothing more.
  if (control == focus_) return;
  // Kill-focus handling may delete the control that is to get the focus, the old focus control
  // or the window itself.
  const std::weak_ptr<nbase::WeakFlag> target =
      control ? control->GetWeakFlag() : std::weak_ptr<nbase::WeakFlag>();
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  // 3. The old focus loses it.
  if (Control* old = focus_) {
    const std::weak_ptr<nbase::WeakFlag> oldAlive = old->GetWeakFlag();
    SendEvent(old, kEventInternalKillFocus);
    if (alive.expired()) return;
    focus_ = nullptr;
    if (!oldAlive.expired()) SendEvent(old, kEventKillFocus);
    if (alive.expired()) return;
  }
  // 4. Only a visible, enabled control of this window takes it.
  if (!control || target.expired()) return;
  if (control->GetWindow() != this || !control->IsVisible() || !control->IsEnabled()) return;
  // 5. The new focus gets it.
  focus_ = control;
  SendEvent(control, kEventInternalSetFocus);
  if (focus_ == control) SendEvent(control, kEventSetFocus);
}

bool Window::SetNextTabControl(bool forward) {
  if (layout_pending_ && forward) {
    // Tab stops may not be where they will be: the paint after the layout moves the focus.
    focus_pending_ = true;
    if (hwnd_) {
      RECT client = {};
      ::GetClientRect(hwnd_, &client);
      Invalidate(client);
    }
    return true;
  }
  focus_pending_ = false;
  if (!root_) return true;
  TabWalk walk;
  walk.focus = focus_;
  root_->FindControl(&VisitTabStop, &walk, kFindVisible | kFindEnabled | kFindMeFirst);
  Control* next = forward ? (walk.firstAfter ? walk.firstAfter : walk.first)
                          : (walk.lastBefore ? walk.lastBefore : walk.last);
  if (next) SetFocus(next);
  return true;
}

LRESULT Window::RouteKeyDown(WPARAM wParam, LPARAM lParam, bool* handled) {
  if (!focus_) return 0;
  if (wParam == VK_TAB) {
    // A rich edit that takes Tab as text gets it as the character that follows.
    const auto* edit = dynamic_cast<const RichEdit*>(focus_);
    if (edit && edit->IsVisible() && edit->IsEnabled() && edit->IsWantTab()) return 0;
    const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
    SetNextTabControl(!shift);
    *handled = true;
    return 1;
  }
  key_down_ = focus_;
  SendEventAt(focus_, kEventKeyDown, last_mouse_pos_, wParam, lParam, static_cast<WORD>(wParam));
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Mouse

void Window::ArmHoverTracking() {
  if (mouse_tracking_ || !hwnd_) return;
  TRACKMOUSEEVENT track = {};
  track.cbSize = sizeof(track);
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = hwnd_;
  track.dwHoverTime =
      tooltip_ ? static_cast<DWORD>(::SendMessageW(tooltip_, TTM_GETDELAYTIME, TTDT_INITIAL, 0))
               : kDefaultHoverMs;
  ::TrackMouseEvent(&track);
  mouse_tracking_ = true;
}

LRESULT Window::RouteMouseMove(WPARAM wParam, LPARAM lParam) {
  if (touch_ || pointer_) return 0;
  ArmHoverTracking();
  const POINT point = PointOf(lParam);
  last_mouse_pos_ = point;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!HandleMouseEnterLeave(point, wParam, lParam) || alive.expired()) return 0;
  SendEvent(captured_ ? captured_ : hover_, kEventMouseMove, wParam, lParam);
  return 0;
}

bool Window::HandleMouseEnterLeave(POINT point, WPARAM wParam, LPARAM lParam) {
  Control* candidate = FindControlAt(point);
  if (candidate && candidate->GetWindow() != this) return false;
  // Set before the events go out: a parent tells from it whether the pointer is still inside.
  hover_ = candidate;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (event_hover_ && event_hover_ != candidate) {
    Control* left = event_hover_;
    event_hover_ = nullptr;
    HideToolTip();
    SendEvent(left, kEventMouseLeave);
    if (alive.expired()) return true;
  }
  // A leave handler may have deleted the candidate (ReapControl then cleared hover_).
  if (hover_ && hover_ != event_hover_) {
    event_hover_ = hover_;
    SendEvent(hover_, kEventMouseEnter, wParam, lParam);
  }
  return true;
}

LRESULT Window::RouteButtonDown(int type, WPARAM wParam, LPARAM lParam) {
  if (touch_ || pointer_) return 0;
  if (hwnd_) ::SetFocus(hwnd_);
  const POINT point = PointOf(lParam);
  last_mouse_pos_ = point;
  Control* control = OwnControlAt(point);
  if (!control) return 0;
  captured_ = control;
  TakeCapture();
  SendEvent(control, type, wParam, lParam);
  return 0;
}

LRESULT Window::RouteContextMenu(LPARAM lParam) {
  if (!captured_) return 0;
  POINT point = PointOf(lParam);
  ::ScreenToClient(hwnd_, &point);
  last_mouse_pos_ = point;
  ReleaseCaptureIfHeld();
  Control* control = captured_;
  captured_ = nullptr;
  SendEvent(control, kEventInternalMenu, 0, reinterpret_cast<LPARAM>(control));
  return 0;
}

LRESULT Window::RouteMouseHover(WPARAM wParam, LPARAM lParam) {
  mouse_tracking_ = false;
  if (!FindControlAt(PointOf(lParam)) || !hover_) return 0;
  Control* control = hover_;
  const std::weak_ptr<nbase::WeakFlag> alive = control->GetWeakFlag();
  const std::weak_ptr<nbase::WeakFlag> windowAlive = GetWeakFlag();
  SendEvent(control, kEventMouseHover, wParam, lParam);
  if (alive.expired() || windowAlive.expired()) return 0;
  ShowToolTip(control);
  return 0;
}

LRESULT Window::RouteMouseLeave() {
  HideToolTip();
  // A hover ends the hover tracking but not the leave tracking: a control that got its hover is
  // still owed its leave.
  if ((mouse_tracking_ || event_hover_) && hwnd_) {
    // The pointer left the window: a move to nowhere sends the hover control its leave.
    const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
    ::SendMessageW(hwnd_, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));
    if (alive.expired()) return 0;
  }
  mouse_tracking_ = false;
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Tooltip

void Window::ShowToolTip(Control* control) {
  tooltip_text_ = control->GetToolTipText();
  if (tooltip_text_.empty() || !hwnd_) return;
  tool_info_.cbSize = sizeof(tool_info_);
  tool_info_.uFlags = TTF_IDISHWND;
  tool_info_.hwnd = hwnd_;
  tool_info_.uId = reinterpret_cast<UINT_PTR>(hwnd_);
  tool_info_.hinst = ::GetModuleHandleW(nullptr);
  tool_info_.lpszText = const_cast<LPWSTR>(tooltip_text_.c_str());
  tool_info_.rect = control->GetPos();
  if (!tooltip_) {
    LoadCommonControlsOnce();
    tooltip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr,
                                 WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd_, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    if (!tooltip_) return;
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool_info_));
  }
  ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, control->GetToolTipWidth());
  ::SendMessageW(tooltip_, TTM_SETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool_info_));
  ::SendMessageW(tooltip_, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool_info_));
}

void Window::HideToolTip() {
  if (tooltip_)
    ::SendMessageW(tooltip_, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool_info_));
}

// ---------------------------------------------------------------------------------------------
// Close and reflected messages

LRESULT Window::RouteClose() {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  Control* hover = event_hover_;
  hover_ = event_hover_ = nullptr;
  SendEvent(hover, kEventMouseLeave);
  if (alive.expired()) return 0;
  ReleasePressedControls();
  if (alive.expired()) return 0;
  SetFocus(nullptr);
  if (alive.expired() || !hwnd_) return 0;
  if (HWND owner = ::GetWindow(hwnd_, GW_OWNER)) ::SetFocus(owner);
  return 0;
}

LRESULT Window::RouteReflected(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    *handled = true;
    if (!header || !header->hwndFrom) return 0;
    return ::SendMessageW(header->hwndFrom, message + kReflectOffset, wParam, lParam);
  }
  HWND child = reinterpret_cast<HWND>(lParam);
  if (!child || !::IsWindow(child)) return 0;
  *handled = true;
  return ::SendMessageW(child, message + kReflectOffset, wParam, lParam);
}

// ---------------------------------------------------------------------------------------------
// Touch and pointer

LRESULT Window::RouteTouch(WPARAM wParam, LPARAM lParam) {
  const TouchInputApi& api = GetTouchInputApi();
  const UINT count = LOWORD(wParam);
  if (!api.getTouchInputInfo || count == 0 || !hwnd_) return 0;
  HTOUCHINPUT input = reinterpret_cast<HTOUCHINPUT>(lParam);
  std::vector<TOUCHINPUT> contacts(count);
  const bool read = api.getTouchInputInfo(input, count, contacts.data(), sizeof(TOUCHINPUT));
  if (api.closeTouchInputHandle) api.closeTouchInputHandle(input);
  // Only the first contact is followed; a second finger in the same message is ignored.
  if (!read || contacts[0].dwID == 0) return 0;
  const TOUCHINPUT contact = contacts[0];
  POINT point = {TOUCH_COORD_TO_PIXEL(contact.x), TOUCH_COORD_TO_PIXEL(contact.y)};
  ::ScreenToClient(hwnd_, &point);
  if (contact.dwFlags & TOUCHEVENTF_DOWN) {
    TouchDown(point);
  } else if (contact.dwFlags & TOUCHEVENTF_MOVE) {
    TouchMove(point);
  } else if (contact.dwFlags & TOUCHEVENTF_UP) {
    TouchUp(point);
  }
  return 0;
}

void Window::TouchDown(POINT point) {
  if (captured_ || pointer_) return;
  if (hwnd_) ::SetFocus(hwnd_);
  last_touch_pos_ = point;
  Control* control = OwnControlAt(point);
  if (!control) return;
  touch_ = control;
  TakeCapture();
  SendEventAt(control, kEventTouchDown, point, 0, 0);
}

void Window::TouchMove(POINT point) {
  if (captured_ || pointer_) return;
  if (point.x == last_touch_pos_.x && point.y == last_touch_pos_.y) return;
  last_touch_pos_ = point;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!HandleMouseEnterLeave(point, 0, 0) || alive.expired()) return;
  if (touch_) SendEventAt(touch_, kEventTouchMove, point, 0, 0);
}

void Window::TouchUp(POINT point) {
  last_touch_pos_ = point;
  ReleaseCaptureIfHeld();
  Control* control = touch_;
  touch_ = nullptr;
  if (control) SendEventAt(control, kEventTouchUp, point, 0, 0);
}

LRESULT Window::RoutePointer(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  const TouchInputApi& api = GetTouchInputApi();
  if (!api.getPointerType || !hwnd_) return 0;
  const UINT32 id = GET_POINTERID_WPARAM(wParam);
  POINTER_INPUT_TYPE type = PT_POINTER;
  if (!api.getPointerType(id, &type)) return 0;
  POINT point = {};
  UINT32 pressure = 0;
  if (type == PT_TOUCH) {
    POINTER_TOUCH_INFO info = {};
    if (!api.getPointerTouchInfo || !api.getPointerTouchInfo(id, &info)) return 0;
    point = info.pointerInfo.ptPixelLocation;
    pressure = info.pressure;
  } else if (type == PT_PEN) {
    POINTER_PEN_INFO info = {};
    if (!api.getPointerPenInfo || !api.getPointerPenInfo(id, &info)) return 0;
    point = info.pointerInfo.ptPixelLocation;
    pressure = info.pressure;
  } else {
    return 0;  // Mouse pointers come as mouse messages.
  }
  ::ScreenToClient(hwnd_, &point);
  const float force = static_cast<float>(pressure) / 1024.0f;

  Control* control = nullptr;
  int event = kEventPointerUp;
  if (message == WM_POINTERUPDATE || message == WM_POINTERDOWN) {
    if (captured_ || touch_) {
      *handled = true;
      return 0;
    }
    last_mouse_pos_ = point;
    if (message == WM_POINTERUPDATE) {
      const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
      if (!HandleMouseEnterLeave(point, wParam, lParam) || alive.expired()) return 0;
      control = pointer_;
      event = kEventPointerMove;
    } else {
      ::SetFocus(hwnd_);
      control = OwnControlAt(point);
      if (!control) return 0;
      pointer_ = control;
      TakeCapture();
      event = kEventPointerDown;
    }
  } else {
    // Up, leave and a lost capture all end the press.
    last_mouse_pos_ = point;
    ReleaseCaptureIfHeld();
    control = pointer_;
    pointer_ = nullptr;
  }
  if (!control) return 0;
  // Only a control that takes pointers keeps the message from the default procedure.
  *handled = control->IsReceivePointer();
  SendEventAt(control, event, point, wParam, lParam, 0, force);
  return 0;
}

}  // namespace ui
