// The drawing interfaces through which every window and control of the UI library paints.
//
// A render context is an off-screen surface: a memory DC with a 32-bit DIB section selected into
// it. A window owns one, paints its control tree into it and copies it to the screen; controls
// get it in their paint operations. All other render objects (pens, brushes, paths, matrices,
// bitmaps, further contexts) come from the one IRenderFactory that the global manager owns, or
// from a context's Clone. Every result handed out by a factory or a Clone is a new object that
// the caller owns.
//
//   std::unique_ptr<ui::IRenderContext> ctx = factory->CreateRenderContext();
//   ctx->Resize(200, 100);
//   ctx->FillRect(RECT{0, 0, 200, 100}, 0xFFFFFFFF);
//   ctx->DrawText(RECT{8, 8, 192, 40}, L"Hello", 0xFF000000, L"", DT_SINGLELINE);
//
// Units: every coordinate is a 32-bit signed physical (device) pixel in the context's logical
// space, that is after the window origin set with SetWindowOrg/OffsetWindowOrg. Rectangles are
// (left, top, right, bottom) with right and bottom exclusive. Colours are 32-bit ARGB with alpha
// in the top byte; alpha and fade values are one byte, 255 opaque.
//
// Thread affinity: a context and the objects drawn with it belong to the thread of the window
// that owns them; nothing here locks. Render objects must not outlive the factory's shutdown.
//
// Failures: a failing GDI+ call never stops an operation and is not reported to the caller; the
// wrappers keep the last failing status for debugging.
#ifndef UI_RENDER_RENDER_INTERFACES_H_
#define UI_RENDER_RENDER_INTERFACES_H_

#include <windows.h>

#include <memory>
#include <string>

#include "base/callback/weak_callback.h"

namespace ui {

class IBitmap : public virtual nbase::SupportWeakCallback {
 public:
  ~IBitmap() override = default;
  // Makes a 32-bit DIB section of width x height for dc (top-down when topDown, so row 0 is the
  // top). False, with no pixels, for a null dc or a non-positive size.
  virtual bool Init(HDC dc, int width, int height, bool topDown) = 0;
  // Sets every byte of the pixels to 0.
  virtual void Clear() = 0;
  // Hands the HBITMAP to the caller and forgets handle, bits and size without deleting.
  virtual HBITMAP DetachBitmap() = 0;
  virtual HBITMAP GetBitmap() = 0;
  // Pixels in blue-green-red-alpha byte order, stride width * 4; null without a bitmap.
  virtual void* GetBits() = 0;
  virtual int GetWidth() = 0;
  virtual int GetHeight() = 0;
  // Sets all four bytes of every pixel of rect (clipped to the bitmap) to alpha.
  virtual void ClearAlpha(const RECT& rect, int alpha) = 0;
  // Over rect (clipped), except the four corner squares that padding cuts off: a pixel whose
  // alpha byte still equals a non-zero alpha becomes transparent (0), every other one opaque.
  virtual void RestoreAlpha(const RECT& rect, const RECT& padding, int alpha) = 0;
};

// Pen caps, joins and dash styles carry GDI+'s numbering.
class IPen : public virtual nbase::SupportWeakCallback {
 public:
  ~IPen() override = default;
  virtual std::unique_ptr<IPen> Clone() = 0;
  virtual void SetWidth(int width) = 0;
  virtual int GetWidth() = 0;
  virtual void SetColor(DWORD argb) = 0;
  virtual DWORD GetColor() = 0;
  virtual void SetStartCap(int cap) = 0;
  virtual void SetEndCap(int cap) = 0;
  virtual void SetDashCap(int cap) = 0;
  virtual int GetStartCap() = 0;
  virtual int GetEndCap() = 0;
  virtual int GetDashCap() = 0;
  virtual void SetLineJoin(int join) = 0;
  virtual int GetLineJoin() = 0;
  virtual void SetDashStyle(int style) = 0;
  virtual int GetDashStyle() = 0;
};

class IBrush : public virtual nbase::SupportWeakCallback {
 public:
  ~IBrush() override = default;
  virtual std::unique_ptr<IBrush> Clone() = 0;
  // The solid colour; 0 for a texture brush.
  virtual DWORD GetColor() = 0;
  // An owned bitmap kept with the brush, or null (factory-made brushes have none).
  virtual IBitmap* GetBitmap() = 0;
};

class IMatrix : public virtual nbase::SupportWeakCallback {
 public:
  ~IMatrix() override = default;
  // Each step is prepended to the matrix.
  virtual void Translate(int dx, int dy) = 0;
  virtual void Scale(int sx, int sy) = 0;
  virtual void Rotate(float degrees) = 0;
  virtual void RotateAt(float degrees, const POINT& center) = 0;
};

class IPath : public virtual nbase::SupportWeakCallback {
 public:
  enum FillMode { kFillModeAlternate = 0, kFillModeWinding = 1 };

