// The scroll-bar control: range and position, attributes, presses, auto-repeat and thumb drags on
// a clock the test drives, the repeat's end when the capture goes, and its painted parts.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/scroll_bar.h"
#include "ui/core/box.h"
#include "ui/core/timer_manager.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

using ui::ScrollBar;
using uitest::AdvanceClock;

// A vertical bar 16 x 200 at (10, 20): range 100 gives buttons of 16, a thumb of 112 from y 36
// at position 0, and a track of 56.
constexpr RECT kBarRect = {10, 20, 26, 220};
constexpr POINT kButton1 = {18, 25};
constexpr POINT kButton2 = {18, 215};

void Send(ScrollBar* bar, int type, POINT point) { bar->SendEvent(type, 0, 0, 0, point); }

class ScrollBarTest : public ::testing::Test {
 protected:
  void SetUp() override { bar_.SetPos(kBarRect); }

  ui::ManualClock clock_;  // Before the bar: the bar's repeat timer runs on it.
  ScrollBar bar_;
};

TEST_F(ScrollBarTest, RangeAndPositionAreClampedAndARangeOfZeroHidesTheBar) {
  bar_.SetScrollPos(50);
  EXPECT_EQ(bar_.GetThumbRect().top, 20 + 44);
  bar_.SetScrollPos(500);
  EXPECT_EQ(bar_.GetScrollPos(), 100);
  bar_.SetScrollPos(-3);
  EXPECT_EQ(bar_.GetScrollPos(), 0);

  bar_.SetScrollPos(80);
  bar_.SetScrollRange(60);  // The position comes down with the range.
  EXPECT_EQ(bar_.GetScrollPos(), 60);
  bar_.SetScrollRange(0);
  EXPECT_EQ(bar_.GetScrollPos(), 0);
  EXPECT_FALSE(bar_.IsVisible());

  // A range shows a hidden bar only without auto-hide (its owner shows an auto-hide bar).
  bar_.SetScrollRange(40);
  EXPECT_FALSE(bar_.IsVisible());
  bar_.SetScrollRange(0);
  bar_.SetAutoHideScroll(false);
  bar_.SetScrollRange(40);
  EXPECT_TRUE(bar_.IsVisible());
  bar_.SetScrollRange(-5);  // Acts as 0.
  EXPECT_EQ(bar_.GetScrollRange(), 0);
  EXPECT_FALSE(bar_.IsVisible());
}

TEST_F(ScrollBarTest, AttributesSetRangePositionPartsAndImages) {
  bar_.SetAttribute(L"range", L"1000");
  bar_.SetAttribute(L"value", L"250");
  EXPECT_EQ(bar_.GetScrollRange(), 1000);
  EXPECT_EQ(bar_.GetScrollPos(), 250);
  bar_.SetAttribute(L"thumbminlength", L"50");
  EXPECT_EQ(bar_.GetThumbRect().bottom - bar_.GetThumbRect().top, 50);
  bar_.SetAttribute(L"showbutton1", L"false");
  bar_.SetAttribute(L"value", L"0");
  EXPECT_EQ(bar_.GetThumbRect().top, kBarRect.top);  // The thumb starts at the very top.
  const RECT button1 = bar_.GetButton1Rect();
  EXPECT_TRUE(::IsRectEmpty(&button1));

  bar_.SetAttribute(L"linesize", L"12");
  EXPECT_EQ(bar_.GetLineSize(), 12);
  bar_.SetAttribute(L"linesize", L"0");  // A line of nothing, or backward, is refused.
  bar_.SetAttribute(L"linesize", L"-4");
  EXPECT_EQ(bar_.GetLineSize(), 12);
  bar_.SetAttribute(L"autohidescroll", L"false");
  EXPECT_FALSE(bar_.IsAutoHideScroll());

  bar_.SetAttribute(L"thumbhotimage", L"file='thumb_hot.png'");
  bar_.SetAttribute(L"button2disabledimage", L"file='down_off.png'");
  bar_.SetAttribute(L"bknormalimage", L"file='track.png'");
  EXPECT_EQ(bar_.GetPartStateImage(ScrollBar::kPartThumb, ui::kControlStateHot),
            L"file='thumb_hot.png'");
  EXPECT_EQ(bar_.GetPartStateImage(ScrollBar::kPartButton2, ui::kControlStateDisabled),
            L"file='down_off.png'");
  EXPECT_EQ(bar_.GetPartStateImage(ScrollBar::kPartBk, ui::kControlStateNormal),
            L"file='track.png'");
  bar_.SetAttribute(L"name", L"bar");  // Anything else is a control's attribute.
  EXPECT_EQ(bar_.GetName(), L"bar");
}

