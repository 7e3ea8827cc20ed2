// VLayout and HLayout: children stacked top to bottom, or left to right.
//
// Children of a fixed or auto length keep it; stretch children share what is left evenly (the
// pixels the division leaves over go one each to the first of them); child margin is the gap
// between neighbours. Across the stack each child takes its own size, or the whole breadth when it
// stretches, and is aligned by its horizontal (in a VLayout) or vertical (in an HLayout)
// alignment. Float children take no part in the stack: they are placed in the whole box.
//
//   auto* column = new ui::VBox();                        // a box with a VLayout
//   column->GetLayout()->SetChildMargin(4);
//
// Thread affinity: the thread of the owner box's window.
#ifndef UI_CORE_STACK_LAYOUT_H_
#define UI_CORE_STACK_LAYOUT_H_

#include "ui/core/layout.h"

namespace ui {

class VLayout : public Layout {
 public:
  SIZE ArrangeChildren(const std::vector<Control*>& items, RECT rect) override;
  SIZE EstimateSizeByChildren(const std::vector<Control*>& items, SIZE available) override;
};

class HLayout : public Layout {
 public:
  SIZE ArrangeChildren(const std::vector<Control*>& items, RECT rect) override;
  SIZE EstimateSizeByChildren(const std::vector<Control*>& items, SIZE available) override;
};

}  // namespace ui

#endif  // UI_CORE_STACK_LAYOUT_H_
