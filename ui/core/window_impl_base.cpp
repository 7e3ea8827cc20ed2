#include "ui/core/window_impl_base.h"

#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <mutex>

#include "ui/controls/button.h"
#include "ui/controls/rich_edit.h"
#include "ui/core/box.h"
#include "ui/core/control.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/layout.h"
#include "ui/core/shadow_box.h"
#include "ui/core/string_helper.h"
#include "ui/core/window_builder.h"

namespace ui {

namespace {

// The space offered to a root that sizes itself: as much as it wants.
constexpr int kUnboundedSize = 99999;

// The reporter every window uses; empty for the message box.
struct ReporterSlot {
  std::mutex mutex;
  WindowImplBase::ErrorReporter reporter;
};

ReporterSlot& Reporter() {
  static ReporterSlot slot;
  return slot;
}

// A control the pointer may press (buttons and their kin) or type into: never a drag handle.
bool IsInteractive(Control* control) {
  return dynamic_cast<ButtonTemplate<Control>*>(control) != nullptr ||
         dynamic_cast<ButtonTemplate<Box>*>(control) != nullptr ||
         dynamic_cast<RichEdit*>(control) != nullptr;
}

MONITORINFO MonitorOf(HWND hwnd) {
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
  return monitor;
}

}  // namespace

WindowImplBase::ErrorReporter WindowImplBase::SetErrorReporter(ErrorReporter reporter) {
  ReporterSlot& slot = Reporter();
  std::lock_guard<std::mutex> lock(slot.mutex);
  std::swap(slot.reporter, reporter);
  return reporter;
}

void WindowImplBase::ReportError(const std::wstring& text) {
  ErrorReporter reporter;
  {
    ReporterSlot& slot = Reporter();
    std::lock_guard<std::mutex> lock(slot.mutex);
    reporter = slot.reporter;
  }
  if (reporter) {
    reporter(text, kErrorCaption);
  } else {
    ::MessageBoxW(nullptr, text.c_str(), kErrorCaption, MB_ICONERROR);
  }
}

// ---------------------------------------------------------------------------------------------
// ui::Window

UINT WindowImplBase::GetClassStyle() const { return CS_DBLCLKS; }

HWND WindowImplBase::Create(HWND parent, const std::wstring& windowName, DWORD style,
                            DWORD exStyle, bool layered, const RECT& rect) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  HWND hwnd = Window::Create(parent, windowName, style, exStyle, layered, rect);
  // Without a native window no last message comes to delete the object; the caller may not
  // touch it after a null result either way.
  if (!hwnd && !alive.expired()) delete this;
  return hwnd;
}

void WindowImplBase::OnLastMessage(HWND hwnd) {
  // A close listener may have deleted the window already.
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  Window::OnLastMessage(hwnd);
  if (!alive.expired()) delete this;  // The tree goes with the window.
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) return OnCreate();
  LRESULT result = 0;
  if (Dispatch(message, wParam, lParam, &result)) return result;
  return Window::HandleMessage(message, wParam, lParam);
}

