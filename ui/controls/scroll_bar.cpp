#include "ui/controls/scroll_bar.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <limits>

#include "ui/controls/scroll_bar_geometry.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/scrollable_box.h"
#include "ui/core/timer_manager.h"
#include "ui/core/window.h"

namespace ui {

namespace {

bool IsTrue(const std::wstring& value) { return value == L"true"; }

int ToInt(const std::wstring& value) {
  return static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
}

int64_t ToInt64(const std::wstring& value) { return std::wcstoll(value.c_str(), nullptr, 10); }

int ClampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// a + b, held at the ends of the 64-bit range instead of wrapping.
int64_t SaturatingAdd(int64_t a, int64_t b) {
  int64_t sum = 0;
  if (!__builtin_add_overflow(a, b, &sum)) return sum;
  return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
}

// Markup names of the part images: "<part><state>image", as "thumbhotimage".
struct PartPrefix {
  const wchar_t* prefix;
  ScrollBar::Part part;
};
const PartPrefix kPartPrefixes[] = {
    {L"button1", ScrollBar::kPartButton1}, {L"button2", ScrollBar::kPartButton2},
    {L"thumb", ScrollBar::kPartThumb},     {L"rail", ScrollBar::kPartRail},
    {L"bk", ScrollBar::kPartBk},
};
const wchar_t* const kStateWords[kControlStateCount] = {L"normal", L"hot", L"pushed",
                                                        L"disabled"};

bool ParsePartImageName(const std::wstring& name, ScrollBar::Part* part,
                        ControlStateType* state) {
  static const std::wstring kSuffix = L"image";
  if (name.size() <= kSuffix.size() || name.compare(name.size() - kSuffix.size(), kSuffix.size(),
                                                    kSuffix) != 0)
    return false;
  for (const PartPrefix& candidate : kPartPrefixes) {
    const size_t prefixLength = std::wcslen(candidate.prefix);
    if (name.compare(0, prefixLength, candidate.prefix) != 0) continue;
    const std::wstring word =
        name.substr(prefixLength, name.size() - prefixLength - kSuffix.size());
    for (int s = 0; s < kControlStateCount; ++s) {
      if (word != kStateWords[s]) continue;
      *part = candidate.part;
      *state = static_cast<ControlStateType>(s);
      return true;
    }
  }
  return false;
}

}  // namespace

ScrollBar::ScrollBar() {
  // A vertical bar kDefaultThickness wide, placed by its owner rather than by a layout's flow.
  fixed_width_ = kDefaultThickness;
  float_ = true;
  for (StateImage& images : images_) images.SetControl(this);
}

ScrollBar::~ScrollBar() { repeat_flag_.Cancel(); }

// ---------------------------------------------------------------------------------------------
// Overrides

void ScrollBar::SetPos(RECT rect) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  Control::SetPos(rect);
  if (alive.expired()) return;
  const ScrollBarParts parts =
      LayOutScrollBar(rect_, horizontal_, Thickness(), show_button1_, show_button2_, range_,
                      position_, thumb_min_length_);
  button1_rect_ = parts.button1;
  button2_rect_ = parts.button2;
  thumb_rect_ = parts.thumb;
}

bool ScrollBar::IsPointInside(POINT point) const {
  const POINT inBar = ToBar(point);
  return ::PtInRect(&rect_, inBar) != FALSE;
}

void ScrollBar::Invalidate() {
  if (!owner_) {
    Control::Invalidate();
    return;
  }
  if (!IsVisible()) return;
  SetCacheDirty(true);
  if (!window_) return;
  RECT pos = GetPos(true);
  const SIZE scroll = BarScrollOffset();
  ::OffsetRect(&pos, -scroll.cx, -scroll.cy);
  window_->Invalidate(pos);
}