TEST_F(ScrollBarTest, TurningHorizontalGivesTheBarItsThicknessAcross) {
  ScrollBar bar;
  EXPECT_EQ(bar.GetFixedWidth(), ScrollBar::kDefaultThickness);
  EXPECT_TRUE(bar.IsFloat());
  bar.SetAttribute(L"hor", L"true");
  EXPECT_EQ(bar.GetFixedHeight(), ScrollBar::kDefaultThickness);
  EXPECT_EQ(bar.GetFixedWidth(), 0);
  bar.SetPos(RECT{0, 0, 200, 16});
  EXPECT_EQ(bar.GetButton2Rect().left, 184);
  EXPECT_EQ(bar.GetThumbRect().left, 16);
  bar.SetHorizontal(false);
  EXPECT_EQ(bar.GetFixedWidth(), ScrollBar::kDefaultThickness);
}

TEST_F(ScrollBarTest, HoldingAButtonStepsAtThePressThenEvery50MsFrom300Ms) {
  Send(&bar_, ui::kEventButtonDown, kButton2);
  EXPECT_EQ(bar_.GetScrollPos(), 8);
  EXPECT_EQ(bar_.GetButton2State(), ui::kControlStatePushed);
  ASSERT_TRUE(AdvanceClock(clock_, 290, 10));
  EXPECT_EQ(bar_.GetScrollPos(), 8);
  ASSERT_TRUE(AdvanceClock(clock_, 10, 10));
  EXPECT_EQ(bar_.GetScrollPos(), 16);
  ASSERT_TRUE(AdvanceClock(clock_, 50, 10));
  EXPECT_EQ(bar_.GetScrollPos(), 24);
  ASSERT_TRUE(AdvanceClock(clock_, 100, 10));
  EXPECT_EQ(bar_.GetScrollPos(), 40);

  Send(&bar_, ui::kEventButtonUp, kButton2);
  EXPECT_FALSE(bar_.IsRepeating());
  // The released button lets go of its pushed look.
  EXPECT_EQ(bar_.GetButton2State(), ui::kControlStateNormal);
  ASSERT_TRUE(AdvanceClock(clock_, 500, 50));
  EXPECT_EQ(bar_.GetScrollPos(), 40);

  // Button 1 steps back the same way.
  Send(&bar_, ui::kEventButtonDown, kButton1);
  EXPECT_EQ(bar_.GetScrollPos(), 32);
  ASSERT_TRUE(AdvanceClock(clock_, 300, 10));
  EXPECT_EQ(bar_.GetScrollPos(), 24);
  Send(&bar_, ui::kEventButtonUp, kButton1);
}

