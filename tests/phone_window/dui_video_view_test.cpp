// The video control: touches from the mouse, the repaint rule, painting frames, and the render
// thread's part (it asks for repaints and never paints).
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/synchronization/waitable_event.h"
#include "phone_window/dui_video_view.h"
#include "swplay/swplay_sim.h"
#include "tests/phone_window/video_test_support.h"
#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

using videotest::ProbeView;
using videotest::ShowsColour;
using videotest::StreamRig;
using videotest::TestClock;

struct Touch {
  int action;
  float fx, fy;
  bool operator==(const Touch& other) const {
    return action == other.action && fx == other.fx && fy == other.fy;
  }
};

class RecordingListener : public ui::TouchEventListener {
 public:
  void OnTouch(int action, int pointerCount, float fx, float fy, float pressure) override {
    EXPECT_EQ(pointerCount, 1);
    EXPECT_EQ(pressure, 0.0f);
    touches.push_back(Touch{action, fx, fy});
  }
  std::vector<Touch> touches;
};

// Polls done() until it holds or timeoutMs passed (for conditions that no message announces).
bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 30000) {
  nbase::WaitableEvent never(nbase::WaitableEvent::ResetPolicy::kManual, false);
  for (int waited = 0; !done(); ++waited) {
    if (waited >= timeoutMs) return false;
    never.TimedWait(1);
  }
  return true;
}

bool PlayerLogHas(const std::string& token, const std::string& call) {
  for (const std::string& line : swsim::TokenLog(token))
    if (line.size() > call.size() && line.compare(line.size() - call.size(), call.size(), call) == 0)
      return true;
  return false;
}

void Mouse(ui::Control& control, int type, int x, int y) {
  control.SendEvent(type, 0, 0, 0, POINT{x, y});
}

// ---------------------------------------------------------------------------------------------
// Touches

TEST(DuiVideoViewTouch, PointsBecomeFractionsOfTheControlTurnedForRotationTwo) {
  ui::DuiVideoView view;
  view.SetPos(RECT{10, 20, 110, 220});  // 100 x 200
  float fx = -1, fy = -1;
  ASSERT_TRUE(view.toTouchPercent(60, 70, fx, fy));
  EXPECT_FLOAT_EQ(fx, 0.5f);
  EXPECT_FLOAT_EQ(fy, 0.25f);

  // Turned: the control's bottom-left corner is the phone's top-left, its top-right the
  // phone's bottom-right.
  view.SetRotation(2);
  ASSERT_TRUE(view.toTouchPercent(10, 220, fx, fy));
  EXPECT_FLOAT_EQ(fx, 0.0f);
  EXPECT_FLOAT_EQ(fy, 0.0f);
  ASSERT_TRUE(view.toTouchPercent(110, 20, fx, fy));
  EXPECT_FLOAT_EQ(fx, 1.0f);
  EXPECT_FLOAT_EQ(fy, 1.0f);
  ASSERT_TRUE(view.toTouchPercent(35, 170, fx, fy));
  EXPECT_FLOAT_EQ(fx, 0.25f);
  EXPECT_FLOAT_EQ(fy, 0.25f);

  // Zero width: no fractions, and the outputs are left alone.
  view.SetPos(RECT{10, 20, 10, 220});
  fx = fy = 7;
  EXPECT_FALSE(view.toTouchPercent(10, 100, fx, fy));
  EXPECT_EQ(fx, 7);
  EXPECT_EQ(fy, 7);
}

TEST(DuiVideoViewTouch, MouseBecomesTouchesInThePhonesPixelsWithMovesThrottled) {
  TestClock clock;
  ProbeView view;
  view.SetPos(RECT{0, 0, 200, 400});
  RecordingListener listener;
  ASSERT_TRUE(view.Connect(&listener));
  StreamRig rig("connect=0;fps=60;native=400x800");
  rig.Play(&view);
  ASSERT_TRUE(view.WaitFrames(1));  // The phone's screen size comes with its frames.

  Mouse(view, ui::kEventButtonDown, 100, 100);
  clock.AdvanceMs(100);
  Mouse(view, ui::kEventMouseMove, 50, 200);
  clock.AdvanceMs(15);
  Mouse(view, ui::kEventMouseMove, 60, 200);  // 15 ms after the last: dropped.
  clock.AdvanceMs(4);
  Mouse(view, ui::kEventMouseMove, 70, 200);  // 19 ms: still dropped.
  clock.AdvanceMs(1);
  Mouse(view, ui::kEventMouseMove, 150, 300);  // 20 ms.
  Mouse(view, ui::kEventButtonUp, 150, 300);
  clock.AdvanceMs(100);
  Mouse(view, ui::kEventMouseMove, 10, 10);  // The button is up: nothing.

  const std::vector<Touch> expected = {
      {0, 0.5f, 0.25f}, {2, 0.25f, 0.5f}, {2, 0.75f, 0.75f}, {1, 0.0f, 0.0f}};
  EXPECT_EQ(listener.touches, expected);
  const std::vector<std::string> sent = {
      "onTouchEvent(0, 1, [(200,200)])", "onTouchEvent(2, 1, [(100,400)])",
      "onTouchEvent(2, 1, [(300,600)])", "onTouchEvent(1, 1, [(-1,-1)])"};
  EXPECT_EQ(rig.Touches(), sent);
}