void ScrollBar::SetVisible(bool visible) {
  if (!owner_) {
    Control::SetVisible(visible);
    return;
  }
  if (visible_ == visible) return;
  // Once hidden it repaints nothing: its area is repainted while it still shows.
  if (!visible) Invalidate();
  const bool wasVisible = IsVisible();
  visible_ = visible;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!visible && window_ && window_->GetFocus() == this) {
    window_->SetFocus(nullptr);
    if (alive.expired()) return;
  }
  if (IsVisible() && !wasVisible) ArrangeSelf();
}

void ScrollBar::SetEnabled(bool enabled) {
  if (IsEnabled() == enabled) return;
  if (!enabled) {
    StopRepeat();
    pressed_ = Pressed::kNone;
    drag_delta_ = 0;
    SetMouseFocused(false);
  }
  Control::SetEnabled(enabled);
  SetPartStates(enabled ? kControlStateNormal : kControlStateDisabled);
  Invalidate();
}

void ScrollBar::SetFocus() {
  if (owner_)
    owner_->SetFocus();
  else
    Control::SetFocus();
}

void ScrollBar::SetAttribute(const std::wstring& name, const std::wstring& value) {
  Part part = kPartBk;
  ControlStateType state = kControlStateNormal;
  DpiManager* dpi = DpiManager::GetInstance();
  if (ParsePartImageName(name, &part, &state)) {
    SetPartStateImage(part, state, value);
  } else if (name == L"hor") {
    SetHorizontal(IsTrue(value));
  } else if (name == L"linesize") {
    SetLineSize(dpi->ScaleInt(ToInt(value)));
  } else if (name == L"thumbminlength") {
    SetThumbMinLength(dpi->ScaleInt(ToInt(value)));
  } else if (name == L"range") {
    SetScrollRange(ToInt64(value));
  } else if (name == L"value") {
    SetScrollPos(ToInt64(value));
  } else if (name == L"showbutton1") {
    SetShowButton1(IsTrue(value));
  } else if (name == L"showbutton2") {
    SetShowButton2(IsTrue(value));
  } else if (name == L"autohidescroll") {
    SetAutoHideScroll(IsTrue(value));
  } else {
    Control::SetAttribute(name, value);
  }
}

void ScrollBar::ClearImageCache() {
  Control::ClearImageCache();
  for (StateImage& images : images_) images.ClearCache();
}

void ScrollBar::HandleEvent(const EventArgs& args) {
  if (!IsMouseEnabled() && IsMouseEvent(args.type)) {
    ToOwner(args);
    return;
  }
  switch (args.type) {
    case kEventInternalMenu:
    case kEventInternalSetFocus:
    case kEventInternalKillFocus:
      return;
    case kEventInternalDoubleClick:
    case kEventButtonDown:
    case kEventPointerDown:
      if (IsEnabled()) Press(args);
      return;
    case kEventMouseMove:
    case kEventPointerMove:
      if (IsMouseFocused()) Drag(args);
      return;
    case kEventButtonUp:
    case kEventPointerUp:
      Release(args);
      return;
    case kEventMouseEnter:
    case kEventMouseLeave: {
      const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
      if (args.type == kEventMouseEnter)
        MouseEnter(args);
      else
        MouseLeave(args);
      if (!alive.expired()) ToOwner(args);
      return;
    }
    case kEventSetCursor:
      if (GetCursorType() == kCursorHand || GetCursorType() == kCursorArrow) {
        ::SetCursor(
            ::LoadCursorW(nullptr, GetCursorType() == kCursorHand ? IDC_HAND : IDC_ARROW));
        return;
      }
      break;
    default:
      break;
  }
  ToOwner(args);
}

bool ScrollBar::MouseEnter(const EventArgs& args) {
  if (!Control::MouseEnter(args)) return false;
  SetPartStates(kControlStateHot);
  return true;
}

bool ScrollBar::MouseLeave(const EventArgs& args) {
  if (!Control::MouseLeave(args)) return false;
  SetPartStates(kControlStateNormal);
  return true;
}

