// ui::Control: construction, geometry, state, identity and events. Attributes and the look are in
// control_attributes.cpp, painting and image playback in control_paint.cpp.
#include "ui/core/control.h"

#include "base/strings/utf8_conversion.h"
#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/language_strings.h"
#include "ui/core/string_helper.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

// Whether control is ancestor or lies inside it.
bool IsSelfOrInside(const Control* control, const Control* ancestor) {
  for (const Control* c = control; c; c = c->GetParent())
    if (c == ancestor) return true;
  return false;
}

std::string ToUtf8(const std::wstring& wide) {
  std::string utf8;
  StringHelper::WideToUtf8(wide, &utf8);
  return utf8;
}

}  // namespace

Control::Control() : animation_manager_(this) {
  state_colors_.SetControl(this);
  state_images_.SetControl(this);
}

Control::~Control() {
  // The window forgets this control (focus, hover, names) before anything of it goes.
  if (window_) window_->ReapControl(this);
  // Deleted while still a child (by code that bypassed the box): leave no dangling entry behind.
  if (parent_) parent_->ForgetChild(this);
  bk_play_flag_.Cancel();
  deferred_flag_.Cancel();
  animation_manager_.Clear();
}

// ---------------------------------------------------------------------------------------------
// Geometry

SIZE Control::EstimateSize(SIZE available) {
  SIZE size = {fixed_width_, fixed_height_};
  if (size.cx != kSizeAuto && size.cy != kSizeAuto) return size;
  if (!need_estimate_) return estimated_size_;

  Image* image = GetEstimateImage();
  if (image && image->GetAttribute().HasDest()) {
    // The image says how large it is drawn: that becomes the fixed size. The dest rectangle is in
    // physical pixels already (it was scaled when parsed), so it is not scaled again.
    const RECT dest = image->GetAttribute().dest;
    SetFixedWidth(dest.right - dest.left, true, false);
    SetFixedHeight(dest.bottom - dest.top, false);
    return SIZE{fixed_width_, fixed_height_};
  }

  if (image && LoadImage(*image)) {
    const std::shared_ptr<ImageInfo>& info = image->GetImageInfo();
    DpiManager* dpi = DpiManager::GetInstance();
    if (size.cx == kSizeAuto) size.cx = dpi->ScaleInt(info->GetWidth());
    if (size.cy == kSizeAuto) size.cy = dpi->ScaleInt(info->GetHeight());
  }
  need_estimate_ = false;
  const SIZE text = EstimateText(available);
  // An auto side with no image starts at kSizeAuto, so with no text either it comes out 0.
  if (fixed_width_ == kSizeAuto && size.cx < text.cx) size.cx = text.cx;
  if (fixed_height_ == kSizeAuto && size.cy < text.cy) size.cy = text.cy;
  estimated_size_ = size;
  return size;
}

void Control::SetPos(RECT rect) {
  if (rect.right < rect.left) rect.right = rect.left;
  if (rect.bottom < rect.top) rect.bottom = rect.top;
  if (::EqualRect(&rect, &rect_)) {
    need_arrange_ = false;
    return;
  }
  RECT dirty = ::IsRectEmpty(&rect_) ? rect : rect_;
  rect_ = rect;
  if (!window_) return;

  // A position-change handler that moves the control again gets no second event.
  if (!position_change_guard_) {
    const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
    position_change_guard_ = true;
    window_->SendEvent(this, kEventPositionChange);
    if (alive.expired()) return;
    position_change_guard_ = false;
  }
  need_arrange_ = false;

  // Repaint where it was and where it is, as far as the ancestors show it: each ancestor's
  // position is taken into this control's coordinates (moved by the scroll of the boxes up to
  // it), and what is left is moved into the window's by the scroll of them all.
  ::UnionRect(&dirty, &dirty, &rect_);
  SIZE shift = {0, 0};
  const PlaceHolder* child = this;
  for (const Box* box = parent_; box; child = box, box = box->GetParent()) {
    const SIZE step = box->GetChildScrollOffset(child);
    shift.cx += step.cx;
    shift.cy += step.cy;
    RECT clip = box->GetPos();
    ::OffsetRect(&clip, shift.cx, shift.cy);
    if (!::IntersectRect(&dirty, &dirty, &clip)) return;
  }
  ::OffsetRect(&dirty, -shift.cx, -shift.cy);
  window_->Invalidate(dirty);
}

void Control::SetMargin(const RECT& margin, bool dpiScale) {
  RECT scaled = margin;
  if (dpiScale) DpiManager::GetInstance()->ScaleRect(scaled);
  if (::EqualRect(&scaled, &margin_)) return;
  margin_ = scaled;
  ArrangeAncestor();
}

SIZE Control::EstimateText(SIZE /*available*/) { return SIZE{0, 0}; }

bool Control::IsPointInside(POINT point) const {
  const SIZE scroll = GetScrollOffset();
  point.x += scroll.cx;
  point.y += scroll.cy;
  return ::PtInRect(&rect_, point) != FALSE;
}

