// RenderFactory_GdiPlus: the one factory of render objects, owned by the global manager.
//
// Thread affinity: any thread may create objects; the objects then belong to the creating
// window's thread. GDI+ must be running (the global manager starts it) while objects are used.
#ifndef UI_RENDER_RENDER_FACTORY_GDIPLUS_H_
#define UI_RENDER_RENDER_FACTORY_GDIPLUS_H_

#include "ui/render/render_interfaces.h"

namespace ui {

class RenderFactory_GdiPlus : public IRenderFactory {
 public:
  std::unique_ptr<IPen> CreatePen(DWORD argb, int width = 1) override;
  std::unique_ptr<IBrush> CreateBrush(HBITMAP bitmap) override;
  std::unique_ptr<IBrush> CreateBrush(DWORD argb) override;
  std::unique_ptr<IMatrix> CreateMatrix() override;
  std::unique_ptr<IPath> CreatePath() override;
  std::unique_ptr<IBitmap> CreateBitmap() override;
  std::unique_ptr<IRenderContext> CreateRenderContext() override;
};

}  // namespace ui

#endif  // UI_RENDER_RENDER_FACTORY_GDIPLUS_H_
