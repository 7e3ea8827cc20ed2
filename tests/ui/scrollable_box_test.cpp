// The scrollable box: bars fitted to the content, steps and pages, keys, wheel and touch, smooth
// scrolling and the slide to the end on a clock the test drives, hold-end, scroll-change events,
// hit tests and painting at the scroll position, and the bars' hover and presses.
#include <gtest/gtest.h>

#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/global_manager.h"
#include "ui/core/scrollable_box.h"
#include "ui/core/stack_layout.h"
#include "ui/core/window.h"

namespace {

using ui::Control;
using ui::ScrollableBox;
using ui::ScrollBar;
using uitest::AdvanceClock;

// 200 x 300 at (20, 20), away from the origin: a point of (0, 0) in an event means "none given".
constexpr RECT kBoxRect = {20, 20, 220, 320};

Control* Row(int height, const wchar_t* color = nullptr) {
  auto* row = new Control();
  row->SetFixedHeight(height);
  if (color) row->SetBkColor(color);
  return row;
}

// Counts its activations (a click that ends inside it).
class Clickable : public Control {
 public:
  void Activate() override { ++clicks; }
  int clicks = 0;
};

// A child that is a little shorter every time it is measured: a layout that never settles.
class Shrinking : public Control {
 public:
  SIZE EstimateSize(SIZE) override {
    ++estimates;
    return SIZE{ui::kSizeStretch, height--};
  }
  int height = 2000;
  int estimates = 0;
};

class ScrollableBoxTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::GlobalManager::AddTextColor(L"scroll_red", 0xFFFF0000);
    ui::GlobalManager::AddTextColor(L"scroll_green", 0xFF00FF00);
    ui::GlobalManager::AddTextColor(L"scroll_blue", 0xFF0000FF);
    ui::GlobalManager::AddTextColor(L"scroll_grey", 0xFF808080);
  }

  // Ten rows of 100 in a view of 300: a vertical range of 700.
  void SetUp() override {
    box_ = new ScrollableBox(new ui::VLayout());
    box_->SetAttribute(L"vscrollbar", L"true");
    const wchar_t* colors[] = {L"scroll_red", L"scroll_green", L"scroll_blue"};
    for (int i = 0; i < 10; ++i) box_->Add(Row(100, colors[i % 3]));
    window_.AttachRoot(box_);
    box_->SetPos(kBoxRect);
    box_->AttachEvent(ui::kEventScrollChange, [this](const ui::EventArgs&) {
      ++scroll_events_;
      return true;
    });
  }

  int ScrollY() const { return box_->GetScrollPos().cy; }
  void Key(WORD key) { box_->SendEvent(ui::kEventKeyDown, 0, 0, key, POINT{50, 50}); }
  void Wheel(int delta) {
    box_->SendEvent(ui::kEventScrollWheel, static_cast<WPARAM>(static_cast<INT_PTR>(delta)), 0,
                    0, POINT{50, 50});
  }

  ui::ManualClock clock_;  // Before the window: the box's animations run on it.
  ui::Window window_;
  ScrollableBox* box_ = nullptr;  // Owned by window_.
  int scroll_events_ = 0;
};

TEST_F(ScrollableBoxTest, TheVerticalBarFollowsTheContent) {
  ScrollBar* bar = box_->GetVScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(box_->GetScrollRange().cy, 700);
  EXPECT_EQ(box_->GetScrollRange().cx, 0);
  RECT expected = {204, 20, 220, 320};
  const RECT placed = bar->GetPos();
  EXPECT_TRUE(::EqualRect(&placed, &expected));
  EXPECT_FALSE(bar->IsVisible());  // Auto-hide: it shows while the pointer is over the box.

  box_->PageDown();
  EXPECT_EQ(ScrollY(), 300);
  box_->EndDown(false, false);
  EXPECT_EQ(ScrollY(), 700);
  box_->PageDown();  // Held at the end.
  EXPECT_EQ(ScrollY(), 700);
  box_->HomeUp();
  EXPECT_EQ(ScrollY(), 0);

  // The content grows: so does the range.
  box_->Add(Row(100));
  box_->SetPos(kBoxRect);
  EXPECT_EQ(box_->GetScrollRange().cy, 800);

  // The content shrinks while scrolled to the end: the position comes down with the range, and
  // that is a scroll like any other.
  box_->EndDown(false, false);
  scroll_events_ = 0;
  for (int i = 0; i < 5; ++i) box_->RemoveAt(0);
  box_->SetPos(kBoxRect);
  EXPECT_EQ(box_->GetScrollRange().cy, 300);
  EXPECT_EQ(ScrollY(), 300);
  EXPECT_EQ(scroll_events_, 1);

  // Below the view: no range, position 0, the bar hidden.
  while (box_->GetCount() > 2) box_->RemoveAt(0);
  box_->SetPos(kBoxRect);
  EXPECT_EQ(bar->GetScrollRange(), 0);
  EXPECT_EQ(ScrollY(), 0);
  EXPECT_FALSE(bar->IsVisible());
}

