// Layout arithmetic: where the children of a box go, as pure functions over sizes and rectangles.
//
// The layouts (ui::Layout and its vertical, horizontal and tile forms) describe their children as
// LayoutItem records, let these functions compute every child's rectangle, and then move the
// children there. Nothing here touches a control, so the rules can be read, and tested, on their
// own:
//
//   std::vector<ui::LayoutItem> items(3);                  // three stretch children
//   ui::FixedSizer sizer({{-1, -1}, {-1, -1}, {-1, -1}});
//   std::vector<ui::ItemPlacement> placed;
//   ui::ArrangeStack(ui::LayoutAxis::kVertical, items, sizer, RECT{0, 0, 50, 101}, 0, &placed);
//   // heights 34, 34, 33
//
// A child asks for a size through a LayoutSizer: given the space offered, it answers a width and
// a height, where kSizeStretch (-1) means "whatever I am given". Limits, margins and alignment
// come from its LayoutItem. All values are physical pixels.
//
// Thread affinity: none (pure functions; a sizer may call back into controls on their thread).
#ifndef UI_CORE_LAYOUT_ARITHMETIC_H_
#define UI_CORE_LAYOUT_ARITHMETIC_H_

#include <windows.h>

#include <cstddef>
#include <utility>
#include <vector>

#include "ui/core/control_types.h"

namespace ui {

// What a layout reads from one child.
struct LayoutItem {
  bool visible = true;
  bool isFloat = false;
  RECT margin = {0, 0, 0, 0};
  int minWidth = -1;
  int minHeight = -1;
  int maxWidth = kMaxControlSize;   // Limits only when 0 or more.
  int maxHeight = kMaxControlSize;  // Always limits.
  int hAlign = kHorAlignLeft;
  int vAlign = kVerAlignTop;
  // Both fixed sizes are auto and the max width is kSizeStretch: a float placement that finds it
  // wider than the space measures it again at the space's width (so its content can wrap).
  bool wrapsToWidth = false;
};

// How a layout asks a child for its size.
class LayoutSizer {
 public:
  // The size child index wants when offered available; kSizeStretch on a side means "whatever
  // the layout gives".
  virtual SIZE Estimate(size_t index, SIZE available) = 0;
  // The same, measured while the child's fixed width is width (only for wrapsToWidth children).
  virtual SIZE EstimateAtWidth(size_t index, int width, SIZE available) = 0;

 protected:
  ~LayoutSizer() = default;
};

// A sizer of constant answers, for callers (and tests) that know the sizes already.
class FixedSizer final : public LayoutSizer {
 public:
  explicit FixedSizer(std::vector<SIZE> sizes) : sizes_(std::move(sizes)) {}
  SIZE Estimate(size_t index, SIZE) override { return sizes_.at(index); }
  SIZE EstimateAtWidth(size_t index, int, SIZE) override { return sizes_.at(index); }

 private:
  std::vector<SIZE> sizes_;
};

// Where one child goes; placed is false for children that are not moved (the invisible ones).
struct ItemPlacement {
  bool placed = false;
  RECT rect = {0, 0, 0, 0};
};

enum class LayoutAxis { kVertical, kHorizontal };

// The width and height limits of an item, applied as every layout applies them: raised to the
// minimum, then lowered to the maximum (the max width only when it is 0 or more).
int ClampWidth(const LayoutItem& item, int width);
int ClampHeight(const LayoutItem& item, int height);

// Float placement of item index in rect, by its own alignment and margin. Returns the placed size;
// (0, 0), and nothing placed, for an invisible item.
SIZE PlaceFloat(const LayoutItem& item, size_t index, LayoutSizer& sizer, const RECT& rect,
                ItemPlacement* placement);

// The plain layout: every visible item floats in the whole rectangle. Returns the largest width
// and height placed. placements gets one entry per item.
SIZE ArrangeOverlay(const std::vector<LayoutItem>& items, LayoutSizer& sizer, const RECT& rect,
                    std::vector<ItemPlacement>* placements);
// Starts at (-9999, -9999); the largest clamped estimate plus margins; then the padding.
SIZE EstimateOverlay(const std::vector<LayoutItem>& items, LayoutSizer& sizer, SIZE available,
                     const RECT& padding);

// The vertical (or horizontal) layout: items stacked along the axis with childMargin between
// them, stretch items sharing what is left. Returns (largest placed width, stacked height) for
// the vertical axis, (stacked width, largest placed height) for the horizontal one.
SIZE ArrangeStack(LayoutAxis axis, const std::vector<LayoutItem>& items, LayoutSizer& sizer,
                  const RECT& rect, int childMargin, std::vector<ItemPlacement>* placements);
// Sum along the axis, largest across it, margins included, plus the gaps and the padding.
SIZE EstimateStack(LayoutAxis axis, const std::vector<LayoutItem>& items, LayoutSizer& sizer,
                   SIZE available, int childMargin, const RECT& padding);

// How many columns a tile layout has in width: width / itemWidth when itemWidth is above 0, else
// columns; never below 1.
int TileColumns(int width, int itemWidth, int columns);
// The tile layout: items in rows of cells across the rectangle. A stretch side fills the item's
// space in its cell, and is empty (never negative) where margins leave none. Returns (rect width,
// height of the rows).
SIZE ArrangeTiles(const std::vector<LayoutItem>& items, LayoutSizer& sizer, const RECT& rect,
                  int childMargin, int itemWidth, int columns,
                  std::vector<ItemPlacement>* placements);
// (ownerFixedWidth, rows of the first item's fixed height with the gaps, plus vertical padding).
// As in the arrangement, a float takes no cell.
SIZE EstimateTiles(const std::vector<LayoutItem>& items, int ownerFixedWidth,
                   int firstItemFixedHeight, int childMargin, int itemWidth, int columns,
                   const RECT& padding);

}  // namespace ui

#endif  // UI_CORE_LAYOUT_ARITHMETIC_H_