Control* Control::FindControl(FindControlProc proc, void* data, UINT flags) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  if (flags & kFindHitTest) {
    if (!mouse_enabled_ || !data || !::PtInRect(&rect_, *static_cast<const POINT*>(data)))
      return nullptr;
  }
  return proc ? proc(this, data) : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Visibility and state

void Control::SetFadeVisible(bool visible) {
  if (visible) {
    const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
    SetVisible(true);
    if (!alive.expired()) animation_manager_.Appear();
    return;
  }
  if (!animation_manager_.Disappear()) SetVisible(false);
}

void Control::SetVisible(bool visible) {
  if (visible_ == visible) return;
  const bool wasVisible = IsVisible();
  // What it covered shows what lies beneath from now on; a root has no parent to repaint it.
  if (wasVisible && !visible) Invalidate();
  visible_ = visible;
  focused_ = false;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!visible && window_ && window_->GetFocus() == this) {
    window_->SetFocus(nullptr);  // Its kill-focus handlers may destroy this control.
    if (alive.expired()) return;
  }
  if (IsVisible() != wasVisible) ArrangeAncestor();
  if (!IsVisible()) StopBkImagePlayback();
}

void Control::SetInternVisible(bool visible) {
  intern_visible_ = visible;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!visible && window_ && window_->GetFocus() == this) {
    window_->SetFocus(nullptr);
    if (alive.expired()) return;
  }
  if (!IsVisible()) StopBkImagePlayback();
}

void Control::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  if (enabled) {
    hot_alpha_ = 0;
    state_ = kControlStateNormal;
  } else {
    state_ = kControlStateDisabled;
  }
  Invalidate();
}

void Control::SetState(ControlStateType state) {
  if (state < kControlStateNormal || state >= kControlStateCount) return;
  if (state == kControlStateNormal) hot_alpha_ = 0;
  if (state == kControlStateHot) hot_alpha_ = 255;
  state_ = state;
  Invalidate();
}

void Control::SetFocus() {
  if (no_focus_) return;
  if (window_) window_->SetFocus(this);
}

bool Control::HasHotState() const {
  return state_colors_.HasHotColor() || state_images_.HasHotImage();
}

Image* Control::GetEstimateImage() {
  if (!bk_image_.GetAttribute().file.empty()) return &bk_image_;
  return state_images_.GetEstimateImage(kStateImageBk);
}

// ---------------------------------------------------------------------------------------------
// Identity: tooltip, data id, user data

std::wstring Control::GetToolTipText() const {
  if (tooltip_text_.empty() && !tooltip_text_id_.empty())
    return LanguageStringTable::GetInstance()->GetStringById(tooltip_text_id_);
  return tooltip_text_;
}

std::string Control::GetToolTipTextUtf8() const { return ToUtf8(GetToolTipText()); }

void Control::SetToolTipText(const std::wstring& text) {
  std::wstring stored = text;
  static const std::wstring kLineBreakTag = L"<n>";
  for (size_t at = stored.find(kLineBreakTag); at != std::wstring::npos;
       at = stored.find(kLineBreakTag, at + 2)) {
    stored.replace(at, kLineBreakTag.size(), L"\r\n");
  }
  tooltip_text_ = stored;
  Invalidate();
}

void Control::SetToolTipTextUtf8(const std::string& text) {
  const std::wstring wide = nbase::UTF8ToUTF16(text);
  if (wide.empty()) {
    tooltip_text_.clear();
    Invalidate();
    return;
  }
  if (wide == tooltip_text_) return;
  SetToolTipText(wide);
}

void Control::SetToolTipTextId(const std::wstring& id) {
  if (id == tooltip_text_id_) return;
  tooltip_text_id_ = id;
  Invalidate();
}

void Control::SetToolTipTextIdUtf8(const std::string& id) {
  SetToolTipTextId(nbase::UTF8ToUTF16(id));
}

void Control::SetToolTipWidth(int width) {
  tooltip_width_ = DpiManager::GetInstance()->ScaleInt(width);
}

std::string Control::GetDataIdUtf8() const { return ToUtf8(data_id_); }

void Control::SetDataIdUtf8(const std::string& id) { data_id_ = nbase::UTF8ToUTF16(id); }

void Control::SetUserData(UserDataBase* data) {
  if (data == user_data_.get()) return;  // Already ours: deleting it would leave it dangling.
  user_data_.reset(data);
}

std::wstring Control::GetResourcePath() const {
  return window_ ? window_->GetResourcePath() : std::wstring();
}

// ---------------------------------------------------------------------------------------------
// Events

void Control::SendEvent(int type, WPARAM wParam, LPARAM lParam, WORD keyCode, POINT mousePos,
                        float pressure) {
  EventArgs args;
  args.type = type;
  args.sender = this;
  args.timestamp = ::GetTickCount();
  args.mousePos = mousePos;
  if (mousePos.x == 0 && mousePos.y == 0 && window_) args.mousePos = window_->GetLastMousePos();
  args.keyCode = keyCode;
  args.wParam = wParam;
  args.lParam = lParam;
  args.pressure = pressure;
  DispatchEvent(args);
}

void Control::AttachEvent(int type, EventCallback callback) {
  AddEventCallback(&code_events_, type, std::move(callback));
}