TEST(DuiVideoViewTouch, AMovePastTheRightOrBottomEdgeIsLeftToOthers) {
  TestClock clock;
  ui::DuiVideoView view;
  view.SetPos(RECT{0, 0, 200, 400});
  RecordingListener listener;
  view.Connect(&listener);
  int passedOn = 0;
  view.AttachEvent(ui::kEventMouseMove, [&passedOn](const ui::EventArgs&) {
    ++passedOn;
    return true;
  });

  Mouse(view, ui::kEventButtonDown, 100, 100);
  clock.AdvanceMs(100);
  Mouse(view, ui::kEventMouseMove, 201, 100);
  clock.AdvanceMs(100);
  Mouse(view, ui::kEventMouseMove, 100, 401);
  EXPECT_EQ(passedOn, 0);  // Both ended the handlers with false.
  ASSERT_EQ(listener.touches.size(), 1u);

  clock.AdvanceMs(100);
  Mouse(view, ui::kEventMouseMove, 200, 400);  // On the edges: still the phone's.
  EXPECT_EQ(passedOn, 1);
  ASSERT_EQ(listener.touches.size(), 2u);
  EXPECT_EQ(listener.touches[1], (Touch{2, 1.0f, 1.0f}));
}

TEST(DuiVideoViewTouch, TouchesAreFractionsOfThePictureAndThePressBesideItIsNone) {
  TestClock clock;
  ProbeView view;
  view.SetPos(RECT{0, 0, 300, 400});  // A 1:2 phone shows at x 50 to 250.
  RecordingListener listener;
  ASSERT_TRUE(view.Connect(&listener));
  StreamRig rig("connect=0;fps=60;native=400x800");
  rig.Play(&view);
  ASSERT_TRUE(view.WaitFrames(1));

  Mouse(view, ui::kEventButtonDown, 40, 100);
  Mouse(view, ui::kEventButtonUp, 40, 100);
  Mouse(view, ui::kEventButtonDown, 100, 100);
  const std::vector<Touch> expected = {{1, 0.0f, 0.0f}, {0, 0.25f, 0.25f}};
  EXPECT_EQ(listener.touches, expected);
}

// ---------------------------------------------------------------------------------------------
// Repaint requests

class RepaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hwnd_ = uitest::MakeTestWindow();
    ASSERT_TRUE(hwnd_);
    window_ = std::make_unique<ui::Window>();
    window_->Init(hwnd_);
    view_ = new ProbeView();
    window_->AttachRoot(view_);
    view_->SetPos(RECT{0, 0, 100, 100});
    uitest::TakeUpdateRegion(hwnd_);  // What showing the window left.
  }
  void TearDown() override {
    rig_.reset();  // Unbound before the control goes.
    window_.reset();
  }

  // Whether a frame that started after this call asked for a repaint, with the test clock moved
  // on by `advanceMs` once the region was taken: a frame that comes between the move and the
  // taking would have its repaint taken with the region. Frames are delivered one after another,
  // so the second frame from now began after the clock moved.
  bool NextFrameRepaints(TestClock* clock = nullptr, int advanceMs = 0) {
    uitest::TakeUpdateRegion(hwnd_);
    if (clock) clock->AdvanceMs(advanceMs);
    EXPECT_TRUE(view_->WaitFrames(view_->frames() + 2));
    return uitest::TakeUpdateRegion(hwnd_);
  }

  HWND hwnd_ = nullptr;
  std::unique_ptr<ui::Window> window_;
  ProbeView* view_ = nullptr;  // Owned by window_.
  std::unique_ptr<StreamRig> rig_;
};

