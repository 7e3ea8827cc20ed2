#include "ui/render/render_context_gdiplus.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/render/dib_painter.h"
#include "ui/render/gdiplus_handles.h"
#include "ui/render/gdiplus_objects.h"

namespace ui {

using namespace gdip;

namespace {

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

bool Intersects(const RECT& a, const RECT& b) {
  RECT unused;
  return ::IntersectRect(&unused, &a, &b) != FALSE;
}

// Scales the alpha byte of argb by fade / 255; red, green and blue stay.
DWORD ApplyFade(DWORD argb, BYTE fade) {
  if (fade == 255) return argb;
  const DWORD alpha = static_cast<DWORD>(((argb >> 24) & 0xFF) * (fade / 255.0));
  return (alpha << 24) | (argb & 0x00FFFFFF);
}

// One piece of a nine-grid. An opaque image on an opaque surface at a new size is stretched
// with plain GDI (halftone); everything else goes through AlphaBlend so per-pixel alpha and the
// fade apply. Empty pieces draw nothing.
void BlitPiece(HDC target, bool renderTransparent, const RECT& dest, HDC source, const RECT& src,
               bool hasAlpha, BYTE fade) {
  const int dw = Width(dest), dh = Height(dest), sw = Width(src), sh = Height(src);
  if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
  if (!renderTransparent && !hasAlpha && fade == 255 && (dw != sw || dh != sh)) {
    ::StretchBlt(target, dest.left, dest.top, dw, dh, source, src.left, src.top, sw, sh, SRCCOPY);
    return;
  }
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, fade, AC_SRC_ALPHA};
  ::AlphaBlend(target, dest.left, dest.top, dw, dh, source, src.left, src.top, sw, sh, blend);
}

// The GDI+ font for a registered font id (empty = default font), or the DC's own font when the
// id names none. The wide LOGFONT keeps face names outside the ANSI code page intact.
FontPtr MakeFont(HDC dc, const FontInfo* info) {
  GpFont* font = nullptr;
  LOGFONTW logFont = {};
  if (info && info->font &&
      ::GetObjectW(info->font, sizeof(logFont), &logFont) == sizeof(logFont)) {
    if (GdipCreateFontFromLogfontW(dc, &logFont, &font) == Ok) return FontPtr(font);
  }
  if (GdipCreateFontFromDC(dc, &font) == Ok) return FontPtr(font);
  return nullptr;
}

StringFormatPtr MakeGenericTypographicFormat() {
  GpStringFormat* generic = nullptr;
  if (GdipStringFormatGetGenericTypographic(&generic) != Ok || !generic) return nullptr;
  GpStringFormat* format = nullptr;
  if (GdipCloneStringFormat(generic, &format) != Ok) return nullptr;
  return StringFormatPtr(format);
}

// The LOGFONT MakeFont makes the GDI+ font from: the registered font's, or the DC's own.
bool TextFont(HDC dc, const FontInfo* info, LOGFONTW* font) {
  if (info && info->font && ::GetObjectW(info->font, sizeof(*font), font) == sizeof(*font))
    return true;
  HGDIOBJ current = ::GetCurrentObject(dc, OBJ_FONT);
  return current && ::GetObjectW(current, sizeof(*font), font) == sizeof(*font);
}

// One text as DrawText has laid it out for GDI+.
struct TextDrawing {
  RECT rect;  // The layout rectangle as the caller gave it.
  const std::wstring& text;
  GpFont* font;
  GpStringFormat* format;
  GpBrush* brush;
  RectF layout;  // What GDI+ is given (a pixel lower for one face).
};

// The image of a text: the pixels GDI+ leaves on a clear surface, where they show. Null when it
// cannot be made, or when the text may reach past the surface it was drawn on.
std::unique_ptr<TextImages::Image> MakeTextImage(HDC compatible, GpGraphics* graphics,
                                                 const TextDrawing& drawing,
                                                 const LOGFONTW& font) {
  // Where the text can show: its layout rectangle and the box GDI+ measures for it (text that is
  // not clipped may leave the rectangle), with room around for glyphs that reach past the box.
  RectF box;
  const INT length = static_cast<INT>(drawing.text.size());
  if (GdipMeasureString(graphics, drawing.text.c_str(), length, drawing.font, &drawing.layout,
                        drawing.format, &box, nullptr, nullptr) != Ok)
    return nullptr;
  const RectF& layout = drawing.layout;
  const int margin = 8 + std::abs(static_cast<int>(font.lfHeight));
  const RECT area = {
      static_cast<LONG>(std::floor(std::min(layout.X, box.X))) - margin,
      static_cast<LONG>(std::floor(std::min(layout.Y, box.Y))) - margin,
      static_cast<LONG>(std::ceil(std::max(layout.X + layout.Width, box.X + box.Width))) + margin,
      static_cast<LONG>(std::ceil(std::max(layout.Y + layout.Height, box.Y + box.Height))) +
          margin};
  const int width = Width(area), height = Height(area);
  if (width <= 0 || height <= 0 ||
      static_cast<size_t>(width) * height > TextImages::kMaxPixels / 4)
    return nullptr;

  // The text on a clear surface of that size, at the same place relative to it.
  MemoryDcPtr dc(::CreateCompatibleDC(compatible));
  GdiBitmap surface;
  if (!dc || !surface.Init(dc.get(), width, height, true)) return nullptr;
  ScopedSelectObject select(dc.get(), surface.GetBitmap());
  if (!select.ok()) return nullptr;
  surface.Clear();
  {
    GraphicsPtr onSurface = MakeGraphics(dc.get(), false);
    if (!onSurface) return nullptr;
    const RectF placed(layout.X - area.left, layout.Y - area.top, layout.Width, layout.Height);
    if (GdipDrawString(onSurface.get(), drawing.text.c_str(), length, drawing.font, &placed,
                       drawing.format, drawing.brush) != Ok)
      return nullptr;
  }
  ::GdiFlush();

  // The pixels that show. One on the surface's edge may belong to text going on past it: such a
  // text is not kept.
  const DWORD* pixels = reinterpret_cast<const DWORD*>(surface.GetBits());
  RECT shown = {width, height, 0, 0};
  for (int y = 0; y < height; ++y) {
    const DWORD* row = pixels + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      if (!row[x]) continue;
      if (x == 0 || y == 0 || x == width - 1 || y == height - 1) return nullptr;
      shown.left = std::min<LONG>(shown.left, x);
      shown.top = std::min<LONG>(shown.top, y);
      shown.right = std::max<LONG>(shown.right, x + 1);
      shown.bottom = std::max<LONG>(shown.bottom, y + 1);
    }
  }
  auto image = std::make_unique<TextImages::Image>();
  if (shown.right <= shown.left) return image;  // Nothing shows.
  image->width = Width(shown);
  image->height = Height(shown);
  // Relative to the layout rectangle as the caller gave it, before any shift of its own.
  image->offset = POINT{area.left + shown.left - static_cast<LONG>(drawing.rect.left),
                        area.top + shown.top - static_cast<LONG>(drawing.rect.top)};
  image->pixels.resize(static_cast<size_t>(image->width) * image->height);
  for (int y = 0; y < image->height; ++y) {
    const DWORD* row = pixels + static_cast<size_t>(shown.top + y) * width + shown.left;
    std::copy(row, row + image->width, image->pixels.begin() + static_cast<size_t>(y) * image->width);
  }
  return image;
}

