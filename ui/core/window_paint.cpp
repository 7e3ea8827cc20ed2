// ui::Window: the paint cycle. The tree is laid out before it paints, painted into the window's
// own off-screen surface (one bitmap, re-made only when the client size changes) and copied to
// the screen: the update rectangle with BitBlt, or the whole surface with per-pixel alpha through
// UpdateLayeredWindow for a layered window. Also the show fade and the shadow's maximise and
// restore rules.
#include <algorithm>
#include <set>

#include "ui/core/animation_player.h"
#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/paint_request.h"
#include "ui/core/shadow_box.h"
#include "ui/core/win_version.h"
#include "ui/core/window.h"
#include "ui/render/auto_clip.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

// The size given to a root that sizes itself: as much as it wants.
constexpr int kUnboundedSize = 99999;

Control* IsNeedArrange(Control* control, void*) {
  return control->IsNeedArrange() ? control : nullptr;
}

bool HasPositiveSide(const RECT& rect) {
  return rect.left > 0 || rect.top > 0 || rect.right > 0 || rect.bottom > 0;
}

// What GetUpdateRect gives without erasing (the update region's bounding box, client
// coordinates; false when it is empty), read from the region: GetUpdateRect takes a device
// context of the window for its answer, a further round trip to the window system at every
// paint.
bool UpdateRectOf(HWND hwnd, RECT* rect) {
  *rect = RECT{0, 0, 0, 0};
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  if (!region) return ::GetUpdateRect(hwnd, rect, FALSE) != FALSE;
  const int kind = ::GetUpdateRgn(hwnd, region, FALSE);
  const bool found = (kind == SIMPLEREGION || kind == COMPLEXREGION) &&
                     ::GetRgnBox(region, rect) != NULLREGION;
  ::DeleteObject(region);
  return found;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Layout and invalidation

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
  if (layered_ && paint_request_) paint_request_->Post();
}

void Window::SetRenderOffset(POINT offset) {
  if (offset.x == render_offset_.x && offset.y == render_offset_.y) return;
  render_offset_ = offset;
  if (hwnd_) {
    RECT client = {};
    ::GetClientRect(hwnd_, &client);
    Invalidate(client);
  }
}

// ---------------------------------------------------------------------------------------------
// Paint cycle

void Window::Paint() {
  HWND hwnd = hwnd_;
  // What is invalidated from here on is not in this paint: its request may post again.
  if (paint_request_) paint_request_->Began();
  // 1. Nothing to draw: the paint is only validated.
  if (!hwnd || ::IsIconic(hwnd) || !root_ || !render_context_) {
    PAINTSTRUCT paint = {};
    ::BeginPaint(hwnd, &paint);
    ::EndPaint(hwnd, &paint);
    return;
  }
  // 2. A root that sizes itself sizes the window first.
  if (layout_pending_ && root_->IsNeedArrange() &&
      (root_->GetFixedWidth() == kSizeAuto || root_->GetFixedHeight() == kSizeAuto)) {
    ResizeToRoot();
  }
  // 3. A posted WM_PAINT with nothing to update.
  RECT update = {};
  if (!UpdateRectOf(hwnd, &update) && !first_layout_) return;
  // 4.
  if (layered_) WidenOffscreenUpdate(&update);

  PAINTSTRUCT paint = {};
  HDC paintDc = ::BeginPaint(hwnd, &paint);
  RECT client = {};
  ::GetClientRect(hwnd, &client);

  // 5. The layout pass, the show fade after the first one, and a Tab that waited for it.
  ArrangeRoot(client);
  if (first_layout_) {
    first_layout_ = false;
    AnimateShow();
  }
  if (focus_pending_) SetNextTabControl(true);

  // 6. The surface follows the client size; a new one is painted whole.
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (render_context_->GetWidth() != width || render_context_->GetHeight() != height) {
    render_context_->Resize(width, height);
    render_context_->SetRenderTransparent(!shadow_attached_);
    update = client;
  }

  // 7. The tree, under a clip of the update rectangle and moved by the render offset. A layered
  // surface starts fully clear there, so what is not painted stays see-through.
  if (layered_) render_context_->ClearAlpha(update, 0);
  if (root_) {
    AutoClip clip(render_context_.get(), update);
    const POINT origin = render_context_->OffsetWindowOrg(render_offset_);
    root_->PaintWithClip(render_context_.get(), update);
    render_context_->SetWindowOrg(origin);
  }

  // 8. To the screen.
  if (layered_) {
    RestoreOpaqueAlpha(update);
    UpdateLayered(update);
  } else {
    ::BitBlt(paintDc, update.left, update.top, update.right - update.left,
             update.bottom - update.top, render_context_->GetDC(), update.left, update.top,
             SRCCOPY);
  }
  ::EndPaint(hwnd, &paint);
}

void Window::ResizeToRoot() {
  SIZE size = root_->EstimateSize(SIZE{kUnboundedSize, kUnboundedSize});
  size.cx = std::max<LONG>(size.cx, root_->GetMinWidth());
  if (root_->GetMaxWidth() >= 0) size.cx = std::min<LONG>(size.cx, root_->GetMaxWidth());
  size.cy = std::max<LONG>(size.cy, root_->GetMinHeight());
  if (root_->GetMaxHeight() >= 0) size.cy = std::min<LONG>(size.cy, root_->GetMaxHeight());
  // A side that does not size itself (stretch) keeps the window's size.
  RECT window = {};
  ::GetWindowRect(hwnd_, &window);
  if (size.cx < 0) size.cx = window.right - window.left;
  if (size.cy < 0) size.cy = window.bottom - window.top;
  POINT topLeft = {window.left, window.top};
  if ((::GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_CHILD) && ::GetParent(hwnd_))
    ::ScreenToClient(::GetParent(hwnd_), &topLeft);
  ::MoveWindow(hwnd_, topLeft.x, topLeft.y, size.cx, size.cy, TRUE);
}