TEST_F(RepaintTest, WithoutAListenerAtMostOneRepaintPer50Ms) {
  TestClock clock;
  rig_ = std::make_unique<StreamRig>("connect=0;fps=120");
  rig_->Play(view_);
  ASSERT_TRUE(view_->WaitFrames(1));
  EXPECT_TRUE(uitest::TakeUpdateRegion(hwnd_));  // The first frame is let through.
  EXPECT_FALSE(NextFrameRepaints());
  EXPECT_FALSE(NextFrameRepaints(&clock, 49));
  EXPECT_TRUE(NextFrameRepaints(&clock, 1));
  EXPECT_FALSE(NextFrameRepaints());
}

TEST_F(RepaintTest, WithAListenerEveryFrameRepaints) {
  TestClock clock;  // Frozen: the 50 ms limit would let nothing through.
  RecordingListener listener;
  view_->Connect(&listener);
  rig_ = std::make_unique<StreamRig>("connect=0;fps=120");
  rig_->Play(view_);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(NextFrameRepaints()) << i;
}

// ---------------------------------------------------------------------------------------------
// Painting into a memory surface

class PaintTest : public ::testing::Test {
 protected:
  // The control at (10, 20) of a canvas 20 pixels larger each way.
  void Place(int width, int height) {
    view_.SetPos(RECT{10, 20, 10 + width, 20 + height});
    canvas_ = uitest::MakeCanvas(width + 20, height + 40);
  }
  void PaintAll() {
    canvas_->Clear();
    view_.Paint(canvas_.get(), RECT{0, 0, canvas_->GetWidth(), canvas_->GetHeight()});
  }
  // Colour of the control's pixel (x, y).
  uint32_t At(int x, int y) { return videotest::RgbAt(canvas_.get(), 10 + x, 20 + y); }
  // Frames still flow: the paint left the frame buffer unlocked.
  bool FramesStillFlow() { return view_.WaitFrames(view_.frames() + 2); }

  ProbeView view_;
  std::unique_ptr<ui::IRenderContext> canvas_;
  std::unique_ptr<StreamRig> rig_;  // Destroyed first: unbound before the control goes.
};

TEST_F(PaintTest, RotationOneShowsTheFrameUprightAtTheControlsSize) {
  Place(180, 320);
  PaintAll();  // No frame yet: nothing painted, and the control's size is asked for.
  EXPECT_EQ(uitest::CountRgb(canvas_.get(), RECT{0, 0, 200, 360}, 0), 200 * 360);
  rig_ = std::make_unique<StreamRig>("connect=0;fps=60");
  rig_->Play(&view_);
  ASSERT_TRUE(view_.WaitFrameSize(180, 320));

  PaintAll();
  auto at = [this](int x, int y) { return At(x, y); };
  EXPECT_TRUE(ShowsColour(at, 40, 100, videotest::kRed));
  EXPECT_TRUE(ShowsColour(at, 140, 100, videotest::kGreen));
  EXPECT_TRUE(ShowsColour(at, 40, 240, videotest::kBlue));
  EXPECT_TRUE(ShowsColour(at, 140, 240, videotest::kYellow));
  // Nothing outside the control.
  EXPECT_EQ(uitest::CountRgb(canvas_.get(), RECT{0, 0, 200, 20}, 0), 200 * 20);
  EXPECT_EQ(uitest::CountRgb(canvas_.get(), RECT{190, 0, 200, 360}, 0), 10 * 360);
  EXPECT_TRUE(FramesStillFlow());
}

TEST_F(PaintTest, RotationTwoShowsTheFrameTurnedCounterClockwise) {
  view_.SetRotation(2);
  Place(320, 180);
  PaintAll();  // Asks for upright frames: 180 wide, 320 high.
  rig_ = std::make_unique<StreamRig>("connect=0;fps=60");
  rig_->Play(&view_);
  ASSERT_TRUE(view_.WaitFrameSize(180, 320));

  PaintAll();
  // The phone's top is at the left; its moving bar runs down the picture, so look across it.
  auto at = [this](int x, int y) { return At(x, y); };
  EXPECT_TRUE(ShowsColour(at, 100, 40, videotest::kGreen, 12, 0));
  EXPECT_TRUE(ShowsColour(at, 240, 40, videotest::kYellow, 12, 0));
  EXPECT_TRUE(ShowsColour(at, 100, 140, videotest::kRed, 12, 0));
  EXPECT_TRUE(ShowsColour(at, 240, 140, videotest::kBlue, 12, 0));
  EXPECT_TRUE(FramesStillFlow());
}

