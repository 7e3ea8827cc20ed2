// The layout arithmetic on its own: items, sizes and rectangles in, rectangles out. Grouped by
// layout: vertical stacks, horizontal stacks, tiles, float placement and the plain layout.
#include <gtest/gtest.h>

#include <vector>

#include "ui/core/layout_arithmetic.h"

namespace {

using ui::ItemPlacement;
using ui::LayoutAxis;
using ui::LayoutItem;

constexpr int S = ui::kSizeStretch;

std::vector<LayoutItem> Items(size_t count) { return std::vector<LayoutItem>(count); }

int HeightOf(const ItemPlacement& p) { return p.rect.bottom - p.rect.top; }
int WidthOf(const ItemPlacement& p) { return p.rect.right - p.rect.left; }

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Records the space each estimate was offered, per item.
class RecordingSizer : public ui::LayoutSizer {
 public:
  explicit RecordingSizer(std::vector<SIZE> sizes) : sizes_(std::move(sizes)) {}
  SIZE Estimate(size_t index, SIZE available) override {
    offered.push_back(available);
    return sizes_.at(index);
  }
  SIZE EstimateAtWidth(size_t index, int width, SIZE available) override {
    atWidth.push_back(width);
    return SIZE{width, sizes_.at(index).cy * 2};  // Wrapped: narrower and taller.
  }
  std::vector<SIZE> offered;
  std::vector<int> atWidth;

