// ShadowBox: the box a window's shadow is painted in.
//
// A window with a shadow puts its skin's root inside a shadow box whose layout padding is the
// shadow's width; the box's background (the shadow image, a nine-grid) fills that border around
// the root. Painting the inside is left to the root: the box paints itself only for a paint
// rectangle that reaches into the border.
//
//   auto* shadow = new ui::ShadowBox();
//   shadow->GetLayout()->SetPadding(window->GetShadowCorner(), false);
//   shadow->SetBkImage(L"file='../public/bk/bk_shadow.png' corner='30,30,30,30'");
//   shadow->Add(skinRoot);
//   window->AttachRoot(shadow);
//
// The window collapses the padding while it is maximised and restores it afterwards.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CORE_SHADOW_BOX_H_
#define UI_CORE_SHADOW_BOX_H_

#include "ui/core/box.h"

namespace ui {

class ShadowBox : public Box {
 public:
  ShadowBox() = default;  // The plain layout: the root fills the padded area.

  // Background colour and shadow image, only when area reaches outside the padded rectangle.
  void Paint(IRenderContext* context, const RECT& area) override;
};

}  // namespace ui

#endif  // UI_CORE_SHADOW_BOX_H_
