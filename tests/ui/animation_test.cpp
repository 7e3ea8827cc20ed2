// Animation players, the fades of a control and background-image playback, all on a clock the
// test drives: time moves only when a test advances it, and every check is made after the timer
// service has run what fell due.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/core/animation_manager.h"
#include "ui/core/box.h"
#include "ui/core/window.h"

namespace {

using ui::AnimationPlayer;
using ui::Control;
using uitest::AdvanceClock;

TEST(AnimationTest, TheHotFadeRunsFrom0To255In250MsAndReaches255ExactlyOnce) {
  ui::ManualClock clock;
  Control control;
  AnimationPlayer* fade = control.GetAnimationManager().SetFadeHot(true);
  std::vector<int> values;
  fade->SetCallback([&](int value) { values.push_back(value); });
  int completions = 0;
  fade->SetCompleteCallback([&] { ++completions; });

  fade->PlayForward();
  ASSERT_TRUE(AdvanceClock(clock, 125));
  ASSERT_FALSE(values.empty());
  EXPECT_GT(values.back(), 100);  // Past the middle value half-way: it decelerates at the end.
  EXPECT_LT(values.back(), 255);
  EXPECT_TRUE(fade->IsPlaying());
  ASSERT_TRUE(AdvanceClock(clock, 150));
  EXPECT_FALSE(fade->IsPlaying());
  EXPECT_EQ(values.back(), 255);
  EXPECT_EQ(std::count(values.begin(), values.end(), 255), 1);
  for (size_t i = 1; i < values.size(); ++i) EXPECT_GT(values[i], values[i - 1]);
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(fade->GetTotalMillSeconds(), 250);
}

TEST(AnimationTest, PlayingBackwardHalfWayTurnsRoundWhereItStands) {
  ui::ManualClock clock;
  Control control;
  AnimationPlayer* fade = control.GetAnimationManager().SetFadeAlpha(true);
  fade->PlayForward();
  ASSERT_TRUE(AdvanceClock(clock, 125));
  const int reached = control.GetAlpha();
  ASSERT_GT(reached, 0);
  ASSERT_LT(reached, 255);

  std::vector<int> back;
  fade->SetCallback([&](int value) { back.push_back(value); });
  fade->PlayBackward();
  EXPECT_NEAR(fade->GetElapsedMillSeconds(), 125, 1);  // It runs back as long as it ran.
  ASSERT_FALSE(back.empty());  // The first step is made at once.
  EXPECT_LT(back.front(), reached);  // Goes down from about where it stood, not from 255.
  ASSERT_TRUE(AdvanceClock(clock, 125));
  EXPECT_EQ(back.back(), 0);
  EXPECT_FALSE(fade->IsPlaying());
}

TEST(AnimationTest, PlayingBackwardBeforeEverPlayingStartsFromTheEnd) {
  ui::ManualClock clock;
  Control control;
  AnimationPlayer* fade = control.GetAnimationManager().SetFadeAlpha(true);
  fade->PlayBackward();
  EXPECT_DOUBLE_EQ(fade->GetElapsedMillSeconds(), 0);
  ASSERT_TRUE(AdvanceClock(clock, 16));
  EXPECT_GT(control.GetAlpha(), 200);  // 255 going down.
  ASSERT_TRUE(AdvanceClock(clock, 250));
  EXPECT_EQ(control.GetAlpha(), 0);
}

TEST(AnimationTest, AWidthFadeOfNothingEndsAtOnceAndAnInOutFadeOfNothingSlides100) {
  ui::ManualClock clock;
  Control control;
  bool done = false;
  AnimationPlayer* width = control.GetAnimationManager().SetFadeWidth(true);
  width->SetCompleteCallback([&] { done = true; });
  width->PlayForward();
  EXPECT_TRUE(done);
  EXPECT_FALSE(width->IsPlaying());

  control.SetFixedWidth(0);
  AnimationPlayer* slide = control.GetAnimationManager().SetFadeInOutX(true, false);
  EXPECT_EQ(slide->GetStartValue(), 100);
  slide->PlayForward();
  EXPECT_GT(control.GetRenderOffset().x, 0);
  ASSERT_TRUE(AdvanceClock(clock, 2000, 50));
  EXPECT_EQ(control.GetRenderOffset().x, 0);
  AnimationPlayer* fromRight = control.GetAnimationManager().SetFadeInOutX(true, true);
  EXPECT_EQ(fromRight->GetStartValue(), -100);
}

TEST(AnimationTest, SizeFadesRunToTheSizeTheControlAsksFor) {
  Control control;
  control.SetFixedWidth(120);
  control.SetFixedHeight(30);
  EXPECT_EQ(control.GetAnimationManager().SetFadeWidth(true)->GetEndValue(), 120);
  EXPECT_EQ(control.GetAnimationManager().SetFadeHeight(true)->GetEndValue(), 30);
}

TEST(AnimationTest, APlayerDeletedByItsFirstStepIsNotTouchedAfterwards) {
  ui::ManualClock clock;
  for (bool backward : {false, true}) {
    auto* player = new uitest::KeptOnDelete<AnimationPlayer>();
    player->SetStartValue(0);
    player->SetEndValue(100);
    player->SetTotalMillSeconds(0);  // The first step, made at once, ends it.
    player->SetCallback([player](int) { delete player; });
    if (backward)
      player->PlayBackward();
    else
      player->PlayForward();
    EXPECT_TRUE(uitest::DeletedObjectsUntouched()) << (backward ? "backward" : "forward");
  }
}

TEST(AnimationTest, ACoefficientPlayerDerivesItsTimeFromTheDistance) {
  ui::ManualClock clock;
  AnimationPlayer player;  // As a width fade of 255 pixels.
  player.SetStartValue(0);
  player.SetEndValue(255);
  player.SetSpeedUpRatio(0.3);
  player.SetSlowDownRatio(0.7);
  player.SetSpeedUpCoefficient(0.00084);
  int last = -1;
  player.SetCallback([&](int value) { last = value; });
  player.Play();
  // sqrt(255 / (0.3 * 0.00084)), truncated.
  EXPECT_EQ(player.GetTotalMillSeconds(), 1005);
  ASSERT_TRUE(AdvanceClock(clock, 500, 50));
  EXPECT_GT(last, 0);
  EXPECT_LT(last, 255);
  ASSERT_TRUE(AdvanceClock(clock, 510, 50));
  EXPECT_EQ(last, 255);
}

TEST(AnimationTest, APlayerWithoutAValueCallbackStillEnds) {
  ui::ManualClock clock;
  AnimationPlayer player;
  player.SetStartValue(10);
  player.SetEndValue(0);
  player.SetTotalMillSeconds(100);
  int completions = 0;
  player.SetCompleteCallback([&] { ++completions; });
  player.Play();
  ASSERT_TRUE(AdvanceClock(clock, 120));
  EXPECT_EQ(completions, 1);
  EXPECT_FALSE(player.IsPlaying());
  EXPECT_EQ(player.GetValue(), 0);
}

TEST(AnimationTest, AConstantSpeedPlayerWithNoSpeedEndsAtOnce) {
  ui::ManualClock clock;
  AnimationPlayer player;
  player.SetStartValue(0);
  player.SetEndValue(50);
  int last = -1;
  bool done = false;
  player.SetCallback([&](int value) { last = value; });
  player.SetCompleteCallback([&] { done = true; });
  player.Play();
  EXPECT_TRUE(done);
  EXPECT_EQ(last, 50);

  player.SetLinearSpeed(0.5);  // 50 in 100 ms.
  player.SetStartValue(0);
  player.SetEndValue(50);
  player.SetTotalMillSeconds(-1);
  done = false;
  player.Play();
  EXPECT_EQ(player.GetTotalMillSeconds(), 100);
  ASSERT_TRUE(AdvanceClock(clock, 48));
  EXPECT_NEAR(last, 24, 1);
  ASSERT_TRUE(AdvanceClock(clock, 60));
  EXPECT_TRUE(done);
}

TEST(AnimationTest, DestroyingThePlayerOrItsControlStopsPendingSteps) {
  ui::ManualClock clock;
  int calls = 0;
  {
    auto control = std::make_unique<Control>();
    AnimationPlayer* fade = control->GetAnimationManager().SetFadeAlpha(true);
    fade->SetCallback([&](int) { ++calls; });
    fade->PlayForward();
  }
  const int before = calls;
  ASSERT_TRUE(AdvanceClock(clock, 300));
  EXPECT_EQ(calls, before);

  // A value callback that switches its own fade off (deleting the player it runs in).
  Control control;
  AnimationPlayer* fade = control.GetAnimationManager().SetFadeAlpha(true);
  fade->SetCallback([&](int) {
    ++calls;
    control.GetAnimationManager().SetFadeAlpha(false);
  });
  fade->PlayForward();
  ASSERT_TRUE(AdvanceClock(clock, 300));
  EXPECT_EQ(control.GetAnimationManager().GetAnimationPlayer(ui::kAnimationAlpha), nullptr);
}

TEST(AnimationTest, FadeVisibilityHidesAfterTheFadeOrAtOnceWithoutOne) {
  ui::ManualClock clock;
  Control plain;
  plain.SetFadeVisible(false);
  EXPECT_FALSE(plain.IsVisible());

  Control faded;
  faded.SetAttribute(L"fadealpha", L"true");
  faded.SetFadeVisible(false);
  EXPECT_TRUE(faded.IsVisible());
  ASSERT_TRUE(AdvanceClock(clock, 260));
  EXPECT_FALSE(faded.IsVisible());
  EXPECT_EQ(faded.GetAlpha(), 0);

  faded.SetFadeVisible(true);
  EXPECT_TRUE(faded.IsVisible());
  ASSERT_TRUE(AdvanceClock(clock, 260));
  EXPECT_EQ(faded.GetAlpha(), 255);
  EXPECT_TRUE(faded.IsVisible());  // The hiding completion is gone.
}

class BkImagePlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Two frames of 100 ms each.
    gif_ = dir_.File(L"blink.gif");
    ASSERT_TRUE(uitest::WriteAnimatedGif(gif_, 8, 8, {0xFF0000, 0x00FF00}, {10, 10}));
    canvas_ = uitest::MakeCanvas(20, 20);
    root_ = new ui::Box();
    control_ = new Control();
    root_->Add(control_);
    window_.AttachRoot(root_);
    window_.ArrangeRoot(RECT{0, 0, 20, 20});
  }
  void Paint() { root_->PaintWithClip(canvas_.get(), RECT{0, 0, 20, 20}); }

  uitest::TempDir dir_;
  std::wstring gif_;
  std::unique_ptr<ui::IRenderContext> canvas_;
  ui::Window window_;
  ui::Box* root_ = nullptr;
  Control* control_ = nullptr;
};

