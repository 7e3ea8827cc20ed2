// RenderContext_GdiPlus: an off-screen surface (memory DC + 32-bit DIB section) with drawing over
// GDI, AlphaBlend and the GDI+ flat API.
//
// The context owns its DC and its bitmap. Every GDI+ drawing call makes a graphics object on the
// memory DC for that one call and deletes it afterwards, with its temporary pen, brush, font and
// format, so no GDI+ state outlives a call and the DC's clip and origin always apply. Solid fills,
// straight lines, rectangle outlines and the blended pieces of images are written into the
// surface's pixels instead (ui::DibPainter), with the same results and without the per-call cost,
// and so are texts drawn before (ui::TextImages): their pixels are kept from the second drawing.
//
// Clips and Save/Restore nest together: a Restore drops the clips set after its Save.
//
// Thread affinity: the thread of the window that owns it; no locking. Image bitmaps shared between
// windows of several threads must be drawn under their image's lock (see ui::ImageInfo), because
// one bitmap can be selected into one DC at a time.
#ifndef UI_RENDER_RENDER_CONTEXT_GDIPLUS_H_
#define UI_RENDER_RENDER_CONTEXT_GDIPLUS_H_

#include <unordered_map>
#include <vector>

#include "ui/render/dib_painter.h"
#include "ui/render/gdi_bitmap.h"
#include "ui/render/gdi_clip.h"
#include "ui/render/render_interfaces.h"
#include "ui/render/text_images.h"

namespace ui {

class RenderContext_GdiPlus : public IRenderContext {
 public:
  // Makes the memory DC (compatible with the screen); no surface until Resize.
  RenderContext_GdiPlus();
  ~RenderContext_GdiPlus() override;
  RenderContext_GdiPlus(const RenderContext_GdiPlus&) = delete;
  RenderContext_GdiPlus& operator=(const RenderContext_GdiPlus&) = delete;

  // Puts every clip set so far into the DC first: a caller may draw on it with GDI.
  HDC GetDC() override;
  bool Resize(int width, int height, bool topDown = true) override;
  void Clear() override { bitmap_.Clear(); }
  std::unique_ptr<IRenderContext> Clone() override;
  HBITMAP DetachBitmap() override;
  BYTE* GetBits() override { return static_cast<BYTE*>(bitmap_.GetBits()); }
  int GetWidth() override { return bitmap_.GetWidth(); }
  int GetHeight() override { return bitmap_.GetHeight(); }
  void ClearAlpha(const RECT& rect, int alpha = 0) override { bitmap_.ClearAlpha(rect, alpha); }
  void RestoreAlpha(const RECT& rect, const RECT& padding, int alpha = 0) override {
    bitmap_.RestoreAlpha(rect, padding, alpha);
  }

  bool IsRenderTransparent() const override { return render_transparent_; }
  bool SetRenderTransparent(bool transparent) override;

  void Save() override;
  void Restore() override;

  POINT OffsetWindowOrg(POINT offset) override;
  POINT SetWindowOrg(POINT origin) override;
  POINT GetWindowOrg() const override;

  void SetClip(const RECT& rect) override;
  void SetRoundClip(const RECT& rect, int ellipseWidth, int ellipseHeight) override;
  void ClearClip() override;

  HRESULT BitBlt(int x, int y, int cx, int cy, HDC source, int sourceX = 0, int sourceY = 0,
                 DWORD rop = SRCCOPY) override;
  bool AlphaBlend(int x, int y, int cx, int cy, HDC source, int sourceX, int sourceY,
                  int sourceCx, int sourceCy, BYTE alpha = 255) override;
  void DrawImage(const RECT& paintRect, HBITMAP bitmap, bool hasAlpha, const RECT& dest,
                 const RECT& source, const RECT& corners, BYTE fade = 255, bool xTiled = false,
                 bool yTiled = false) override;
  void FillRect(const RECT& rect, const std::wstring& colorName, BYTE fade = 255) override;
  void FillRect(const RECT& rect, DWORD argb, BYTE fade = 255) override;
  void DrawLine(const IPen* pen, int x1, int y1, int x2, int y2) override;
  void DrawLine(const RECT& points, int width, DWORD argb) override;
  void DrawBezier(const IPen* pen, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                  int y4) override;
  void DrawRect(const RECT& rect, int width, DWORD argb) override;
  void DrawRoundRect(const RECT& rect, const SIZE& roundSize, int width, DWORD argb) override;
  void DrawText(const RECT& rect, const std::wstring& text, DWORD argb, const std::wstring& fontId,
                UINT flags, BYTE fade = 255, bool lineLimit = false) override;
  void DrawEllipse(const RECT& rect, int width, DWORD argb) override;
  void FillEllipse(const RECT& rect, DWORD argb) override;
  RECT MeasureText(const std::wstring& text, const std::wstring& fontId, UINT flags,
                   int width = -1) override;
  void DrawPath(const IPath* path, const IPen* pen) override;
  void FillPath(const IPath* path, const IBrush* brush) override;

 private:
  // A clip set with SetClip or SetRoundClip, in device coordinates. A rectangular clip stays here
  // until a drawing call that goes through GDI or GDI+ needs it in the DC; painting on the pixels
  // intersects with it directly. Putting it into the DC (a saved DC state and a region) costs
  // more than most of the painting it clips.
  struct Clip {
    RECT device;
    bool round;
    int ellipseWidth;
    int ellipseHeight;
    POINT origin;  // The window origin when it was set, which ClearClip puts back.
    bool applied;  // In the DC: ClearClip restores the DC state saved for it.
  };
  // Applies, in order, every clip not yet in the DC.
  void ApplyClips();
  // A painter on the pixels, limited by the clips not yet in the DC.
  DibPainter MakePainter();
  // The pixels of an image bitmap with their row order, probed once per bitmap; false when it is
  // not a 32-bit DIB section.
  bool ImagePixels(HBITMAP bitmap, DibSource* source);
  // Lays a kept text image over the pixels, its offset taken from rect's top-left corner.
  void BlendTextImage(const RECT& rect, const TextImages::Image& image);

  // Row order of the image bitmaps drawn so far, checked against the bitmap's pixels and size on
  // each use (a handle may be reused for another bitmap).
  struct KnownImage {
    const BYTE* bits;
    int width;
    int height;
    bool topDown;
  };
  std::unordered_map<HBITMAP, KnownImage> known_images_;
  TextImages text_images_;  // Texts drawn before, as pixels.

  HDC dc_ = nullptr;                  // Owned memory DC.
  HRGN scratch_region_ = nullptr;     // Owned; the clip-region reads of direct painting.
  bool top_down_ = true;              // Row order of the surface.
  HGDIOBJ displaced_ = nullptr;       // What the DC held before our bitmap; null until Resize.
  int saved_state_ = 0;               // From the last Save.
  bool render_transparent_ = false;
  GdiClip clip_;
  std::vector<Clip> clips_;           // Innermost last.
  GdiBitmap bitmap_;                  // Owned surface, selected into dc_ while it exists.
};

}  // namespace ui

#endif  // UI_RENDER_RENDER_CONTEXT_GDIPLUS_H_