bool WindowImplBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
  using Handler = LRESULT (WindowImplBase::*)(UINT, WPARAM, LPARAM, bool*);
  Handler handler = nullptr;
  switch (message) {
    case WM_DESTROY: handler = &WindowImplBase::OnDestroy; break;
    case WM_SIZE: handler = &WindowImplBase::OnSize; break;
    case WM_SETFOCUS: handler = &WindowImplBase::OnSetFocus; break;
    case WM_KILLFOCUS: handler = &WindowImplBase::OnKillFocus; break;
    case WM_CLOSE: handler = &WindowImplBase::OnClose; break;
    case WM_GETMINMAXINFO: handler = &WindowImplBase::OnGetMinMaxInfo; break;
    case WM_WINDOWPOSCHANGING: handler = &WindowImplBase::OnWindowPosChanging; break;
    case WM_NCCALCSIZE: handler = &WindowImplBase::OnNcCalcSize; break;
    case WM_NCHITTEST: handler = &WindowImplBase::OnNcHitTest; break;
    case WM_NCPAINT: handler = &WindowImplBase::OnNcPaint; break;
    case WM_NCACTIVATE: handler = &WindowImplBase::OnNcActivate; break;
    case WM_NCLBUTTONDBLCLK: handler = &WindowImplBase::OnNcLButtonDbClick; break;
    case WM_KEYDOWN: handler = &WindowImplBase::OnKeyDown; break;
    case WM_CHAR: handler = &WindowImplBase::OnChar; break;
    case WM_SYSCOMMAND: handler = &WindowImplBase::OnSysCommand; break;
    case WM_MOUSEMOVE: handler = &WindowImplBase::OnMouseMove; break;
    case WM_LBUTTONDOWN: handler = &WindowImplBase::OnLButtonDown; break;
    case WM_LBUTTONUP: handler = &WindowImplBase::OnLButtonUp; break;
    case WM_MOUSEWHEEL: handler = &WindowImplBase::OnMouseWheel; break;
    case WM_MOUSEHOVER: handler = &WindowImplBase::OnMouseHover; break;
    case WM_DPICHANGED: handler = &WindowImplBase::OnDpiChanged; break;
    default: return false;
  }
  // A handler may end the window (a close that destroys it, and with it this object): what is
  // left of the message is then answered without the object.
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  bool handled = true;
  *result = (this->*handler)(message, wParam, lParam, &handled);
  return handled || alive.expired();
}

// ---------------------------------------------------------------------------------------------
// Building the skin

LRESULT WindowImplBase::OnCreate() {
  HWND hwnd = GetHWND();
  ::SetWindowLongPtrW(hwnd, GWL_STYLE, GetStyle());
  Init(hwnd);

  SetResourcePath(GetSkinFolder());
  const std::wstring markupPath = GetResourcePath() + GetSkinFile();
  WindowBuilder builder;
  Control* root = builder.Create(
      markupPath.c_str(),
      [this](const std::wstring& className) { return CreateControl(className); }, this, nullptr);
  if (!root) {
    ReportError(StringHelper::Printf(L"Failed to load xml file %ls", markupPath.c_str()));
    return -1;  // CreateWindowExW ends the native window, and its last message this object.
  }
  if (IsShadowAttached()) root = WrapInShadow(root);
  AttachRoot(root);
  OnSkinLoaded();
  SizeToRoot();
  AttachCaptionButtons();
  return 0;
}

Control* WindowImplBase::WrapInShadow(Control* root) {
  auto* shadow = new ShadowBox();
  const RECT padding = GetShadowCorner();
  shadow->GetLayout()->SetPadding(padding, false);
  // A fixed size grows by the shadow; stretch and auto stay what they are.
  const int width = root->GetFixedWidth();
  const int height = root->GetFixedHeight();
  shadow->SetFixedWidth(width > 0 ? width + padding.left + padding.right : width, true, false);
  shadow->SetFixedHeight(height > 0 ? height + padding.top + padding.bottom : height, false);
  if (IsShadowRoundCornerFix()) root->SetBorderRound(kShadowRootCorner);
  if (!shadow->Add(root)) {
    delete shadow;
    return root;
  }
  shadow->SetBkImage(GetShadowImage());
  shadow_box_ = shadow;
  return shadow;
}

void WindowImplBase::SizeToRoot() {
  Control* root = GetRoot();
  if (!root || (root->GetFixedWidth() != kSizeAuto && root->GetFixedHeight() != kSizeAuto))
    return;
  SIZE size = root->EstimateSize(SIZE{kUnboundedSize, kUnboundedSize});
  size.cx = std::max<LONG>(size.cx, root->GetMinWidth());
  if (root->GetMaxWidth() >= 0) size.cx = std::min<LONG>(size.cx, root->GetMaxWidth());
  size.cy = std::max<LONG>(size.cy, root->GetMinHeight());
  if (root->GetMaxHeight() >= 0) size.cy = std::min<LONG>(size.cy, root->GetMaxHeight());
  // A side that stretches has no size of its own: the window keeps its size there.
  RECT window = {};
  ::GetWindowRect(GetHWND(), &window);
  if (size.cx < 0) size.cx = window.right - window.left;
  if (size.cy < 0) size.cy = window.bottom - window.top;
  ::MoveWindow(GetHWND(), 0, 0, size.cx, size.cy, FALSE);
}