TEST_F(BkImagePlaybackTest, APlayCountOfOnePlaysOnceStopsOnTheLastFrameAndTellsItsHandlers) {
  ui::ManualClock clock;
  control_->SetBkImage(L"file='" + gif_ + L"' playcount='1'");
  int stops = 0;
  control_->AttachBkImageStop([&](const ui::EventArgs& args) {
    EXPECT_EQ(args.type, ui::kEventNone);
    ++stops;
    return true;
  });
  Paint();  // Starts the playback instead of drawing.
  EXPECT_TRUE(control_->IsBkImagePlaying());
  EXPECT_EQ(uitest::RgbAt(canvas_.get(), 5, 5), 0u);
  Paint();
  EXPECT_EQ(uitest::RgbAt(canvas_.get(), 5, 5), 0xFF0000u);

  ASSERT_TRUE(AdvanceClock(clock, 110, 10));
  EXPECT_EQ(control_->GetBkImageObject().GetCurrentFrame(), 1);
  Paint();
  EXPECT_EQ(uitest::RgbAt(canvas_.get(), 5, 5), 0x00FF00u);
  ASSERT_TRUE(AdvanceClock(clock, 110, 10));
  EXPECT_FALSE(control_->IsBkImagePlaying());
  EXPECT_EQ(control_->GetBkImageObject().GetCurrentFrame(), 1);  // The last frame.
  EXPECT_EQ(stops, 1);
  ASSERT_TRUE(AdvanceClock(clock, 300, 50));
  Paint();  // Stopped for good: drawing does not start it again.
  EXPECT_FALSE(control_->IsBkImagePlaying());
  EXPECT_EQ(stops, 1);
}

TEST_F(BkImagePlaybackTest, SettingTheFrameStopsPlaybackAndClampsTheIndex) {
  ui::ManualClock clock;
  control_->SetBkImage(L"file='" + gif_ + L"'");
  Paint();
  ASSERT_TRUE(control_->IsBkImagePlaying());
  control_->SetBkImageFrame(7);
  EXPECT_FALSE(control_->IsBkImagePlaying());
  EXPECT_EQ(control_->GetBkImageObject().GetCurrentFrame(), 1);
  control_->SetBkImageFrame(-5);
  EXPECT_EQ(control_->GetBkImageObject().GetCurrentFrame(), 0);
  control_->SetBkImageFrame(65535);
  EXPECT_EQ(control_->GetBkImageObject().GetCurrentFrame(), 1);
  control_->SetBkImageFrame(-1);  // Keeps the current one.
  EXPECT_EQ(control_->GetBkImageObject().GetCurrentFrame(), 1);

  Paint();  // Auto-play is still on: drawing starts it again ...
  ASSERT_TRUE(control_->IsBkImagePlaying());
  control_->SetVisible(false);  // ... and hiding stops it.
  EXPECT_FALSE(control_->IsBkImagePlaying());
}

}  // namespace