const Pen_GdiPlus* AsPen(const IPen* pen) { return dynamic_cast<const Pen_GdiPlus*>(pen); }

// The one face that GDI+ places a pixel too high when centred vertically.
const wchar_t kNewSongTypeface[] = L"\u65B0\u5B8B\u4F53";
// Two wide characters whose box gives the height of one line of text.
const wchar_t kLineHeightSample[] = L"\u6D4B\u8BD5";

}  // namespace

RenderContext_GdiPlus::RenderContext_GdiPlus() {
  HDC screen = ::GetDC(nullptr);
  dc_ = ::CreateCompatibleDC(screen);
  ::ReleaseDC(nullptr, screen);
  scratch_region_ = ::CreateRectRgn(0, 0, 0, 0);
}

RenderContext_GdiPlus::~RenderContext_GdiPlus() {
  if (dc_) {
    if (displaced_) ::SelectObject(dc_, displaced_);
    ::DeleteDC(dc_);
  }
  if (scratch_region_) ::DeleteObject(scratch_region_);
  // bitmap_ is deleted by its own destructor, now that no DC holds it.
}

bool RenderContext_GdiPlus::Resize(int width, int height, bool topDown) {
  if (width == bitmap_.GetWidth() && height == bitmap_.GetHeight()) return false;
  if (displaced_) {
    ::SelectObject(dc_, displaced_);
    displaced_ = nullptr;
  }
  const bool ok = bitmap_.Init(dc_, width, height, topDown);
  top_down_ = topDown;
  if (ok) displaced_ = ::SelectObject(dc_, bitmap_.GetBitmap());
  return ok;
}