void WindowImplBase::AttachCaptionButtons() {
  for (const wchar_t* name : {L"closebtn", L"minbtn", L"maxbtn", L"restorebtn"}) {
    if (Control* button = FindControl(name)) {
      button->AttachClick(ToWeakCallback(
          [this](const EventArgs& args) { return OnCaptionButtonClick(args); }));
    }
  }
}

bool WindowImplBase::OnCaptionButtonClick(const EventArgs& args) {
  if (!args.sender) return true;
  const std::wstring name = args.sender->GetName();
  Control* maxButton = FindControl(L"maxbtn");
  Control* restoreButton = FindControl(L"restorebtn");
  HWND hwnd = GetHWND();
  if (name == L"closebtn") {
    Close(IDOK);
  } else if (name == L"minbtn") {
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (name == L"maxbtn") {
    if (maxButton && restoreButton) {
      maxButton->SetFadeVisible(false);
      restoreButton->SetFadeVisible(true);
    }
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  } else if (name == L"restorebtn") {
    if (maxButton) maxButton->SetFadeVisible(true);
    if (restoreButton) restoreButton->SetFadeVisible(false);
    ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// Hooks

void WindowImplBase::OnSkinLoaded() {}

LONG WindowImplBase::GetStyle() {
  return static_cast<LONG>(::GetWindowLongPtrW(GetHWND(), GWL_STYLE)) & ~WS_CAPTION;
}

std::wstring WindowImplBase::GetResourceName() const { return std::wstring(); }

Control* WindowImplBase::CreateControl(const std::wstring&) { return nullptr; }

void WindowImplBase::BringToFront() {
  HWND hwnd = GetHWND();
  if (!hwnd || !::IsWindow(hwnd)) return;
  if (::IsIconic(hwnd)) {
    ::ShowWindow(hwnd, SW_RESTORE);
    return;
  }
  if (!::IsWindowVisible(hwnd)) ::ShowWindow(hwnd, SW_SHOW);
  ::SetForegroundWindow(hwnd);
}

void WindowImplBase::SetWindowTitle(const std::wstring& title) {
  if (HWND hwnd = GetHWND()) ::SetWindowTextW(hwnd, title.c_str());
}

// ---------------------------------------------------------------------------------------------
// Message handlers

LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool* handled) {
  *handled = !::IsIconic(GetHWND());
  return wParam == 0 ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = true;
  return 0;
}

LRESULT WindowImplBase::OnWindowPosChanging(UINT, WPARAM, LPARAM lParam, bool* handled) {
  *handled = false;
  HWND hwnd = GetHWND();
  auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
  if (!pos || !::IsZoomed(hwnd) || !(pos->flags & SWP_FRAMECHANGED)) return 0;
  const MONITORINFO monitor = MonitorOf(hwnd);
  if (monitor.dwFlags & MONITORINFOF_PRIMARY) return 0;
  pos->x = monitor.rcWork.left;
  pos->y = monitor.rcWork.top;
  pos->cx = monitor.rcWork.right - monitor.rcWork.left;
  pos->cy = monitor.rcWork.bottom - monitor.rcWork.top;
  return 0;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = true;
  return 0;
}

LRESULT WindowImplBase::OnNcLButtonDbClick(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = true;
  return 0;
}

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool* handled) {
  *handled = true;
  HWND hwnd = GetHWND();
  POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ScreenToClient(hwnd, &point);
  const LONG x = point.x;
  const LONG y = point.y;
  // The window without its shadow.
  RECT client = {};
  ::GetClientRect(hwnd, &client);
  const RECT shadow = GetShadowCorner();
  client.left += shadow.left;
  client.top += shadow.top;
  client.right -= shadow.right;
  client.bottom -= shadow.bottom;

  if (!::IsZoomed(hwnd)) {
    const RECT box = GetSizeBox();
    const bool leftCorner = x >= client.left && x < client.left + box.left;
    const bool rightCorner = x > client.right - box.right && x <= client.right;
    if (y < client.top + box.top) {
      if (y < client.top) return HTCLIENT;
      return leftCorner ? HTTOPLEFT : (rightCorner ? HTTOPRIGHT : HTTOP);
    }
    if (y > client.bottom - box.bottom) {
      if (y > client.bottom) return HTCLIENT;
      return leftCorner ? HTBOTTOMLEFT : (rightCorner ? HTBOTTOMRIGHT : HTBOTTOM);
    }
    if (x < client.left + box.left) return x >= client.left ? HTLEFT : HTCLIENT;
    if (x > client.right - box.right) return x <= client.right ? HTRIGHT : HTCLIENT;
  }

  const RECT caption = GetCaptionRect();
  if (x >= client.left + caption.left && x < client.right - caption.right &&
      y >= client.top + caption.top && y < client.top + caption.bottom) {
    Control* control = FindControlAt(point);
    if (control && !IsInteractive(control)) return HTCAPTION;
  }
  return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool* handled) {
  *handled = false;
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  if (!info) return 0;
  const MONITORINFO monitor = MonitorOf(GetHWND());
  const RECT& work = monitor.rcWork;
  info->ptMaxPosition.x = work.left - monitor.rcMonitor.left;
  info->ptMaxPosition.y = work.top - monitor.rcMonitor.top;
  info->ptMaxSize.x = work.right - work.left;
  info->ptMaxSize.y = work.bottom - work.top;
  // The skin's limits are those of the skin; the window around it carries the shadow too.
  const SIZE minSize = GetMinInfo(true);
  const SIZE maxSize = GetMaxInfo(true);
  if (minSize.cx > 0) info->ptMinTrackSize.x = minSize.cx;
  if (minSize.cy > 0) info->ptMinTrackSize.y = minSize.cy;
  if (maxSize.cx > 0) info->ptMaxTrackSize.x = maxSize.cx;
  if (maxSize.cy > 0) info->ptMaxTrackSize.y = maxSize.cy;
  return 0;
}

LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnDpiChanged(UINT, WPARAM wParam, LPARAM, bool* handled) {
  *handled = false;
  DpiManager* dpi = DpiManager::GetInstance();
  if (!dpi->IsAdaptDPI()) return 0;
  dpi->SetScaleFromDpi(LOWORD(wParam));
  if (!shadow_box_) return 0;
  // A maximised window keeps its shadow collapsed; restoring scales it from the markup widths.
  if (::IsZoomed(GetHWND())) return 0;
  shadow_corner_ = shadow_corner_unscaled_;
  dpi->ScaleRect(shadow_corner_);
  if (Layout* layout = shadow_box_->GetLayout()) layout->SetPadding(shadow_corner_, false);
  return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  HWND hwnd = GetHWND();
  const SIZE corner = GetRoundCorner();
  if (::IsIconic(hwnd) || (corner.cx == 0 && corner.cy == 0)) return 0;
  RECT window = {};
  ::GetWindowRect(hwnd, &window);
  HRGN region = ::CreateRoundRectRgn(0, 0, window.right - window.left + 1,
                                     window.bottom - window.top + 1, corner.cx, corner.cy);
  // The system owns a region it accepted.
  if (region && !::SetWindowRgn(hwnd, region, TRUE)) ::DeleteObject(region);
  return 0;
}

LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam,
                                     bool* handled) {
  *handled = true;
  if ((wParam & 0xFFF0) == SC_CLOSE) {
    ::SendMessageW(GetHWND(), WM_CLOSE, 0, 0);
    return 0;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool* handled) {
  *handled = false;
  return 0;
}

}  // namespace ui
