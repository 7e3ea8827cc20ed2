// The ring of a circle progress, drawn with GDI+ straight onto a DC, and the indicator picture
// that rides on the end of its arc.
//
// The ring is a full circle in the background colour with the value's arc over it, both from the
// top; the arc is one colour, or a vertical gradient of two. The indicator is a picture centred on
// the top of the arc's outline and turned about the ring's centre to the arc's end.
//
//   std::unique_ptr<ui::RingIndicatorImage> dot = ui::RingIndicatorImage::Load(L"C:\\dot.png");
//   ui::ProgressRingPaint ring;
//   ring.center = {50, 30};
//   ...
//   ring.indicator = dot.get();
//   ui::PaintProgressRing(context->GetDC(), ring);
//
// Units: logical pixels of the DC (its window origin applies).
//
// Thread affinity: the thread of the window that paints; an indicator image belongs to one
// control.
#ifndef UI_RENDER_PROGRESS_RING_H_
#define UI_RENDER_PROGRESS_RING_H_

#include <windows.h>

#include <memory>
#include <string>

namespace Gdiplus {
class GpImage;
}

namespace ui {

// A picture decoded by GDI+ from a file and kept as GDI+ holds it, so it can be turned in place.
// The file stays open while the picture lives.
class RingIndicatorImage {
 public:
  // The picture of path; null when the file cannot be opened or decoded.
  static std::unique_ptr<RingIndicatorImage> Load(const std::wstring& path);
  ~RingIndicatorImage();
  RingIndicatorImage(const RingIndicatorImage&) = delete;
  RingIndicatorImage& operator=(const RingIndicatorImage&) = delete;

  // GDI+ rotate-flip types without flipping.
  enum Turn { kTurn90 = 1, kTurn180 = 2, kTurn270 = 3 };
  // Turns the picture clockwise in place; false when GDI+ refuses.
  bool Rotate(Turn turn);

  int GetWidth() const;
  int GetHeight() const;
  Gdiplus::GpImage* GetNative() const { return image_; }

 private:
  explicit RingIndicatorImage(Gdiplus::GpImage* image) : image_(image) {}

  Gdiplus::GpImage* image_;  // Owned.
};

struct ProgressRingPaint {
  POINT center = {0, 0};
  RECT square = {0, 0, 0, 0};   // The square the ring lies in: the gradient's extent.
  float arcX = 0.0f;             // The arc's rectangle.
  float arcY = 0.0f;
  float arcSize = 0.0f;          // 0 or less draws no ring (the indicator is still drawn).
  int penWidth = 1;
  DWORD background = 0;          // ARGB of the full ring.
  DWORD foreground = 0;          // ARGB of the arc (the gradient's first colour).
  DWORD gradient = 0;            // The gradient's second colour; 0: a solid arc.
  float sweep = 0.0f;            // Degrees from the top, positive clockwise.
  const RingIndicatorImage* indicator = nullptr;  // Not owned; may be null.
};

// Draws the ring, anti-aliased, onto dc. A DC that GDI+ refuses draws nothing.
void PaintProgressRing(HDC dc, const ProgressRingPaint& ring);

}  // namespace ui

#endif  // UI_RENDER_PROGRESS_RING_H_
