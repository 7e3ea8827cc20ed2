#include "ui/render/gdiplus_objects.h"

#include "ui/render/gdi_bitmap.h"

namespace ui {

using namespace gdip;

namespace gdip {

GraphicsPtr MakeGraphics(HDC dc, bool antiAlias) {
  GpGraphics* graphics = nullptr;
  if (GdipCreateFromHDC(dc, &graphics) != Ok) return nullptr;
  GraphicsPtr owned(graphics);
  if (antiAlias) GdipSetSmoothingMode(graphics, SmoothingModeAntiAlias);
  return owned;
}

PenPtr MakePen(DWORD argb, float width) {
  GpPen* pen = nullptr;
  if (GdipCreatePen1(argb, width, UnitWorld, &pen) != Ok) return nullptr;
  return PenPtr(pen);
}

BrushPtr MakeSolidBrush(DWORD argb) {
  GpSolidFill* brush = nullptr;
  if (GdipCreateSolidFill(argb, &brush) != Ok) return nullptr;
  return BrushPtr(brush);
}

}  // namespace gdip

// ---------------------------------------------------------------------------------------------
// Pen

Pen_GdiPlus::Pen_GdiPlus(DWORD argb, int width)
    : color_(argb), pen_(MakePen(argb, static_cast<REAL>(width))) {}

Pen_GdiPlus::Pen_GdiPlus(const Pen_GdiPlus& other)
    : nbase::SupportWeakCallback(), IPen(), color_(other.color_) {
  GpPen* copy = nullptr;
  if (other.pen_) Check(GdipClonePen(other.pen_.get(), &copy));
  pen_.reset(copy);
}

std::unique_ptr<IPen> Pen_GdiPlus::Clone() { return std::make_unique<Pen_GdiPlus>(*this); }

void Pen_GdiPlus::Check(GpStatus status) {
  if (status != Ok) last_status_ = status;
}

void Pen_GdiPlus::SetWidth(int width) {
  if (pen_) Check(GdipSetPenWidth(pen_.get(), static_cast<REAL>(width)));
}

int Pen_GdiPlus::GetWidth() {
  REAL width = 0;
  if (pen_) Check(GdipGetPenWidth(pen_.get(), &width));
  return static_cast<int>(width);
}

void Pen_GdiPlus::SetColor(DWORD argb) {
  color_ = argb;
  if (pen_) Check(GdipSetPenColor(pen_.get(), argb));
}

void Pen_GdiPlus::SetStartCap(int cap) {
  if (pen_) Check(GdipSetPenStartCap(pen_.get(), static_cast<GpLineCap>(cap)));
}

void Pen_GdiPlus::SetEndCap(int cap) {
  if (pen_) Check(GdipSetPenEndCap(pen_.get(), static_cast<GpLineCap>(cap)));
}

void Pen_GdiPlus::SetDashCap(int cap) {
  if (pen_) Check(GdipSetPenDashCap197819(pen_.get(), static_cast<GpDashCap>(cap)));
}

int Pen_GdiPlus::GetStartCap() {
  GpLineCap cap = LineCapFlat;
  if (pen_) Check(GdipGetPenStartCap(pen_.get(), &cap));
  return cap;
}

int Pen_GdiPlus::GetEndCap() {
  GpLineCap cap = LineCapFlat;
  if (pen_) Check(GdipGetPenEndCap(pen_.get(), &cap));
  return cap;
}

int Pen_GdiPlus::GetDashCap() {
  GpDashCap cap = DashCapFlat;
  if (pen_) Check(GdipGetPenDashCap197819(pen_.get(), &cap));
  return cap;
}

void Pen_GdiPlus::SetLineJoin(int join) {
  if (pen_) Check(GdipSetPenLineJoin(pen_.get(), static_cast<GpLineJoin>(join)));
}

int Pen_GdiPlus::GetLineJoin() {
  GpLineJoin join = LineJoinMiter;
  if (pen_) Check(GdipGetPenLineJoin(pen_.get(), &join));
  return join;
}

void Pen_GdiPlus::SetDashStyle(int style) {
  if (pen_) Check(GdipSetPenDashStyle(pen_.get(), static_cast<GpDashStyle>(style)));
}

int Pen_GdiPlus::GetDashStyle() {
  GpDashStyle style = DashStyleSolid;
  if (pen_) Check(GdipGetPenDashStyle(pen_.get(), &style));
  return style;
}

// ---------------------------------------------------------------------------------------------
// Brush

Brush_Gdiplus::Brush_Gdiplus(DWORD argb) : color_(argb), solid_(MakeSolidBrush(argb)) {}

Brush_Gdiplus::Brush_Gdiplus(HBITMAP bitmap) {
  GpBitmap* image = nullptr;
  last_status_ = GdipCreateBitmapFromHBITMAP(bitmap, nullptr, &image);
  if (last_status_ != Ok) return;
  BitmapPtr owned(image);
  GpTexture* texture = nullptr;
  const GpStatus status = GdipCreateTexture(image, WrapModeTile, &texture);
  if (status != Ok) last_status_ = status;
  texture_.reset(texture);
}

Brush_Gdiplus::Brush_Gdiplus(const Brush_Gdiplus& other)
    : nbase::SupportWeakCallback(), IBrush(), color_(other.color_) {
  GpBrush* copy = nullptr;
  if (other.solid_ && GdipCloneBrush(other.solid_.get(), &copy) == Ok) solid_.reset(copy);
  copy = nullptr;
  if (other.texture_ && GdipCloneBrush(other.texture_.get(), &copy) == Ok) texture_.reset(copy);
}

std::unique_ptr<IBrush> Brush_Gdiplus::Clone() { return std::make_unique<Brush_Gdiplus>(*this); }

GpBrush* Brush_Gdiplus::GetNative() const {
  return solid_ ? solid_.get() : texture_.get();
}

// ---------------------------------------------------------------------------------------------
// Matrix

Matrix_Gdiplus::Matrix_Gdiplus() {
  GpMatrix* matrix = nullptr;
  Check(GdipCreateMatrix(&matrix));
  matrix_.reset(matrix);
}

void Matrix_Gdiplus::Check(GpStatus status) {
  if (status != Ok) last_status_ = status;
}

void Matrix_Gdiplus::Translate(int dx, int dy) {
  if (matrix_)
    Check(GdipTranslateMatrix(matrix_.get(), static_cast<REAL>(dx), static_cast<REAL>(dy),
                              MatrixOrderPrepend));
}

void Matrix_Gdiplus::Scale(int sx, int sy) {
  if (matrix_)
    Check(GdipScaleMatrix(matrix_.get(), static_cast<REAL>(sx), static_cast<REAL>(sy),
                          MatrixOrderPrepend));
}

void Matrix_Gdiplus::Rotate(float degrees) {
  if (matrix_) Check(GdipRotateMatrix(matrix_.get(), degrees, MatrixOrderPrepend));
}

void Matrix_Gdiplus::RotateAt(float degrees, const POINT& center) {
  Translate(center.x, center.y);
  Rotate(degrees);
  Translate(-center.x, -center.y);
}

// ---------------------------------------------------------------------------------------------
// Path

Path_Gdiplus::Path_Gdiplus() {
  GpPath* path = nullptr;
  Check(GdipCreatePath(FillModeAlternate, &path));
  path_.reset(path);
}

Path_Gdiplus::Path_Gdiplus(const Path_Gdiplus& other)
    : nbase::SupportWeakCallback(), IPath() {
  GpPath* copy = nullptr;
  if (other.path_) Check(GdipClonePath(other.path_.get(), &copy));
  path_.reset(copy);
}

std::unique_ptr<IPath> Path_Gdiplus::Clone() { return std::make_unique<Path_Gdiplus>(*this); }

void Path_Gdiplus::Check(GpStatus status) {
  if (status != Ok) last_status_ = status;
}

std::vector<GpPoint> Path_Gdiplus::ToGpPoints(const POINT* points, int count) {
  std::vector<GpPoint> result;
  if (!points || count <= 0) return result;
  result.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) result.emplace_back(points[i].x, points[i].y);
  return result;
}

