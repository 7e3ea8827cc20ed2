#include "ui/controls/circle_progress.h"

#include <shlwapi.h>

#include <cwchar>
#include <utility>

#include "ui/controls/progress_geometry.h"
#include "ui/core/global_manager.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

int ToInt(const std::wstring& value) {
  return static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
}

DWORD ColorOf(const std::wstring& value) {
  return GlobalManager::GetTextColor(TrimColorName(value));
}

}  // namespace

CircleProgress::CircleProgress() = default;

CircleProgress::~CircleProgress() = default;

void CircleProgress::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"circular") {
    SetCircular(value == L"true");
  } else if (name == L"circlewidth") {
    SetCircleWidth(ToInt(value));
  } else if (name == L"indicator") {
    SetIndicator(value);
  } else if (name == L"clockwise") {
    SetClockwise(value == L"true");
  } else if (name == L"bgcolor") {
    SetBackgroundColor(ColorOf(value));
  } else if (name == L"fgcolor") {
    SetForegroundColor(ColorOf(value));
  } else if (name == L"gradientcolor") {
    SetGradientColor(ColorOf(value));
  } else {
    Progress::SetAttribute(name, value);
  }
}

void CircleProgress::SetCircular(bool circular) {
  circular_ = circular;
  Invalidate();
}

void CircleProgress::SetClockwise(bool clockwise) {
  if (clockwise_ == clockwise) return;
  clockwise_ = clockwise;
  if (indicator_) indicator_->Rotate(RingIndicatorImage::kTurn180);
}

void CircleProgress::SetCircleWidth(int width) {
  if (width < 0) return;
  circle_width_ = width;
  Invalidate();
}

void CircleProgress::SetBackgroundColor(DWORD argb) {
  background_color_ = argb;
  Invalidate();
}

void CircleProgress::SetForegroundColor(DWORD argb) {
  foreground_color_ = argb;
  Invalidate();
}

void CircleProgress::SetGradientColor(DWORD argb) {
  gradient_color_ = argb;
  Invalidate();
}

void CircleProgress::SetIndicator(const std::wstring& path) {
  if (path == indicator_path_) return;
  indicator_path_ = path;
  LoadIndicator(true);
}

void CircleProgress::LoadIndicator(bool invalidate) {
  indicator_.reset();
  indicator_missing_ = false;
  if (indicator_path_.empty()) return;
  std::wstring path = indicator_path_;
  if (!::PathFileExistsW(path.c_str()))
    path = GlobalManager::GetResourcePath() + GetResourcePath() + indicator_path_;
  std::unique_ptr<RingIndicatorImage> image;
  if (::PathFileExistsW(path.c_str())) image = RingIndicatorImage::Load(path);
  if (!image) {
    // Without a window the resource folder is not known yet: the paint looks again.
    indicator_missing_ = GetWindow() != nullptr;
    return;
  }
  image->Rotate(clockwise_ ? RingIndicatorImage::kTurn90 : RingIndicatorImage::kTurn270);
  indicator_ = std::move(image);
  if (invalidate) Invalidate();
}

void CircleProgress::ClearImageCache() {
  Progress::ClearImageCache();
  indicator_.reset();
  indicator_missing_ = false;
}

void CircleProgress::PaintStateImage(IRenderContext* context) {
  Progress::PaintStateImage(context);  // Repairs the range.
  if (!circular_) return;
  if (!indicator_ && !indicator_missing_ && !indicator_path_.empty()) LoadIndicator(false);

  // The arc is inset by the indicator's width (both ways), else by the pen's.
  const int inset = indicator_ ? indicator_->GetWidth() : circle_width_;
  const RingGeometry geometry = ComputeRingGeometry(rect_, inset);
  ProgressRingPaint ring;
  ring.center = geometry.center;
  ring.square = RECT{geometry.corner.x, geometry.corner.y, geometry.corner.x + geometry.side,
                     geometry.corner.y + geometry.side};
  ring.arcX = geometry.arcX;
  ring.arcY = geometry.arcY;
  ring.arcSize = geometry.arcSize;
  ring.penWidth = circle_width_;
  ring.background = background_color_;
  ring.foreground = foreground_color_;
  ring.gradient = gradient_color_;
  ring.sweep = RingSweepAngle(GetRange(), clockwise_);
  ring.indicator = indicator_.get();
  PaintProgressRing(context->GetDC(), ring);
}

}  // namespace ui
