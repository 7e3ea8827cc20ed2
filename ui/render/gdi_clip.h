// GdiClip: clip regions on a DC that nest as a stack of saved DC states.
//
// CreateClip and CreateRoundClip take a rectangle in the DC's logical coordinates (after its
// window origin), save the DC state and intersect the clip with it; ClearClip restores the last
// saved state. Every Create must be paired with one ClearClip (AutoClip does it for a scope).
//
// Thread affinity: the DC's thread. The object itself has no state.
#ifndef UI_RENDER_GDI_CLIP_H_
#define UI_RENDER_GDI_CLIP_H_

#include "ui/render/render_interfaces.h"

namespace ui {

class GdiClip : public IClip {
 public:
  void CreateClip(HDC dc, const RECT& rect) override;
  void CreateRoundClip(HDC dc, const RECT& rect, int ellipseWidth, int ellipseHeight) override;
  void ClearClip(HDC dc) override;
};

}  // namespace ui

#endif  // UI_RENDER_GDI_CLIP_H_