void Path_Gdiplus::Reset() {
  if (path_) Check(GdipResetPath(path_.get()));
}

void Path_Gdiplus::SetFillMode(int mode) {
  if (path_) Check(GdipSetPathFillMode(path_.get(), static_cast<GpFillMode>(mode)));
}

int Path_Gdiplus::GetFillMode() {
  GpFillMode mode = FillModeAlternate;
  if (path_) Check(GdipGetPathFillMode(path_.get(), &mode));
  return mode;
}

void Path_Gdiplus::StartFigure() {
  if (path_) Check(GdipStartPathFigure(path_.get()));
}

void Path_Gdiplus::CloseFigure() {
  if (path_) Check(GdipClosePathFigure(path_.get()));
}

void Path_Gdiplus::AddLine(int x1, int y1, int x2, int y2) {
  if (path_) Check(GdipAddPathLineI(path_.get(), x1, y1, x2, y2));
}

void Path_Gdiplus::AddLines(const POINT* points, int count) {
  const std::vector<GpPoint> gp = ToGpPoints(points, count);
  if (path_ && !gp.empty()) Check(GdipAddPathLine2I(path_.get(), gp.data(), count));
}

void Path_Gdiplus::AddBezier(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  if (path_) Check(GdipAddPathBezierI(path_.get(), x1, y1, x2, y2, x3, y3, x4, y4));
}