TEST_F(ScrollableBoxTest, AttributesPlaceTheBarsAndDecideWhetherTheyTakeRoom) {
  box_->SetAttribute(L"scrollbarpadding", L"1,2,3,4");
  box_->SetPos(RECT{20, 20, 220, 321});  // A new size fits the bar again.
  const RECT placed = box_->GetVScrollBar()->GetPos();
  const RECT expected = {201, 22, 217, 317};
  EXPECT_TRUE(::EqualRect(&placed, &expected));

  // Floating bars lie over the rows; bars that do not float take their width off them.
  EXPECT_EQ(box_->GetItemAt(0)->GetPos().right, 220);
  box_->SetAttribute(L"scrollbarfloat", L"false");
  box_->SetPos(kBoxRect);
  EXPECT_EQ(box_->GetItemAt(0)->GetPos().right, 204);

  box_->SetAttribute(L"defaultdisplayscrollbar", L"false");
  EXPECT_FALSE(box_->IsDefaultDisplayScrollbar());
  box_->SetAttribute(L"vscrollunit", L"45");
  EXPECT_EQ(box_->GetVerScrollUnit(), 45);

  // "hscrollbarstyle" makes the missing bar and styles it; "vscrollbar" "false" drops the other.
  box_->SetAttribute(L"hscrollbarstyle", L"thumbminlength=\"40\"");
  ASSERT_NE(box_->GetHScrollBar(), nullptr);
  EXPECT_TRUE(box_->GetHScrollBar()->IsHorizontal());
  EXPECT_EQ(box_->GetHScrollBar()->GetThumbMinLength(), 40);
  box_->SetAttribute(L"vscrollbar", L"false");
  EXPECT_EQ(box_->GetVScrollBar(), nullptr);
  EXPECT_NE(box_->GetHScrollBar(), nullptr);
  EXPECT_EQ(box_->GetScrollRange().cy, 0);
}

TEST_F(ScrollableBoxTest, ScrollChangeIsRaisedForEveryMoveAndOnlyThen) {
  box_->SetScrollPosY(0);
  EXPECT_EQ(scroll_events_, 0);
  box_->SetScrollPosY(120);
  EXPECT_EQ(scroll_events_, 1);
  box_->SetScrollPos(box_->GetScrollPos());
  box_->SetScrollPosX(40);  // No horizontal bar: nothing moves.
  box_->LineUp(-1, false);
  EXPECT_EQ(ScrollY(), 90);
  EXPECT_EQ(scroll_events_, 2);
  box_->HomeUp();
  box_->LineUp(-1, false);  // At the top already.
  box_->ScrollUpBy(10);
  EXPECT_EQ(scroll_events_, 3);
}

TEST_F(ScrollableBoxTest, KeysStepLinesAndPagesAndJumpToTheEnds) {
  Key(VK_NEXT);
  EXPECT_EQ(ScrollY(), 300);
  Key(VK_PRIOR);
  EXPECT_EQ(ScrollY(), 0);
  Key(VK_DOWN);  // Smooth: the line arrives over time.
  ASSERT_TRUE(AdvanceClock(clock_, 300));
  EXPECT_EQ(ScrollY(), 30);
  Key(VK_UP);
  ASSERT_TRUE(AdvanceClock(clock_, 300));
  EXPECT_EQ(ScrollY(), 0);

  // End jumps there and slides the whole way in through the render offset.
  Key(VK_END);
  EXPECT_EQ(ScrollY(), 700);
  EXPECT_LT(box_->GetRenderOffset().y, -600);
  ASSERT_TRUE(AdvanceClock(clock_, 300));
  EXPECT_LT(box_->GetRenderOffset().y, 0);
  EXPECT_GT(box_->GetRenderOffset().y, -700);
  ASSERT_TRUE(AdvanceClock(clock_, 400));
  EXPECT_EQ(box_->GetRenderOffset().y, 0);
  Key(VK_HOME);
  EXPECT_EQ(ScrollY(), 0);
}