std::unique_ptr<IRenderContext> RenderContext_GdiPlus::Clone() {
  auto copy = std::make_unique<RenderContext_GdiPlus>();
  copy->Resize(GetWidth(), GetHeight(), true);
  copy->BitBlt(0, 0, GetWidth(), GetHeight(), dc_, 0, 0, SRCCOPY);
  return copy;
}

HBITMAP RenderContext_GdiPlus::DetachBitmap() {
  if (!displaced_) return nullptr;
  ::SelectObject(dc_, displaced_);
  displaced_ = nullptr;
  return bitmap_.DetachBitmap();
}

bool RenderContext_GdiPlus::SetRenderTransparent(bool transparent) {
  const bool old = render_transparent_;
  render_transparent_ = transparent;
  return old;
}

HDC RenderContext_GdiPlus::GetDC() {
  ApplyClips();
  return dc_;
}

void RenderContext_GdiPlus::Save() {
  ApplyClips();
  saved_state_ = ::SaveDC(dc_);
}

void RenderContext_GdiPlus::SetClip(const RECT& rect) {
  if (!dc_) return;
  const POINT origin = GetWindowOrg();
  RECT device = rect;
  ::OffsetRect(&device, -origin.x, -origin.y);
  clips_.push_back(Clip{device, false, 0, 0, origin, false});
}

void RenderContext_GdiPlus::SetRoundClip(const RECT& rect, int ellipseWidth, int ellipseHeight) {
  if (!dc_) return;
  const POINT origin = GetWindowOrg();
  RECT device = rect;
  ::OffsetRect(&device, -origin.x, -origin.y);
  clips_.push_back(Clip{device, true, ellipseWidth, ellipseHeight, origin, false});
  ApplyClips();  // A rounded shape is left to the DC.
}

void RenderContext_GdiPlus::ClearClip() {
  if (clips_.empty()) {
    clip_.ClearClip(dc_);  // Not one of ours: pops the DC state as it always did.
    return;
  }
  const Clip clip = clips_.back();
  clips_.pop_back();
  if (clip.applied) clip_.ClearClip(dc_);
  // As when every clip saved the DC state at once: the origin is the one the clip was set at.
  SetWindowOrg(clip.origin);
}

void RenderContext_GdiPlus::ApplyClips() {
  for (Clip& clip : clips_) {
    if (clip.applied) continue;
    RegionPtr region(clip.round ? ::CreateRoundRectRgn(clip.device.left, clip.device.top,
                                                       clip.device.right + 1,
                                                       clip.device.bottom + 1, clip.ellipseWidth,
                                                       clip.ellipseHeight)
                                : ::CreateRectRgnIndirect(&clip.device));
    ::SaveDC(dc_);
    if (region) ::ExtSelectClipRgn(dc_, region.get(), RGN_AND);
    clip.applied = true;
  }
}

