#include "ui/core/scrollable_box.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cwchar>
#include <optional>

#include "ui/controls/scroll_bar.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/number_list.h"
#include "ui/core/scroll_arithmetic.h"
#include "ui/core/window.h"
#include "ui/render/auto_clip.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

// How many times one SetPos may lay the content out: once, and again for each change of a bar.
// Three suffice for any layout that gives the same size when asked twice; the cap only stops one
// that never does.
constexpr int kMaxLayoutPasses = 5;

// Smooth line scrolling: decelerating over its second half, its time derived from the distance.
constexpr double kLineSlowDownCoefficient = -0.012;
constexpr double kLineSlowDownRatio = 0.5;
// The slide of the animated scroll to the end.
constexpr double kEndSpeedUpRatio = 0.3;
constexpr double kEndSpeedUpCoefficient = 0.003;
constexpr double kEndSlowDownRatio = 0.7;
constexpr int kEndMaxMillSeconds = 650;

// The first paint of any scrollable box in the process settles which children's background
// images are loaded, for boxes that were laid out before anything scrolled.
std::atomic<bool> g_first_paint{true};

bool IsTrue(const std::wstring& value) { return value == L"true"; }

int ToInt(const std::wstring& value) {
  return static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
}

int ClampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

bool HasRange(const ScrollBar* bar) { return bar && bar->GetScrollRange() != 0; }

}  // namespace

ScrollableBox::ScrollableBox(Layout* layout) : Box(layout) {}

ScrollableBox::~ScrollableBox() {
  end_animation_.Reset();
  scroll_animation_.Reset();
  hbar_.reset();
  vbar_.reset();
}

// ---------------------------------------------------------------------------------------------
// Overrides

void ScrollableBox::SetWindowAndParent(Window* window, Box* parent, bool init) {
  if (vbar_) vbar_->SetWindowAndParent(window, this, init);
  if (hbar_) hbar_->SetWindowAndParent(window, this, init);
  Box::SetWindowAndParent(window, parent, init);
}

void ScrollableBox::SetPos(RECT rect) {
  const bool atEnd = hold_end_ && HasVRange() && vbar_->GetScrollPos() == vbar_->GetScrollRange();
  const SIZE before = GetScrollPos();
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  Control::SetPos(rect);
  if (alive.expired()) return;
  LayOutContent(rect_);
  if (alive.expired()) return;

  // Fitting the bars may have clamped the position (the content shrank): that is a scroll too.
  const SIZE after = GetScrollPos();
  if (after.cx != before.cx || after.cy != before.cy) {
    Invalidate();
    if (window_) window_->SendEvent(this, kEventScrollChange);
    if (alive.expired()) return;
  }
  if (atEnd && HasVRange()) EndDown(false, false);
}

void ScrollableBox::SetMouseEnabled(bool enabled) {
  if (vbar_) vbar_->SetMouseEnabled(enabled);
  if (hbar_) hbar_->SetMouseEnabled(enabled);
  Box::SetMouseEnabled(enabled);
}

Control* ScrollableBox::FindControl(FindControlProc proc, void* data, UINT flags) {
  if ((flags & kFindVisible) && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) && !IsEnabled()) return nullptr;
  if (flags & kFindHitTest) {
    if (!data || !::PtInRect(&rect_, *static_cast<const POINT*>(data))) return nullptr;
    if (!IsMouseChildEnabled()) {
      if (vbar_)
        if (Control* found = vbar_->FindControl(proc, data, flags)) return found;
      if (hbar_)
        if (Control* found = hbar_->FindControl(proc, data, flags)) return found;
      return Control::FindControl(proc, data, flags);
    }
  }
  // The bars lie over the content and take the unscrolled point.
  if (vbar_)
    if (Control* found = vbar_->FindControl(proc, data, flags)) return found;
  if (hbar_)
    if (Control* found = hbar_->FindControl(proc, data, flags)) return found;
  return Box::FindControl(proc, data, flags);
}