TEST_F(ScrollableBoxTest, AWheelNotchScrollsOneUnitAndQuickStepsAddUp) {
  Wheel(-120);
  ASSERT_TRUE(AdvanceClock(clock_, 300));
  EXPECT_EQ(ScrollY(), 30);
  Wheel(120);
  ASSERT_TRUE(AdvanceClock(clock_, 300));
  EXPECT_EQ(ScrollY(), 0);

  // A second step while the first runs extends its target.
  box_->LineDown(-1, true);
  ASSERT_TRUE(AdvanceClock(clock_, 16));
  EXPECT_TRUE(box_->IsScrollAnimating());
  box_->LineDown(-1, true);
  ASSERT_TRUE(AdvanceClock(clock_, 400));
  EXPECT_EQ(ScrollY(), 60);
  EXPECT_FALSE(box_->IsScrollAnimating());

  // "vscrollunit" 0 scrolls 20 a notch.
  box_->SetAttribute(L"vscrollunit", L"0");
  Wheel(-120);
  ASSERT_TRUE(AdvanceClock(clock_, 300));
  EXPECT_EQ(ScrollY(), 80);

  // A smooth scroll that would run past the end stops there.
  box_->SetVerScrollUnit(30);
  box_->SetScrollPosY(690);
  box_->LineDown(-1, true);
  ASSERT_TRUE(AdvanceClock(clock_, 300));
  EXPECT_EQ(ScrollY(), 700);
  EXPECT_FALSE(box_->IsScrollAnimating());
}

TEST_F(ScrollableBoxTest, StepsTheCallerGetsWrongStillStepTheRightWay) {
  box_->SetScrollPosY(100);
  box_->LineDown(-7, false);  // Any negative delta is one unit, forward.
  EXPECT_EQ(ScrollY(), 130);
  box_->SetVerScrollUnit(-15);  // No unit: the fallback of 20.
  box_->LineUp(-1, false);
  EXPECT_EQ(ScrollY(), 110);
  box_->LineDown(500, false);
  EXPECT_EQ(ScrollY(), 130);

  // A box smaller than its padding has no page: page keys leave it where it is.
  box_->GetLayout()->SetPadding(RECT{0, 200, 0, 200}, false);
  box_->PageDown();
  box_->PageUp();
  EXPECT_EQ(ScrollY(), 130);
}

TEST_F(ScrollableBoxTest, HoldEndKeepsTheViewAtTheEndWhileContentGrows) {
  box_->SetAttribute(L"holdend", L"true");
  box_->EndDown(false, false);
  box_->Add(Row(100));
  box_->SetPos(kBoxRect);
  EXPECT_EQ(ScrollY(), 800);

  // Not at the end: the position stays.
  box_->SetScrollPosY(100);
  box_->Add(Row(100));
  box_->SetPos(kBoxRect);
  EXPECT_EQ(box_->GetScrollRange().cy, 900);
  EXPECT_EQ(ScrollY(), 100);
}

TEST_F(ScrollableBoxTest, TheContentFollowsATouchDrag) {
  box_->SetScrollPosY(300);
  box_->SendEvent(ui::kEventTouchDown, 0, 0, 0, POINT{100, 150});
  box_->SendEvent(ui::kEventTouchMove, 0, 0, 0, POINT{100, 190});  // 40 down
  EXPECT_EQ(ScrollY(), 260);
  box_->SendEvent(ui::kEventTouchMove, 0, 0, 0, POINT{100, 100});  // 90 up
  EXPECT_EQ(ScrollY(), 350);
  box_->SendEvent(ui::kEventTouchUp, 0, 0, 0, POINT{100, 100});
  box_->SendEvent(ui::kEventTouchMove, 0, 0, 0, POINT{100, 300});  // Not held any more.
  EXPECT_EQ(ScrollY(), 350);
  // A pen drags the same way.
  box_->SendEvent(ui::kEventPointerDown, 0, 0, 0, POINT{100, 150});
  box_->SendEvent(ui::kEventPointerMove, 0, 0, 0, POINT{100, 160});
  box_->SendEvent(ui::kEventPointerUp, 0, 0, 0, POINT{100, 160});
  EXPECT_EQ(ScrollY(), 340);
}

