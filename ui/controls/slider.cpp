#include "ui/controls/slider.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cwchar>
#include <memory>

#include "ui/core/dpi_manager.h"
#include "ui/core/number_list.h"
#include "ui/core/window.h"

namespace ui {

namespace {

int ToInt(const std::wstring& value) {
  return static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
}

int ClampToInt(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

// rect less padding on each side, never turned inside out.
RECT Inset(const RECT& rect, const RECT& padding) {
  RECT inner;
  inner.left = ClampToInt(static_cast<int64_t>(rect.left) + padding.left);
  inner.top = ClampToInt(static_cast<int64_t>(rect.top) + padding.top);
  inner.right = ClampToInt(static_cast<int64_t>(rect.right) - padding.right);
  inner.bottom = ClampToInt(static_cast<int64_t>(rect.bottom) - padding.bottom);
  inner.right = std::max(inner.right, inner.left);
  inner.bottom = std::max(inner.bottom, inner.top);
  return inner;
}

const wchar_t* const kThumbImageNames[kControlStateCount] = {
    L"thumbnormalimage", L"thumbhotimage", L"thumbpushedimage", L"thumbdisabledimage"};

}  // namespace

Slider::Slider() { text_style_ = kProgressTextStyle; }

// ---------------------------------------------------------------------------------------------
// Attributes

void Slider::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"step") {
    SetChangeStep(ToInt(value));
    return;
  }
  for (int state = 0; state < kControlStateCount; ++state) {
    if (name == kThumbImageNames[state]) {
      SetThumbStateImage(static_cast<ControlStateType>(state), value);
      return;
    }
  }
  if (name == L"thumbsize") {
    const SIZE read = ReadSize(value.c_str());
    const DpiManager* dpi = DpiManager::GetInstance();
    SetThumbSize(SIZE{dpi->ScaleInt(read.cx), dpi->ScaleInt(read.cy)});
  } else if (name == L"progressbarpadding") {
    RECT padding = ReadRect(value.c_str());
    DpiManager::GetInstance()->ScaleRect(padding);
    SetProgressBarPadding(padding);
  } else {
    Progress::SetAttribute(name, value);
  }
}

void Slider::SetThumbSize(SIZE size) {
  if (size.cx < 0 || size.cy < 0) return;
  thumb_size_ = size;
}

RECT Slider::GetThumbRect() const {
  return SliderThumbRect(IsHorizontal(), rect_, thumb_size_, GetRange());
}

void Slider::SetProgressBarPadding(const RECT& padding) {
  bar_padding_ = padding;
  ArrangeOrInvalidate();
}

std::wstring Slider::GetThumbStateImage(ControlStateType state) const {
  const Image* image = thumb_images_.FindImage(state);
  return image ? image->GetAttribute().attributeString : std::wstring();
}

void Slider::SetThumbStateImage(ControlStateType state, const std::wstring& imageString) {
  thumb_images_.GetImage(state).SetImageString(imageString);
  Invalidate();
}

void Slider::ClearImageCache() {
  Progress::ClearImageCache();
  thumb_images_.ClearCache();
}

// ---------------------------------------------------------------------------------------------
// Input

void Slider::HandleEvent(const EventArgs& args) {
  if (!IsMouseEnabled() && IsMouseEvent(args.type)) {
    Progress::HandleEvent(args);  // Passes it to the parent.
    return;
  }
  switch (args.type) {
    case kEventInternalDoubleClick:
    case kEventButtonDown:
    case kEventPointerDown:
      Press(args);
      return;
    case kEventInternalMenu:
      return;
    case kEventScrollWheel:
      Wheel(args);
      return;
    case kEventMouseMove:
    case kEventPointerMove:
      Move(args);
      return;
    case kEventButtonUp:
    case kEventPointerUp:
      Release(args);
      return;
    default:
      Progress::HandleEvent(args);
      return;
  }
}

bool Slider::MouseLeave(const EventArgs& args) {
  SetThumbState(kControlStateNormal);
  return Progress::MouseLeave(args);
}