  ~IPath() override = default;
  virtual std::unique_ptr<IPath> Clone() = 0;
  virtual void Reset() = 0;
  virtual void SetFillMode(int mode) = 0;
  virtual int GetFillMode() = 0;
  virtual void StartFigure() = 0;
  virtual void CloseFigure() = 0;
  virtual void AddLine(int x1, int y1, int x2, int y2) = 0;
  virtual void AddLines(const POINT* points, int count) = 0;
  virtual void AddBezier(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) = 0;
  virtual void AddCurve(const POINT* points, int count) = 0;
  virtual void AddRect(const RECT& rect) = 0;
  virtual void AddRect(int left, int top, int right, int bottom) = 0;
  virtual void AddEllipse(const RECT& rect) = 0;
  virtual void AddEllipse(int left, int top, int right, int bottom) = 0;
  virtual void AddArc(int x, int y, int width, int height, float startAngle, float sweepAngle) = 0;
  virtual void AddPie(int x, int y, int width, int height, float startAngle, float sweepAngle) = 0;
  virtual void AddPolygon(const POINT* points, int count) = 0;
  // World bounds, widened by pen when one is given.
  virtual RECT GetBounds(const IPen* pen) = 0;
  virtual bool ContainsPoint(int x, int y) = 0;
  virtual bool OutlineContainsPoint(int x, int y, const IPen* pen) = 0;
  // Nothing for a null matrix.
  virtual void Transform(const IMatrix* matrix) = 0;
};

class IClip : public virtual nbase::SupportWeakCallback {
 public:
  ~IClip() override = default;
  // Both push a saved DC state and intersect the current clip with rect (logical coordinates);
  // each must be paired with one ClearClip, which pops that state.
  virtual void CreateClip(HDC dc, const RECT& rect) = 0;
  virtual void CreateRoundClip(HDC dc, const RECT& rect, int ellipseWidth, int ellipseHeight) = 0;
  virtual void ClearClip(HDC dc) = 0;
};

class IRenderContext : public virtual nbase::SupportWeakCallback {
 public:
  ~IRenderContext() override = default;

  virtual HDC GetDC() = 0;
  // False, and nothing else, when the size is the current one; otherwise the surface is made anew
  // (old pixels lost) and the result tells whether it has pixels.
  virtual bool Resize(int width, int height, bool topDown = true) = 0;
  virtual void Clear() = 0;
  virtual std::unique_ptr<IRenderContext> Clone() = 0;
  // Hands the surface to the caller, who then owns the HBITMAP; null when there is none.
  virtual HBITMAP DetachBitmap() = 0;
  virtual BYTE* GetBits() = 0;
  virtual int GetWidth() = 0;
  virtual int GetHeight() = 0;
  virtual void ClearAlpha(const RECT& rect, int alpha = 0) = 0;
  virtual void RestoreAlpha(const RECT& rect, const RECT& padding, int alpha = 0) = 0;

  // Transparent rendering makes every image piece go through AlphaBlend.
  virtual bool IsRenderTransparent() const = 0;
  virtual bool SetRenderTransparent(bool transparent) = 0;

  virtual void Save() = 0;
  virtual void Restore() = 0;

  // Window origin of the memory DC (logical coordinates); each returns the previous origin.
  virtual POINT OffsetWindowOrg(POINT offset) = 0;
  virtual POINT SetWindowOrg(POINT origin) = 0;
  virtual POINT GetWindowOrg() const = 0;