TEST_F(ScrollableBoxTest, ChildrenAreHitAndPaintedAtTheScrollPosition) {
  box_->SetAttribute(L"vscrollbarstyle", L"autohidescroll=\"false\" bkcolor=\"scroll_grey\"");
  ScrollBar* bar = box_->GetVScrollBar();
  bar->SetVisible(true);
  box_->SetScrollPosY(250);

  // Rows are laid out from the box's top (y 20): window y 30 is y 280 of the content, in row 2
  // (220 to 320); window y 100 is y 350, in row 3.
  EXPECT_EQ(window_.FindControlAt(POINT{50, 30}), box_->GetItemAt(2));
  EXPECT_EQ(window_.FindControlAt(POINT{50, 100}), box_->GetItemAt(3));
  EXPECT_EQ(window_.FindControlAt(POINT{210, 100}), bar);  // The bar lies over the content.

  auto canvas = uitest::MakeCanvas(240, 340);
  box_->PaintWithClip(canvas.get(), RECT{0, 0, 240, 340});
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 50, 30), 0x0000FFu);   // Row 2, blue.
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 50, 100), 0xFF0000u);  // Row 3, red.
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 50, 69), 0x0000FFu);
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 50, 70), 0xFF0000u);
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 210, 100), 0x808080u);  // The bar on top.
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 50, 330), 0u);         // Nothing below the box.
  EXPECT_EQ(uitest::CountRgb(canvas.get(), RECT{0, 0, 240, 20}, 0x0000FF), 0);
  uitest::SaveContextPng(canvas.get(), L"scrollable_box_scrolled.png");
}

TEST_F(ScrollableBoxTest, AFloatChildIsHitWhereItIsPaintedOverTheScrolledContent) {
  Control* badge = Row(40, L"scroll_grey");
  badge->SetFixedWidth(40);
  badge->SetFloat(true);
  box_->Add(badge);
  box_->SetPos(kBoxRect);
  box_->SetScrollPosY(250);

  const POINT onBadge = {30, 30};
  EXPECT_EQ(window_.FindControlAt(onBadge), badge);
  EXPECT_TRUE(badge->IsPointInside(onBadge));
  auto canvas = uitest::MakeCanvas(240, 340);
  box_->PaintWithClip(canvas.get(), RECT{0, 0, 240, 340});
  EXPECT_EQ(uitest::RgbAt(canvas.get(), onBadge.x, onBadge.y), 0x808080u);
}

TEST_F(ScrollableBoxTest, AClickInABoxScrolledInsideAScrolledBoxActivatesWhatItHits) {
  // Outer content: a row 0 to 200, the inner box 200 to 400, a row 400 to 800 (range 500).
  // Inner content: a row 0 to 150, the button 150 to 250, a row 250 to 350 (range 150).
  auto* outer = new ScrollableBox(new ui::VLayout());
  outer->SetAttribute(L"vscrollbar", L"true");
  auto* inner = new ScrollableBox(new ui::VLayout());
  inner->SetAttribute(L"vscrollbar", L"true");
  inner->SetFixedHeight(200);
  auto* button = new Clickable();
  button->SetFixedHeight(100);
  inner->Add(Row(150));
  inner->Add(button);
  inner->Add(Row(100));
  outer->Add(Row(200));
  outer->Add(inner);
  outer->Add(Row(400));
  window_.AttachRoot(outer);
  outer->SetPos(kBoxRect);
  outer->SetScrollPosY(200);
  inner->SetScrollPosY(150);

  const POINT onButton = {50, 70};  // The button shows from window y 20 to 120.
  ASSERT_EQ(window_.FindControlAt(onButton), button);
  button->SendEvent(ui::kEventButtonDown, 0, 0, 0, onButton);
  button->SendEvent(ui::kEventButtonUp, 0, 0, 0, onButton);
  EXPECT_EQ(button->clicks, 1);
}