TEST_F(PaintTest, DuringAResizeTheOldFrameIsStretchedAndTheNewSizeIsAskedForAfterwards) {
  Place(180, 320);
  PaintAll();
  rig_ = std::make_unique<StreamRig>("connect=0;fps=60");
  rig_->Play(&view_);
  ASSERT_TRUE(view_.WaitFrameSize(180, 320));

  view_.SetResizing(true);
  Place(360, 640);
  PaintAll();
  auto at = [this](int x, int y) { return At(x, y); };
  EXPECT_TRUE(ShowsColour(at, 80, 200, videotest::kRed));
  EXPECT_TRUE(ShowsColour(at, 280, 200, videotest::kGreen));
  EXPECT_TRUE(ShowsColour(at, 80, 480, videotest::kBlue));
  EXPECT_TRUE(ShowsColour(at, 280, 480, videotest::kYellow));
  // The SDK was not asked for the new size while resizing.
  ASSERT_TRUE(FramesStillFlow());
  EXPECT_TRUE(view_.WaitFrameSize(180, 320, std::chrono::milliseconds(0)));

  view_.SetResizing(false);
  PaintAll();
  EXPECT_TRUE(view_.WaitFrameSize(360, 640));
}

TEST_F(PaintTest, ThePictureKeepsThePhonesAspectAndTheSdkIsAskedForItsSize) {
  ui::GlobalManager::AddTextColor(L"test_video_band", 0xFF102030);
  view_.SetBkColor(L"test_video_band");
  Place(360, 400);
  PaintAll();
  rig_ = std::make_unique<StreamRig>("connect=0;fps=60");  // a 432 x 768 phone
  rig_->Play(&view_);
  ASSERT_TRUE(view_.WaitFrames(1));
  PaintAll();
  ASSERT_TRUE(view_.WaitFrameSize(225, 400));
  PaintAll();
  // 225 x 400 in the middle (from x 67); the bands beside it take the control's colour.
  EXPECT_EQ(uitest::CountRgb(canvas_.get(), RECT{10, 20, 77, 420}, 0x102030), 67 * 400);
  EXPECT_EQ(uitest::CountRgb(canvas_.get(), RECT{302, 20, 370, 420}, 0x102030), 68 * 400);
  auto at = [this](int x, int y) { return At(67 + x, y); };
  EXPECT_TRUE(ShowsColour(at, 2, 60, videotest::kRed));
  EXPECT_TRUE(ShowsColour(at, 222, 340, videotest::kYellow));
}

TEST_F(PaintTest, AFrameOfAnotherSizeIsCentredAndCropped) {
  Place(180, 320);
  rig_ = std::make_unique<StreamRig>("connect=0;fps=60;size=100x200");
  rig_->Play(&view_);
  ASSERT_TRUE(view_.WaitFrameSize(100, 200));
  PaintAll();
  // The 100 x 200 frame sits at (40, 60) of the control; the rest is not painted.
  EXPECT_EQ(uitest::CountRgb(canvas_.get(), RECT{10, 20, 49, 340}, 0), 39 * 320);
  EXPECT_EQ(uitest::CountRgb(canvas_.get(), RECT{50, 20, 150, 80}, 0), 100 * 60);
  auto at = [this](int x, int y) { return At(40 + x, 60 + y); };
  EXPECT_TRUE(ShowsColour(at, 20, 60, videotest::kRed, 0, 6));
  EXPECT_TRUE(ShowsColour(at, 80, 140, videotest::kYellow, 0, 6));
}

// ---------------------------------------------------------------------------------------------
// The render thread's part

TEST(DuiVideoViewFrames, TheRenderThreadOnlyAsksTheWindowThreadPaints) {
  auto* view = new ProbeView();
  RecordingListener listener;
  view->Connect(&listener);  // Every frame asks for a repaint.
  videotest::PaintingWindow window(RECT{40, 40, 220, 360}, view);
  StreamRig rig("connect=0;fps=60");
  rig.Play(view);

  // Nobody pumps this thread's messages: frames arrive, and nothing paints.
  ASSERT_TRUE(view->WaitFrames(5));
  EXPECT_EQ(view->paints(), 0);
  EXPECT_EQ(window.paints(), 0);

  ASSERT_TRUE(uitest::PumpUntil([&] { return window.paints() >= 3; }, 30000));
  for (DWORD thread : view->paint_threads()) EXPECT_EQ(thread, ::GetCurrentThreadId());
  for (DWORD thread : view->frame_threads()) EXPECT_NE(thread, ::GetCurrentThreadId());
  rig.player->stop();
  rig.player->setDisplay(nullptr);
}

