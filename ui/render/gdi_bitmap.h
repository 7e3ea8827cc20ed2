// GdiBitmap: an owned 32-bit DIB section whose pixels can be read and written directly.
//
// Pixels are blue-green-red-alpha bytes, rows packed (stride = width * 4). GDI+ writes
// premultiplied ARGB into it; plain GDI (FillRect, StretchBlt) leaves the alpha byte 0, which is
// why layered windows clear and restore alpha around painting.
//
// Invariant: bits, width and height are zero whenever the HBITMAP is null.
//
// Thread affinity: the thread of the render context or window that owns it.
#ifndef UI_RENDER_GDI_BITMAP_H_
#define UI_RENDER_GDI_BITMAP_H_

#include "ui/render/render_interfaces.h"

namespace ui {

class GdiBitmap : public IBitmap {
 public:
  GdiBitmap() = default;
  ~GdiBitmap() override;
  GdiBitmap(const GdiBitmap&) = delete;
  GdiBitmap& operator=(const GdiBitmap&) = delete;

  bool Init(HDC dc, int width, int height, bool topDown) override;
  void Clear() override;
  HBITMAP DetachBitmap() override;
  HBITMAP GetBitmap() override { return bitmap_; }
  void* GetBits() override { return bits_; }
  int GetWidth() override { return width_; }
  int GetHeight() override { return height_; }
  void ClearAlpha(const RECT& rect, int alpha) override;
  void RestoreAlpha(const RECT& rect, const RECT& padding, int alpha) override;

 private:
  void Release();
  // rect limited to [0, width) x [0, height); false when nothing is left.
  bool ClipToBitmap(const RECT& rect, RECT* clipped) const;

  HBITMAP bitmap_ = nullptr;  // Owned unless detached.
  BYTE* bits_ = nullptr;      // Points into bitmap_; not owned.
  int width_ = 0;
  int height_ = 0;
};

}  // namespace ui

#endif  // UI_RENDER_GDI_BITMAP_H_
