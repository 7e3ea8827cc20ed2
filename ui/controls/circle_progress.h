// CircleProgress: a progress bar that also draws its value as an arc on a ring.
//
// The ring lies in the largest square centred in the control; the full ring is drawn in the
// background colour ("bgcolor", not the control's "bkcolor") and the value's arc over it from the
// top, clockwise or not, in the foreground colour or as a vertical gradient from the foreground
// to the gradient colour. An indicator picture can ride on the end of the arc: it sits on the top
// of the ring, turned a quarter (clockwise) or three quarters (counter-clockwise) as loaded, and is
// turned about the centre with the arc. The bar of ui::Progress (fill colour, progress image,
// text) is painted under the ring.
//
//   auto* ring = new ui::CircleProgress();
//   ring->SetAttribute(L"width", L"80");
//   ring->SetAttribute(L"height", L"80");
//   ring->SetAttribute(L"circlewidth", L"6");
//   ring->SetAttribute(L"bgcolor", L"gray");
//   ring->SetAttribute(L"fgcolor", L"blue");
//   ring->SetAttribute(L"indicator", L"dot.png");   // below the window's resource folder
//   box->Add(ring);                                  // markup class "CircleProgress"
//
// The indicator is loaded when "indicator" names a new file (a file that does not exist as given
// is looked for below the global resource path and the window's resource folder), and again at
// the next paint after ClearImageCache or when it could not be found before the control had a
// window. A file that cannot be found or decoded leaves the ring without an indicator.
//
// Markup attributes: "circular", "circlewidth" (pixels, not DPI-scaled; negative is refused),
// "indicator", "clockwise", "bgcolor", "fgcolor", "gradientcolor"; anything else goes to
// ui::Progress.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_CIRCLE_PROGRESS_H_
#define UI_CONTROLS_CIRCLE_PROGRESS_H_

#include <windows.h>

#include <memory>
#include <string>

#include "ui/controls/progress.h"
#include "ui/render/progress_ring.h"

namespace ui {

class CircleProgress : public Progress {
 public:
  CircleProgress();
  ~CircleProgress() override;

  // ----- Overrides -----------------------------------------------------------------------------
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // Also lets the indicator go; the next paint loads it again.
  void ClearImageCache() override;
  // The bar, then the ring.
  void PaintStateImage(IRenderContext* context) override;

  // ----- Ring ----------------------------------------------------------------------------------
  bool IsCircular() const { return circular_; }
  void SetCircular(bool circular);
  // Turning the direction turns a loaded indicator half round; no repaint.
  bool IsClockwise() const { return clockwise_; }
  void SetClockwise(bool clockwise);
  // Pen width in pixels; negative is refused.
  int GetCircleWidth() const { return circle_width_; }
  void SetCircleWidth(int width);
  // ARGB colours; 0 draws nothing (the gradient colour 0: a solid arc).
  DWORD GetBackgroundColor() const { return background_color_; }
  void SetBackgroundColor(DWORD argb);
  DWORD GetForegroundColor() const { return foreground_color_; }
  void SetForegroundColor(DWORD argb);
  DWORD GetGradientColor() const { return gradient_color_; }
  void SetGradientColor(DWORD argb);

  // ----- Indicator -----------------------------------------------------------------------------
  const std::wstring& GetIndicator() const { return indicator_path_; }
  // The same path again does nothing.
  void SetIndicator(const std::wstring& path);
  // The loaded picture (as turned), or null.
  const RingIndicatorImage* GetIndicatorImage() const { return indicator_.get(); }

 private:
  // Loads the indicator of the stored path, turned for the direction; repaints when asked.
  void LoadIndicator(bool invalidate);

  bool circular_ = true;
  bool clockwise_ = true;
  int circle_width_ = 1;
  DWORD background_color_ = 0;
  DWORD foreground_color_ = 0;
  DWORD gradient_color_ = 0;
  std::unique_ptr<RingIndicatorImage> indicator_;
  std::wstring indicator_path_;
  // Set when the stored path was looked for with the window's resource folder known and no
  // picture came of it: the paint does not look again.
  bool indicator_missing_ = false;
};

}  // namespace ui

#endif  // UI_CONTROLS_CIRCLE_PROGRESS_H_