TEST_F(ScrollBarTest, TheRepeatEndsWhenTheWindowLosesTheCaptureOrTheBarIsDisabledOrHidden) {
  ui::Window window;
  window.Init(uitest::MakeTestWindow());
  auto* root = new ui::Box();
  window.AttachRoot(root);
  auto* bar = new ScrollBar();
  root->Add(bar);
  bar->SetPos(kBarRect);

  // The window holds the capture, as it does from a press until the release.
  ::SetCapture(window.GetHWND());
  ASSERT_EQ(::GetCapture(), window.GetHWND());
  Send(bar, ui::kEventButtonDown, kButton2);
  ASSERT_TRUE(AdvanceClock(clock_, 300, 10));
  EXPECT_EQ(bar->GetScrollPos(), 16);

  // Another window takes the capture: no button-up will come, and the repeat stops by itself.
  ::ReleaseCapture();
  ASSERT_TRUE(AdvanceClock(clock_, 50, 10));
  EXPECT_EQ(bar->GetScrollPos(), 16);
  EXPECT_FALSE(bar->IsRepeating());
  EXPECT_FALSE(bar->IsMouseFocused());
  EXPECT_EQ(bar->GetButton2State(), ui::kControlStateNormal);
  EXPECT_NE(bar->GetState(), ui::kControlStatePushed);
  ASSERT_TRUE(AdvanceClock(clock_, 500, 50));
  EXPECT_EQ(bar->GetScrollPos(), 16);

  // Disabling the bar while a button is held stops the repeat too.
  ::SetCapture(window.GetHWND());
  Send(bar, ui::kEventButtonDown, kButton2);
  EXPECT_EQ(bar->GetScrollPos(), 24);
  bar->SetEnabled(false);
  EXPECT_FALSE(bar->IsRepeating());
  ASSERT_TRUE(AdvanceClock(clock_, 500, 50));
  EXPECT_EQ(bar->GetScrollPos(), 24);
  EXPECT_EQ(bar->GetButton2State(), ui::kControlStateDisabled);

  // And hiding it: the next tick finds it gone from view.
  bar->SetEnabled(true);
  Send(bar, ui::kEventButtonDown, kButton2);
  EXPECT_EQ(bar->GetScrollPos(), 32);
  bar->SetVisible(false);
  ASSERT_TRUE(AdvanceClock(clock_, 500, 50));
  EXPECT_EQ(bar->GetScrollPos(), 32);
  EXPECT_FALSE(bar->IsRepeating());
  ::ReleaseCapture();
}

TEST_F(ScrollBarTest, DraggingTheThumbHalfTheTrackScrollsHalfTheRangeAtTheNextTick) {
  const POINT grip = {18, 60};  // On the thumb (36 to 148).
  Send(&bar_, ui::kEventButtonDown, grip);
  EXPECT_EQ(bar_.GetThumbState(), ui::kControlStatePushed);
  EXPECT_TRUE(bar_.IsMouseFocused());
  Send(&bar_, ui::kEventMouseMove, POINT{18, 60 + 28});
  EXPECT_EQ(bar_.GetScrollPos(), 0);  // The position follows on the timer.
  ASSERT_TRUE(AdvanceClock(clock_, 50, 10));
  EXPECT_EQ(bar_.GetScrollPos(), 50);
  // Far past the end: held at the range.
  Send(&bar_, ui::kEventMouseMove, POINT{18, 60 + 500});
  ASSERT_TRUE(AdvanceClock(clock_, 50, 10));
  EXPECT_EQ(bar_.GetScrollPos(), 100);
  Send(&bar_, ui::kEventMouseMove, POINT{18, 60 + 28});
  Send(&bar_, ui::kEventButtonUp, POINT{18, 100});
  EXPECT_EQ(bar_.GetThumbState(), ui::kControlStateHot);  // Let go over the bar.
  ASSERT_TRUE(AdvanceClock(clock_, 100, 10));
  EXPECT_EQ(bar_.GetScrollPos(), 100);  // The last move came after the last tick.
}

TEST_F(ScrollBarTest, TheRailPagesByTheBarLengthTowardThePress) {
  bar_.SetScrollRange(1000);  // Thumb 30 long at the top.
  Send(&bar_, ui::kEventButtonDown, POINT{18, 150});
  EXPECT_EQ(bar_.GetScrollPos(), 200);
  Send(&bar_, ui::kEventButtonUp, POINT{18, 150});
  Send(&bar_, ui::kEventButtonDown, POINT{18, 40});  // Above the thumb, which moved down.
  EXPECT_EQ(bar_.GetScrollPos(), 0);
  Send(&bar_, ui::kEventButtonUp, POINT{18, 40});
}

