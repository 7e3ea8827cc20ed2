#include "ui/render/dib_painter.h"

#include <algorithm>
#include <cstring>

namespace ui {

namespace {

// x * y / 255, rounded, for bytes.
inline DWORD Scale255(DWORD x, DWORD y) { return (x * y + 127) / 255; }

// Two bytes held in the 0x00FF00FF lanes of pair, each times k / 255 (rounded).
inline DWORD ScalePair(DWORD pair, DWORD k) {
  const DWORD x = pair * k + 0x00800080;
  return ((x + ((x >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
}

// Every channel of a pixel times k / 255.
inline DWORD ScalePixel(DWORD pixel, DWORD k) {
  return ScalePair(pixel & 0x00FF00FF, k) | (ScalePair((pixel >> 8) & 0x00FF00FF, k) << 8);
}

// Adds the two-byte lanes of a and b, each lane stopping at 255.
inline DWORD AddPairSaturated(DWORD a, DWORD b) {
  const DWORD sum = a + b;  // Lanes are 16 bits wide: no carry crosses into the next one.
  const DWORD over = sum & 0x01000100;
  return (sum | (over - (over >> 8))) & 0x00FF00FF;
}

// The colour in premultiplied form.
DWORD Premultiply(DWORD argb) {
  const DWORD a = argb >> 24;
  if (a == 255) return argb;
  return (a << 24) | (Scale255((argb >> 16) & 0xFF, a) << 16) |
         (Scale255((argb >> 8) & 0xFF, a) << 8) | Scale255(argb & 0xFF, a);
}

// Source-over of a premultiplied source onto a premultiplied pixel. A source whose colour
// exceeds its alpha (not premultiplied) is added as GDI adds it, each channel stopping at 255.
inline DWORD Over(DWORD source, DWORD dest) {
  const DWORD alpha = source >> 24;
  if (alpha == 255) return source;
  if (source == 0) return dest;
  const DWORD kept = ScalePixel(dest, 255 - alpha);
  return AddPairSaturated(source & 0x00FF00FF, kept & 0x00FF00FF) |
         (AddPairSaturated((source >> 8) & 0x00FF00FF, (kept >> 8) & 0x00FF00FF) << 8);
}

}  // namespace

bool DibSource::FromBitmap(HBITMAP bitmap, DibSource* source) {
  DIBSECTION section = {};
  if (!bitmap || ::GetObjectW(bitmap, sizeof(section), &section) != sizeof(section)) return false;
  if (section.dsBm.bmBitsPixel != 32 || !section.dsBm.bmBits) return false;
  source->bits = static_cast<const BYTE*>(section.dsBm.bmBits);
  source->width = section.dsBm.bmWidth;
  source->height = section.dsBm.bmHeight;
  source->stride = section.dsBm.bmWidthBytes;
  source->topDown = true;
  return source->width > 0 && source->height > 0;
}

bool DibSource::ProbeTopDown(HDC dc, HBITMAP bitmap, const DibSource& source) {
  const size_t rowBytes = static_cast<size_t>(source.width) * 4;
  auto memoryRow = [&](int y) { return source.bits + static_cast<size_t>(y) * source.stride; };
  int y = 0;
  while (y < source.height / 2 &&
         std::memcmp(memoryRow(y), memoryRow(source.height - 1 - y), rowBytes) == 0)
    ++y;
  if (y >= source.height / 2) return true;  // Its own mirror image.
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = source.width;
  info.bmiHeader.biHeight = -source.height;  // The picture top row first.
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<BYTE> picture(rowBytes * source.height);
  if (::GetDIBits(dc, bitmap, 0, source.height, picture.data(), &info, DIB_RGB_COLORS) == 0)
    return true;
  return std::memcmp(picture.data() + rowBytes * y, memoryRow(y), rowBytes) == 0;
}

DibPainter::DibPainter(HDC dc, BYTE* bits, int width, int height, bool topDown, HRGN region)
    : dc_(dc),
      bits_(bits),
      width_(width),
      height_(height),
      top_down_(topDown),
      region_(region),
      limit_{0, 0, width, height} {
  ::GetWindowOrgEx(dc_, &origin_);
  ::GdiFlush();  // Pending GDI work lands in the pixels before they are touched.
  // The DC's clip region is read once: usually none, or one rectangle.
  if (region_ && ::GetClipRgn(dc_, region_) == 1) {
    RECT box;
    clip_kind_ = ::GetRgnBox(region_, &box);
    if (clip_kind_ == NULLREGION || !::IntersectRect(&limit_, &limit_, &box))
      limit_ = RECT{0, 0, 0, 0};
  }
}

void DibPainter::Limit(const RECT& device) {
  if (!::IntersectRect(&limit_, &limit_, &device)) limit_ = RECT{0, 0, 0, 0};
}

RECT DibPainter::ToDevice(const RECT& logical) const {
  RECT device = logical;
  ::OffsetRect(&device, -origin_.x, -origin_.y);
  return device;
}

bool DibPainter::VisibleParts(const RECT& device, std::vector<RECT>* parts) {
  parts->clear();
  RECT wanted;
  if (!bits_ || !::IntersectRect(&wanted, &device, &limit_)) return false;
  if (clip_kind_ != COMPLEXREGION) {
    parts->push_back(wanted);
    return true;
  }
  // A complex clip (a rounded one): its rectangles within the wanted one.
  HRGN part = ::CreateRectRgnIndirect(&wanted);
  ::CombineRgn(part, part, region_, RGN_AND);
  const DWORD size = ::GetRegionData(part, 0, nullptr);
  std::vector<BYTE> buffer(size);
  auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
  if (size > 0 && ::GetRegionData(part, size, data) != 0) {
    const RECT* rects = reinterpret_cast<const RECT*>(data->Buffer);
    parts->assign(rects, rects + data->rdh.nCount);
  }
  ::DeleteObject(part);
  return !parts->empty();
}

void DibPainter::Fill(const RECT& rect, DWORD argb) {
  if ((argb >> 24) == 0) return;
  if (!VisibleParts(ToDevice(rect), &parts_)) return;
  const DWORD color = Premultiply(argb);
  const bool opaque = (argb >> 24) == 255;
  for (const RECT& part : parts_) {
    for (int y = part.top; y < part.bottom; ++y) {
      DWORD* row = Row(y);
      if (opaque) {
        std::fill(row + part.left, row + part.right, color);
      } else {
        for (int x = part.left; x < part.right; ++x) row[x] = Over(color, row[x]);
      }
    }
  }
}

bool DibPainter::Outline(const RECT& rect, int width, DWORD argb) {
  if (width < 1) return false;
  const int before = width / 2;
  const RECT outer = {rect.left - before, rect.top - before, rect.right - before + width,
                      rect.bottom - before + width};
  const RECT inner = {rect.left - before + width, rect.top - before + width,
                      rect.right - before, rect.bottom - before};
  if (outer.right <= outer.left || outer.bottom <= outer.top) return true;
  if (inner.right <= inner.left || inner.bottom <= inner.top) {
    Fill(outer, argb);  // No hole left: one solid block.
    return true;
  }
  // Four strips that do not overlap, so a translucent colour is laid once everywhere.
  Fill(RECT{outer.left, outer.top, outer.right, inner.top}, argb);
  Fill(RECT{outer.left, inner.bottom, outer.right, outer.bottom}, argb);
  Fill(RECT{outer.left, inner.top, inner.left, inner.bottom}, argb);
  Fill(RECT{inner.right, inner.top, outer.right, inner.bottom}, argb);
  return true;
}

bool DibPainter::Line(int x1, int y1, int x2, int y2, int width, DWORD argb) {
  if (width < 1 || (x1 == x2 && y1 == y2) || (x1 != x2 && y1 != y2)) return false;
  const int before = width / 2;
  const int end = width == 1 ? 1 : 0;  // A 1-pixel line covers its second end point too.
  if (x1 == x2) {
    Fill(RECT{x1 - before, std::min(y1, y2), x1 - before + width, std::max(y1, y2) + end}, argb);
  } else {
    Fill(RECT{std::min(x1, x2), y1 - before, std::max(x1, x2) + end, y1 - before + width}, argb);
  }
  return true;
}

void DibPainter::Blend(const RECT& dest, const DibSource& source, const RECT& src, BYTE alpha) {
  const int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  const int sw = src.right - src.left, sh = src.bottom - src.top;
  if (alpha == 0 || dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  if (src.left < 0 || src.top < 0 || src.right > source.width || src.bottom > source.height)
    return;
  const RECT device = ToDevice(dest);
  if (!VisibleParts(device, &parts_)) return;
  // The source column of each destination column, by nearest pixel centre.
  columns_.resize(dw);
  for (int dx = 0; dx < dw; ++dx)
    columns_[dx] = src.left + static_cast<int>((2LL * dx + 1) * sw / (2LL * dw));
  for (const RECT& part : parts_) {
    for (int y = part.top; y < part.bottom; ++y) {
      const int dy = y - device.top;
      const DWORD* from = source.Row(src.top + static_cast<int>((2LL * dy + 1) * sh / (2LL * dh)));
      DWORD* to = Row(y);
      for (int x = part.left; x < part.right; ++x) {
        DWORD pixel = from[columns_[x - device.left]];
        if (alpha != 255) pixel = ScalePixel(pixel, alpha);
        to[x] = Over(pixel, to[x]);
      }
    }
  }
}

}  // namespace ui