bool RenderContext_GdiPlus::ImagePixels(HBITMAP bitmap, DibSource* source) {
  // Images are few and drawn over and over; the cache is emptied if it ever grows large.
  constexpr size_t kMaxKnownImages = 512;
  if (!DibSource::FromBitmap(bitmap, source)) return false;
  auto it = known_images_.find(bitmap);
  if (it == known_images_.end() || it->second.bits != source->bits ||
      it->second.width != source->width || it->second.height != source->height) {
    if (known_images_.size() >= kMaxKnownImages) known_images_.clear();
    const bool topDown = DibSource::ProbeTopDown(dc_, bitmap, *source);
    it = known_images_.insert_or_assign(bitmap,
                                        KnownImage{source->bits, source->width, source->height,
                                                   topDown}).first;
  }
  source->topDown = it->second.topDown;
  return true;
}

DibPainter RenderContext_GdiPlus::MakePainter() {
  DibPainter painter(dc_, GetBits(), GetWidth(), GetHeight(), top_down_, scratch_region_);
  for (const Clip& clip : clips_)
    if (!clip.applied) painter.Limit(clip.device);
  return painter;
}

void RenderContext_GdiPlus::Restore() { ::RestoreDC(dc_, saved_state_); }

POINT RenderContext_GdiPlus::OffsetWindowOrg(POINT offset) {
  POINT old = {};
  ::GetWindowOrgEx(dc_, &old);
  ::SetWindowOrgEx(dc_, old.x + offset.x, old.y + offset.y, nullptr);
  return old;
}

POINT RenderContext_GdiPlus::SetWindowOrg(POINT origin) {
  POINT old = {};
  ::SetWindowOrgEx(dc_, origin.x, origin.y, &old);
  return old;
}

POINT RenderContext_GdiPlus::GetWindowOrg() const {
  POINT origin = {};
  ::GetWindowOrgEx(dc_, &origin);
  return origin;
}

