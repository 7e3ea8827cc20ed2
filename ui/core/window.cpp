// ui::Window: class registration, creation, the window procedures, the life cycle, and the
// window's controls. Routing is in window_routing.cpp, painting in window_paint.cpp.
#include "ui/core/window.h"

#include <algorithm>

#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/paint_request.h"
#include "ui/core/shadow_box.h"
#include "ui/core/timer_manager.h"
#include "ui/core/touch_input_api.h"
#include "ui/core/win_version.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

// The window property a superclassed window keeps its object in (its class may use the user
// data itself).
constexpr wchar_t kObjectProperty[] = L"WndX";

// The module this code is linked into, which registers the classes.
HMODULE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

bool RegisteredOrExists(ATOM atom) {
  return atom != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

Control* Reap(Control* control, void* window) {
  static_cast<Window*>(window)->ReapControl(control);
  return nullptr;
}

}  // namespace

Window::Window() {
  const int width = kDefaultShadowWidth;
  shadow_corner_unscaled_ = RECT{width, width, width, width};
  shadow_corner_ = shadow_corner_unscaled_;
  DpiManager::GetInstance()->ScaleRect(shadow_corner_);
}

Window::~Window() {
  // A native window that outlives its object forgets the object first: none of its last
  // messages may reach a half-destroyed window.
  const bool native = hwnd_ && ::IsWindow(hwnd_);
  if (native) {
    if (::GetWindowLongPtrW(hwnd_, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
      ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    if (::GetPropW(hwnd_, kObjectProperty) == this) ::RemovePropW(hwnd_, kObjectProperty);
  }
  deferred_flag_.Cancel();
  DeleteDelayedCleanup();
  delete root_;  // Its controls forget themselves here while the window still stands.
  root_ = nullptr;
  names_.clear();
  if (native) {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
    ::DestroyWindow(hwnd_);
  }
  dc_ = nullptr;
  hwnd_ = nullptr;
  render_context_.reset();
}

// ---------------------------------------------------------------------------------------------
// Class and creation

std::wstring Window::GetWindowClassName() const { return std::wstring(); }

std::wstring Window::GetSuperClassName() const { return std::wstring(); }

UINT Window::GetClassStyle() const { return 0; }

bool Window::RegisterWindowClass() {
  const std::wstring name = GetWindowClassName();
  if (name.empty()) return false;
  WNDCLASSW windowClass = {};
  windowClass.style = GetClassStyle();
  windowClass.lpfnWndProc = &Window::WindowProc;
  windowClass.hInstance = ThisModule();
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = name.c_str();
  return RegisteredOrExists(::RegisterClassW(&windowClass));
}

bool Window::RegisterSuperClass() {
  const std::wstring name = GetWindowClassName();
  const std::wstring super = GetSuperClassName();
  if (name.empty()) return false;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  if (!::GetClassInfoExW(nullptr, super.c_str(), &windowClass) &&
      !::GetClassInfoExW(ThisModule(), super.c_str(), &windowClass)) {
    return false;
  }
  saved_window_proc_ = windowClass.lpfnWndProc;
  windowClass.lpfnWndProc = &Window::SuperClassProc;
  windowClass.hInstance = ThisModule();
  windowClass.lpszClassName = name.c_str();
  return RegisteredOrExists(::RegisterClassExW(&windowClass));
}

HWND Window::Create(HWND parent, const std::wstring& windowName, DWORD style, DWORD exStyle,
                    bool layered, const RECT& rect) {
  const bool registered =
      GetSuperClassName().empty() ? RegisterWindowClass() : RegisterSuperClass();
  if (!registered) return nullptr;
  const std::wstring className = GetWindowClassName();
  layered_ = layered;
  if (layered) exStyle |= WS_EX_LAYERED;
  HWND hwnd = ::CreateWindowExW(exStyle, className.c_str(), windowName.c_str(), style, rect.left,
                                rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                nullptr, ThisModule(), this);
  // A creation that failed in WM_CREATE ran the last message already, which may have deleted
  // this object: from here on only the handle is used.
  if (!hwnd) return nullptr;
  const LONG_PTR currentStyle = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  if (currentStyle & WS_CAPTION) ::SetWindowLongPtrW(hwnd, GWL_STYLE, currentStyle & ~WS_CAPTION);
  return hwnd;
}

// ---------------------------------------------------------------------------------------------
// Window procedures

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
  Window* window = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    window = static_cast<Window*>(create->lpCreateParams);
    if (window) {
      window->hwnd_ = hwnd;
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
  } else {
    window = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY && window) {
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      return window->FinishNativeWindow(hwnd, wParam, lParam);
    }
  }
  if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return window->HandleMessage(message, wParam, lParam);
}