bool ScrollBar::ButtonUp(const EventArgs& args) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  bool activated = false;
  if (IsMouseFocused()) {
    SetMouseFocused(false);
    Invalidate();
    if (IsPointInside(args.mousePos)) {
      SetState(kControlStateHot);
      Activate();
      if (alive.expired()) return true;
      activated = true;
    } else {
      SetState(kControlStateNormal);
    }
  }
  // An auto-hide bar let go of outside its owner goes the way the owner's leave would take it.
  if (auto_hide_ && owner_ && !owner_->IsPointInside(args.mousePos)) SetFadeVisible(false);
  return activated;
}

void ScrollBar::PaintStateImage(IRenderContext* context) {
  images_[kPartBk].PaintStateImage(context, GetState());
  if (show_button1_) PaintPart(context, kPartButton1, button1_state_, button1_rect_);
  if (show_button2_) PaintPart(context, kPartButton2, button2_state_, button2_rect_);
  if (::IsRectEmpty(&thumb_rect_)) return;
  PaintPart(context, kPartThumb, thumb_state_, thumb_rect_);
  PaintPart(context, kPartRail, thumb_state_, RailGripRect(thumb_rect_, horizontal_, Thickness()));
}

// ---------------------------------------------------------------------------------------------
// Owner, range and position

void ScrollBar::SetOwner(ScrollableBox* owner) {
  if (owner == owner_) return;
  if (pressed_ != Pressed::kNone) AbandonPress();
  owner_ = owner;
}

void ScrollBar::SetHorizontal(bool horizontal) {
  if (horizontal_ == horizontal) return;
  horizontal_ = horizontal;
  // A bar has a thickness across it: one without a size of its own there takes the default.
  if (horizontal) {
    if (fixed_height_ <= 0) {
      fixed_width_ = 0;
      fixed_height_ = kDefaultThickness;
    }
  } else if (fixed_width_ <= 0) {
    fixed_width_ = kDefaultThickness;
  }
  need_estimate_ = true;
  if (owner_)
    owner_->Arrange();
  else
    ArrangeAncestor();
}

void ScrollBar::SetScrollRange(int64_t range) {
  range = std::max<int64_t>(range, 0);
  if (range == range_) return;
  range_ = range;
  position_ = std::min(position_, range_);
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (range_ == 0)
    SetVisible(false);
  else if (!visible_ && !auto_hide_)
    SetFadeVisible(true);
  if (alive.expired()) return;
  SetPos(rect_);
  Invalidate();
}

void ScrollBar::SetScrollPos(int64_t position) {
  position = std::clamp<int64_t>(position, 0, range_);
  if (position == position_) return;
  position_ = position;
  SetPos(rect_);
  Invalidate();
}

void ScrollBar::SetLineSize(int lineSize) {
  if (lineSize >= 1) line_size_ = lineSize;
}

void ScrollBar::SetThumbMinLength(int length) {
  thumb_min_length_ = length;
  SetPos(rect_);
  Invalidate();
}

void ScrollBar::SetShowButton1(bool show) {
  show_button1_ = show;
  SetPos(rect_);
  Invalidate();
}

void ScrollBar::SetShowButton2(bool show) {
  show_button2_ = show;
  SetPos(rect_);
  Invalidate();
}

void ScrollBar::SetPartStateImage(Part part, ControlStateType state,
                                  const std::wstring& imageString) {
  if (part < 0 || part >= kPartCount) return;
  if (state < kControlStateNormal || state >= kControlStateCount) return;
  images_[part].GetImage(state).SetImageString(imageString);
  Invalidate();
}

std::wstring ScrollBar::GetPartStateImage(Part part, ControlStateType state) const {
  if (part < 0 || part >= kPartCount) return std::wstring();
  const Image* image = images_[part].FindImage(state);
  return image ? image->GetAttribute().attributeString : std::wstring();
}

// ---------------------------------------------------------------------------------------------
// Input

SIZE ScrollBar::BarScrollOffset() const {
  return owner_ ? owner_->GetScrollOffset() : GetScrollOffset();
}

