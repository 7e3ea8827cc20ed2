// Progress: a bar that shows a value between a minimum and a maximum.
//
// The filled part is proportional to the value: from the left when horizontal, from the bottom
// otherwise. It is painted with a colour and/or an image (stretched into the filled part, or cut
// from an image as large as the bar so that the part under the fill shows), and the label's text
// is drawn over it, centred on one line. A new bar is 12 pixels high (DPI-scaled) and, as a label,
// sized from its text across, so markup normally gives a "width".
//
//   auto* bar = new ui::Progress();
//   bar->SetAttribute(L"width", L"200");
//   bar->SetAttribute(L"progresscolor", L"blue");
//   bar->SetAttribute(L"value", L"25");      // 50 pixels filled
//   box->Add(bar);                           // markup class "Progress"
//
// The range is repaired at every paint, and the repaired numbers are kept: a maximum not above the
// minimum becomes minimum + 1, and the value is pulled into the range. Nothing else clamps: setters
// store what they are given (a value that is not a finite number is refused).
//
// Markup attributes: "hor", "min", "max", "value", "progressimage", "isstretchfore",
// "progresscolor"; anything else goes to the label.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_PROGRESS_H_
#define UI_CONTROLS_PROGRESS_H_

#include <windows.h>

#include <string>

#include "ui/controls/label.h"
#include "ui/controls/progress_geometry.h"
#include "ui/core/image.h"

namespace ui {

class Progress : public LabelTemplate<Control> {
 public:
  // DT_CENTER | DT_SINGLELINE: the text centred on one line.
  static constexpr UINT kProgressTextStyle = 0x21;
  // The height of a new bar before DPI scaling.
  static constexpr int kDefaultHeight = 12;

  Progress();

  // ----- Overrides -----------------------------------------------------------------------------
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // Also releases the progress image's decoded picture.
  void ClearImageCache() override;
  // Repairs the range, then paints the fill colour and the progress image over the filled part
  // (in place of the control's own state images).
  void PaintStateImage(IRenderContext* context) override;

  // The filled part, relative to the control's top-left corner.
  virtual RECT GetProgressPos();

  // ----- Range and value -----------------------------------------------------------------------
  bool IsHorizontal() const { return horizontal_; }
  void SetHorizontal(bool horizontal);
  int GetMinValue() const { return min_; }
  void SetMinValue(int min);
  int GetMaxValue() const { return max_; }
  void SetMaxValue(int max);
  double GetValue() const { return value_; }
  // Not a finite number: refused.
  void SetValue(double value);

  // ----- Look ----------------------------------------------------------------------------------
  bool IsStretchForeImage() const { return stretch_foreground_; }
  void SetStretchForeImage(bool stretch);
  std::wstring GetProgressImage() const { return progress_image_.GetAttribute().attributeString; }
  void SetProgressImage(const std::wstring& imageString);
  // A colour name, resolved at each paint; leading blanks and control characters are dropped.
  const std::wstring& GetProgressColor() const { return progress_color_; }
  void SetProgressColor(const std::wstring& colorName);

 protected:
  ProgressRange GetRange() const { return ProgressRange{min_, max_, value_}; }
  // The repair of the paint's first step; the repaired numbers are kept.
  void RepairRange();

 private:
  bool horizontal_ = true;
  bool stretch_foreground_ = true;
  int max_ = 100;
  int min_ = 0;
  double value_ = 0.0;
  Image progress_image_;
  std::wstring progress_color_;
  // Built at each paint for the progress image.
  std::wstring progress_modify_;
};

// Characters up to code 32 at the start of a colour name are dropped.
std::wstring TrimColorName(const std::wstring& value);

}  // namespace ui

#endif  // UI_CONTROLS_PROGRESS_H_