HRESULT RenderContext_GdiPlus::BitBlt(int x, int y, int cx, int cy, HDC source, int sourceX,
                                      int sourceY, DWORD rop) {
  ApplyClips();
  // GDI answers with a BOOL; FALSE would read as S_OK if passed on as it is.
  if (::BitBlt(dc_, x, y, cx, cy, source, sourceX, sourceY, rop)) return S_OK;
  const DWORD error = ::GetLastError();
  return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

bool RenderContext_GdiPlus::AlphaBlend(int x, int y, int cx, int cy, HDC source, int sourceX,
                                       int sourceY, int sourceCx, int sourceCy, BYTE alpha) {
  ApplyClips();
  const BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
  return ::AlphaBlend(dc_, x, y, cx, cy, source, sourceX, sourceY, sourceCx, sourceCy, blend) !=
         FALSE;
}

void RenderContext_GdiPlus::DrawImage(const RECT& paintRect, HBITMAP bitmap, bool hasAlpha,
                                      const RECT& dest, const RECT& source, const RECT& corners,
                                      BYTE fade, bool xTiled, bool yTiled) {
  if (!bitmap || !Intersects(dest, paintRect)) return;

  // Blended pieces of a 32-bit image are written into the pixels directly; a GDI source DC is
  // made only for pieces that GDI stretches (an opaque image drawn opaque at another size).
  DibSource pixels;
  const bool direct = GetBits() && ImagePixels(bitmap, &pixels);
  std::unique_ptr<DibPainter> painter;
  if (direct) painter = std::make_unique<DibPainter>(MakePainter());
  MemoryDcPtr sourceDc;
  std::unique_ptr<ScopedSelectObject> select;
  int oldStretchMode = 0;
  auto gdiSource = [&]() -> HDC {
    if (!sourceDc) {
      ApplyClips();
      sourceDc.reset(::CreateCompatibleDC(dc_));
      if (!sourceDc) return nullptr;
      select = std::make_unique<ScopedSelectObject>(sourceDc.get(), bitmap);
      if (!select->ok()) return nullptr;
      oldStretchMode = ::SetStretchBltMode(dc_, HALFTONE);
      ::SetBrushOrgEx(dc_, 0, 0, nullptr);
    }
    return select && select->ok() ? sourceDc.get() : nullptr;
  };

  const RECT& c = corners;  // Border widths in source pixels.
  RECT dc = corners;        // The same widths on the surface.
  DpiManager::GetInstance()->ScaleRect(dc);
  const bool transparent = render_transparent_;
  auto blit = [&](const RECT& d, const RECT& s) {
    if (!Intersects(d, paintRect)) return;
    const int dw = Width(d), dh = Height(d), sw = Width(s), sh = Height(s);
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    const bool stretched = !transparent && !hasAlpha && fade == 255 && (dw != sw || dh != sh);
    if (direct && !stretched) {
      painter->Blend(d, pixels, s, fade);
      return;
    }
    if (HDC from = gdiSource()) BlitPiece(dc_, transparent, d, from, s, hasAlpha, fade);
  };

  // Middle. Corners that cover the whole source or destination leave no middle at all.
  const RECT m = {dest.left + dc.left, dest.top + dc.top, dest.right - dc.right,
                  dest.bottom - dc.bottom};
  const RECT s = {source.left + c.left, source.top + c.top, source.right - c.right,
                  source.bottom - c.bottom};
  const int tileW = Width(s), tileH = Height(s);
  if (tileW > 0 && tileH > 0 && Width(m) > 0 && Height(m) > 0 && Intersects(m, paintRect)) {
    const int cols = xTiled ? (Width(m) + tileW - 1) / tileW : 1;
    const int rows = yTiled ? (Height(m) + tileH - 1) / tileH : 1;
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) {
        RECT d = m;
        if (xTiled) {
          d.left = m.left + j * tileW;
          d.right = std::min<LONG>(m.right, m.left + (j + 1) * tileW);
        }
        if (yTiled) {
          d.top = m.top + i * tileH;
          d.bottom = std::min<LONG>(m.bottom, m.top + (i + 1) * tileH);
        }
        // A tiled axis copies the source's leading part unscaled, so the last tile is cut.
        RECT piece = s;
        if (xTiled) piece.right = s.left + Width(d);
        if (yTiled) piece.bottom = s.top + Height(d);
        blit(d, piece);
      }
    }
  }

  // Border pieces: corners copy the source's corner squares; edges stretch the strip between.
  if (c.left > 0 && c.top > 0)
    blit({dest.left, dest.top, dest.left + dc.left, dest.top + dc.top},
         {source.left, source.top, source.left + c.left, source.top + c.top});
  if (c.top > 0)
    blit({dest.left + dc.left, dest.top, dest.right - dc.right, dest.top + dc.top},
         {source.left + c.left, source.top, source.right - c.right, source.top + c.top});
  if (c.right > 0 && c.top > 0)
    blit({dest.right - dc.right, dest.top, dest.right, dest.top + dc.top},
         {source.right - c.right, source.top, source.right, source.top + c.top});
  if (c.left > 0)
    blit({dest.left, dest.top + dc.top, dest.left + dc.left, dest.bottom - dc.bottom},
         {source.left, source.top + c.top, source.left + c.left, source.bottom - c.bottom});
  if (c.right > 0)
    blit({dest.right - dc.right, dest.top + dc.top, dest.right, dest.bottom - dc.bottom},
         {source.right - c.right, source.top + c.top, source.right, source.bottom - c.bottom});
  if (c.left > 0 && c.bottom > 0)
    blit({dest.left, dest.bottom - dc.bottom, dest.left + dc.left, dest.bottom},
         {source.left, source.bottom - c.bottom, source.left + c.left, source.bottom});
  if (c.bottom > 0)
    blit({dest.left + dc.left, dest.bottom - dc.bottom, dest.right - dc.right, dest.bottom},
         {source.left + c.left, source.bottom - c.bottom, source.right - c.right, source.bottom});
  if (c.right > 0 && c.bottom > 0)
    blit({dest.right - dc.right, dest.bottom - dc.bottom, dest.right, dest.bottom},
         {source.right - c.right, source.bottom - c.bottom, source.right, source.bottom});

  if (sourceDc) ::SetStretchBltMode(dc_, oldStretchMode);
}

void RenderContext_GdiPlus::FillRect(const RECT& rect, const std::wstring& colorName, BYTE fade) {
  if (colorName.empty()) return;
  FillRect(rect, GlobalManager::GetTextColor(colorName), fade);
}

