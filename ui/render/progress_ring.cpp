#include "ui/render/progress_ring.h"

#include "ui/render/gdiplus_handles.h"

namespace ui {

using namespace gdip;

namespace {

// The start of every arc: GDI+ angles run clockwise from the positive x axis, 270 is the top.
constexpr REAL kTop = 270.0f;

PenPtr MakeGradientPen(const ProgressRingPaint& ring) {
  const GpRectF square(static_cast<REAL>(ring.square.left), static_cast<REAL>(ring.square.top),
                       static_cast<REAL>(ring.square.right - ring.square.left),
                       static_cast<REAL>(ring.square.bottom - ring.square.top));
  GpLineGradient* rawBrush = nullptr;
  if (GdipCreateLineBrushFromRect(&square, ring.foreground, ring.gradient,
                                  LinearGradientModeVertical, WrapModeTile, &rawBrush) != Ok)
    return nullptr;
  BrushPtr brush(rawBrush);
  // Mostly the first colour at the top and the second at the bottom, blended in the middle.
  static const REAL kFactors[] = {0.0f, 0.4f, 0.6f, 1.0f};
  static const REAL kPositions[] = {0.0f, 0.2f, 0.8f, 1.0f};
  GdipSetLineBlend(rawBrush, kFactors, kPositions, 4);
  GpPen* pen = nullptr;
  if (GdipCreatePen2(rawBrush, static_cast<REAL>(ring.penWidth), UnitWorld, &pen) != Ok)
    return nullptr;
  return PenPtr(pen);  // The pen keeps its own copy of the brush.
}

void DrawArc(GpGraphics* graphics, GpPen* pen, const ProgressRingPaint& ring, REAL sweep) {
  if (!pen) return;
  GdipDrawArc(graphics, pen, ring.arcX, ring.arcY, ring.arcSize, ring.arcSize, kTop, sweep);
}

void DrawIndicator(GpGraphics* graphics, const ProgressRingPaint& ring) {
  const int width = ring.indicator->GetWidth();
  const int height = ring.indicator->GetHeight();
  GpMatrix* rawMatrix = nullptr;
  if (GdipCreateMatrix(&rawMatrix) != Ok) return;
  MatrixPtr matrix(rawMatrix);
  const REAL cx = static_cast<REAL>(ring.center.x);
  const REAL cy = static_cast<REAL>(ring.center.y);
  GdipTranslateMatrix(rawMatrix, -cx, -cy, MatrixOrderAppend);
  GdipRotateMatrix(rawMatrix, ring.sweep, MatrixOrderAppend);
  GdipTranslateMatrix(rawMatrix, cx, cy, MatrixOrderAppend);
  GdipSetWorldTransform(graphics, rawMatrix);
  const REAL x = static_cast<REAL>(ring.center.x - width / 2);
  const REAL y = ring.arcY - static_cast<REAL>(height / 2);
  GdipDrawImageRect(graphics, ring.indicator->GetNative(), x, y, static_cast<REAL>(width),
                    static_cast<REAL>(height));
  GdipResetWorldTransform(graphics);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// RingIndicatorImage

std::unique_ptr<RingIndicatorImage> RingIndicatorImage::Load(const std::wstring& path) {
  GpImage* image = nullptr;
  if (path.empty() || GdipLoadImageFromFile(path.c_str(), &image) != Ok || !image) return nullptr;
  std::unique_ptr<RingIndicatorImage> loaded(new RingIndicatorImage(image));
  if (loaded->GetWidth() <= 0 || loaded->GetHeight() <= 0) return nullptr;
  return loaded;
}

RingIndicatorImage::~RingIndicatorImage() { GdipDisposeImage(image_); }

bool RingIndicatorImage::Rotate(Turn turn) {
  return GdipImageRotateFlip(image_, static_cast<RotateFlipType>(turn)) == Ok;
}

int RingIndicatorImage::GetWidth() const {
  UINT width = 0;
  GdipGetImageWidth(image_, &width);
  return static_cast<int>(width);
}

int RingIndicatorImage::GetHeight() const {
  UINT height = 0;
  GdipGetImageHeight(image_, &height);
  return static_cast<int>(height);
}

// ---------------------------------------------------------------------------------------------
// The ring

void PaintProgressRing(HDC dc, const ProgressRingPaint& ring) {
  GraphicsPtr graphics = MakeGraphics(dc, true);
  if (!graphics) return;
  if (ring.arcSize > 0.0f) {
    PenPtr background = MakePen(ring.background, static_cast<REAL>(ring.penWidth));
    PenPtr foreground = ring.gradient == 0
                            ? MakePen(ring.foreground, static_cast<REAL>(ring.penWidth))
                            : MakeGradientPen(ring);
    DrawArc(graphics.get(), background.get(), ring, 360.0f);
    DrawArc(graphics.get(), foreground.get(), ring, ring.sweep);
  }
  if (ring.indicator) DrawIndicator(graphics.get(), ring);
}

}  // namespace ui
