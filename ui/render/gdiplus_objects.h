// GDI+ implementations of the pen, brush, path and matrix interfaces.
//
// Each wraps one native GDI+ object that it owns, and keeps the last GDI+ status that was not Ok
// (never reported; useful in a debugger). The render context reaches the native object through
// GetNative() after a dynamic_cast, so a foreign implementation is ignored rather than misread.
//
// Thread affinity: the thread of the window that draws with them.
#ifndef UI_RENDER_GDIPLUS_OBJECTS_H_
#define UI_RENDER_GDIPLUS_OBJECTS_H_

#include <memory>
#include <vector>

#include "ui/render/gdiplus_handles.h"
#include "ui/render/render_interfaces.h"

namespace ui {

class Pen_GdiPlus : public IPen {
 public:
  Pen_GdiPlus(DWORD argb, int width);
  Pen_GdiPlus(const Pen_GdiPlus& other);
  Pen_GdiPlus& operator=(const Pen_GdiPlus&) = delete;

  std::unique_ptr<IPen> Clone() override;
  void SetWidth(int width) override;
  int GetWidth() override;
  void SetColor(DWORD argb) override;
  DWORD GetColor() override { return color_; }
  void SetStartCap(int cap) override;
  void SetEndCap(int cap) override;
  void SetDashCap(int cap) override;
  int GetStartCap() override;
  int GetEndCap() override;
  int GetDashCap() override;
  void SetLineJoin(int join) override;
  int GetLineJoin() override;
  void SetDashStyle(int style) override;
  int GetDashStyle() override;

  gdip::GpPen* GetNative() const { return pen_.get(); }

 private:
  void Check(gdip::GpStatus status);

  DWORD color_ = 0;
  gdip::PenPtr pen_;
  gdip::GpStatus last_status_ = gdip::Ok;
};

class Brush_Gdiplus : public IBrush {
 public:
  explicit Brush_Gdiplus(DWORD argb);
  // A tiling texture brush from a copy of bitmap (no palette).
  explicit Brush_Gdiplus(HBITMAP bitmap);
  Brush_Gdiplus(const Brush_Gdiplus& other);
  Brush_Gdiplus& operator=(const Brush_Gdiplus&) = delete;

  std::unique_ptr<IBrush> Clone() override;
  DWORD GetColor() override { return color_; }
  IBitmap* GetBitmap() override { return bitmap_.get(); }

  // The solid brush when there is one, else the texture brush.
  gdip::GpBrush* GetNative() const;

 private:
  DWORD color_ = 0;
  std::unique_ptr<IBitmap> bitmap_;  // Owned; factory-made brushes have none.
  gdip::BrushPtr solid_;
  gdip::BrushPtr texture_;
  gdip::GpStatus last_status_ = gdip::Ok;
};

class Matrix_Gdiplus : public IMatrix {
 public:
  Matrix_Gdiplus();
  Matrix_Gdiplus(const Matrix_Gdiplus&) = delete;
  Matrix_Gdiplus& operator=(const Matrix_Gdiplus&) = delete;

  void Translate(int dx, int dy) override;
  void Scale(int sx, int sy) override;
  void Rotate(float degrees) override;
  void RotateAt(float degrees, const POINT& center) override;

  gdip::GpMatrix* GetNative() const { return matrix_.get(); }

 private:
  void Check(gdip::GpStatus status);

  gdip::MatrixPtr matrix_;
  gdip::GpStatus last_status_ = gdip::Ok;
};

class Path_Gdiplus : public IPath {
 public:
  Path_Gdiplus();
  Path_Gdiplus(const Path_Gdiplus& other);
  Path_Gdiplus& operator=(const Path_Gdiplus&) = delete;

  std::unique_ptr<IPath> Clone() override;
  void Reset() override;
  void SetFillMode(int mode) override;
  int GetFillMode() override;
  void StartFigure() override;
  void CloseFigure() override;
  void AddLine(int x1, int y1, int x2, int y2) override;
  void AddLines(const POINT* points, int count) override;
  void AddBezier(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void AddCurve(const POINT* points, int count) override;
  void AddRect(const RECT& rect) override;
  void AddRect(int left, int top, int right, int bottom) override;
  void AddEllipse(const RECT& rect) override;
  void AddEllipse(int left, int top, int right, int bottom) override;
  void AddArc(int x, int y, int width, int height, float startAngle, float sweepAngle) override;
  void AddPie(int x, int y, int width, int height, float startAngle, float sweepAngle) override;
  void AddPolygon(const POINT* points, int count) override;
  RECT GetBounds(const IPen* pen) override;
  bool ContainsPoint(int x, int y) override;
  bool OutlineContainsPoint(int x, int y, const IPen* pen) override;
  void Transform(const IMatrix* matrix) override;

  gdip::GpPath* GetNative() const { return path_.get(); }

 private:
  void Check(gdip::GpStatus status);
  // Copies points into the contiguous integer pairs GDI+ takes.
  static std::vector<gdip::GpPoint> ToGpPoints(const POINT* points, int count);

  gdip::PathPtr path_;
  gdip::GpStatus last_status_ = gdip::Ok;
};

}  // namespace ui

#endif  // UI_RENDER_GDIPLUS_OBJECTS_H_
