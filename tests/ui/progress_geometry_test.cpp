// Progress geometry as numbers: range repair, bar fills, slider thumbs and the values of points,
// the ring's square and arc, and the modify strings the images are drawn with.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "ui/controls/progress_geometry.h"

namespace {

using ui::ProgressRange;

TEST(ProgressGeometryTest, RepairGivesAnEmptyRangeOneUnitAndPullsTheValueIn) {
  ProgressRange empty = ui::RepairProgressRange(ProgressRange{10, 10, 10.0});
  EXPECT_EQ(empty.min, 10);
  EXPECT_EQ(empty.max, 11);
  ProgressRange inverted = ui::RepairProgressRange(ProgressRange{10, 3, 0.0});
  EXPECT_EQ(inverted.max, 11);
  EXPECT_EQ(inverted.value, 10.0);  // Below the minimum.
  EXPECT_EQ(ui::RepairProgressRange(ProgressRange{0, 100, 150.0}).value, 100.0);
  EXPECT_EQ(ui::RepairProgressRange(ProgressRange{0, 100, 37.5}).value, 37.5);

  // At the top of int the minimum steps down instead of the maximum overflowing.
  ProgressRange top = ui::RepairProgressRange(ProgressRange{INT_MAX, INT_MAX, 0.0});
  EXPECT_EQ(top.min, INT_MAX - 1);
  EXPECT_EQ(top.max, INT_MAX);
  EXPECT_EQ(top.value, static_cast<double>(INT_MAX - 1));
  EXPECT_EQ(ui::RepairProgressRange(ProgressRange{5, 9, std::nan("")}).value, 5.0);
}

TEST(ProgressGeometryTest, BarsFillInProportionFromTheLeftOrFromTheBottom) {
  const RECT horizontal = ui::ProgressFillRect(true, SIZE{200, 12}, ProgressRange{0, 100, 25});
  EXPECT_EQ(horizontal.left, 0);
  EXPECT_EQ(horizontal.right, 50);
  EXPECT_EQ(horizontal.bottom, 12);
  const RECT vertical = ui::ProgressFillRect(false, SIZE{20, 100}, ProgressRange{0, 100, 25});
  EXPECT_EQ(vertical.top, 75);
  EXPECT_EQ(vertical.bottom, 100);
  EXPECT_EQ(vertical.right, 20);
  EXPECT_EQ(ui::ProgressFillRect(true, SIZE{200, 12}, ProgressRange{0, 3, 1}).right, 66);  // Truncated.

  // A range that was not repaired divides by one unit, never by zero; a huge value is held.
  EXPECT_EQ(ui::ProgressFillRect(true, SIZE{200, 12}, ProgressRange{10, 10, 10}).right, 0);
  EXPECT_EQ(ui::ProgressFillRect(false, SIZE{20, 100}, ProgressRange{7, 7, 7}).top, 0);
  EXPECT_EQ(ui::ProgressFillRect(true, SIZE{200, 12}, ProgressRange{0, 1, 1e300}).right, INT_MAX);
}

TEST(ProgressGeometryTest, TheSliderThumbRunsFromEndToEndAndTheFillReachesItsMiddle) {
  // 110 wide at L = 0, thumb 10 x 10, range 0 to 100, value 50.
  const RECT position = {0, 0, 110, 20};
  const SIZE thumb = {10, 10};
  const RECT middle = ui::SliderThumbRect(true, position, thumb, ProgressRange{0, 100, 50});
  EXPECT_EQ(middle.left, 50);
  EXPECT_EQ(middle.right, 60);
  EXPECT_EQ(middle.top, 5);
  EXPECT_EQ(middle.bottom, 15);
  EXPECT_EQ(ui::SliderFillRect(true, SIZE{110, 20}, thumb, ProgressRange{0, 100, 50}).right, 55);
  EXPECT_EQ(ui::SliderThumbRect(true, position, thumb, ProgressRange{0, 100, 0}).left, 0);
  EXPECT_EQ(ui::SliderThumbRect(true, position, thumb, ProgressRange{0, 100, 100}).right, 110);

  // Offset controls: the thumb is in window coordinates.
  const RECT moved = ui::SliderThumbRect(true, RECT{30, 40, 140, 60}, thumb, ProgressRange{0, 100, 50});
  EXPECT_EQ(moved.left, 80);
  EXPECT_EQ(moved.top, 45);

  // Vertical: min at the bottom, max at the top, centred across.
  const RECT column = {10, 0, 30, 110};
  const RECT bottom = ui::SliderThumbRect(false, column, thumb, ProgressRange{0, 100, 0});
  EXPECT_EQ(bottom.bottom, 110);
  EXPECT_EQ(bottom.left, 15);
  EXPECT_EQ(ui::SliderThumbRect(false, column, thumb, ProgressRange{0, 100, 100}).top, 0);
  EXPECT_EQ(ui::SliderThumbRect(false, column, thumb, ProgressRange{0, 100, 50}).top, 50);
  EXPECT_EQ(ui::SliderFillRect(false, SIZE{20, 110}, thumb, ProgressRange{0, 100, 100}).top, 5);
}

TEST(ProgressGeometryTest, APointOnTheSliderGivesItsValue) {
  const RECT position = {0, 0, 110, 20};
  const SIZE thumb = {10, 10};
  const ProgressRange range{0, 100, 0};
  auto at = [&](int x) { return ui::SliderValueAt(true, position, thumb, range, POINT{x, 10}); };
  EXPECT_EQ(at(105), 100.0);
  EXPECT_EQ(at(500), 100.0);
  EXPECT_EQ(at(5), 0.0);
  EXPECT_EQ(at(-40), 0.0);
  EXPECT_EQ(at(55), 50.0);
  EXPECT_DOUBLE_EQ(at(6), 1.0);

  const RECT column = {0, 0, 20, 110};
  auto atY = [&](int y) { return ui::SliderValueAt(false, column, thumb, range, POINT{10, y}); };
  EXPECT_EQ(atY(0), 100.0);
  EXPECT_EQ(atY(110), 0.0);
  EXPECT_EQ(atY(55), 50.0);

  // A wide slider over a large range: the product does not overflow 32 bits.
  const ProgressRange large{0, 100000000, 0};
  EXPECT_DOUBLE_EQ(ui::SliderValueAt(true, RECT{0, 0, 1010, 20}, thumb, large, POINT{505, 0}),
                   50000000.0);
  const ProgressRange wide{INT_MIN, INT_MAX, 0};
  EXPECT_NEAR(ui::SliderValueAt(true, RECT{0, 0, 1010, 20}, thumb, wide, POINT{505, 0}), 0.0, 1.0);
}

TEST(ProgressGeometryTest, SlidersWithoutRoomForTheThumbStayFinite) {
  const ProgressRange range{0, 100, 50};
  for (const SIZE thumb : {SIZE{0, 0}, SIZE{10, 10}, SIZE{11, 11}, SIZE{400, 400}}) {
    for (const RECT position : {RECT{0, 0, 0, 0}, RECT{5, 5, 15, 15}, RECT{5, 5, 16, 16}}) {
      for (int p = -2; p < 20; ++p) {
        for (const bool horizontal : {true, false}) {
          const double value =
              ui::SliderValueAt(horizontal, position, thumb, range, POINT{p, p});
          EXPECT_TRUE(std::isfinite(value));
          EXPECT_GE(value, 0.0);
          EXPECT_LE(value, 100.0);
        }
      }
      const RECT rect = ui::SliderThumbRect(true, position, thumb, ProgressRange{3, 3, 3});
      EXPECT_EQ(rect.right - rect.left, thumb.cx);
    }
  }
}

TEST(ProgressGeometryTest, TheRingLiesInTheCentredSquareAndItsArcSweepsWithTheValue) {
  // 100 x 60 at (0, 0), pen 4, no indicator: arc rectangle (23, 3, 54, 54).
  const ui::RingGeometry ring = ui::ComputeRingGeometry(RECT{0, 0, 100, 60}, 4);
  EXPECT_EQ(ring.center.x, 50);
  EXPECT_EQ(ring.center.y, 30);
  EXPECT_EQ(ring.side, 60);
  EXPECT_EQ(ring.corner.x, 20);
  EXPECT_EQ(ring.corner.y, 0);
  EXPECT_FLOAT_EQ(ring.arcX, 23.0f);
  EXPECT_FLOAT_EQ(ring.arcY, 3.0f);
  EXPECT_FLOAT_EQ(ring.arcSize, 54.0f);
  const ui::RingGeometry moved = ui::ComputeRingGeometry(RECT{10, 20, 110, 80}, 5);
  EXPECT_FLOAT_EQ(moved.arcX, 33.5f);
  EXPECT_FLOAT_EQ(moved.arcY, 23.5f);
  EXPECT_FLOAT_EQ(moved.arcSize, 53.0f);
  // Too small for the inset: no room for an arc.
  EXPECT_LE(ui::ComputeRingGeometry(RECT{0, 0, 4, 4}, 4).arcSize, 0.0f);
  EXPECT_EQ(ui::ComputeRingGeometry(RECT{0, 0, 0, 0}, 1).side, 0);

  EXPECT_FLOAT_EQ(ui::RingSweepAngle(ProgressRange{0, 100, 0}, true), 0.0f);
  EXPECT_FLOAT_EQ(ui::RingSweepAngle(ProgressRange{0, 100, 100}, true), 360.0f);
  EXPECT_FLOAT_EQ(ui::RingSweepAngle(ProgressRange{0, 100, 25}, false), -90.0f);
  EXPECT_FLOAT_EQ(ui::RingSweepAngle(ProgressRange{10, 30, 15}, true), 90.0f);
  EXPECT_TRUE(std::isfinite(ui::RingSweepAngle(ProgressRange{4, 4, 4}, true)));
}

TEST(ProgressGeometryTest, ImagesAreDrawnWithUnscaledDestinationsAndUnderTheFillTheirSource) {
  const RECT fill = {0, 0, 50, 12};
  EXPECT_EQ(ui::ProgressImageModify(fill, true), L"destscale='false' dest='0,0,50,12'");
  EXPECT_EQ(ui::ProgressImageModify(fill, false),
            L"destscale='false' dest='0,0,50,12' source='0,0,50,12'");
  EXPECT_EQ(ui::SliderThumbModify(RECT{50, 5, 60, 15}), L"destscale='false' dest='50,5,60,15'");
  EXPECT_EQ(ui::ProgressImageModify(RECT{INT_MIN, 0, INT_MAX, -1}, false),
            L"destscale='false' dest='-2147483648,0,2147483647,-1' "
            L"source='-2147483648,0,2147483647,-1'");
}

}  // namespace