void RenderContext_GdiPlus::FillRect(const RECT& rect, DWORD argb, BYTE fade) {
  if (GetBits()) {
    MakePainter().Fill(rect, ApplyFade(argb, fade));
    return;
  }
  ApplyClips();
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  BrushPtr brush = MakeSolidBrush(ApplyFade(argb, fade));
  if (!graphics || !brush) return;
  GdipFillRectangle(graphics.get(), brush.get(), static_cast<REAL>(rect.left),
                    static_cast<REAL>(rect.top), static_cast<REAL>(Width(rect)),
                    static_cast<REAL>(Height(rect)));
}

void RenderContext_GdiPlus::DrawLine(const IPen* pen, int x1, int y1, int x2, int y2) {
  ApplyClips();
  const Pen_GdiPlus* native = AsPen(pen);
  GraphicsPtr graphics = MakeGraphics(dc_, true);
  if (!graphics || !native || !native->GetNative()) return;
  GdipDrawLineI(graphics.get(), native->GetNative(), x1, y1, x2, y2);
}

void RenderContext_GdiPlus::DrawLine(const RECT& points, int width, DWORD argb) {
  if (GetBits() &&
      MakePainter().Line(points.left, points.top, points.right, points.bottom, width, argb))
    return;
  ApplyClips();
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  PenPtr pen = MakePen(argb, static_cast<REAL>(width));
  if (!graphics || !pen) return;
  GdipDrawLineI(graphics.get(), pen.get(), points.left, points.top, points.right, points.bottom);
}

void RenderContext_GdiPlus::DrawBezier(const IPen* pen, int x1, int y1, int x2, int y2, int x3,
                                       int y3, int x4, int y4) {
  ApplyClips();
  const Pen_GdiPlus* native = AsPen(pen);
  GraphicsPtr graphics = MakeGraphics(dc_, true);
  if (!graphics || !native || !native->GetNative()) return;
  GdipDrawBezierI(graphics.get(), native->GetNative(), x1, y1, x2, y2, x3, y3, x4, y4);
}

void RenderContext_GdiPlus::DrawRect(const RECT& rect, int width, DWORD argb) {
  if (GetBits() && rect.right >= rect.left && rect.bottom >= rect.top &&
      MakePainter().Outline(rect, width, argb))
    return;
  ApplyClips();
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  PenPtr pen = MakePen(argb, static_cast<REAL>(width));
  if (!graphics || !pen) return;
  GdipDrawRectangleI(graphics.get(), pen.get(), rect.left, rect.top, Width(rect), Height(rect));
}

void RenderContext_GdiPlus::DrawRoundRect(const RECT& rect, const SIZE& roundSize, int width,
                                          DWORD argb) {
  ApplyClips();
  GraphicsPtr graphics = MakeGraphics(dc_, true);
  PenPtr pen = MakePen(argb, static_cast<REAL>(width));
  GpPath* rawPath = nullptr;
  if (!graphics || !pen || GdipCreatePath(FillModeAlternate, &rawPath) != Ok) return;
  PathPtr path(rawPath);
  const int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
  const int cx = roundSize.cx, cy = roundSize.cy;
  GdipAddPathArcI(rawPath, l, t, cx, cy, 180, 90);
  GdipAddPathLineI(rawPath, l + cx, t, r - cx, t);
  GdipAddPathArcI(rawPath, r - cx, t, cx, cy, 270, 90);
  GdipAddPathLineI(rawPath, r, t + cy, r, b - cy);
  GdipAddPathArcI(rawPath, r - cx, b - cy, cx, cy, 0, 90);
  GdipAddPathLineI(rawPath, r - cx, b, l + cx, b);
  GdipAddPathArcI(rawPath, l, b - cy, cx, cy, 90, 90);
  GdipAddPathLineI(rawPath, l, b - cy, l, t + cy);
  GdipClosePathFigure(rawPath);
  GdipDrawPath(graphics.get(), pen.get(), rawPath);
}