 private:
  std::vector<SIZE> sizes_;
};

// ---------------------------------------------------------------------------------------------
// Vertical stack

TEST(VerticalStackTest, StretchChildrenShareTheRestAndTheFirstGetTheLeftOverPixels) {
  ui::FixedSizer sizer({{S, S}, {S, S}, {S, S}});
  std::vector<ItemPlacement> placed;
  const SIZE size = ui::ArrangeStack(LayoutAxis::kVertical, Items(3), sizer, RECT{0, 0, 50, 101},
                                     0, &placed);
  EXPECT_EQ(HeightOf(placed[0]), 34);
  EXPECT_EQ(HeightOf(placed[1]), 34);
  EXPECT_EQ(HeightOf(placed[2]), 33);
  EXPECT_EQ(placed[1].rect.top, 34);
  EXPECT_EQ(placed[2].rect.top, 68);
  EXPECT_EQ(WidthOf(placed[0]), 50);  // Stretch across: the whole breadth.
  EXPECT_EQ(size.cy, 101);
  EXPECT_EQ(size.cx, 50);
}

TEST(VerticalStackTest, FixedChildrenKeepTheirSizeAndTheGapsCount) {
  ui::FixedSizer sizer({{20, 10}, {30, 10}});
  std::vector<ItemPlacement> placed;
  const SIZE size = ui::ArrangeStack(LayoutAxis::kVertical, Items(2), sizer, RECT{0, 0, 100, 200},
                                     5, &placed);
  EXPECT_TRUE(Same(placed[0].rect, RECT{0, 0, 20, 10}));
  EXPECT_TRUE(Same(placed[1].rect, RECT{0, 15, 30, 25}));
  EXPECT_EQ(size.cy, 25);
  EXPECT_EQ(size.cx, 30);  // The widest placed child.
}

TEST(VerticalStackTest, AStretchChildWithANegativeShareGetsNothingBeforeItsMinimum) {
  auto items = Items(3);
  items[2].minHeight = 7;
  ui::FixedSizer sizer({{10, 80}, {10, S}, {10, S}});
  std::vector<ItemPlacement> placed;
  ui::ArrangeStack(LayoutAxis::kVertical, items, sizer, RECT{0, 0, 10, 50}, 0, &placed);
  EXPECT_EQ(HeightOf(placed[1]), 0);
  EXPECT_EQ(HeightOf(placed[2]), 7);  // 0, raised to its minimum.
}

TEST(VerticalStackTest, LimitsClampFixedAndStretchChildren) {
  auto items = Items(3);
  items[0].maxHeight = 15;  // Fixed 40, limited to 15.
  items[1].minHeight = 30;  // Stretch share below it.
  items[2].maxWidth = 25;   // Stretch width limited.
  items[2].maxHeight = 5;
  ui::FixedSizer sizer({{10, 40}, {10, S}, {S, S}});
  std::vector<ItemPlacement> placed;
  ui::ArrangeStack(LayoutAxis::kVertical, items, sizer, RECT{0, 0, 100, 55}, 0, &placed);
  EXPECT_EQ(HeightOf(placed[0]), 15);
  // 55 - 15 = 40 for two stretch children: 20 each, then the limits.
  EXPECT_EQ(HeightOf(placed[1]), 30);
  EXPECT_EQ(HeightOf(placed[2]), 5);
  EXPECT_EQ(WidthOf(placed[2]), 25);
  EXPECT_EQ(placed[2].rect.top, 45);
}

TEST(VerticalStackTest, NegativeMaxWidthDoesNotLimitButMaxHeightAlwaysDoes) {
  auto items = Items(1);
  items[0].maxWidth = -1;
  items[0].maxHeight = -1;
  ui::FixedSizer sizer({{S, S}});
  std::vector<ItemPlacement> placed;
  ui::ArrangeStack(LayoutAxis::kVertical, items, sizer, RECT{0, 0, 40, 40}, 0, &placed);
  EXPECT_EQ(WidthOf(placed[0]), 40);
  EXPECT_EQ(HeightOf(placed[0]), -1);  // Lowered to -1; the control's SetPos makes it 0.
}

TEST(VerticalStackTest, MarginsShiftChildrenAndAlignmentPlacesThemAcross) {
  auto items = Items(3);
  items[0].margin = RECT{4, 3, 6, 2};
  items[1].hAlign = ui::kHorAlignCenter;
  items[1].margin = RECT{10, 0, 0, 0};
  items[2].hAlign = ui::kHorAlignRight;
  items[2].margin = RECT{0, 0, 7, 0};
  ui::FixedSizer sizer({{S, 10}, {20, 10}, {20, 10}});
  std::vector<ItemPlacement> placed;
  const SIZE size = ui::ArrangeStack(LayoutAxis::kVertical, items, sizer, RECT{100, 50, 200, 150},
                                     1, &placed);
  EXPECT_TRUE(Same(placed[0].rect, RECT{104, 53, 194, 63}));   // Stretch width less margins.
  EXPECT_TRUE(Same(placed[1].rect, RECT{145, 66, 165, 76}));   // (100 - 20 + 10) / 2 = 45.
  EXPECT_TRUE(Same(placed[2].rect, RECT{173, 77, 193, 87}));   // Right, less its margin.
  EXPECT_EQ(size.cy, 3 + 10 + 2 + 10 + 10 + 2);
}

TEST(VerticalStackTest, PlacementMeasuresEachChildInTheHeightStillFree) {
  auto items = Items(2);
  items[1].margin = RECT{0, 4, 0, 0};
  RecordingSizer sizer({{10, 30}, {10, 10}});
  std::vector<ItemPlacement> placed;
  ui::ArrangeStack(LayoutAxis::kVertical, items, sizer, RECT{0, 0, 80, 100}, 2, &placed);
  // Pass 1 offers the whole rectangle to both; pass 3 what is left below the previous child.
  ASSERT_EQ(sizer.offered.size(), 4u);
  EXPECT_EQ(sizer.offered[2].cy, 100);
  EXPECT_EQ(sizer.offered[3].cy, 100 - 32 - 4);
  EXPECT_EQ(sizer.offered[3].cx, 80);
}

TEST(VerticalStackTest, FloatAndInvisibleChildrenTakeNoPartInTheStack) {
  auto items = Items(4);
  items[1].isFloat = true;
  items[1].hAlign = ui::kHorAlignRight;
  items[1].vAlign = ui::kVerAlignBottom;
  items[2].visible = false;
  ui::FixedSizer sizer({{10, 10}, {8, 8}, {10, 10}, {10, 10}});
  std::vector<ItemPlacement> placed;
  const SIZE size = ui::ArrangeStack(LayoutAxis::kVertical, items, sizer, RECT{0, 0, 50, 50}, 0,
                                     &placed);
  EXPECT_TRUE(Same(placed[1].rect, RECT{42, 42, 50, 50}));  // In the whole rectangle.
  EXPECT_FALSE(placed[2].placed);
  EXPECT_EQ(placed[3].rect.top, 10);
  EXPECT_EQ(size.cy, 20);
}

TEST(VerticalStackTest, EmptyStackReportsMinusOneGap) {
  std::vector<ItemPlacement> placed;
  ui::FixedSizer sizer({});
  const SIZE size = ui::ArrangeStack(LayoutAxis::kVertical, Items(0), sizer, RECT{0, 0, 10, 10}, 6,
                                     &placed);
  EXPECT_EQ(size.cy, -6);
  EXPECT_EQ(size.cx, 0);
}

TEST(VerticalStackTest, EstimateSumsHeightsTakesTheWidestAndAddsGapsAndPadding) {
  auto items = Items(3);
  items[0].margin = RECT{1, 2, 3, 4};
  items[1].minHeight = 12;
  items[2].isFloat = true;  // Not counted.
  ui::FixedSizer sizer({{20, 10}, {30, 5}, {500, 500}});
  const SIZE size = ui::EstimateStack(LayoutAxis::kVertical, items, sizer, SIZE{100, 100}, 3,
                                      RECT{5, 6, 7, 8});
  EXPECT_EQ(size.cy, (2 + 10 + 4) + 12 + 3 + 6 + 8);
  EXPECT_EQ(size.cx, 30 + 5 + 7);
  const SIZE one = ui::EstimateStack(LayoutAxis::kVertical, Items(1), sizer, SIZE{0, 0}, 3,
                                     RECT{0, 0, 0, 0});
  EXPECT_EQ(one.cy, 10);  // A single child adds no gap.
}

// ---------------------------------------------------------------------------------------------
// Horizontal stack

TEST(HorizontalStackTest, IsTheVerticalStackWithTheAxesExchanged) {
  ui::FixedSizer sizer({{S, S}, {S, S}, {S, S}});
  std::vector<ItemPlacement> placed;
  const SIZE size = ui::ArrangeStack(LayoutAxis::kHorizontal, Items(3), sizer,
                                     RECT{10, 0, 111, 30}, 0, &placed);
  EXPECT_EQ(WidthOf(placed[0]), 34);
  EXPECT_EQ(WidthOf(placed[2]), 33);
  EXPECT_EQ(placed[1].rect.left, 44);
  EXPECT_EQ(HeightOf(placed[0]), 30);
  EXPECT_EQ(size.cx, 101);
  EXPECT_EQ(size.cy, 30);
}

TEST(HorizontalStackTest, VerticalAlignmentAndMarginsAndMixedChildren) {
  auto items = Items(3);
  items[0].vAlign = ui::kVerAlignCenter;
  items[1].vAlign = ui::kVerAlignBottom;
  items[1].margin = RECT{2, 0, 3, 4};
  items[2].maxWidth = 12;  // Stretch, limited.
  ui::FixedSizer sizer({{20, 10}, {15, 6}, {S, S}});
  std::vector<ItemPlacement> placed;
  const SIZE size = ui::ArrangeStack(LayoutAxis::kHorizontal, items, sizer, RECT{0, 0, 100, 40},
                                     5, &placed);
  EXPECT_TRUE(Same(placed[0].rect, RECT{0, 15, 20, 25}));
  EXPECT_TRUE(Same(placed[1].rect, RECT{27, 30, 42, 36}));
  EXPECT_TRUE(Same(placed[2].rect, RECT{50, 0, 62, 40}));
  EXPECT_EQ(size.cx, 20 + (2 + 15 + 3) + 12 + 2 * 5);
  EXPECT_EQ(size.cy, 40);
}

TEST(HorizontalStackTest, EstimateSumsWidthsAndTakesTheTallest) {
  ui::FixedSizer sizer({{20, 10}, {30, 15}});
  const SIZE size = ui::EstimateStack(LayoutAxis::kHorizontal, Items(2), sizer, SIZE{100, 100}, 4,
                                      RECT{1, 1, 1, 1});
  EXPECT_EQ(size.cx, 20 + 30 + 4 + 2);
  EXPECT_EQ(size.cy, 15 + 2);
}

// ---------------------------------------------------------------------------------------------
// Tiles

TEST(TileTest, CellsShareTheWidthAndTheFirstCellsOfEveryRowGetTheRemainder) {
  ui::FixedSizer sizer(std::vector<SIZE>(6, SIZE{S, 20}));
  std::vector<ItemPlacement> placed;
  const SIZE size = ui::ArrangeTiles(Items(6), sizer, RECT{0, 0, 100, 500}, 0, 0, 3, &placed);
  EXPECT_EQ(WidthOf(placed[0]), 34);
  EXPECT_EQ(WidthOf(placed[1]), 33);
  EXPECT_EQ(WidthOf(placed[2]), 33);
  EXPECT_EQ(placed[2].rect.left, 67);
  EXPECT_EQ(WidthOf(placed[3]), 34);  // Second row starts over.
  EXPECT_EQ(placed[3].rect.left, 0);
  EXPECT_EQ(placed[3].rect.top, 20);
  EXPECT_EQ(size.cx, 100);
  EXPECT_EQ(size.cy, 40);
}

TEST(TileTest, ItemWidthSetsTheColumnsAndZeroColumnsBecomeOne) {
  EXPECT_EQ(ui::TileColumns(100, 30, 7), 3);
  EXPECT_EQ(ui::TileColumns(100, 0, 7), 7);
  EXPECT_EQ(ui::TileColumns(100, 0, 0), 1);
  EXPECT_EQ(ui::TileColumns(20, 30, 7), 1);
  EXPECT_EQ(ui::TileColumns(-50, 0, -3), 1);
}

TEST(TileTest, RowsAreAsHighAsTheirTallestAndChildrenAreCentredInTheirCells) {
  auto items = Items(3);
  items[1].margin = RECT{0, 4, 0, 2};
  ui::FixedSizer sizer({{10, 10}, {10, 20}, {10, 6}});
  std::vector<ItemPlacement> placed;
  const SIZE size = ui::ArrangeTiles(items, sizer, RECT{0, 0, 60, 100}, 4, 0, 2, &placed);
  // Row 1: the second child is 20 + 4 + 2 high; cells are 30 wide, less 2 on each side.
  EXPECT_TRUE(Same(placed[0].rect, RECT{10, 8, 20, 18}));   // Centred in 0 + 26 high.
  EXPECT_TRUE(Same(placed[1].rect, RECT{40, 5, 50, 25}));   // Centred between 0 + 4 and 26.
  // Row 2 starts after the row and the gap.
  EXPECT_TRUE(Same(placed[2].rect, RECT{10, 30, 20, 36}));
  EXPECT_EQ(size.cy, 36);
}

TEST(TileTest, StretchChildrenFillTheirCellAndFloatsTakeNoCell) {
  auto items = Items(3);
  items[1].isFloat = true;
  ui::FixedSizer sizer({{S, 10}, {5, 5}, {S, S}});
  std::vector<ItemPlacement> placed;
  ui::ArrangeTiles(items, sizer, RECT{0, 0, 40, 40}, 0, 0, 2, &placed);
  EXPECT_TRUE(Same(placed[0].rect, RECT{0, 0, 20, 10}));
  EXPECT_TRUE(Same(placed[1].rect, RECT{0, 0, 5, 5}));
  EXPECT_TRUE(Same(placed[2].rect, RECT{20, 0, 40, 10}));  // The row's height.
}

TEST(TileTest, StretchTilesWithMarginsWiderOrTallerThanTheirSpaceComeOutEmpty) {
  auto items = Items(2);
  items[0].margin = RECT{0, 5, 0, 0};    // Stretch height, alone in its row.
  items[1].margin = RECT{25, 0, 25, 0};  // Stretch width, in a cell 40 wide.
  ui::FixedSizer sizer({{10, S}, {S, 10}});
  std::vector<ItemPlacement> placed;
  ui::ArrangeTiles(items, sizer, RECT{0, 0, 40, 100}, 0, 0, 1, &placed);
  EXPECT_EQ(HeightOf(placed[0]), 0);
  EXPECT_EQ(WidthOf(placed[1]), 0);
  EXPECT_EQ(placed[1].rect.top, 5) << "below the first row, as high as its margin";
}

TEST(TileTest, EstimateCountsRowsOfTheFirstChildsHeight) {
  auto items = Items(5);
  items[4].visible = false;
  const SIZE size = ui::EstimateTiles(items, 300, 40, 10, 100, 1, RECT{0, 3, 0, 4});
  EXPECT_EQ(size.cx, 300);
  EXPECT_EQ(size.cy, (2 - 1) * 10 + 2 * 40 + 7);  // 4 visible in 3 columns: 2 rows.
  EXPECT_EQ(ui::EstimateTiles(Items(0), 300, 40, 10, 100, 1, RECT{0, 3, 0, 4}).cy, 0);
  // A float takes no cell here either: 3 cells are 1 row.
  items[0].isFloat = true;
  EXPECT_EQ(ui::EstimateTiles(items, 300, 40, 10, 100, 1, RECT{0, 3, 0, 4}).cy, 40 + 7);
}

// ---------------------------------------------------------------------------------------------
// Float placement and the plain layout

TEST(FloatTest, AlignsInTheSpaceLessMarginsAndStretchesWhereAsked) {
  LayoutItem item;
  item.margin = RECT{5, 6, 7, 8};
  item.hAlign = ui::kHorAlignCenter;
  item.vAlign = ui::kVerAlignBottom;
  ui::FixedSizer sizer({{20, 10}});
  ItemPlacement placement;
  const SIZE size = ui::PlaceFloat(item, 0, sizer, RECT{0, 0, 100, 100}, &placement);
  EXPECT_TRUE(Same(placement.rect, RECT{5 + 34, 82, 5 + 34 + 20, 92}));
  EXPECT_EQ(size.cx, 20);

  ui::FixedSizer stretch({{S, S}});
  item.minWidth = 200;
  item.maxWidth = 150;  // Raised to the minimum, then lowered to the maximum.
  ui::PlaceFloat(item, 0, stretch, RECT{0, 0, 100, 100}, &placement);
  EXPECT_EQ(WidthOf(placement), 150);
  EXPECT_EQ(HeightOf(placement), 86);
}

TEST(FloatTest, AnInvisibleItemIsNotPlacedAndATooWideSelfSizingItemIsMeasuredAgain) {
  LayoutItem hidden;
  hidden.visible = false;
  ui::FixedSizer sizer({{20, 10}});
  ItemPlacement placement;
  const SIZE none = ui::PlaceFloat(hidden, 0, sizer, RECT{0, 0, 100, 100}, &placement);
  EXPECT_FALSE(placement.placed);
  EXPECT_EQ(none.cx, 0);

  LayoutItem wrapping;
  wrapping.wrapsToWidth = true;
  wrapping.maxWidth = S;
  RecordingSizer wide({{300, 12}});
  ui::PlaceFloat(wrapping, 0, wide, RECT{0, 0, 100, 100}, &placement);
  ASSERT_EQ(wide.atWidth.size(), 1u);
  EXPECT_EQ(wide.atWidth[0], 100);
  EXPECT_TRUE(Same(placement.rect, RECT{0, 0, 100, 24}));
}

TEST(OverlayTest, EveryChildFloatsInTheWholeRectangle) {
  auto items = Items(2);
  items[1].hAlign = ui::kHorAlignRight;
  ui::FixedSizer sizer({{30, 10}, {20, 40}});
  std::vector<ItemPlacement> placed;
  const SIZE size = ui::ArrangeOverlay(items, sizer, RECT{0, 0, 100, 100}, &placed);
  EXPECT_TRUE(Same(placed[0].rect, RECT{0, 0, 30, 10}));
  EXPECT_TRUE(Same(placed[1].rect, RECT{80, 0, 100, 40}));
  EXPECT_EQ(size.cx, 30);
  EXPECT_EQ(size.cy, 40);
}

TEST(OverlayTest, EstimateIsTheLargestChildPlusPaddingAndStartsFarBelowZero) {
  auto items = Items(2);
  items[0].margin = RECT{1, 1, 1, 1};
  ui::FixedSizer sizer({{30, 10}, {20, 40}});
  const SIZE size = ui::EstimateOverlay(items, sizer, SIZE{100, 100}, RECT{2, 3, 4, 5});
  EXPECT_EQ(size.cx, 32 + 6);
  EXPECT_EQ(size.cy, 40 + 8);
  const SIZE empty = ui::EstimateOverlay(Items(0), sizer, SIZE{100, 100}, RECT{2, 3, 4, 5});
  EXPECT_EQ(empty.cx, -9999 + 6);
  EXPECT_EQ(empty.cy, -9999 + 8);
}

}  // namespace