void ScrollableBox::SetAttribute(const std::wstring& name, const std::wstring& value) {
  DpiManager* dpi = DpiManager::GetInstance();
  if (name == L"vscrollbar") {
    EnableScrollBar(IsTrue(value), hbar_ != nullptr);
  } else if (name == L"vscrollbarstyle") {
    EnableScrollBar(true, hbar_ != nullptr);
    if (vbar_) vbar_->ApplyAttributeList(value);
  } else if (name == L"hscrollbar") {
    EnableScrollBar(vbar_ != nullptr, IsTrue(value));
  } else if (name == L"hscrollbarstyle") {
    EnableScrollBar(vbar_ != nullptr, true);
    if (hbar_) hbar_->ApplyAttributeList(value);
  } else if (name == L"scrollbarpadding") {
    RECT padding = ReadRect(value.c_str());
    dpi->ScaleRect(padding);
    SetScrollBarPadding(padding);
  } else if (name == L"vscrollunit") {
    SetVerScrollUnit(dpi->ScaleInt(ToInt(value)));
  } else if (name == L"hscrollunit") {
    SetHorScrollUnit(dpi->ScaleInt(ToInt(value)));
  } else if (name == L"scrollbarfloat") {
    SetScrollBarFloat(IsTrue(value));
  } else if (name == L"defaultdisplayscrollbar") {
    SetDefaultDisplayScrollbar(IsTrue(value));
  } else if (name == L"holdend") {
    SetHoldEnd(IsTrue(value));
  } else {
    Box::SetAttribute(name, value);
  }
}

void ScrollableBox::PaintChildren(IRenderContext* context, const RECT& area) {
  RECT visible;
  if (!::IntersectRect(&visible, &area, &rect_)) return;
  if (g_first_paint.exchange(false)) UpdateChildImages(true);

  // What of the content shows: the area inside the padding.
  const RECT view = GetPaddingPos();
  const POINT renderOffset = GetRenderOffset();
  RECT shown = {0, 0, 0, 0};
  const bool contentShows = ::IntersectRect(&shown, &area, &view) != FALSE;

  std::optional<SIZE> contentShift;  // Of every child that is not float, asked for once.
  for (Control* child : GetItems()) {
    if (!child->IsVisible()) continue;
    // Each child is painted in its own coordinates: the origin moves by its shift.
    if (!child->IsFloat() && !contentShift) contentShift = GetChildScrollOffset(child);
    const SIZE shift = child->IsFloat() ? GetChildScrollOffset(child) : *contentShift;
    const auto paintShifted = [context, child, shift](RECT childArea) {
      ::OffsetRect(&childArea, shift.cx, shift.cy);
      const POINT origin = context->OffsetWindowOrg(POINT{shift.cx, shift.cy});
      child->PaintWithClip(context, childArea);
      context->SetWindowOrg(origin);
    };
    if (child->IsFloat()) {  // Over the content: neither clipped to the view nor skipped with it.
      paintShifted(area);
      continue;
    }
    RECT content = shown;
    ::OffsetRect(&content, renderOffset.x, renderOffset.y);
    // A child outside what shows would paint nothing: skip it before setting up the clip.
    RECT overlap = content;
    ::OffsetRect(&overlap, shift.cx, shift.cy);
    const RECT pos = child->GetPos();
    if (!contentShows || !::IntersectRect(&overlap, &overlap, &pos)) continue;
    AutoClip clip(context, view, IsClipToPosition());
    paintShifted(content);
  }
  if (hbar_ && hbar_->IsVisible()) hbar_->PaintWithClip(context, area);
  if (vbar_ && vbar_->IsVisible()) vbar_->PaintWithClip(context, area);
}

void ScrollableBox::ClearImageCache() {
  Box::ClearImageCache();
  if (hbar_) hbar_->ClearImageCache();
  if (vbar_) vbar_->ClearImageCache();
}

void ScrollableBox::HandleEvent(const EventArgs& args) {
  if (!IsMouseEnabled() && IsMouseEvent(args.type)) {
    PassToParent(args);
    return;
  }
  if (HasVRange() && vbar_->IsEnabled()) {
    if (HandleVerticalInput(args)) return;
  } else if (HasHRange() && hbar_->IsEnabled()) {
    if (HandleHorizontalInput(args)) return;
  }
  Control::HandleEvent(args);
}

bool ScrollableBox::MouseEnter(const EventArgs& args) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!Box::MouseEnter(args)) return false;
  for (ScrollBar* bar : {vbar_.get(), hbar_.get()}) {
    if (alive.expired()) break;
    if (HasRange(bar) && bar->IsEnabled() && bar->IsAutoHideScroll()) bar->SetFadeVisible(true);
  }
  return true;
}