void RenderContext_GdiPlus::DrawText(const RECT& rect, const std::wstring& text, DWORD argb,
                                     const std::wstring& fontId, UINT flags, BYTE fade,
                                     bool lineLimit) {
  if (text.empty()) return;
  FontInfo info;
  const bool registered = GlobalManager::GetFontInfo(fontId, &info);

  // Full opacity is drawn at 254: with an opaque brush GDI+ may choose sub-pixel text rendering,
  // which leaves no usable alpha in a 32-bit surface; a translucent brush keeps the blended path.
  BYTE alpha = static_cast<BYTE>((((argb >> 24) & 0xFF) / 255.0) * fade);
  if (alpha == 255) alpha = 254;
  const DWORD color = (static_cast<DWORD>(alpha) << 24) | (argb & 0x00FFFFFF);
  // One face is placed a pixel too high by GDI+ when centred vertically: it goes a pixel lower.
  const bool lowered = (flags & DT_VCENTER) && registered && info.faceName == kNewSongTypeface &&
                       Height(rect) >= info.size + 2;

  // A text drawn before is laid over the pixels from its image, when the surface has pixels.
  TextImages::Key key;
  TextImages::Sight sight = TextImages::Sight::kDraw;
  if (GetBits() && TextFont(dc_, registered ? &info : nullptr, &key.font)) {
    key.text = text;
    key.argb = color;
    key.flags = flags;
    key.lineLimit = lineLimit;
    key.lowered = lowered;
    key.width = Width(rect);
    key.height = Height(rect);
    const TextImages::Image* image = nullptr;
    sight = text_images_.Look(key, &image);
    if (sight == TextImages::Sight::kKept) {
      BlendTextImage(rect, *image);
      return;
    }
  }

  ApplyClips();
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  if (!graphics) return;
  FontPtr font = MakeFont(dc_, registered ? &info : nullptr);
  StringFormatPtr format = MakeGenericTypographicFormat();
  if (!font || !format) return;

  RectF layout(static_cast<REAL>(rect.left), static_cast<REAL>(rect.top),
               static_cast<REAL>(Width(rect)), static_cast<REAL>(Height(rect)));
  BrushPtr brush = MakeSolidBrush(color);
  if (!brush) return;

  if (flags & DT_END_ELLIPSIS)
    GdipSetStringFormatTrimming(format.get(), StringTrimmingEllipsisCharacter);
  INT formatFlags = 0;
  if (flags & DT_NOCLIP) formatFlags |= StringFormatFlagsNoClip;
  if (flags & DT_SINGLELINE) formatFlags |= StringFormatFlagsNoWrap;
  if (lineLimit) formatFlags |= StringFormatFlagsLineLimit;
  GdipSetStringFormatFlags(format.get(), formatFlags);

  StringAlignment horizontal = StringAlignmentNear;
  if (flags & DT_CENTER)
    horizontal = StringAlignmentCenter;
  else if (flags & DT_RIGHT)
    horizontal = StringAlignmentFar;
  GdipSetStringFormatAlign(format.get(), horizontal);

  StringAlignment vertical = StringAlignmentNear;
  if (flags & DT_VCENTER)
    vertical = StringAlignmentCenter;
  else if (flags & DT_BOTTOM)
    vertical = StringAlignmentFar;
  GdipSetStringFormatLineAlign(format.get(), vertical);

  if (lowered) layout.Y += 1;

  const TextDrawing drawing{rect, text, font.get(), format.get(), brush.get(), layout};
  if (sight == TextImages::Sight::kAgain) {
    std::unique_ptr<TextImages::Image> image = MakeTextImage(dc_, graphics.get(), drawing, key.font);
    const TextImages::Image* kept = image.get();
    text_images_.Keep(key, std::move(image));
    if (kept) {
      graphics.reset();
      BlendTextImage(rect, *kept);
      return;
    }
  }
  GdipDrawString(graphics.get(), text.c_str(), static_cast<INT>(text.size()), font.get(), &layout,
                 format.get(), brush.get());
}