  virtual void SetClip(const RECT& rect) = 0;
  virtual void SetRoundClip(const RECT& rect, int ellipseWidth, int ellipseHeight) = 0;
  virtual void ClearClip() = 0;

  // S_OK when the pixels were copied, a failure code otherwise (a source DC that is not a DC).
  virtual HRESULT BitBlt(int x, int y, int cx, int cy, HDC source, int sourceX = 0,
                         int sourceY = 0, DWORD rop = SRCCOPY) = 0;
  // Constant alpha plus the source's per-pixel (premultiplied) alpha.
  virtual bool AlphaBlend(int x, int y, int cx, int cy, HDC source, int sourceX, int sourceY,
                          int sourceCx, int sourceCy, BYTE alpha = 255) = 0;

  // Draws bitmap as a nine-grid: the corner rectangle holds the four border widths (left, top,
  // right, bottom) in source pixels; the destination corners are those widths DPI-scaled. The
  // middle is stretched, or tiled along x and/or y (the last tile cut, never scaled). Nothing is
  // drawn outside paintRect's reach or for a null bitmap.
  virtual void DrawImage(const RECT& paintRect, HBITMAP bitmap, bool hasAlpha, const RECT& dest,
                         const RECT& source, const RECT& corners, BYTE fade = 255,
                         bool xTiled = false, bool yTiled = false) = 0;

  // By colour name from the global colour table; nothing for an empty name.
  virtual void FillRect(const RECT& rect, const std::wstring& colorName, BYTE fade = 255) = 0;
  // Below 255 the fade scales the colour's alpha; red, green and blue stay.
  virtual void FillRect(const RECT& rect, DWORD argb, BYTE fade = 255) = 0;

  virtual void DrawLine(const IPen* pen, int x1, int y1, int x2, int y2) = 0;
  // points is read as (x1, y1, x2, y2); no anti-aliasing.
  virtual void DrawLine(const RECT& points, int width, DWORD argb) = 0;
  virtual void DrawBezier(const IPen* pen, int x1, int y1, int x2, int y2, int x3, int y3, int x4,
                          int y4) = 0;
  // Outline of (left, top, width, height): a 1-px border ends one pixel short of right/bottom.
  virtual void DrawRect(const RECT& rect, int width, DWORD argb) = 0;
  virtual void DrawRoundRect(const RECT& rect, const SIZE& roundSize, int width, DWORD argb) = 0;
  // flags are DrawText flags (DT_CENTER, DT_VCENTER, DT_SINGLELINE, DT_END_ELLIPSIS...). The
  // brush alpha never exceeds 254. An empty fontId means the default font.
  virtual void DrawText(const RECT& rect, const std::wstring& text, DWORD argb,
                        const std::wstring& fontId, UINT flags, BYTE fade = 255,
                        bool lineLimit = false) = 0;
  virtual void DrawEllipse(const RECT& rect, int width, DWORD argb) = 0;
  virtual void FillEllipse(const RECT& rect, DWORD argb) = 0;
  // Bounding box of text; width -1 leaves it unbounded.
  virtual RECT MeasureText(const std::wstring& text, const std::wstring& fontId, UINT flags,
                           int width = -1) = 0;
  virtual void DrawPath(const IPath* path, const IPen* pen) = 0;
  virtual void FillPath(const IPath* path, const IBrush* brush) = 0;
};

class IRenderFactory : public virtual nbase::SupportWeakCallback {
 public:
  ~IRenderFactory() override = default;
  virtual std::unique_ptr<IPen> CreatePen(DWORD argb, int width = 1) = 0;
  // A tiling texture brush made from a copy of bitmap.
  virtual std::unique_ptr<IBrush> CreateBrush(HBITMAP bitmap) = 0;
  virtual std::unique_ptr<IBrush> CreateBrush(DWORD argb) = 0;
  virtual std::unique_ptr<IMatrix> CreateMatrix() = 0;
  virtual std::unique_ptr<IPath> CreatePath() = 0;
  virtual std::unique_ptr<IBitmap> CreateBitmap() = 0;
  virtual std::unique_ptr<IRenderContext> CreateRenderContext() = 0;
};

}  // namespace ui

#endif  // UI_RENDER_RENDER_INTERFACES_H_