bool ScrollableBox::MouseLeave(const EventArgs& args) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (!Box::MouseLeave(args)) return false;
  // The pointer went onto one of the bars, which lie inside the box: they stay.
  if (IsPointInside(args.mousePos)) return true;
  for (ScrollBar* bar : {vbar_.get(), hbar_.get()}) {
    if (alive.expired()) break;
    if (HasRange(bar) && bar->IsEnabled() && bar->IsAutoHideScroll()) bar->SetFadeVisible(false);
  }
  return true;
}

SIZE ScrollableBox::GetChildScrollOffset(const PlaceHolder* child) const {
  if (!child || child->IsFloat() || child == vbar_.get() || child == hbar_.get())
    return SIZE{0, 0};
  return GetScrollPos();
}

// ---------------------------------------------------------------------------------------------
// Scrolling

SIZE ScrollableBox::GetScrollPos() const {
  SIZE position = {0, 0};
  if (HasVRange()) position.cy = ClampToInt(vbar_->GetScrollPos());
  if (HasHRange()) position.cx = ClampToInt(hbar_->GetScrollPos());
  return position;
}

SIZE ScrollableBox::GetScrollRange() const {
  SIZE range = {0, 0};
  if (HasVRange()) range.cy = ClampToInt(vbar_->GetScrollRange());
  if (HasHRange()) range.cx = ClampToInt(hbar_->GetScrollRange());
  return range;
}

void ScrollableBox::SetScrollPos(SIZE position) {
  const SIZE range = GetScrollRange();
  // A target past either end (a smooth scroll running over it) stops the smooth scroll there.
  if (position.cy < 0 || position.cy > range.cy) {
    position.cy = std::clamp<LONG>(position.cy, 0, range.cy);
    StopScrollAnimation();
  }

  int dy = 0, dx = 0;
  if (HasVRange() && position.cy != vbar_->GetScrollPos()) {
    const int64_t old = vbar_->GetScrollPos();
    vbar_->SetScrollPos(position.cy);
    dy = ClampToInt(vbar_->GetScrollPos() - old);
  }
  if (HasHRange() && position.cx != hbar_->GetScrollPos()) {
    const int64_t old = hbar_->GetScrollPos();
    hbar_->SetScrollPos(position.cx);
    dx = ClampToInt(hbar_->GetScrollPos() - old);
  }
  if (dx == 0 && dy == 0) return;

  UpdateChildImages(dy > 0);
  Invalidate();
  if (window_) window_->SendEvent(this, kEventScrollChange);
}

void ScrollableBox::SetScrollPosY(int y) {
  SIZE position = GetScrollPos();
  position.cy = y;
  SetScrollPos(position);
}

void ScrollableBox::SetScrollPosX(int x) {
  SIZE position = GetScrollPos();
  position.cx = x;
  SetScrollPos(position);
}

void ScrollableBox::LineUp(int delta, bool animated) {
  SIZE position = GetScrollPos();
  if (position.cy < 1) return;
  const int step = ScrollLineStep(delta, ver_scroll_unit_);
  if (animated) {
    StartSmoothScroll(position.cy,
                      SmoothScrollEnd(position.cy, scroll_animation_.IsPlaying(),
                                      scroll_animation_.GetEndValue(), step, false));
    return;
  }
  position.cy = std::max<LONG>(0, position.cy - step);
  SetScrollPos(position);
}

void ScrollableBox::LineDown(int delta, bool animated) {
  SIZE position = GetScrollPos();
  if (position.cy >= GetScrollRange().cy) return;
  const int step = ScrollLineStep(delta, ver_scroll_unit_);
  if (animated) {
    StartSmoothScroll(position.cy,
                      SmoothScrollEnd(position.cy, scroll_animation_.IsPlaying(),
                                      scroll_animation_.GetEndValue(), step, true));
    return;
  }
  position.cy = ClampToInt(static_cast<int64_t>(position.cy) + step);
  SetScrollPos(position);
}

void ScrollableBox::LineLeft(int delta) {
  SIZE position = GetScrollPos();
  if (position.cx < 1) return;
  position.cx = std::max<LONG>(0, position.cx - ScrollLineStep(delta, hor_scroll_unit_));
  SetScrollPos(position);
}

void ScrollableBox::LineRight(int delta) {
  SIZE position = GetScrollPos();
  const int range = GetScrollRange().cx;
  if (position.cx >= range) return;
  position.cx = ClampToInt(
      std::min<int64_t>(range, static_cast<int64_t>(position.cx) +
                                   ScrollLineStep(delta, hor_scroll_unit_)));
  SetScrollPos(position);
}

void ScrollableBox::PageUp() { ScrollPage(ScrollAxis::kVertical, -1); }

