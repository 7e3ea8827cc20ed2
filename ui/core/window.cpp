#include "ui/core/window.h"

#include <set>

#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

Control* IsNeedArrange(Control* control, void*) {
  return control->IsNeedArrange() ? control : nullptr;
}

Control* IsUnderPoint(Control* control, void* point) {
  const RECT pos = control->GetPos();
  return ::PtInRect(&pos, *static_cast<const POINT*>(point)) ? control : nullptr;
}

Control* Reap(Control* control, void* window) {
  static_cast<Window*>(window)->ReapControl(control);
  return nullptr;
}

}  // namespace

Window::Window() {
  const int width = kDefaultShadowWidth;
  shadow_corner_ = RECT{width, width, width, width};
  DpiManager::GetInstance()->ScaleRect(shadow_corner_);
}

Window::~Window() {
  for (Control* control : delayed_cleanup_) delete control;
  delayed_cleanup_.clear();
  delete root_;  // Its controls forget themselves here while the window still stands.
  root_ = nullptr;
  names_.clear();
  if (hwnd_ && ::IsWindow(hwnd_)) {
    if (dc_) ::ReleaseDC(hwnd_, dc_);
    ::DestroyWindow(hwnd_);
  }
  render_context_.reset();
}

void Window::Init(HWND hwnd) {
  if (hwnd_ && dc_) ::ReleaseDC(hwnd_, dc_);
  hwnd_ = hwnd;
  dc_ = hwnd ? ::GetDC(hwnd) : nullptr;
  render_context_.reset();
  if (IRenderFactory* factory = GlobalManager::GetRenderFactory())
    render_context_ = factory->CreateRenderContext();
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kDelayedCleanupMessage) {
    std::vector<Control*> queued;
    queued.swap(delayed_cleanup_);
    for (Control* control : queued) delete control;
    return 0;
  }
  return hwnd_ ? ::DefWindowProcW(hwnd_, message, wParam, lParam) : 0;
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

Control* Window::FindControlAt(POINT point) const {
  if (!root_) return nullptr;
  return root_->FindControl(&IsUnderPoint, &point, kFindVisible | kFindHitTest | kFindTopFirst);
}

void Window::ReapControl(Control* control) {
  if (!control) return;
  for (Control** pointer :
       {&focus_, &hover_, &event_hover_, &key_down_, &captured_, &touch_, &pointer_}) {
    if (*pointer == control) *pointer = nullptr;
  }
  if (root_ == control) root_ = nullptr;
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

// ---------------------------------------------------------------------------------------------
// Routing state

void Window::SetFocus(Control* control) {
  // 1. The window takes the system focus for a new control.
  if (hwnd_ && control && control != focus_ && ::GetFocus() != hwnd_) ::SetFocus(hwnd_);
  // 2. The same control again: nothing more.
  if (control == focus_) return;
  // Kill-focus handlers may delete the control that is to get the focus.
  const std::weak_ptr<nbase::WeakFlag> target =
      control ? control->GetWeakFlag() : std::weak_ptr<nbase::WeakFlag>();
  // 3. The old focus loses it.
  if (Control* old = focus_) {
    SendEvent(old, kEventInternalKillFocus);
    focus_ = nullptr;
    SendEvent(old, kEventKillFocus);
  }
  // 4. Only a visible, enabled control of this window takes it.
  if (!control || target.expired()) return;
  if (control->GetWindow() != this || !control->IsVisible() || !control->IsEnabled()) return;
  // 5. The new focus gets it.
  focus_ = control;
  SendEvent(control, kEventInternalSetFocus);
  if (focus_ == control) SendEvent(control, kEventSetFocus);
}

bool Window::HandleMouseEnterLeave(POINT point, WPARAM wParam, LPARAM lParam) {
  Control* candidate = FindControlAt(point);
  if (candidate && candidate->GetWindow() != this) return false;
  // Set before the events go out: a parent tells from it whether the pointer is still inside.
  hover_ = candidate;
  if (event_hover_ && event_hover_ != candidate) {
    Control* left = event_hover_;
    event_hover_ = nullptr;
    SendEvent(left, kEventMouseLeave);
  }
  // A leave handler may have deleted the candidate (ReapControl then cleared hover_).
  if (hover_ && hover_ != event_hover_) {
    event_hover_ = hover_;
    SendEvent(hover_, kEventMouseEnter, wParam, lParam);
  }
  return true;
}

bool Window::SendEvent(Control* control, int type, WPARAM wParam, LPARAM lParam) {
  if (!control) return false;
  EventArgs args;
  args.type = type;
  args.sender = control;
  args.timestamp = ::GetTickCount();
  args.mousePos = last_mouse_pos_;
  args.wParam = wParam;
  args.lParam = lParam;
  control->DispatchEvent(args);
  return true;
}

// ---------------------------------------------------------------------------------------------
// Layout and repainting

Control* Window::FindNeedArrange() const {
  return root_ ? root_->FindControl(&IsNeedArrange, nullptr, kFindMeFirst) : nullptr;
}

void Window::ArrangeRoot(const RECT& clientRect) {
  if (!layout_pending_) return;
  layout_pending_ = false;
  if (!root_ || ::IsRectEmpty(&clientRect)) return;
  if (root_->IsNeedArrange()) {
    root_->SetPos(clientRect);
    return;
  }
  // Each control that needs it is placed again where it is (a box then places its children).
  // Placing one may mark others; one that comes back after being placed would loop for ever.
  std::set<Control*> placed;
  while (Control* control = FindNeedArrange()) {
    if (!placed.insert(control).second) break;
    control->SetPos(control->GetPos());
  }
}

void Window::Invalidate(const RECT& rect) {
  if (!hwnd_) return;
  ::InvalidateRect(hwnd_, &rect, FALSE);
  if (layered_) ::PostMessageW(hwnd_, WM_PAINT, 0, 0);
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
