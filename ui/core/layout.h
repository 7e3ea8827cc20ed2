// Layout: how a box measures and places its children. The plain layout places every child on
// its own, by the child's alignment and margin, in the whole box (children overlap).
//
// A box owns one layout and hands it its children: EstimateSizeByChildren when the box sizes
// itself from them, ArrangeChildren when the box has been placed. Derived layouts stack the
// children (ui::VLayout, ui::HLayout) or tile them (ui::TileLayout). The arithmetic itself lives in
// layout_arithmetic.h; a layout only describes its children to it and moves them where it says.
//
//   auto* box = new ui::Box(new ui::Layout());
//   box->GetLayout()->SetPadding(RECT{8, 8, 8, 8});   // DPI-scaled, re-arranges the box
//
// Thread affinity: the thread of the owner box's window.
#ifndef UI_CORE_LAYOUT_H_
#define UI_CORE_LAYOUT_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ui/core/layout_arithmetic.h"

namespace ui {

class Box;
class Control;

class Layout {
 public:
  Layout() = default;
  virtual ~Layout() = default;
  Layout(const Layout&) = delete;
  Layout& operator=(const Layout&) = delete;

  // Set by the box that owns the layout.
  void SetOwner(Box* owner) { owner_ = owner; }
  Box* GetOwner() const { return owner_; }

  // Takes the layout's markup attributes ("padding", "childmargin"); false for other names.
  virtual bool SetAttribute(const std::wstring& name, const std::wstring& value);
  // Places the children in rect (the owner's position less the padding) and returns the size
  // they take. Children are moved in list order; when a child's position-change handler changes
  // the owner's child list, the rest waits for the owner's next arrange.
  virtual SIZE ArrangeChildren(const std::vector<Control*>& items, RECT rect);
  // The size the children want in available (the owner's available size less the padding),
  // with the padding added back.
  virtual SIZE EstimateSizeByChildren(const std::vector<Control*>& items, SIZE available);
  virtual RECT GetPadding() const { return padding_; }
  // Stores the padding (DPI-scaled when asked) and re-arranges the owner.
  virtual void SetPadding(const RECT& padding, bool dpiScale = true);
  virtual int GetChildMargin() const { return child_margin_; }
  // The gap between consecutive children; DPI-scaled when asked; re-arranges the owner.
  virtual void SetChildMargin(int margin, bool dpiScale = true);

  // Places one child by its own alignment and margin in rect (how float children are placed).
  // Returns the placed size; an invisible child gives (0, 0) and is not moved.
  static SIZE SetFloatPos(Control* child, const RECT& rect);

 protected:
  // What the arithmetic needs to know of each child.
  static std::vector<LayoutItem> Describe(const std::vector<Control*>& items);
  // Moves each placed child to its rectangle, in list order.
  void ApplyPlacements(const std::vector<Control*>& items,
                       const std::vector<ItemPlacement>& placements);
  void ArrangeOwner();

  RECT padding_ = {0, 0, 0, 0};
  int child_margin_ = 0;
  Box* owner_ = nullptr;  // Not owned: the owner owns the layout.
};

// Asks controls for their sizes on behalf of the arithmetic.
class ControlSizer final : public LayoutSizer {
 public:
  explicit ControlSizer(const std::vector<Control*>& items) : items_(items) {}
  SIZE Estimate(size_t index, SIZE available) override;
  // Measures with the fixed width set to width for the moment, then back to auto.
  SIZE EstimateAtWidth(size_t index, int width, SIZE available) override;

 private:
  const std::vector<Control*>& items_;
};

}  // namespace ui

#endif  // UI_CORE_LAYOUT_H_