void ScrollableBox::PageDown() { ScrollPage(ScrollAxis::kVertical, 1); }

void ScrollableBox::HomeUp() {
  SIZE position = GetScrollPos();
  position.cy = 0;
  SetScrollPos(position);
}

void ScrollableBox::EndDown(bool arrange, bool animated) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (arrange) {
    // The content may have grown since the last layout: lay out now, as SetPos does.
    const RECT rect = GetPos();
    Control::SetPos(rect);
    if (alive.expired()) return;
    LayOutContent(rect_);
    if (alive.expired()) return;
  }
  if (animated && HasVRange()) {
    // Jump to the end and let the last stretch slide into place through the render offset.
    const int gap = EndScrollGap(end_animation_.GetEndValue(), GetScrollRange().cy,
                                 GetRenderOffset().y, GetScrollPos().cy);
    if (gap > 0) {
      end_animation_.Reset();
      end_animation_.SetStartValue(-gap);
      end_animation_.SetEndValue(0);
      end_animation_.SetSpeedUpRatio(kEndSpeedUpRatio);
      end_animation_.SetSpeedUpCoefficient(kEndSpeedUpCoefficient);
      end_animation_.SetSlowDownRatio(kEndSlowDownRatio);
      end_animation_.SetTotalMillSeconds(-1);
      end_animation_.SetMaxTotalMillSeconds(kEndMaxMillSeconds);
      end_animation_.SetCallback(ToWeakCallback([this](int y) { SetRenderOffsetY(y); }));
      end_animation_.Restart();
      if (alive.expired()) return;
    }
  }
  SIZE position = GetScrollPos();
  position.cy = GetScrollRange().cy;
  SetScrollPos(position);
}

void ScrollableBox::PageLeft() { ScrollPage(ScrollAxis::kHorizontal, -1); }

void ScrollableBox::PageRight() { ScrollPage(ScrollAxis::kHorizontal, 1); }

void ScrollableBox::HomeLeft() {
  SIZE position = GetScrollPos();
  position.cx = 0;
  SetScrollPos(position);
}

void ScrollableBox::EndRight() {
  SIZE position = GetScrollPos();
  position.cx = GetScrollRange().cx;
  SetScrollPos(position);
}

void ScrollableBox::ScrollUpBy(int pixels) {
  SIZE position = GetScrollPos();
  if (position.cy < 1) return;
  position.cy = ClampToInt(static_cast<int64_t>(position.cy) - pixels);
  SetScrollPos(position);
}

void ScrollableBox::ScrollDownBy(int pixels) {
  SIZE position = GetScrollPos();
  if (position.cy >= GetScrollRange().cy) return;
  position.cy = ClampToInt(static_cast<int64_t>(position.cy) + pixels);
  SetScrollPos(position);
}

void ScrollableBox::EnableScrollBar(bool vertical, bool horizontal) {
  if (vertical && !vbar_)
    vbar_ = MakeBar(false);
  else if (!vertical && vbar_)
    DropBar(&vbar_);
  if (horizontal && !hbar_)
    hbar_ = MakeBar(true);
  else if (!horizontal && hbar_)
    DropBar(&hbar_);
  Arrange();
}

void ScrollableBox::ProcessVScrollBar(RECT rect, int requiredHeight) {
  FitBarAndLayOut(ScrollAxis::kVertical, rect, requiredHeight);
}

void ScrollableBox::ProcessHScrollBar(RECT rect, int requiredWidth) {
  FitBarAndLayOut(ScrollAxis::kHorizontal, rect, requiredWidth);
}

SIZE ScrollableBox::CalcRequiredSize(const RECT& rect) {
  const std::vector<Control*>& items = GetItems();
  if (items.empty()) return SIZE{0, 0};
  RECT area = rect;
  if (!scroll_bar_float_) {
    if (HasVRange()) area.right -= vbar_->GetFixedWidth();
    if (HasHRange()) area.bottom -= hbar_->GetFixedHeight();
  }
  // The layout works on a copy: a child's handler may change the list while it is placed.
  const std::vector<Control*> children = items;
  return GetLayout()->ArrangeChildren(children, area);
}

void ScrollableBox::StopScrollAnimation() { scroll_animation_.Reset(); }

// ---------------------------------------------------------------------------------------------
// Private