TEST_F(ScrollableBoxTest, MovingAControlInAContainerOfTheContentRepaintsWhereItShows) {
  window_.Init(uitest::MakeTestWindow());
  auto* container = new ui::VBox();
  container->SetFixedHeight(100);
  Control* moved = Row(40);
  container->Add(moved);
  box_->AddAt(container, 3);  // Content y 300 to 400.
  box_->SetPos(kBoxRect);
  box_->SetScrollPosY(300);  // The container shows at the top of the box.
  uitest::TakeUpdateRegion(window_.GetHWND());

  moved->SetPos(RECT{20, 340, 220, 380});
  EXPECT_TRUE(uitest::TakeUpdateRegion(window_.GetHWND()));
}

TEST_F(ScrollableBoxTest, AChildThatRemovesTheBoxWhileItsBarIsFittedLeavesTheBoxAlone) {
  auto* root = new ui::VBox();
  root->SetDelayedDestroy(false);
  auto* box = new uitest::KeptOnDelete<ScrollableBox>(new ui::VLayout());
  box->SetAttribute(L"vscrollbar", L"true");
  box->SetAttribute(L"scrollbarfloat", L"false");  // The bar takes its width off the rows.
  Control* row = Row(1000);
  box->Add(row);
  root->Add(box);
  window_.AttachRoot(root);
  int moves = 0;
  row->AttachEvent(ui::kEventPositionChange, [&](const ui::EventArgs&) {
    if (++moves == 2) root->Remove(box);  // Narrowed for the bar that just appeared.
    return true;
  });
  box->SetPos(kBoxRect);
  EXPECT_EQ(moves, 2);
  EXPECT_EQ(root->GetCount(), 0);
  EXPECT_TRUE(uitest::DeletedObjectsUntouched());
}

TEST_F(ScrollableBoxTest, WideContentScrollsHorizontallyWithTheSameKeys) {
  auto* row = new ScrollableBox(new ui::HLayout());
  row->SetAttribute(L"hscrollbar", L"true");
  for (int i = 0; i < 5; ++i) {
    Control* cell = Row(50);
    cell->SetFixedWidth(100);
    row->Add(cell);
  }
  window_.AttachRoot(row);
  row->SetPos(kBoxRect);
  EXPECT_EQ(row->GetScrollRange().cx, 300);
  EXPECT_EQ(row->GetScrollRange().cy, 0);
  RECT expected = {20, 304, 220, 320};
  const RECT placed = row->GetHScrollBar()->GetPos();
  EXPECT_TRUE(::EqualRect(&placed, &expected));

  row->SendEvent(ui::kEventKeyDown, 0, 0, VK_NEXT, POINT{50, 50});
  EXPECT_EQ(row->GetScrollPos().cx, 200);
  row->SendEvent(ui::kEventKeyDown, 0, 0, VK_END, POINT{50, 50});
  EXPECT_EQ(row->GetScrollPos().cx, 300);
  row->SendEvent(ui::kEventScrollWheel, 120, 0, 0, POINT{50, 50});
  EXPECT_EQ(row->GetScrollPos().cx, 270);
  row->SendEvent(ui::kEventKeyDown, 0, 0, VK_HOME, POINT{50, 50});
  EXPECT_EQ(row->GetScrollPos().cx, 0);
  // Children are hit 100 further along per 100 scrolled.
  row->SetScrollPosX(100);
  EXPECT_EQ(window_.FindControlAt(POINT{30, 40}), row->GetItemAt(1));

  // The bar itself does not scroll with the content: its button 1 (x 20 to 36) steps a line.
  ScrollBar* bar = row->GetHScrollBar();
  bar->SendEvent(ui::kEventButtonDown, 0, 0, 0, POINT{28, 312});
  EXPECT_EQ(bar->GetButton1State(), ui::kControlStatePushed);
  EXPECT_EQ(row->GetScrollPos().cx, 70);
  bar->SendEvent(ui::kEventButtonUp, 0, 0, 0, POINT{28, 312});
  EXPECT_EQ(bar->GetState(), ui::kControlStateHot);  // Let go over the bar.
}