void Control::DetachEvent(int type) { code_events_.erase(type); }

void Control::AttachMarkupEvent(int type, EventCallback callback) {
  AddEventCallback(&markup_events_, type, std::move(callback));
}

void Control::AttachBkImageStop(EventCallback callback) {
  if (callback) bk_image_stop_callbacks_.push_back(std::move(callback));
}

void Control::DispatchEvent(const EventArgs& args) {
  if (args.type < kEventFirstPublic || args.sender != this) {
    HandleEvent(args);
    return;
  }
  // Without handlers nothing can run before the default handling (the common case).
  if (code_events_.empty() && markup_events_.empty()) {
    HandleEvent(args);
    return;
  }
  // Every stage may destroy this control; the weak flag tells.
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!InvokeEventStage(code_events_, args, alive) || alive.expired()) return;
  if (!InvokeEventStage(markup_events_, args, alive) || alive.expired()) return;
  HandleEvent(args);
}

void Control::PassToParent(const EventArgs& args) {
  if (parent_) parent_->DispatchEvent(args);
}

void Control::HandleEvent(const EventArgs& args) {
  if (!mouse_enabled_ && IsMouseEvent(args.type)) {
    PassToParent(args);
    return;
  }
  switch (args.type) {
    case kEventInternalMenu:
      if (enabled_ && context_menu_used_) {
        if (window_) window_->SendEvent(this, kEventMenu, args.wParam, args.lParam);
        return;
      }
      break;
    case kEventMouseEnter: {
      // A bubbled enter counts only while the hover control is this one or inside it.
      if (args.sender != this && !(window_ && IsSelfOrInside(window_->GetHoverControl(), this)))
        return;
      const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
      MouseEnter(args);
      if (alive.expired()) return;
      break;
    }
    case kEventMouseLeave: {
      // The pointer is still over this control (it left a child for another): no leave.
      if (args.sender != this && window_ && IsSelfOrInside(window_->GetHoverControl(), this))
        return;
      const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
      MouseLeave(args);
      if (alive.expired()) return;
      break;
    }
    case kEventInternalDoubleClick:
    case kEventButtonDown:
      ButtonDown(args);
      return;
    case kEventPointerDown:
      if (receive_pointer_) {
        ButtonDown(args);
        return;
      }
      break;
    case kEventButtonUp:
      ButtonUp(args);
      return;
    case kEventPointerUp:
      if (receive_pointer_) {
        ButtonUp(args);
        return;
      }
      break;
    case kEventInternalSetFocus:
      hot_alpha_ = 255;
      state_ = kControlStateHot;
      Invalidate();
      focused_ = true;
      Invalidate();
      return;
    case kEventInternalKillFocus:
      hot_alpha_ = 0;
      state_ = kControlStateNormal;
      Invalidate();
      focused_ = false;
      Invalidate();
      return;
    case kEventSetCursor: {
      LPCWSTR cursor = nullptr;
      if (cursor_type_ == kCursorArrow)
        cursor = IDC_ARROW;
      else if (cursor_type_ == kCursorHand)
        cursor = enabled_ ? IDC_HAND : IDC_ARROW;
      else if (cursor_type_ == kCursorIBeam)
        cursor = IDC_IBEAM;
      if (cursor) {
        ::SetCursor(::LoadCursorW(nullptr, cursor));
        return;
      }
      break;
    }
    default:
      break;
  }
  PassToParent(args);
}

bool Control::MouseEnter(const EventArgs& /*args*/) {
  if (!IsEnabled() || state_ != kControlStateNormal) return false;
  state_ = kControlStateHot;
  if (HasHotState()) {
    if (AnimationPlayer* hot = animation_manager_.GetAnimationPlayer(kAnimationHot))
      hot->PlayForward();
    Invalidate();
  }
  return true;
}

bool Control::MouseLeave(const EventArgs& /*args*/) {
  if (!IsEnabled() || state_ != kControlStateHot) return false;
  state_ = kControlStateNormal;
  if (HasHotState()) {
    if (AnimationPlayer* hot = animation_manager_.GetAnimationPlayer(kAnimationHot))
      hot->PlayBackward();
    Invalidate();
  }
  return true;
}

bool Control::ButtonDown(const EventArgs& /*args*/) {
  if (!IsEnabled()) return false;
  state_ = kControlStatePushed;
  mouse_focused_ = true;
  Invalidate();
  return true;
}

bool Control::ButtonUp(const EventArgs& args) {
  if (!mouse_focused_) return false;
  mouse_focused_ = false;
  if (AnimationPlayer* hot = animation_manager_.GetAnimationPlayer(kAnimationHot)) hot->Stop();
  Invalidate();
  if (!IsPointInside(args.mousePos)) {
    state_ = kControlStateNormal;
    hot_alpha_ = 0;
    return false;
  }
  if (args.type == kEventPointerUp) {
    state_ = kControlStateNormal;
    hot_alpha_ = 0;
  } else {
    state_ = kControlStateHot;
    hot_alpha_ = 255;
  }
  Activate();  // May destroy this control: nothing touches it afterwards.
  return true;
}

}  // namespace ui