void ScrollableBox::LayOutContent(const RECT& rect, bool afterNewBar) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  const RECT padding = GetLayout()->GetPadding();
  const RECT content = {rect.left + padding.left, rect.top + padding.top,
                        rect.right - padding.right, rect.bottom - padding.bottom};
  for (int pass = 0; pass < kMaxLayoutPasses; ++pass) {
    const SIZE required = CalcRequiredSize(content);
    if (alive.expired()) return;
    BarChange change = FitBar(ScrollAxis::kVertical, rect, required.cy, afterNewBar);
    if (alive.expired()) return;
    // A changed vertical bar changes what the content needs across: measured again first.
    if (change == BarChange::kNone) {
      change = FitBar(ScrollAxis::kHorizontal, rect, required.cx, afterNewBar);
      if (alive.expired()) return;
    }
    if (change == BarChange::kNone) return;
    afterNewBar = afterNewBar || change == BarChange::kAppeared;
  }
}

ScrollableBox::BarChange ScrollableBox::FitBar(ScrollAxis axis, const RECT& rect, int required,
                                               bool afterNewBar) {
  ScrollBar* bar = GetBar(axis);
  if (!bar) return BarChange::kNone;
  const bool vertical = axis == ScrollAxis::kVertical;
  const RECT padding = GetLayout()->GetPadding();
  const int view = vertical ? (rect.bottom - rect.top) - padding.top - padding.bottom
                            : (rect.right - rect.left) - padding.left - padding.right;
  const ScrollBarFit fit =
      FitScrollBar(required, view, ClampToInt(bar->GetScrollRange()), afterNewBar);
  // Every change of the bar may run handlers that delete the box, and the bar with it.
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  switch (fit.action) {
    case ScrollBarFit::kNone:
      return BarChange::kNone;
    case ScrollBarFit::kShow:
      // The content is laid out again with the bar present (it takes room unless it floats).
      bar->SetScrollRange(fit.range);
      if (!alive.expired()) bar->SetScrollPos(0);
      return BarChange::kAppeared;
    case ScrollBarFit::kPlace: {
      bar->SetPos(vertical ? VScrollBarRect(rect, scroll_bar_padding_, bar->GetFixedWidth())
                           : HScrollBarRect(rect, scroll_bar_padding_, bar->GetFixedHeight()));
      if (alive.expired() || bar->GetScrollRange() == fit.range) return BarChange::kNone;
      const int64_t old = bar->GetScrollPos();
      bar->SetScrollRange(fit.range);  // Clamps the position.
      if (alive.expired()) return BarChange::kNone;
      return bar->GetScrollPos() < old ? BarChange::kChanged : BarChange::kNone;
    }
    case ScrollBarFit::kHide:
      bar->SetScrollPos(0);
      if (!alive.expired()) bar->SetScrollRange(0);
      return BarChange::kChanged;
  }
  return BarChange::kNone;
}

void ScrollableBox::FitBarAndLayOut(ScrollAxis axis, const RECT& rect, int required) {
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  const BarChange change = FitBar(axis, rect, required, false);
  if (!alive.expired() && change != BarChange::kNone)
    LayOutContent(rect_, change == BarChange::kAppeared);
}

ScrollBar* ScrollableBox::GetBar(ScrollAxis axis) const {
  return axis == ScrollAxis::kVertical ? vbar_.get() : hbar_.get();
}

void ScrollableBox::ScrollPage(ScrollAxis axis, int direction) {
  const RECT padding = GetLayout()->GetPadding();
  const bool vertical = axis == ScrollAxis::kVertical;
  const int page =
      vertical ? ScrollPageLength(rect_.bottom - rect_.top, padding.top, padding.bottom,
                                  HasHRange() ? hbar_->GetFixedHeight() : 0)
               : ScrollPageLength(rect_.right - rect_.left, padding.left, padding.right, 0);
  SIZE position = GetScrollPos();
  LONG& along = vertical ? position.cy : position.cx;
  along = ClampToInt(static_cast<int64_t>(along) + int64_t{direction} * page);
  SetScrollPos(position);
}

std::unique_ptr<ScrollBar> ScrollableBox::MakeBar(bool horizontal) {
  auto bar = std::make_unique<ScrollBar>();
  if (horizontal) bar->SetHorizontal(true);
  bar->SetVisible(false);
  bar->SetScrollRange(0);
  bar->SetOwner(this);
  // The box is its parent (so hover inside the bar counts as hover inside the box), but the bar
  // is not one of the children: the box places, paints and deletes it itself.
  bar->SetWindowAndParent(window_, this, false);
  bar->SetClass(horizontal ? L"hscrollbar" : L"vscrollbar");
  return bar;
}

