#include "ui/render/gdi_bitmap.h"

#include <algorithm>
#include <cstring>

namespace ui {

GdiBitmap::~GdiBitmap() { Release(); }

void GdiBitmap::Release() {
  if (bitmap_) ::DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = 0;
  height_ = 0;
}

bool GdiBitmap::Init(HDC dc, int width, int height, bool topDown) {
  Release();
  if (!dc || width <= 0 || height <= 0) return false;

  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = topDown ? -height : height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  info.bmiHeader.biSizeImage = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) return false;

  BITMAP record = {};
  ::GetObjectW(bitmap, sizeof(record), &record);
  bitmap_ = bitmap;
  bits_ = static_cast<BYTE*>(record.bmBits ? record.bmBits : bits);
  width_ = width;
  height_ = height;
  return true;
}

void GdiBitmap::Clear() {
  if (bits_) std::memset(bits_, 0, static_cast<size_t>(width_) * height_ * 4);
}

HBITMAP GdiBitmap::DetachBitmap() {
  HBITMAP bitmap = bitmap_;
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = 0;
  height_ = 0;
  return bitmap;
}

bool GdiBitmap::ClipToBitmap(const RECT& rect, RECT* clipped) const {
  clipped->left = std::max<LONG>(rect.left, 0);
  clipped->top = std::max<LONG>(rect.top, 0);
  clipped->right = std::min<LONG>(rect.right, width_);
  clipped->bottom = std::min<LONG>(rect.bottom, height_);
  return bits_ && clipped->left < clipped->right && clipped->top < clipped->bottom;
}

void GdiBitmap::ClearAlpha(const RECT& rect, int alpha) {
  RECT area;
  if (!ClipToBitmap(rect, &area)) return;
  const int value = alpha & 0xFF;
  const size_t rowBytes = static_cast<size_t>(area.right - area.left) * 4;
  for (LONG y = area.top; y < area.bottom; ++y)
    std::memset(bits_ + (static_cast<size_t>(y) * width_ + area.left) * 4, value, rowBytes);
}

void GdiBitmap::RestoreAlpha(const RECT& rect, const RECT& padding, int alpha) {
  RECT area;
  if (!ClipToBitmap(rect, &area)) return;
  const LONG innerLeft = padding.left;
  const LONG innerRight = width_ - padding.right;
  const LONG innerTop = padding.top;
  const LONG innerBottom = height_ - padding.bottom;
  // Alpha 0 (or one no pixel can have) matches nothing: every alpha byte becomes 255.
  const bool matches = alpha > 0 && alpha <= 255;
  const DWORD match = static_cast<DWORD>(alpha) << 24;
  for (LONG y = area.top; y < area.bottom; ++y) {
    // The padding's four corner squares keep what painting left there (rounded shadow corners).
    const bool innerRow = y >= innerTop && y < innerBottom;
    const LONG from = innerRow ? area.left : std::max(area.left, innerLeft);
    const LONG to = innerRow ? area.right : std::min(area.right, innerRight);
    DWORD* row = reinterpret_cast<DWORD*>(bits_) + static_cast<size_t>(y) * width_;
    if (!matches) {
      for (LONG x = from; x < to; ++x) row[x] |= 0xFF000000;
      continue;
    }
    for (LONG x = from; x < to; ++x) {
      const DWORD pixel = row[x];
      row[x] = (pixel & 0x00FFFFFF) | ((pixel & 0xFF000000) == match ? 0 : 0xFF000000);
    }
  }
}

}  // namespace ui
