// Owning handles for GDI+ flat-API objects and plain GDI objects, used only inside ui/render.
//
// Each drawing call of the render context makes its own graphics object, pens, brushes, fonts and
// formats and must delete them on every path; these unique_ptr aliases do that.
//
// Thread affinity: whatever the object they hold has (render objects: their window's thread).
#ifndef UI_RENDER_GDIPLUS_HANDLES_H_
#define UI_RENDER_GDIPLUS_HANDLES_H_

#include <windows.h>

#include <objidl.h>  // PROPID and IStream, left out by WIN32_LEAN_AND_MEAN.
#include <gdiplus.h>

#include <memory>

namespace ui {
namespace gdip {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

struct GraphicsDeleter {
  void operator()(GpGraphics* g) const { GdipDeleteGraphics(g); }
};
struct PenDeleter {
  void operator()(GpPen* p) const { GdipDeletePen(p); }
};
struct BrushDeleter {
  void operator()(GpBrush* b) const { GdipDeleteBrush(b); }
};
struct FontDeleter {
  void operator()(GpFont* f) const { GdipDeleteFont(f); }
};
struct StringFormatDeleter {
  void operator()(GpStringFormat* f) const { GdipDeleteStringFormat(f); }
};
struct PathDeleter {
  void operator()(GpPath* p) const { GdipDeletePath(p); }
};
struct MatrixDeleter {
  void operator()(GpMatrix* m) const { GdipDeleteMatrix(m); }
};
struct ImageDeleter {
  void operator()(GpImage* i) const { GdipDisposeImage(i); }
};

using GraphicsPtr = std::unique_ptr<GpGraphics, GraphicsDeleter>;
using PenPtr = std::unique_ptr<GpPen, PenDeleter>;
using BrushPtr = std::unique_ptr<GpBrush, BrushDeleter>;
using FontPtr = std::unique_ptr<GpFont, FontDeleter>;
using StringFormatPtr = std::unique_ptr<GpStringFormat, StringFormatDeleter>;
using PathPtr = std::unique_ptr<GpPath, PathDeleter>;
using MatrixPtr = std::unique_ptr<GpMatrix, MatrixDeleter>;
using BitmapPtr = std::unique_ptr<GpBitmap, ImageDeleter>;

// A graphics object on dc, anti-aliased when asked; null when GDI+ refuses the DC.
GraphicsPtr MakeGraphics(HDC dc, bool antiAlias);
PenPtr MakePen(DWORD argb, float width);
BrushPtr MakeSolidBrush(DWORD argb);

}  // namespace gdip

// A plain GDI object (region, bitmap, font) deleted with DeleteObject.
struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const {
    if (object) ::DeleteObject(object);
  }
};
using RegionPtr = std::unique_ptr<std::remove_pointer_t<HRGN>, GdiObjectDeleter>;

// A memory DC deleted with DeleteDC.
struct DcDeleter {
  void operator()(HDC dc) const {
    if (dc) ::DeleteDC(dc);
  }
};
using MemoryDcPtr = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

// Selects an object into a DC for a scope and puts the previous one back.
class ScopedSelectObject {
 public:
  ScopedSelectObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(::SelectObject(dc, object)) {}
  ~ScopedSelectObject() {
    if (old_ && old_ != HGDI_ERROR) ::SelectObject(dc_, old_);
  }
  ScopedSelectObject(const ScopedSelectObject&) = delete;
  ScopedSelectObject& operator=(const ScopedSelectObject&) = delete;

  // False when the object could not be selected (for instance a bitmap already selected into
  // another DC).
  bool ok() const { return old_ != nullptr && old_ != HGDI_ERROR; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace ui

#endif  // UI_RENDER_GDIPLUS_HANDLES_H_
