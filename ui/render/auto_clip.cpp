#include "ui/render/auto_clip.h"

namespace ui {

AutoClip::AutoClip(IRenderContext* context, const RECT& rect, bool clip)
    : context_(context), clipped_(clip && context) {
  if (clipped_) context_->SetClip(rect);
}

AutoClip::AutoClip(IRenderContext* context, const RECT& rect, int roundWidth, int roundHeight,
                   bool clip)
    : context_(context), clipped_(clip && context) {
  if (clipped_) context_->SetRoundClip(rect, roundWidth, roundHeight);
}

AutoClip::~AutoClip() {
  if (clipped_ && context_) context_->ClearClip();
}

}  // namespace ui