void Path_Gdiplus::AddCurve(const POINT* points, int count) {
  const std::vector<GpPoint> gp = ToGpPoints(points, count);
  if (path_ && !gp.empty()) Check(GdipAddPathCurveI(path_.get(), gp.data(), count));
}

void Path_Gdiplus::AddRect(const RECT& rect) {
  AddRect(rect.left, rect.top, rect.right, rect.bottom);
}

void Path_Gdiplus::AddRect(int left, int top, int right, int bottom) {
  if (path_) Check(GdipAddPathRectangleI(path_.get(), left, top, right - left, bottom - top));
}

void Path_Gdiplus::AddEllipse(const RECT& rect) {
  AddEllipse(rect.left, rect.top, rect.right, rect.bottom);
}

void Path_Gdiplus::AddEllipse(int left, int top, int right, int bottom) {
  if (path_) Check(GdipAddPathEllipseI(path_.get(), left, top, right - left, bottom - top));
}

void Path_Gdiplus::AddArc(int x, int y, int width, int height, float startAngle,
                          float sweepAngle) {
  if (path_) Check(GdipAddPathArcI(path_.get(), x, y, width, height, startAngle, sweepAngle));
}

void Path_Gdiplus::AddPie(int x, int y, int width, int height, float startAngle,
                          float sweepAngle) {
  if (path_) Check(GdipAddPathPieI(path_.get(), x, y, width, height, startAngle, sweepAngle));
}

void Path_Gdiplus::AddPolygon(const POINT* points, int count) {
  const std::vector<GpPoint> gp = ToGpPoints(points, count);
  if (path_ && !gp.empty()) Check(GdipAddPathPolygonI(path_.get(), gp.data(), count));
}

RECT Path_Gdiplus::GetBounds(const IPen* pen) {
  GpRect bounds;
  const auto* native = dynamic_cast<const Pen_GdiPlus*>(pen);
  if (path_)
    Check(GdipGetPathWorldBoundsI(path_.get(), &bounds, nullptr,
                                  native ? native->GetNative() : nullptr));
  return RECT{bounds.X, bounds.Y, bounds.X + bounds.Width, bounds.Y + bounds.Height};
}

bool Path_Gdiplus::ContainsPoint(int x, int y) {
  BOOL inside = FALSE;
  if (path_) Check(GdipIsVisiblePathPointI(path_.get(), x, y, nullptr, &inside));
  return inside != FALSE;
}

bool Path_Gdiplus::OutlineContainsPoint(int x, int y, const IPen* pen) {
  const auto* native = dynamic_cast<const Pen_GdiPlus*>(pen);
  BOOL inside = FALSE;
  if (path_ && native && native->GetNative())
    Check(GdipIsOutlineVisiblePathPointI(path_.get(), x, y, native->GetNative(), nullptr,
                                         &inside));
  return inside != FALSE;
}

void Path_Gdiplus::Transform(const IMatrix* matrix) {
  const auto* native = dynamic_cast<const Matrix_Gdiplus*>(matrix);
  if (path_ && native && native->GetNative())
    Check(GdipTransformPath(path_.get(), native->GetNative()));
}

}  // namespace ui
