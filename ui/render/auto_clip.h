// AutoClip: a clip on a render context for the length of a scope.
//
//   {
//     ui::AutoClip clip(ctx, controlRect);   // SetClip
//     ... paint ...
//   }                                        // ClearClip
//
// Clips nest: each AutoClip intersects with the clips already set and pops only its own.
// A rounded variant takes the ellipse size. The context must outlive the AutoClip.
//
// Thread affinity: the context's thread.
#ifndef UI_RENDER_AUTO_CLIP_H_
#define UI_RENDER_AUTO_CLIP_H_

#include "ui/render/render_interfaces.h"

namespace ui {

class AutoClip {
 public:
  // clip = false makes an AutoClip that does nothing (for conditional clipping).
  AutoClip(IRenderContext* context, const RECT& rect, bool clip = true);
  AutoClip(IRenderContext* context, const RECT& rect, int roundWidth, int roundHeight,
           bool clip = true);
  ~AutoClip();
  AutoClip(const AutoClip&) = delete;
  AutoClip& operator=(const AutoClip&) = delete;

 private:
  IRenderContext* context_;  // Not owned.
  bool clipped_;
};

}  // namespace ui

#endif  // UI_RENDER_AUTO_CLIP_H_