TEST_F(ScrollableBoxTest, AutoHideBarsShowWhileThePointerIsOverTheBox) {
  ScrollBar* bar = box_->GetVScrollBar();
  box_->SendEvent(ui::kEventMouseEnter, 0, 0, 0, POINT{100, 100});
  EXPECT_TRUE(bar->IsVisible());
  // Onto the bar, which lies inside the box: it stays.
  box_->SendEvent(ui::kEventMouseLeave, 0, 0, 0, POINT{210, 100});
  EXPECT_TRUE(bar->IsVisible());
  box_->SendEvent(ui::kEventMouseEnter, 0, 0, 0, POINT{100, 100});
  box_->SendEvent(ui::kEventMouseLeave, 0, 0, 0, POINT{400, 100});
  EXPECT_FALSE(bar->IsVisible());
}

TEST_F(ScrollableBoxTest, TheBarsButtonsAndThumbScrollTheBox) {
  box_->SetAttribute(L"vscrollbarstyle", L"autohidescroll=\"false\"");
  ScrollBar* bar = box_->GetVScrollBar();
  bar->SetVisible(true);
  box_->SetPos(kBoxRect);
  // Bar 16 x 300 at x 204, range 700: thumb (300 - 32) x 300 / 1000 = 80 long, track 188.
  ASSERT_EQ(bar->GetThumbRect().bottom - bar->GetThumbRect().top, 80);

  bar->SendEvent(ui::kEventButtonDown, 0, 0, 0, POINT{212, 310});  // Button 2: a smooth line.
  bar->SendEvent(ui::kEventButtonUp, 0, 0, 0, POINT{212, 310});
  ASSERT_TRUE(AdvanceClock(clock_, 300));
  EXPECT_EQ(ScrollY(), 30);
  bar->SendEvent(ui::kEventButtonDown, 0, 0, 0, POINT{212, 250});  // The rail: a page.
  bar->SendEvent(ui::kEventButtonUp, 0, 0, 0, POINT{212, 250});
  EXPECT_EQ(ScrollY(), 330);

  box_->HomeUp();
  const POINT grip = {212, 50};
  bar->SendEvent(ui::kEventButtonDown, 0, 0, 0, grip);
  bar->SendEvent(ui::kEventMouseMove, 0, 0, 0, POINT{212, 50 + 94});
  ASSERT_TRUE(AdvanceClock(clock_, 50, 10));
  EXPECT_EQ(ScrollY(), 350);
  EXPECT_EQ(box_->GetScrollPos().cx, 0);
  bar->SendEvent(ui::kEventButtonUp, 0, 0, 0, POINT{212, 144});

  // The wheel over the bar scrolls the box.
  bar->SendEvent(ui::kEventScrollWheel, static_cast<WPARAM>(static_cast<INT_PTR>(-120)), 0, 0,
                 POINT{212, 144});
  ASSERT_TRUE(AdvanceClock(clock_, 300));
  EXPECT_EQ(ScrollY(), 380);
}

TEST_F(ScrollableBoxTest, ALayoutThatNeverSettlesStillEnds) {
  auto* box = new ScrollableBox(new ui::VLayout());
  box->SetAttribute(L"vscrollbar", L"true");
  auto* child = new Shrinking();
  box->Add(child);
  window_.AttachRoot(box);
  box->SetPos(kBoxRect);
  box->EndDown(false, false);
  // At the end, every layout lowers the range below the position, which lays out again.
  child->estimates = 0;
  box->SetPos(kBoxRect);
  EXPECT_LT(child->estimates, 40);
  EXPECT_EQ(box->GetScrollPos().cy, box->GetScrollRange().cy);
}

TEST_F(ScrollableBoxTest, AnimationsEndQuietlyWithTheBox) {
  box_->LineDown(-1, true);
  box_->EndDown(false, true);
  window_.AttachRoot(nullptr);  // The box goes with the next clean-up (the window has none).
  auto* other = new ScrollableBox();
  window_.AttachRoot(other);
  ASSERT_TRUE(window_.HandleMessage(ui::Window::kDelayedCleanupMessage, 0, 0) == 0);
  EXPECT_TRUE(AdvanceClock(clock_, 800));
}

}  // namespace
