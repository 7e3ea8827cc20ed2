#include "ui/controls/progress.h"

#include <cmath>
#include <cwchar>

#include "ui/core/global_manager.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

int ToInt(const std::wstring& value) {
  return static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
}

}  // namespace

std::wstring TrimColorName(const std::wstring& value) {
  size_t start = 0;
  while (start < value.size() && value[start] <= L' ') ++start;
  return value.substr(start);
}

Progress::Progress() {
  text_style_ = kProgressTextStyle;
  // DPI-scaled; the width stays the label's auto.
  SetFixedHeight(kDefaultHeight);
}

void Progress::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"hor") {
    SetHorizontal(value == L"true");
  } else if (name == L"min") {
    SetMinValue(ToInt(value));
  } else if (name == L"max") {
    SetMaxValue(ToInt(value));
  } else if (name == L"value") {
    SetValue(ToInt(value));
  } else if (name == L"progressimage") {
    SetProgressImage(value);
  } else if (name == L"isstretchfore") {
    SetStretchForeImage(value == L"true");
  } else if (name == L"progresscolor") {
    SetProgressColor(TrimColorName(value));
  } else {
    LabelTemplate<Control>::SetAttribute(name, value);
  }
}

void Progress::ClearImageCache() {
  LabelTemplate<Control>::ClearImageCache();
  progress_image_.ClearCache();
}

void Progress::PaintStateImage(IRenderContext* context) {
  RepairRange();
  const RECT fill = GetProgressPos();

  if (!progress_color_.empty()) {
    const DWORD color = GlobalManager::GetTextColor(progress_color_);
    if (color != 0) {
      RECT rect = rect_;
      if (horizontal_)
        rect.right = rect.left + fill.right;
      else
        rect.top = rect.top + fill.top;
      context->FillRect(rect, color, 255);
    }
  }

  if (progress_image_.IsSet()) {
    progress_modify_ = ProgressImageModify(fill, stretch_foreground_);
    DrawImage(context, progress_image_, progress_modify_, -1);
  }
}

RECT Progress::GetProgressPos() {
  return ProgressFillRect(horizontal_, SIZE{rect_.right - rect_.left, rect_.bottom - rect_.top},
                          GetRange());
}

void Progress::SetHorizontal(bool horizontal) {
  if (horizontal_ == horizontal) return;
  horizontal_ = horizontal;
  Invalidate();
}

void Progress::SetMinValue(int min) {
  min_ = min;
  Invalidate();
}

void Progress::SetMaxValue(int max) {
  max_ = max;
  Invalidate();
}

void Progress::SetValue(double value) {
  if (!std::isfinite(value)) return;
  value_ = value;
  Invalidate();
}

void Progress::SetStretchForeImage(bool stretch) {
  if (stretch_foreground_ == stretch) return;
  stretch_foreground_ = stretch;
  Invalidate();
}

void Progress::SetProgressImage(const std::wstring& imageString) {
  progress_image_.SetImageString(imageString);
  Invalidate();
}

void Progress::SetProgressColor(const std::wstring& colorName) {
  const std::wstring name = TrimColorName(colorName);
  if (name == progress_color_) return;
  progress_color_ = name;
  Invalidate();
}

void Progress::RepairRange() {
  const ProgressRange repaired = RepairProgressRange(GetRange());
  min_ = repaired.min;
  max_ = repaired.max;
  value_ = repaired.value;
}

}  // namespace ui