void RenderContext_GdiPlus::BlendTextImage(const RECT& rect, const TextImages::Image& image) {
  if (image.pixels.empty()) return;
  DibSource source;
  source.bits = reinterpret_cast<const BYTE*>(image.pixels.data());
  source.width = image.width;
  source.height = image.height;
  source.stride = image.width * 4;
  const RECT dest = {rect.left + image.offset.x, rect.top + image.offset.y,
                     rect.left + image.offset.x + image.width,
                     rect.top + image.offset.y + image.height};
  MakePainter().Blend(dest, source, RECT{0, 0, image.width, image.height}, 255);
}

void RenderContext_GdiPlus::DrawEllipse(const RECT& rect, int width, DWORD argb) {
  ApplyClips();
  GraphicsPtr graphics = MakeGraphics(dc_, true);
  PenPtr pen = MakePen(argb, static_cast<REAL>(width));
  if (!graphics || !pen) return;
  GdipDrawEllipseI(graphics.get(), pen.get(), rect.left, rect.top, Width(rect), Height(rect));
}

void RenderContext_GdiPlus::FillEllipse(const RECT& rect, DWORD argb) {
  ApplyClips();
  GraphicsPtr graphics = MakeGraphics(dc_, true);
  BrushPtr brush = MakeSolidBrush(argb);
  if (!graphics || !brush) return;
  GdipFillEllipseI(graphics.get(), brush.get(), rect.left, rect.top, Width(rect), Height(rect));
}

RECT RenderContext_GdiPlus::MeasureText(const std::wstring& text, const std::wstring& fontId,
                                        UINT flags, int width) {
  RECT result = {};
  GraphicsPtr graphics = MakeGraphics(dc_, false);
  if (!graphics) return result;
  FontInfo info;
  const bool registered = GlobalManager::GetFontInfo(fontId, &info);
  FontPtr font = MakeFont(dc_, registered ? &info : nullptr);
  StringFormatPtr format = MakeGenericTypographicFormat();
  if (!font || !format) return result;
  const bool singleLine = (flags & DT_SINGLELINE) != 0;
  GdipSetStringFormatFlags(format.get(), singleLine ? StringFormatFlagsNoWrap : 0);

  const RectF unbounded(0, 0, 0, 0);
  RectF layout = unbounded;
  if (width != -1) {
    REAL lineHeight = 0;
    if (singleLine) {
      RectF sample;
      GdipMeasureString(graphics.get(), kLineHeightSample, 2, font.get(), &unbounded,
                        format.get(), &sample, nullptr, nullptr);
      lineHeight = sample.Height;
    }
    layout = RectF(0, 0, static_cast<REAL>(width), lineHeight);
  }
  RectF bounds;
  GdipMeasureString(graphics.get(), text.c_str(), static_cast<INT>(text.size()), font.get(),
                    &layout, format.get(), &bounds, nullptr, nullptr);
  result.left = static_cast<LONG>(bounds.X);
  result.top = static_cast<LONG>(bounds.Y);
  result.right = static_cast<LONG>(bounds.X + bounds.Width + 1);
  result.bottom = static_cast<LONG>(bounds.Y + bounds.Height + 1);
  return result;
}

void RenderContext_GdiPlus::DrawPath(const IPath* path, const IPen* pen) {
  ApplyClips();
  const auto* nativePath = dynamic_cast<const Path_Gdiplus*>(path);
  const Pen_GdiPlus* nativePen = AsPen(pen);
  GraphicsPtr graphics = MakeGraphics(dc_, true);
  if (!graphics || !nativePath || !nativePen || !nativePath->GetNative() ||
      !nativePen->GetNative())
    return;
  GdipDrawPath(graphics.get(), nativePen->GetNative(), nativePath->GetNative());
}

void RenderContext_GdiPlus::FillPath(const IPath* path, const IBrush* brush) {
  ApplyClips();
  const auto* nativePath = dynamic_cast<const Path_Gdiplus*>(path);
  const auto* nativeBrush = dynamic_cast<const Brush_Gdiplus*>(brush);
  GraphicsPtr graphics = MakeGraphics(dc_, true);
  if (!graphics || !nativePath || !nativeBrush || !nativePath->GetNative() ||
      !nativeBrush->GetNative())
    return;
  GdipFillPath(graphics.get(), nativeBrush->GetNative(), nativePath->GetNative());
}

}  // namespace ui