POINT Slider::EventPoint(const EventArgs& args) const {
  const SIZE offset = GetScrollOffset();
  return POINT{ClampToInt(static_cast<int64_t>(args.mousePos.x) + offset.cx),
               ClampToInt(static_cast<int64_t>(args.mousePos.y) + offset.cy)};
}

double Slider::ValueAt(POINT point) const {
  return SliderValueAt(IsHorizontal(), rect_, thumb_size_, GetRange(), point);
}

void Slider::Press(const EventArgs& args) {
  if (!IsEnabled()) return;
  const RECT thumb = GetThumbRect();
  // Only a press on the thumb drags; a press beside it waits for its release.
  if (::PtInRect(&thumb, EventPoint(args))) SetMouseFocused(true);
}

void Slider::Move(const EventArgs& args) {
  if (!IsEnabled()) return;
  const POINT point = EventPoint(args);
  if (IsMouseFocused()) {
    SetValue(ValueAt(point));  // No event while dragging: the release sends one.
    return;
  }
  const RECT thumb = GetThumbRect();
  SetThumbState(::PtInRect(&thumb, point) ? kControlStateHot : kControlStateNormal);
}

void Slider::Release(const EventArgs& args) {
  if (IsMouseFocused()) {
    SetMouseFocused(false);
    Invalidate();  // The thumb is no longer pushed.
  }
  if (!IsEnabled()) return;
  const POINT point = EventPoint(args);
  SetValue(ValueAt(point));
  const RECT thumb = GetThumbRect();
  SetThumbState(::PtInRect(&thumb, point) ? kControlStateHot : kControlStateNormal);
  SendValueChange();  // May destroy this slider: nothing touches it afterwards.
}

void Slider::Wheel(const EventArgs& args) {
  // A disabled slider leaves the wheel to its parent (a scrolling box scrolls on).
  if (!IsEnabled()) {
    Progress::HandleEvent(args);
    return;
  }
  RepairRange();
  const int delta = static_cast<int>(static_cast<int32_t>(args.wParam));
  const double step = delta > 0 ? static_cast<double>(GetChangeStep())
                                : -static_cast<double>(GetChangeStep());
  const double value = std::clamp(GetValue() + step, static_cast<double>(GetMinValue()),
                                  static_cast<double>(GetMaxValue()));
  if (value == GetValue()) return;  // At the end of the range: nothing changed to report.
  SetValue(value);
  SendValueChange();
}

void Slider::SetThumbState(ControlStateType state) {
  if (thumb_state_ == state) return;
  thumb_state_ = state;
  if (thumb_images_.HasImage(kControlStateHot)) Invalidate();
}

bool Slider::SendValueChange() {
  Window* window = GetWindow();
  if (!window) return true;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  window->SendEvent(this, kEventValueChange, 0, 0);
  return !alive.expired();
}

// ---------------------------------------------------------------------------------------------
// Painting

RECT Slider::GetProgressPos() {
  return SliderFillRect(IsHorizontal(),
                        SIZE{rect_.right - rect_.left, rect_.bottom - rect_.top}, thumb_size_,
                        GetRange());
}

void Slider::PaintStateImage(IRenderContext* context) {
  // The bar inside the padding; the thumb over the whole control.
  const RECT whole = rect_;
  rect_ = Inset(whole, bar_padding_);
  Progress::PaintStateImage(context);
  rect_ = whole;

  RECT thumb = GetThumbRect();
  ::OffsetRect(&thumb, -whole.left, -whole.top);
  thumb_modify_ = SliderThumbModify(thumb);
  if (IsMouseFocused()) {
    if (DrawThumb(context, kControlStatePushed)) return;
  } else if (!IsEnabled()) {
    if (DrawThumb(context, kControlStateDisabled)) return;
  } else if (thumb_state_ == kControlStateHot) {
    if (DrawThumb(context, kControlStateHot)) return;
  }
  DrawThumb(context, kControlStateNormal);
}

bool Slider::DrawThumb(IRenderContext* context, ControlStateType state) {
  if (!thumb_images_.HasImage(state)) return false;
  return DrawImage(context, thumb_images_.GetImage(state), thumb_modify_, -1);
}

}  // namespace ui
