// The arithmetic of scrolling on its own: where a scroll bar's parts go and how far a drag
// scrolls, and the steps, pages and bar fitting of a scrollable box.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>

#include "ui/controls/scroll_bar_geometry.h"
#include "ui/core/scroll_arithmetic.h"

namespace {

using ui::ScrollBarFit;
using ui::ScrollBarParts;

constexpr int64_t kMax64 = std::numeric_limits<int64_t>::max();

void ExpectRect(const RECT& actual, LONG left, LONG top, LONG right, LONG bottom) {
  EXPECT_EQ(actual.left, left);
  EXPECT_EQ(actual.top, top);
  EXPECT_EQ(actual.right, right);
  EXPECT_EQ(actual.bottom, bottom);
}

ScrollBarParts Vertical(const RECT& bar, int64_t range, int64_t position, bool b1 = true,
                        bool b2 = true, int minLength = 30) {
  return ui::LayOutScrollBar(bar, false, 16, b1, b2, range, position, minLength);
}

// ----- Scroll-bar parts ------------------------------------------------------------------------

TEST(ScrollBarGeometryTest, ThumbIsTheVisibleShareOfTheContentAndTravelsWithThePosition) {
  // 16 x 200 with both buttons, range 100: 168 between the buttons, a thumb of 168 x 200 / 300.
  const RECT bar = {10, 20, 26, 220};
  ScrollBarParts parts = Vertical(bar, 100, 50);
  ExpectRect(parts.button1, 10, 20, 26, 36);
  ExpectRect(parts.button2, 10, 204, 26, 220);
  ExpectRect(parts.thumb, 10, 20 + 44, 26, 20 + 44 + 112);  // 16 + 56 x 50 / 100 = 44

  parts = Vertical(bar, 100, 0);
  EXPECT_EQ(parts.thumb.top, parts.button1.bottom);
  parts = Vertical(bar, 100, 100);
  EXPECT_EQ(parts.thumb.bottom, parts.button2.top);

  // A long content holds the thumb at its minimum length.
  parts = Vertical(bar, 10000, 0);
  EXPECT_EQ(parts.thumb.bottom - parts.thumb.top, 30);

  // Without range the thumb fills the room between the buttons.
  parts = Vertical(bar, 0, 0);
  ExpectRect(parts.thumb, 10, 36, 26, 204);
}

TEST(ScrollBarGeometryTest, HiddenButtonsGiveTheirRoomToTheThumb) {
  const RECT bar = {0, 0, 16, 200};
  ScrollBarParts parts = Vertical(bar, 100, 0, /*b1=*/false);
  ExpectRect(parts.button1, 0, 0, 0, 0);  // Empty: nothing to press or paint.
  EXPECT_EQ(parts.thumb.top, 0);           // The thumb starts at the very top.
  EXPECT_EQ(parts.thumb.bottom, 184 * 200 / 300);

  parts = Vertical(bar, 100, 100, true, /*b2=*/false);
  ExpectRect(parts.button2, 0, 200, 0, 200);
  EXPECT_EQ(parts.thumb.bottom, 200);
}

TEST(ScrollBarGeometryTest, ABarTooShortForAThumbShrinksItsButtons) {
  // 20 high with both buttons of 16: no thumb, the buttons share the length.
  ScrollBarParts parts = Vertical(RECT{0, 0, 16, 20}, 100, 50);
  ExpectRect(parts.button1, 0, 0, 16, 10);
  ExpectRect(parts.button2, 0, 10, 16, 20);
  ExpectRect(parts.thumb, 0, 0, 0, 0);
  // Long enough for the buttons but not for a thumb: full-size buttons.
  parts = Vertical(RECT{0, 0, 16, 40}, 100, 50);
  EXPECT_EQ(parts.button1.bottom, 16);
  EXPECT_EQ(parts.button2.top, 24);
  ExpectRect(parts.thumb, 0, 0, 0, 0);
}

TEST(ScrollBarGeometryTest, AHorizontalBarIsAVerticalOneOnItsSide) {
  const ScrollBarParts parts =
      ui::LayOutScrollBar(RECT{20, 10, 220, 26}, true, 16, true, true, 100, 50, 30);
  ExpectRect(parts.button1, 20, 10, 36, 26);
  ExpectRect(parts.button2, 204, 10, 220, 26);
  ExpectRect(parts.thumb, 64, 10, 176, 26);
  ExpectRect(ui::RailGripRect(parts.thumb, true, 16), 112, 10, 128, 26);
  ExpectRect(ui::RailGripRect(RECT{0, 44, 16, 156}, false, 16), 0, 92, 16, 108);
}

TEST(ScrollBarGeometryTest, AMinimumLongerThanTheTrackFillsItAndNeverRunsBackward) {
  // 40 between the buttons, minimum 60: the thumb fills the 40 and stays between the buttons.
  const RECT bar = {0, 0, 16, 72};
  for (int64_t position : {0, 50, 100}) {
    const ScrollBarParts parts = Vertical(bar, 100, position, true, true, 60);
    EXPECT_EQ(parts.thumb.top, 16) << position;
    EXPECT_EQ(parts.thumb.bottom, 56) << position;
  }
}

TEST(ScrollBarGeometryTest, HugeRangesAndPositionsStayExact) {
  const RECT bar = {0, 0, 16, 200};
  ScrollBarParts parts = Vertical(bar, kMax64, kMax64);
  EXPECT_EQ(parts.thumb.bottom, 184);
  EXPECT_EQ(parts.thumb.top, 154);
  parts = Vertical(bar, kMax64, kMax64 / 2);
  EXPECT_EQ(parts.thumb.top, 16 + 68);  // (168 - 30) x (2^62 - 1) / (2^63 - 1), truncated
  // Out-of-range positions are held at the ends.
  EXPECT_EQ(Vertical(bar, 100, -5).thumb.top, 16);
  EXPECT_EQ(Vertical(bar, 100, 500).thumb.bottom, 184);
}

TEST(ScrollBarGeometryTest, DraggingHalfTheTrackAsksForHalfTheRange) {
  const RECT bar = {0, 0, 16, 200};
  const ScrollBarParts parts = Vertical(bar, 100, 0);
  const int track = ui::ScrollBarTrackLength(bar, false, 16, true, true, parts.thumb);
  EXPECT_EQ(track, 200 - 112 - 32);
  EXPECT_EQ(ui::ThumbDragDelta(track / 2, 100, track), 50);
  EXPECT_EQ(ui::ThumbDragDelta(-track, 100, track), -100);
  // No track, or less than none: a drag scrolls nothing.
  EXPECT_EQ(ui::ThumbDragDelta(10, 100, 0), 0);
  EXPECT_EQ(ui::ThumbDragDelta(10, 100, -4), 0);
  EXPECT_EQ(ui::ThumbDragDelta(1000, kMax64, 1), kMax64);
}

TEST(ScrollBarGeometryTest, PartImagesFallBackToWhatExists) {
  using ui::PickScrollBarPartImage;
  const bool all[4] = {true, true, true, true};
  const bool normalOnly[4] = {true, false, false, false};
  const bool withHot[4] = {true, true, false, false};
  EXPECT_EQ(PickScrollBarPartImage(ui::kControlStatePushed, all, false), ui::kControlStatePushed);
  EXPECT_EQ(PickScrollBarPartImage(ui::kControlStatePushed, withHot, false), ui::kControlStateHot);
  EXPECT_EQ(PickScrollBarPartImage(ui::kControlStatePushed, normalOnly, false),
            ui::kControlStateNormal);
  EXPECT_EQ(PickScrollBarPartImage(ui::kControlStateDisabled, withHot, false),
            ui::kControlStateNormal);
  EXPECT_EQ(PickScrollBarPartImage(ui::kControlStateDisabled, all, false),
            ui::kControlStateDisabled);
  EXPECT_EQ(PickScrollBarPartImage(ui::kControlStateHot, normalOnly, false),
            ui::kControlStateNormal);
  // While the thumb is dragged, the parts at rest show their hot look.
  EXPECT_EQ(PickScrollBarPartImage(ui::kControlStateNormal, all, true), ui::kControlStateHot);
  EXPECT_EQ(PickScrollBarPartImage(ui::kControlStateNormal, all, false),
            ui::kControlStateNormal);
}

// ----- Scrollable box --------------------------------------------------------------------------

TEST(ScrollArithmeticTest, ALineIsAtMostOneUnitAndAUnitOfZeroActsAsTwenty) {
  EXPECT_EQ(ui::ScrollLineStep(120, 30), 30);  // A wheel notch.
  EXPECT_EQ(ui::ScrollLineStep(-1, 30), 30);
  EXPECT_EQ(ui::ScrollLineStep(12, 30), 12);
  EXPECT_EQ(ui::ScrollLineStep(0, 30), 0);
  EXPECT_EQ(ui::ScrollLineStep(120, 0), 20);
  // Any negative delta is one unit (taken as pixels it would step backward), and a negative unit
  // is no unit at all.
  EXPECT_EQ(ui::ScrollLineStep(-7, 30), 30);
  EXPECT_EQ(ui::ScrollLineStep(-1, -15), 20);
  EXPECT_EQ(ui::ScrollLineStep(120, -15), 20);
}

TEST(ScrollArithmeticTest, APageIsTheViewLessPaddingAndTheBarAcross) {
  EXPECT_EQ(ui::ScrollPageLength(300, 0, 0, 0), 300);
  EXPECT_EQ(ui::ScrollPageLength(300, 10, 5, 16), 269);
  EXPECT_EQ(ui::ScrollPageLength(20, 10, 10, 16), 0);  // Never backward.
}

TEST(ScrollArithmeticTest, QuickSmoothStepsExtendTheRunningTarget) {
  // Two steps of 30 in a row end 60 further on, from wherever the content is now.
  const int first = ui::SmoothScrollEnd(0, false, 0, 30, true);
  EXPECT_EQ(first, 30);
  EXPECT_EQ(ui::SmoothScrollEnd(4, true, first, 30, true), 60);
  // Once it ran out, a step starts from the position.
  EXPECT_EQ(ui::SmoothScrollEnd(45, false, 30, 30, true), 75);
  // Up: the running target is the one furthest up.
  EXPECT_EQ(ui::SmoothScrollEnd(90, true, 70, 30, false), 40);
  // A step the other way does not take over a running target beyond the position.
  EXPECT_EQ(ui::SmoothScrollEnd(90, true, 120, 30, false), 60);
}

TEST(ScrollArithmeticTest, TheEndSlideCoversWhatIsNotShownYet) {
  EXPECT_EQ(ui::EndScrollGap(0, 700, 0, 0), 700);
  EXPECT_EQ(ui::EndScrollGap(0, 700, 0, 700), 0);
  // Halfway through a slide the content shows 300 short of the end.
  EXPECT_EQ(ui::EndScrollGap(0, 700, -300, 700), 300);
}

TEST(ScrollArithmeticTest, BarsAreFittedToTheContent) {
  // Content 1000 high in a view of 300: a bar of range 700 appears.
  ScrollBarFit fit = ui::FitScrollBar(1000, 300, 0, false);
  EXPECT_EQ(fit.action, ScrollBarFit::kShow);
  EXPECT_EQ(fit.range, 700);
  // Laid out again with it: placed, range kept.
  fit = ui::FitScrollBar(1000, 300, 700, true);
  EXPECT_EQ(fit.action, ScrollBarFit::kPlace);
  EXPECT_EQ(fit.range, 700);
  // The content grows or shrinks while the bar stays.
  EXPECT_EQ(ui::FitScrollBar(1200, 300, 700, false).range, 900);
  // It fits again: the bar goes.
  EXPECT_EQ(ui::FitScrollBar(250, 300, 700, false).action, ScrollBarFit::kHide);
  EXPECT_EQ(ui::FitScrollBar(250, 300, 0, false).action, ScrollBarFit::kNone);
  // Sizes at the ends of int do not wrap.
  fit = ui::FitScrollBar(INT_MAX, -10, 0, false);
  EXPECT_EQ(fit.action, ScrollBarFit::kShow);
  EXPECT_EQ(fit.range, INT_MAX);
}

TEST(ScrollArithmeticTest, BarsLieInsideTheBoxLessTheirPadding) {
  const RECT box = {10, 20, 310, 320};
  ExpectRect(ui::VScrollBarRect(box, RECT{0, 0, 0, 0}, 16), 294, 20, 310, 320);
  ExpectRect(ui::VScrollBarRect(box, RECT{1, 2, 3, 4}, 16), 291, 22, 307, 316);
  ExpectRect(ui::HScrollBarRect(box, RECT{1, 2, 3, 4}, 16), 11, 300, 307, 316);
}

}  // namespace