TEST_F(ScrollBarTest, NoTickReachesABarDestroyedWhileHeld) {
  ui::TimerManager* timers = ui::TimerManager::GetInstance();
  const size_t idle = timers->GetPendingCount();
  auto bar = std::make_unique<ScrollBar>();
  bar->SetPos(kBarRect);
  Send(bar.get(), ui::kEventButtonDown, kButton2);
  ASSERT_TRUE(bar->IsRepeating());
  ASSERT_EQ(timers->GetPendingCount(), idle + 1);
  bar.reset();
  // The repeat timer goes at its next due time, without running: nothing repeats any more.
  ASSERT_TRUE(AdvanceClock(clock_, 400, 50));
  EXPECT_EQ(timers->GetPendingCount(), idle);
}

// ----- Painting ----------------------------------------------------------------------------------

constexpr DWORD kTrack = 0x808080;
constexpr DWORD kUp = 0xFF0000;
constexpr DWORD kDown = 0x0000FF;
constexpr DWORD kThumb = 0x00C000;
constexpr DWORD kThumbHot = 0xFFFF00;
constexpr DWORD kGrip = 0xFFFFFF;
constexpr DWORD kButtonPushed = 0xFF00FF;

TEST(ScrollBarPaintTest, EachPartPaintsItsImageForItsState) {
  uitest::TempDir dir;
  auto png = [&](const wchar_t* name, DWORD rgb) {
    const std::wstring path = dir.File(name);
    EXPECT_TRUE(uitest::WritePng(path, 8, 8, std::vector<DWORD>(64, 0xFF000000 | rgb)));
    return L"file='" + path + L"'";
  };
  ui::ManualClock clock;
  ScrollBar bar;
  bar.SetAttribute(L"bknormalimage", png(L"track.png", kTrack));
  bar.SetAttribute(L"bkhotimage", png(L"track_hot.png", kTrack));
  bar.SetAttribute(L"bkpushedimage", png(L"track_pushed.png", kTrack));
  bar.SetAttribute(L"button1normalimage", png(L"up.png", kUp));
  bar.SetAttribute(L"button2normalimage", png(L"down.png", kDown));
  bar.SetAttribute(L"button2pushedimage", png(L"down_pushed.png", kButtonPushed));
  bar.SetAttribute(L"thumbnormalimage", png(L"thumb.png", kThumb));
  bar.SetAttribute(L"thumbhotimage", png(L"thumb_hot.png", kThumbHot));
  bar.SetAttribute(L"railnormalimage", png(L"grip.png", kGrip));
  // 16 x 120 at (10, 10), range 100: buttons to y 26 and from y 114, thumb 48 long from y 26,
  // the grip a 16-pixel square on its middle (y 42 to 58).
  bar.SetPos(RECT{10, 10, 26, 130});

  auto canvas = uitest::MakeCanvas(60, 140);
  auto paint = [&] {
    canvas->Clear();
    bar.PaintWithClip(canvas.get(), RECT{0, 0, 60, 140});
  };
  paint();
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 18, 12), kUp);
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 18, 128), kDown);
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 18, 30), kThumb);
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 18, 50), kGrip);
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 18, 70), kThumb);
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 18, 100), kTrack);
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 5, 50), 0u);  // Nothing outside the bar.
  EXPECT_EQ(uitest::CountRgb(canvas.get(), RECT{10, 10, 26, 26}, kUp), 256);
  EXPECT_EQ(uitest::CountRgb(canvas.get(), RECT{10, 42, 26, 58}, kGrip), 256);
  uitest::SaveContextPng(canvas.get(), L"scroll_bar_parts.png");

  // Hovered: the thumb shows its hot image; a pushed button 2 its pushed one.
  ui::EventArgs enter;
  enter.type = ui::kEventMouseEnter;
  enter.sender = &bar;
  ASSERT_TRUE(bar.MouseEnter(enter));
  Send(&bar, ui::kEventButtonDown, POINT{18, 125});
  paint();
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 18, 30), kThumbHot);
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 18, 128), kButtonPushed);
  EXPECT_EQ(uitest::RgbAt(canvas.get(), 18, 12), kUp);  // No hot image: the normal one.
  uitest::SaveContextPng(canvas.get(), L"scroll_bar_parts_hot.png");
  Send(&bar, ui::kEventButtonUp, POINT{18, 125});
}

}  // namespace
