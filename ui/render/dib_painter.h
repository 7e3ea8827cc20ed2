// DibPainter: the render context's common drawing done on the pixels of its DIB section.
//
// Each GDI+ call makes and deletes a graphics object, and each GDI blend selects bitmaps into DCs;
// that fixed cost per call (tens to hundreds of microseconds) dwarfs the few pixels a control
// usually paints. Solid fills, axis-aligned lines and rectangle outlines, and the pieces of an
// image are therefore written straight into the surface's pixels, with the results GDI+ and
// AlphaBlend give: inside the DC's current clip region, at the DC's window origin, premultiplied
// (source-over) for translucent colours, and AlphaBlend's per-pixel and constant alpha for image
// pieces, stretched by nearest pixel as AlphaBlend does.
//
//   DibPainter painter(dc, bits, width, height, topDown, scratchRegion);
//   painter.Fill(RECT{0, 0, 100, 20}, 0xFF202020);
//
// Only 32-bit surfaces and sources are handled; callers fall back to GDI for anything else.
//
// Thread affinity: the render context's thread; a source bitmap shared between threads is read
// under its image's draw lock, which the caller holds.
#ifndef UI_RENDER_DIB_PAINTER_H_
#define UI_RENDER_DIB_PAINTER_H_

#include <windows.h>

#include <vector>

namespace ui {

// Read access to the pixels of a 32-bit DIB section.
struct DibSource {
  const BYTE* bits = nullptr;
  int width = 0;
  int height = 0;
  int stride = 0;       // Bytes per row.
  bool topDown = true;  // Row 0 in memory is the top row.

  // The pixels of bitmap; false unless it is a 32-bit DIB section with pixels. The row order is
  // not known yet (GDI reports a positive height for top-down sections too): see ProbeTopDown.
  static bool FromBitmap(HBITMAP bitmap, DibSource* source);
  // Whether source's rows are stored top row first, found by asking GDI for the picture the
  // right way up (with dc) and comparing a row that differs from its mirror image. A picture
  // that is its own mirror image reads the same either way (true).
  static bool ProbeTopDown(HDC dc, HBITMAP bitmap, const DibSource& source);
  const DWORD* Row(int y) const {
    const int row = topDown ? y : height - 1 - y;
    return reinterpret_cast<const DWORD*>(bits + static_cast<size_t>(row) * stride);
  }
};

class DibPainter {
 public:
  // bits: width x height 32-bit pixels, rows packed, row 0 at the top when topDown. region is a
  // scratch region the painter may overwrite (kept by the caller so none is made per call).
  DibPainter(HDC dc, BYTE* bits, int width, int height, bool topDown, HRGN region);

  // Limits every later drawing of this painter to a device rectangle as well (clips kept
  // outside the DC).
  void Limit(const RECT& device);

  // Fills rect (logical coordinates) with a straight ARGB colour: opaque colours replace the
  // pixels, translucent ones are laid over them.
  void Fill(const RECT& rect, DWORD argb);
  // The outline a GDI+ pen of width draws along rect without anti-aliasing: the pen is centred on
  // each edge, covering [edge - width / 2, edge - width / 2 + width) across it; a 1-pixel
  // outline covers its right and bottom edges too. False, with nothing drawn, for a width below 1.
  bool Outline(const RECT& rect, int width, DWORD argb);
  // The line a GDI+ pen of width draws from (x1, y1) to (x2, y2) when it is horizontal or
  // vertical: a 1-pixel line covers both end points, a wider one ends before the second. False,
  // with nothing drawn, for other lines, zero lengths and widths below 1.
  bool Line(int x1, int y1, int x2, int y2, int width, DWORD argb);
  // Blends source's rectangle src into dest (logical) as AlphaBlend does with per-pixel alpha and
  // the constant alpha: stretched by nearest pixel when the sizes differ.
  void Blend(const RECT& dest, const DibSource& source, const RECT& src, BYTE alpha);

 private:
  // The parts of a device rectangle that the clip region lets through; false when none.
  bool VisibleParts(const RECT& device, std::vector<RECT>* parts);
  RECT ToDevice(const RECT& logical) const;
  DWORD* Row(int y) const {
    const int row = top_down_ ? y : height_ - 1 - y;
    return reinterpret_cast<DWORD*>(bits_ + static_cast<size_t>(row) * width_ * 4);
  }

  HDC dc_;
  BYTE* bits_;
  int width_;
  int height_;
  bool top_down_;
  HRGN region_;            // The DC's clip region while clip_kind_ is COMPLEXREGION.
  POINT origin_ = {0, 0};  // The DC's window origin.
  RECT limit_;             // The surface, cut by Limit and by the DC clip region's box.
  int clip_kind_ = SIMPLEREGION;
  std::vector<RECT> parts_;
  std::vector<int> columns_;  // Source column per destination column of the current blend.
};

}  // namespace ui

#endif  // UI_RENDER_DIB_PAINTER_H_
