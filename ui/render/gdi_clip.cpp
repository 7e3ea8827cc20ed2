#include "ui/render/gdi_clip.h"

#include "ui/render/gdiplus_handles.h"

namespace ui {

namespace {

// Regions are in device coordinates, so the logical rectangle is moved by the window origin.
RECT ToDevice(HDC dc, const RECT& rect) {
  POINT origin = {};
  ::GetWindowOrgEx(dc, &origin);
  RECT device = rect;
  ::OffsetRect(&device, -origin.x, -origin.y);
  return device;
}

void IntersectClip(HDC dc, RegionPtr region) {
  ::SaveDC(dc);
  if (region) ::ExtSelectClipRgn(dc, region.get(), RGN_AND);
}

}  // namespace

void GdiClip::CreateClip(HDC dc, const RECT& rect) {
  if (!dc) return;
  const RECT device = ToDevice(dc, rect);
  IntersectClip(dc, RegionPtr(::CreateRectRgnIndirect(&device)));
}

void GdiClip::CreateRoundClip(HDC dc, const RECT& rect, int ellipseWidth, int ellipseHeight) {
  if (!dc) return;
  const RECT device = ToDevice(dc, rect);
  IntersectClip(dc, RegionPtr(::CreateRoundRectRgn(device.left, device.top, device.right + 1,
                                                   device.bottom + 1, ellipseWidth,
                                                   ellipseHeight)));
}

void GdiClip::ClearClip(HDC dc) {
  if (dc) ::RestoreDC(dc, -1);
}

}  // namespace ui