POINT ScrollBar::ToBar(POINT point) const {
  const SIZE scroll = BarScrollOffset();
  return POINT{point.x + scroll.cx, point.y + scroll.cy};
}

int ScrollBar::Thickness() const {
  const int fixed = horizontal_ ? fixed_height_ : fixed_width_;
  if (fixed >= 0) return fixed;
  return horizontal_ ? rect_.bottom - rect_.top : rect_.right - rect_.left;
}

int ScrollBar::Length() const {
  return horizontal_ ? rect_.right - rect_.left : rect_.bottom - rect_.top;
}

void ScrollBar::Press(const EventArgs& args) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  // A press while a repeat runs (the second press of a double click) starts the repeat over
  // rather than running a second one beside it.
  StopRepeat();
  drag_delta_ = 0;
  repeat_ticks_ = 0;
  if (TimerManager* timers = TimerManager::GetInstance()) {
    timers->AddCancelableTimer(repeat_flag_.GetWeakFlag(), [this] { RepeatStep(); },
                               kRepeatIntervalMs, TimerManager::kRepeatForever);
  }

  const POINT point = ToBar(args.mousePos);
  if (::PtInRect(&button1_rect_, point)) {
    button1_state_ = kControlStatePushed;
    pressed_ = Pressed::kButton1;
    if (!LineBack()) return;
  } else if (::PtInRect(&button2_rect_, point)) {
    button2_state_ = kControlStatePushed;
    pressed_ = Pressed::kButton2;
    if (!LineForward()) return;
  } else if (::PtInRect(&thumb_rect_, point)) {
    thumb_state_ = kControlStatePushed;
    pressed_ = Pressed::kThumb;
    SetMouseFocused(true);
    drag_start_point_ = point;
    drag_start_position_ = position_;
  } else {
    pressed_ = Pressed::kRail;
    if (!(Along(point) < ThumbStart() ? PageBack() : PageForward())) return;
  }
  if (!alive.expired()) ButtonDown(args);
}

void ScrollBar::Drag(const EventArgs& args) {
  const int track = ScrollBarTrackLength(rect_, horizontal_, Thickness(), show_button1_,
                                         show_button2_, thumb_rect_);
  if (track <= 0) return;
  // The position follows at the next tick of the repeat timer.
  drag_delta_ =
      ThumbDragDelta(Along(ToBar(args.mousePos)) - Along(drag_start_point_), range_, track);
}

void ScrollBar::Release(const EventArgs& args) {
  drag_delta_ = 0;
  StopRepeat();
  pressed_ = Pressed::kNone;
  // Every pushed part lets go (a pushed button would otherwise keep its pushed look: the press
  // always leaves the bar mouse-focused).
  if (thumb_state_ == kControlStatePushed)
    thumb_state_ = IsPointInside(args.mousePos) ? kControlStateHot : kControlStateNormal;
  if (button1_state_ == kControlStatePushed) button1_state_ = kControlStateNormal;
  if (button2_state_ == kControlStatePushed) button2_state_ = kControlStateNormal;
  Invalidate();
  ButtonUp(args);
}

void ScrollBar::RepeatStep() {
  ++repeat_ticks_;
  if (!StillHeld()) {
    AbandonPress();
    return;
  }
  if (pressed_ == Pressed::kThumb) {
    ScrollTo(SaturatingAdd(drag_start_position_, drag_delta_));
    return;
  }
  // The first repeat comes kFirstRepeatTick ticks (300 ms) after the press.
  if (repeat_ticks_ < kFirstRepeatTick) return;
  switch (pressed_) {
    case Pressed::kButton1:
      LineBack();
      break;
    case Pressed::kButton2:
      LineForward();
      break;
    case Pressed::kRail: {
      // The rail pages toward the pointer, and stops once the thumb has come under it.
      HWND hwnd = window_ ? window_->GetHWND() : nullptr;
      POINT cursor = {0, 0};
      if (!hwnd || !::GetCursorPos(&cursor) || !::ScreenToClient(hwnd, &cursor)) break;
      cursor = ToBar(cursor);
      if (Along(cursor) < ThumbStart())
        PageBack();
      else if (Along(cursor) >= ThumbEnd())
        PageForward();
      break;
    }
    default:
      break;
  }
}