LRESULT CALLBACK Window::SuperClassProc(HWND hwnd, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
  Window* window = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    window = static_cast<Window*>(create->lpCreateParams);
    if (window) {
      window->hwnd_ = hwnd;
      ::SetPropW(hwnd, kObjectProperty, window);
    }
  } else {
    window = static_cast<Window*>(::GetPropW(hwnd, kObjectProperty));
    if (message == WM_NCDESTROY && window) {
      ::RemovePropW(hwnd, kObjectProperty);
      return window->FinishNativeWindow(hwnd, wParam, lParam);
    }
  }
  if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
  return window->HandleMessage(message, wParam, lParam);
}

LRESULT Window::FinishNativeWindow(HWND hwnd, WPARAM wParam, LPARAM lParam) {
  const LRESULT result = ::CallWindowProcW(saved_window_proc_, hwnd, WM_NCDESTROY, wParam, lParam);
  // The object lets go of the native window before OnLastMessage, which may delete the object:
  // a destructor running later finds no handle and destroys nothing a second time.
  deferred_flag_.Cancel();
  if (dc_) ::ReleaseDC(hwnd, dc_);
  dc_ = nullptr;
  hwnd_ = nullptr;
  tooltip_ = nullptr;  // An owned window: already destroyed with this one.
  mouse_tracking_ = false;
  mouse_captured_ = false;
  OnLastMessage(hwnd);
  return result;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  // The routing may end with this object deleted (a click handler that destroys the window):
  // what the default procedure needs is read before.
  HWND hwnd = hwnd_;
  WNDPROC proc = saved_window_proc_;
  bool handled = false;
  const LRESULT result = RouteMessage(message, wParam, lParam, &handled);
  if (handled) return result;
  return hwnd ? ::CallWindowProcW(proc, hwnd, message, wParam, lParam) : 0;
}

LRESULT Window::CallSavedWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  return hwnd_ ? ::CallWindowProcW(saved_window_proc_, hwnd_, message, wParam, lParam) : 0;
}

// ---------------------------------------------------------------------------------------------
// Life cycle

void Window::Init(HWND hwnd) {
  if (hwnd_ && dc_) ::ReleaseDC(hwnd_, dc_);
  hwnd_ = hwnd;
  dc_ = hwnd ? ::GetDC(hwnd) : nullptr;
  render_context_.reset();
  if (IRenderFactory* factory = GlobalManager::GetRenderFactory())
    render_context_ = factory->CreateRenderContext();
  paint_request_ = hwnd ? std::make_shared<PaintRequest>(hwnd) : nullptr;
  pushed_alpha_ = -1;  // A new native window shows nothing yet.
  if (hwnd) {
    if (auto registerTouch = GetTouchInputApi().registerTouchWindow) registerTouch(hwnd, 0);
  }
}

void Window::Close(UINT result) {
  if (!hwnd_ || !::IsWindow(hwnd_)) return;
  if (root_ && IsWindowsVistaOrGreater()) {
    root_->SetFadeVisible(false);
    const bool queued = TimerManager::GetInstance()->AddCancelableTimer(
        deferred_flag_.GetWeakFlag(),
        [this, result] {
          if (hwnd_) ::PostMessageW(hwnd_, WM_CLOSE, result, 0);
        },
        kCloseFadeMs, 1);
    if (queued || !hwnd_) return;  // Without a timer the window closes at once.
  }
  ::PostMessageW(hwnd_, WM_CLOSE, result, 0);
}

void Window::ShowWindow(bool show, bool takeFocus) {
  if (!hwnd_ || !::IsWindow(hwnd_)) return;
  ::ShowWindow(hwnd_, !show ? SW_HIDE : (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE));
}