RECT Window::VirtualScreen() {
  if (!virtual_screen_known_) {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN);
    const int top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    virtual_screen_ = RECT{left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                           top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    virtual_screen_known_ = true;
  }
  return virtual_screen_;
}

void Window::WidenOffscreenUpdate(RECT* update) {
  RECT window = {};
  RECT client = {};
  ::GetWindowRect(hwnd_, &window);
  ::GetClientRect(hwnd_, &client);
  const RECT screen = VirtualScreen();
  // The screen's edges in client coordinates.
  POINT edge = {screen.left, screen.top};
  POINT farEdge = {screen.right, screen.bottom};
  ::ScreenToClient(hwnd_, &edge);
  ::ScreenToClient(hwnd_, &farEdge);
  if (window.left < screen.left && update->left == edge.x) update->left = client.left;
  if (window.top < screen.top && update->top == edge.y) update->top = client.top;
  if (window.right > screen.right && update->right == farEdge.x) update->right = client.right;
  if (window.bottom > screen.bottom && update->bottom == farEdge.y) update->bottom = client.bottom;
}

void Window::RestoreOpaqueAlpha(const RECT& update) {
  RECT padded = root_->GetPos();
  RECT padding = {0, 0, 0, 0};
  if (auto* box = dynamic_cast<Box*>(root_)) {
    padded = box->GetPaddingPos();
    if (Layout* layout = box->GetLayout()) padding = layout->GetPadding();
  }
  const bool offset = render_offset_.x != 0 || render_offset_.y != 0;
  RECT opaque = {};
  if (!shadow_attached_ || offset) {
    // Without a shadow, only what the alpha-fix corner marks is made opaque; the rest keeps the
    // alpha painting gave it.
    if (!HasPositiveSide(alpha_fix_corner_)) return;
    const RECT fixed = {padded.left + alpha_fix_corner_.left, padded.top + alpha_fix_corner_.top,
                        padded.right - alpha_fix_corner_.right,
                        padded.bottom - alpha_fix_corner_.bottom};
    if (::IntersectRect(&opaque, &fixed, &update))
      render_context_->RestoreAlpha(opaque, RECT{0, 0, 0, 0}, 0);
    return;
  }
  // With a shadow: the skin inside it is opaque, but for the corners of the shadow's padding,
  // which keep what painting left there (the skin's rounded corners).
  if (!::IntersectRect(&opaque, &update, &padded)) return;
  const RECT keep = {padding.left + 1, padding.top + 1, padding.right + 1, padding.bottom + 1};
  render_context_->RestoreAlpha(opaque, keep, 0);
}

void Window::UpdateLayered(const RECT& update) {
  RECT window = {};
  RECT client = {};
  ::GetWindowRect(hwnd_, &window);
  ::GetClientRect(hwnd_, &client);
  POINT destination = {window.left, window.top};
  SIZE size = {client.right - client.left, client.bottom - client.top};
  POINT source = {0, 0};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, static_cast<BYTE>(window_alpha_), AC_SRC_ALPHA};
  // A video frame changes a small part of a large window: the rest, on the screen already, is
  // not blended and copied again.
  const bool whole = size.cx != pushed_size_.cx || size.cy != pushed_size_.cy ||
                     window_alpha_ != pushed_alpha_;
  UPDATELAYEREDWINDOWINFO info = {sizeof(info), nullptr, &destination, &size,
                                  render_context_->GetDC(), &source, 0, &blend, ULW_ALPHA,
                                  whole ? nullptr : &update};
  if (::UpdateLayeredWindowIndirect(hwnd_, &info)) {
    pushed_size_ = size;
    pushed_alpha_ = window_alpha_;
  } else {
    pushed_alpha_ = -1;
  }
}

// ---------------------------------------------------------------------------------------------
// Show fade and shadow

void Window::AnimateShow() {
  if (!root_ || !IsWindowsVistaOrGreater()) return;
  // The root's alpha fade drives the window's alpha instead of the root's. A root without one
  // shows at once: the window's alpha stays where it is (a layered window at 0 would never show).
  if (AnimationPlayer* fade = root_->GetAnimationManager().GetAnimationPlayer(kAnimationAlpha)) {
    window_alpha_ = 0;
    fade->SetCallback(deferred_flag_.ToWeakCallback([this](int alpha) {
      window_alpha_ = alpha;
      if (root_) Invalidate(root_->GetPos());
    }));
  }
  root_->SetFadeVisible(true);
}

void Window::MaximizedOrRestored(bool maximized) {
  if (!shadow_attached_ || !shadow_box_) return;
  if (maximized) {
    shadow_corner_ = RECT{0, 0, 0, 0};
  } else {
    shadow_corner_ = shadow_corner_unscaled_;
    DpiManager::GetInstance()->ScaleRect(shadow_corner_);
  }
  if (Layout* layout = shadow_box_->GetLayout()) layout->SetPadding(shadow_corner_, false);
  // The skin's root, inside the shadow, loses its rounded corners at the screen's edges.
  if (shadow_round_corner_fix_) {
    if (Control* skin = shadow_box_->GetItemAt(0))
      skin->SetBorderRound(maximized ? SIZE{0, 0} : SIZE{3, 3});
  }
}

}  // namespace ui