void ScrollBar::StopRepeat() { repeat_flag_.Cancel(); }

void ScrollBar::AbandonPress() {
  StopRepeat();
  pressed_ = Pressed::kNone;
  drag_delta_ = 0;
  SetMouseFocused(false);
  if (thumb_state_ == kControlStatePushed) thumb_state_ = kControlStateNormal;
  if (button1_state_ == kControlStatePushed) button1_state_ = kControlStateNormal;
  if (button2_state_ == kControlStatePushed) button2_state_ = kControlStateNormal;
  if (GetState() == kControlStatePushed) SetState(kControlStateNormal);
  Invalidate();
}

bool ScrollBar::StillHeld() const {
  if (!IsEnabled() || !IsVisible()) return false;
  // The window took the mouse capture for the press; once it lost it, no release will come.
  HWND hwnd = window_ ? window_->GetHWND() : nullptr;
  return !hwnd || ::GetCapture() == hwnd;
}

bool ScrollBar::LineBack() {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!owner_)
    SetScrollPos(position_ - line_size_);
  else if (horizontal_)
    owner_->LineLeft(-1);
  else
    owner_->LineUp(-1, true);
  return !alive.expired();
}

bool ScrollBar::LineForward() {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!owner_)
    SetScrollPos(SaturatingAdd(position_, line_size_));
  else if (horizontal_)
    owner_->LineRight(-1);
  else
    owner_->LineDown(-1, true);
  return !alive.expired();
}

bool ScrollBar::PageBack() {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!owner_)
    SetScrollPos(position_ - Length());
  else if (horizontal_)
    owner_->PageLeft();
  else
    owner_->PageUp();
  return !alive.expired();
}

bool ScrollBar::PageForward() {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!owner_)
    SetScrollPos(SaturatingAdd(position_, Length()));
  else if (horizontal_)
    owner_->PageRight();
  else
    owner_->PageDown();
  return !alive.expired();
}

bool ScrollBar::ScrollTo(int64_t position) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (owner_) {
    SIZE pos = owner_->GetScrollPos();
    (horizontal_ ? pos.cx : pos.cy) = ClampToInt(position);
    owner_->SetScrollPos(pos);
  } else {
    SetScrollPos(position);
  }
  return !alive.expired();
}

void ScrollBar::ToOwner(const EventArgs& args) {
  if (owner_)
    owner_->DispatchEvent(args);
  else
    Control::HandleEvent(args);
}

void ScrollBar::SetPartStates(ControlStateType state) {
  button1_state_ = button2_state_ = thumb_state_ = state;
}

void ScrollBar::PaintPart(IRenderContext* context, Part part, ControlStateType partState,
                          const RECT& rect) {
  StateImage& images = images_[part];
  bool hasImage[kControlStateCount];
  for (int s = 0; s < kControlStateCount; ++s)
    hasImage[s] = images.HasImage(static_cast<ControlStateType>(s));
  const ControlStateType which =
      PickScrollBarPartImage(partState, hasImage, thumb_state_ == kControlStatePushed);
  if (!images.HasImage(which)) return;
  // The part's place, relative to the bar, in pixels already scaled.
  std::wstring modify = L"destscale='false' dest='";
  modify += std::to_wstring(rect.left - rect_.left) + L',' + std::to_wstring(rect.top - rect_.top) +
            L',' + std::to_wstring(rect.right - rect_.left) + L',' +
            std::to_wstring(rect.bottom - rect_.top) + L'\'';
  DrawImage(context, images.GetImage(which), modify);
}

}  // namespace ui