void Window::CenterWindow() {
  if (!hwnd_ || !::IsWindow(hwnd_)) return;
  RECT window = {};
  ::GetWindowRect(hwnd_, &window);
  HWND owner = ::GetWindow(hwnd_, GW_OWNER);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST),
                    &monitor);
  const RECT work = monitor.rcWork;
  RECT reference = work;
  if (owner && !::IsIconic(owner)) ::GetWindowRect(owner, &reference);

  const int width = window.right - window.left;
  const int height = window.bottom - window.top;
  int x = (reference.left + reference.right) / 2 - width / 2;
  int y = (reference.top + reference.bottom) / 2 - height / 2;
  // Inside the work area; a window larger than it keeps its left (top) edge there.
  x = std::max<int>(std::min<int>(x, work.right - width), work.left);
  y = std::max<int>(std::min<int>(y, work.bottom - height), work.top);
  ::SetWindowPos(hwnd_, nullptr, x, y, -1, -1, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::OnLastMessage(HWND hwnd) {
  if (auto unregisterTouch = GetTouchInputApi().unregisterTouchWindow) unregisterTouch(hwnd);
  EventArgs args;
  args.type = kEventWindowClose;
  args.timestamp = ::GetTickCount();
  // A listener may delete the window: each list is copied as it starts and the rest is skipped
  // once the window is gone.
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  for (int type : {static_cast<int>(kEventWindowClose), static_cast<int>(kEventAll)}) {
    if (alive.expired()) return;
    const auto it = window_events_.find(type);
    if (it != window_events_.end()) InvokeEventCallbacks(it->second, args, alive);
  }
}

void Window::AttachWindowEvent(int type, EventCallback callback) {
  AddEventCallback(&window_events_, type, std::move(callback));
}

void Window::DeleteDelayedCleanup() {
  // A control's destructor may queue more controls: each round takes the list as it is.
  while (!delayed_cleanup_.empty()) {
    std::vector<Control*> queued;
    queued.swap(delayed_cleanup_);
    for (Control* control : queued) delete control;
  }
}

// ---------------------------------------------------------------------------------------------
// Controls

bool Window::AttachRoot(Control* root) {
  if (root && root == root_) return true;
  if (root && root->GetParent()) return false;  // Somebody else's child.
  SetFocus(nullptr);
  focus_ = hover_ = event_hover_ = key_down_ = captured_ = touch_ = pointer_ = nullptr;
  if (root_) AddDelayedCleanup(root_);
  root_ = root;
  layout_pending_ = true;
  first_layout_ = true;
  if (!root_) return false;
  root_->SetWindowAndParent(this, nullptr, true);
  InitControls(root_);
  return true;
}

void Window::InitControls(Control* control) {
  if (control) control->FindControl(&Window::IndexControlName, this, kFindAll);
}

Control* Window::IndexControlName(Control* control, void* window) {
  const std::wstring& name = control->GetName();
  if (!name.empty()) static_cast<Window*>(window)->names_.emplace(name, control);
  return nullptr;
}

Control* Window::FindControl(const std::wstring& name) const {
  const auto it = names_.find(name);
  return it == names_.end() ? nullptr : it->second;
}

void Window::RenameControl(Control* control, const std::wstring& oldName) {
  const auto it = names_.find(oldName);
  if (it != names_.end() && it->second == control) names_.erase(it);
  IndexControlName(control, this);
}

void Window::ReapControl(Control* control) {
  if (!control) return;
  for (Control** pointer :
       {&focus_, &hover_, &event_hover_, &key_down_, &captured_, &touch_, &pointer_}) {
    if (*pointer == control) *pointer = nullptr;
  }
  if (root_ == control) root_ = nullptr;
  if (shadow_box_ == control) shadow_box_ = nullptr;
  const auto it = names_.find(control->GetName());
  if (it != names_.end() && it->second == control) names_.erase(it);
}

void Window::ForgetControls(Control* control) {
  if (control) control->FindControl(&Reap, this, kFindAll);
}

void Window::AddDelayedCleanup(Control* control) {
  if (!control) return;
  ForgetControls(control);
  control->SetWindowAndParent(nullptr, nullptr, false);
  delayed_cleanup_.push_back(control);
  if (hwnd_) ::PostMessageW(hwnd_, kDelayedCleanupMessage, 0, 0);
}

void Window::AddMessageFilter(IUIMessageFilter* filter) {
  if (filter && std::find(message_filters_.begin(), message_filters_.end(), filter) ==
                    message_filters_.end()) {
    message_filters_.push_back(filter);
  }
}

void Window::RemoveMessageFilter(IUIMessageFilter* filter) {
  message_filters_.erase(std::remove(message_filters_.begin(), message_filters_.end(), filter),
                         message_filters_.end());
}

void Window::AddRootFinder(IRootFinder* finder) {
  if (finder &&
      std::find(root_finders_.begin(), root_finders_.end(), finder) == root_finders_.end()) {
    root_finders_.push_back(finder);
  }
}

void Window::RemoveRootFinder(IRootFinder* finder) {
  root_finders_.erase(std::remove(root_finders_.begin(), root_finders_.end(), finder),
                      root_finders_.end());
}

// ---------------------------------------------------------------------------------------------
// Shadow, resources and classes

RECT Window::GetShadowCorner() const {
  return shadow_attached_ ? shadow_corner_ : RECT{0, 0, 0, 0};
}

void Window::SetResourcePath(const std::wstring& path) {
  resource_path_ = path;
  if (!resource_path_.empty() && resource_path_.back() != L'\\' && resource_path_.back() != L'/')
    resource_path_ += L'\\';
}

void Window::AddClass(const std::wstring& name, const std::wstring& attributes) {
  classes_[name] = attributes;
}

std::wstring Window::GetClassAttributes(const std::wstring& name) const {
  const auto it = classes_.find(name);
  return it == classes_.end() ? std::wstring() : it->second;
}

}  // namespace ui