void ScrollableBox::DropBar(std::unique_ptr<ScrollBar>* bar) {
  (*bar)->SetOwner(nullptr);
  if (window_) {
    // The bar may be inside one of its own calls (a scroll handler dropping the bars): the
    // window deletes it after the current message.
    window_->AddDelayedCleanup(bar->release());
    return;
  }
  bar->reset();
}

void ScrollableBox::UpdateChildImages(bool forward) {
  RECT visible = rect_;
  const SIZE scroll = GetScrollPos();
  ::OffsetRect(&visible, scroll.cx, scroll.cy);
  // A copy: loading an image never changes the list, but a derived control might.
  const std::vector<Control*> children = GetItems();
  const auto update = [&visible](Control* child) {
    if (!child->IsVisible() || child->IsFloat()) return;
    RECT overlap;
    const RECT pos = child->GetPos();
    if (::IntersectRect(&overlap, &visible, &pos))
      child->LoadBkImage();
    else
      child->UnloadBkImage();
  };
  if (forward)
    std::for_each(children.begin(), children.end(), update);
  else
    std::for_each(children.rbegin(), children.rend(), update);
}

void ScrollableBox::StartSmoothScroll(int from, int to) {
  scroll_animation_.Reset();
  scroll_animation_.SetStartValue(from);
  scroll_animation_.SetEndValue(to);
  scroll_animation_.SetSpeedUpRatio(0);
  scroll_animation_.SetSlowDownCoefficient(kLineSlowDownCoefficient);
  scroll_animation_.SetSlowDownRatio(kLineSlowDownRatio);
  scroll_animation_.SetTotalMillSeconds(-1);
  scroll_animation_.SetCallback(ToWeakCallback([this](int y) { SetScrollPosY(y); }));
  scroll_animation_.Restart();
}

bool ScrollableBox::HasVRange() const { return HasRange(vbar_.get()); }
bool ScrollableBox::HasHRange() const { return HasRange(hbar_.get()); }

bool ScrollableBox::HandleVerticalInput(const EventArgs& args) {
  switch (args.type) {
    case kEventKeyDown:
      switch (args.keyCode) {
        case VK_PRIOR: PageUp(); return true;
        case VK_NEXT: PageDown(); return true;
        case VK_END: EndDown(true, true); return true;
        case VK_HOME: HomeUp(); return true;
        case VK_UP: LineUp(-1, true); return true;
        case VK_DOWN: LineDown(-1, true); return true;
        default: return false;
      }
    case kEventScrollWheel: {
      // The signed wheel delta (120 a notch; the unit caps it to one unit a notch).
      const int delta = static_cast<int>(static_cast<INT_PTR>(args.wParam));
      if (delta >= 1)
        LineUp(delta, true);
      else
        LineDown(delta == INT_MIN ? INT_MAX : -delta, true);
      return true;
    }
    case kEventTouchDown:
    case kEventPointerDown:
      if (IsEnabled()) {
        SetMouseFocused(true);
        last_drag_point_ = args.mousePos;
      }
      return true;
    case kEventTouchMove:
    case kEventPointerMove: {
      if (!IsMouseFocused()) return false;
      const int dy = args.mousePos.y - last_drag_point_.y;
      if (dy == 0) return true;
      last_drag_point_ = args.mousePos;
      // The content follows the finger: a drag downward shows what is above.
      if (dy > 0)
        ScrollUpBy(dy);
      else
        ScrollDownBy(-dy);
      return true;
    }
    case kEventTouchUp:
    case kEventPointerUp:
      if (!IsMouseFocused()) return false;
      SetMouseFocused(false);
      last_drag_point_ = args.mousePos;
      return true;
    default:
      return false;
  }
}

bool ScrollableBox::HandleHorizontalInput(const EventArgs& args) {
  switch (args.type) {
    case kEventKeyDown:
      switch (args.keyCode) {
        case VK_PRIOR: PageLeft(); return true;
        case VK_NEXT: PageRight(); return true;
        case VK_END: EndRight(); return true;
        case VK_HOME: HomeLeft(); return true;
        case VK_UP: LineLeft(-1); return true;
        case VK_DOWN: LineRight(-1); return true;
        default: return false;
      }
    case kEventScrollWheel:
      if (static_cast<INT_PTR>(args.wParam) >= 1)
        LineLeft(-1);
      else
        LineRight(-1);
      return true;
    default:
      return false;
  }
}

}  // namespace ui
