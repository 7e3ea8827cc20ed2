// The wheel-to-swipe gesture, on a UI clock the test moves. Each test runs on a fresh thread, so
// it has a timer service of its own, and runs that service's polls itself.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "phone_window/scroll_gesture.h"
#include "ui/core/performance_clock.h"
#include "ui/core/timer_manager.h"

namespace {

struct Touch {
  int atMs;
  int action;
  float fx;
  float fy;
};

// A gesture whose touches are recorded with the time they were sent.
class SwipeRig {
 public:
  SwipeRig()
      : gesture_(std::make_unique<ScrollGesture>([this](int action, float fx, float fy) {
          touches.push_back({now_ms_, action, fx, fy});
        })) {}

  ScrollGesture& gesture() { return *gesture_; }
  void DestroyGesture() { gesture_.reset(); }

  // Moves the clock a millisecond at a time, polling the timers as a wake-up would.
  void Run(int ms) {
    for (int i = 0; i < ms; ++i) {
      clock_.AdvanceMs(1);
      ++now_ms_;
      timers_->Poll();
    }
  }

  std::vector<Touch> touches;

 private:
  ui::ManualClock clock_;
  ui::TimerManager* timers_ = ui::TimerManager::GetInstance();
  int now_ms_ = 0;
  std::unique_ptr<ScrollGesture> gesture_;
};

void OnFreshThread(const std::function<void()>& body) { std::thread(body).join(); }

// Checks one whole swipe from (px, py) to endY that started at startMs.
void ExpectSwipe(const std::vector<Touch>& touches, int startMs, float px, float py, float endY) {
  ASSERT_EQ(touches.size(), 10u);
  EXPECT_EQ(touches[0].atMs, startMs);
  EXPECT_EQ(touches[0].action, ScrollGesture::kTouchDown);
  EXPECT_FLOAT_EQ(touches[0].fx, px);
  EXPECT_FLOAT_EQ(touches[0].fy, py);
  for (int i = 1; i <= 8; ++i) {
    EXPECT_EQ(touches[i].atMs, startMs + 16 * i);
    EXPECT_EQ(touches[i].action, ScrollGesture::kTouchMove);
    EXPECT_FLOAT_EQ(touches[i].fx, px);
    EXPECT_NEAR(touches[i].fy, py + (endY - py) * i / 8, 1e-6) << i;
  }
  EXPECT_EQ(touches[9].atMs, startMs + 144);
  EXPECT_EQ(touches[9].action, ScrollGesture::kTouchUp);
  EXPECT_EQ(touches[9].fx, 0.0f);
  EXPECT_EQ(touches[9].fy, 0.0f);
}

TEST(ScrollGesture, NotchBecomesADownEightMovesAndAnUpOver144Ms) {
  OnFreshThread([] {
    SwipeRig rig;
    rig.Run(3);
    rig.gesture().Swipe(0.5f, 0.5f, true);  // up: the finger goes down the screen
    rig.Run(200);
    ExpectSwipe(rig.touches, 3, 0.5f, 0.5f, 0.65f);

    rig.touches.clear();
    rig.gesture().Swipe(0.3f, 0.6f, false);
    rig.Run(200);
    ExpectSwipe(rig.touches, 203, 0.3f, 0.6f, 0.45f);
  });
}

TEST(ScrollGesture, StartAndEndStayInsideTheVideo) {
  OnFreshThread([] {
    SwipeRig rig;
    // At the very top, scrolling down: from 0.05 to 0.02.
    rig.gesture().Swipe(0.0f, 0.0f, false);
    rig.Run(150);
    ExpectSwipe(rig.touches, 0, 0.05f, 0.05f, 0.02f);

    // At the bottom, scrolling up: from 0.95 to 0.98, 0.00375 per step.
    rig.touches.clear();
    rig.gesture().Swipe(1.0f, 0.95f, true);
    rig.Run(150);
    ExpectSwipe(rig.touches, 150, 0.95f, 0.95f, 0.98f);
    EXPECT_NEAR(rig.touches[1].fy, 0.95375f, 1e-6);
  });
}

TEST(ScrollGesture, NewerNotchCutsTheOlderSwipeShort) {
  OnFreshThread([] {
    SwipeRig rig;
    rig.gesture().Swipe(0.5f, 0.5f, true);
    rig.Run(50);
    ASSERT_EQ(rig.touches.size(), 4u);  // the down and the moves at 16, 32 and 48 ms
    rig.gesture().Swipe(0.5f, 0.4f, false);
    rig.Run(300);
    const std::vector<Touch> second(rig.touches.begin() + 4, rig.touches.end());
    ExpectSwipe(second, 50, 0.5f, 0.4f, 0.25f);
    EXPECT_EQ(rig.gesture().sequence(), 2);
  });
}

TEST(ScrollGesture, NothingIsSentOnceTheGestureIsGone) {
  OnFreshThread([] {
    SwipeRig rig;
    rig.gesture().Swipe(0.5f, 0.5f, true);
    rig.Run(20);
    rig.DestroyGesture();
    rig.Run(200);
    EXPECT_EQ(rig.touches.size(), 2u);
    EXPECT_EQ(ui::TimerManager::GetInstance()->GetPendingCount(), 0u);
  });
}

TEST(ScrollGesture, WheelMessageIsReadInClientCoordinates) {
  HWND window = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 200, 100, 300, 300, nullptr,
                                  nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  WheelNotch notch;
  ASSERT_TRUE(ScrollGesture::ReadWheelNotch(window, MAKEWPARAM(0, WHEEL_DELTA),
                                            MAKELPARAM(250, 180), &notch));
  EXPECT_EQ(notch.point.x, 50);
  EXPECT_EQ(notch.point.y, 80);
  EXPECT_EQ(notch.delta, 120);
  EXPECT_TRUE(notch.scrollUp);
  ASSERT_TRUE(ScrollGesture::ReadWheelNotch(window, MAKEWPARAM(0, -WHEEL_DELTA),
                                            MAKELPARAM(150, 90), &notch));
  EXPECT_EQ(notch.point.x, -50);
  EXPECT_EQ(notch.point.y, -10);
  EXPECT_FALSE(notch.scrollUp);
  ::DestroyWindow(window);
  EXPECT_FALSE(ScrollGesture::ReadWheelNotch(window, MAKEWPARAM(0, WHEEL_DELTA), 0, &notch));
}

}  // namespace