// A layered window over ui::Window, attached at WM_CREATE as skinned windows are.
class LayeredTestWindow : public ui::Window {
 public:
  std::wstring GetWindowClassName() const override { return L"FernholdVideoLayeredTest"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) Init(GetHWND());
    return ui::Window::HandleMessage(message, wParam, lParam);
  }
};

TEST(DuiVideoViewFrames, FramesWhileTheWindowThreadIsBusyPostOnePaintToALayeredWindow) {
  LayeredTestWindow window;
  HWND hwnd = window.Create(nullptr, L"", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, true,
                            RECT{0, 0, 200, 200});
  ASSERT_TRUE(hwnd);
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  auto* view = new ProbeView();
  window.AttachRoot(view);
  view->SetPos(RECT{0, 0, 100, 100});
  RecordingListener listener;
  view->Connect(&listener);  // Every frame asks for a repaint.
  {
    StreamRig rig("connect=0;fps=120");
    rig.Play(view);
    // Nobody pumps this thread's messages, as when the window thread is held up.
    ASSERT_TRUE(view->WaitFrames(20));
  }
  EXPECT_EQ(uitest::TakePostedPaints(hwnd), 1);
}

// The control's clock, blocking the render thread inside the control's frame handling until
// released.
nbase::WaitableEvent g_in_clock(nbase::WaitableEvent::ResetPolicy::kManual, false);
nbase::WaitableEvent g_release_clock(nbase::WaitableEvent::ResetPolicy::kManual, false);
std::atomic<bool> g_clock_returned{false};

int64_t BlockingClock() {
  g_in_clock.Signal();
  g_release_clock.Wait();
  g_clock_returned = true;
  return 0;
}

class FrameInFlightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_in_clock.Reset();
    g_release_clock.Reset();
    g_clock_returned = false;
    ui::DuiVideoView::SetClockForTesting(&BlockingClock);
  }
  void TearDown() override {
    g_release_clock.Signal();
    ui::DuiVideoView::SetClockForTesting(nullptr);
  }
  // Gives a thread that was just told to unbind or destroy the control time to reach the frame
  // in flight. The result holds either way; without the wait the check may only pass trivially.
  static void LetItReachTheFrame() {
    nbase::WaitableEvent never(nbase::WaitableEvent::ResetPolicy::kManual, false);
    never.TimedWait(100);
  }
};

TEST_F(FrameInFlightTest, UnbindingWaitsOutAFrameInFlight) {
  ui::DuiVideoView view;  // No listener: each frame reads the clock.
  StreamRig rig("connect=0;fps=30");
  rig.Play(&view);
  ASSERT_TRUE(g_in_clock.TimedWait(30000));

  std::atomic<bool> frameDoneAtUnbind{false};
  std::thread unbinder([&] {
    rig.player->setDisplay(nullptr);
    frameDoneAtUnbind = g_clock_returned.load();
  });
  ASSERT_TRUE(WaitUntil([&] { return PlayerLogHas(rig.token, " setDisplay(null)"); }));
  LetItReachTheFrame();
  g_release_clock.Signal();
  unbinder.join();
  EXPECT_TRUE(frameDoneAtUnbind);
}

TEST_F(FrameInFlightTest, DestroyingTheControlWaitsOutAFrameInFlight) {
  // A render thread of the test's own, so that no player's unbinding waits for it.
  auto* view = new ui::DuiVideoView();
  std::thread renderThread([view] {
    VideoFrame frame;
    frame.width = 64;
    frame.height = 128;
    frame.sequence = 1;
    view->render(frame);
  });
  ASSERT_TRUE(g_in_clock.TimedWait(30000));

  std::atomic<bool> frameDoneAtDestruction{false};
  std::thread destroyer([&] {
    delete view;
    frameDoneAtDestruction = g_clock_returned.load();
  });
  LetItReachTheFrame();
  g_release_clock.Signal();
  destroyer.join();
  renderThread.join();
  EXPECT_TRUE(frameDoneAtDestruction);
}

}  // namespace
