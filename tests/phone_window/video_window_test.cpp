// A video control in a real native window on the screen (Xvfb): the simulated phone's moving
// picture shows, upright for rotation 1 and turned for rotation 2, and changes where the frame
// counter is. The screenshots are kept as PNG files beside the test for looking at.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "phone_window/dui_video_view.h"
#include "tests/phone_window/video_test_support.h"
#include "tests/support/screen_capture.h"
#include "tests/ui/test_support.h"

namespace {

using test_support::ScreenCapture;
using videotest::ShowsColour;

// The window's client area on the screen, a capture of it, and the number of painted frames.
class VideoWindowTest : public ::testing::Test {
 protected:
  void Open(const RECT& screenRect, int rotation) {
    screen_rect_ = screenRect;
    view_ = new videotest::ProbeView();
    view_->SetRotation(rotation);
    view_->Connect(&listener_);  // A pop-out window always listens: every frame repaints.
    window_ = std::make_unique<videotest::PaintingWindow>(screenRect, view_);
    rig_ = std::make_unique<videotest::StreamRig>("connect=0;fps=30");
    rig_->Play(view_);
  }
  void TearDown() override {
    rig_.reset();
    window_.reset();
  }

  // Waits until the window painted a frame of the requested size, then some more frames.
  bool ShowsFramesOf(int width, int height) {
    if (!uitest::PumpUntil([&] { return window_->paints() > 0; }, 30000)) return false;
    if (!view_->WaitFrameSize(width, height)) return false;
    const int painted = window_->paints();
    return uitest::PumpUntil([&] { return window_->paints() >= painted + 2; }, 30000);
  }

  // Captures the client area after at least `frames` more frames were painted.
  ScreenCapture CaptureAfterFrames(int frames) {
    const int target = view_->frames() + frames;
    EXPECT_TRUE(uitest::PumpUntil([&] { return view_->frames() >= target; }, 30000));
    const int painted = window_->paints();
    EXPECT_TRUE(uitest::PumpUntil([&] { return window_->paints() > painted; }, 30000));
    return test_support::CaptureScreen(screen_rect_);
  }

  static void Save(const ScreenCapture& capture, const std::wstring& name) {
    std::vector<DWORD> argb(capture.pixels.size());
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = capture.pixels[i] | 0xFF000000;
    uitest::WritePng(name, capture.width, capture.height, argb);
  }

  // Pixels of `rect` that differ between a and b.
  static int Differences(const ScreenCapture& a, const ScreenCapture& b, const RECT& rect) {
    int count = 0;
    for (int y = rect.top; y < rect.bottom; ++y)
      for (int x = rect.left; x < rect.right; ++x) count += a.Rgb(x, y) != b.Rgb(x, y);
    return count;
  }

  RECT screen_rect_ = {};
  videotest::ProbeView* view_ = nullptr;  // Owned by window_.
  struct : ui::TouchEventListener {
    void OnTouch(int, int, float, float, float) override {}
  } listener_;
  std::unique_ptr<videotest::PaintingWindow> window_;
  std::unique_ptr<videotest::StreamRig> rig_;
};

TEST_F(VideoWindowTest, RotationOneShowsTheMovingPictureUpright) {
  Open(RECT{60, 60, 60 + 270, 60 + 480}, 1);
  ASSERT_TRUE(ShowsFramesOf(270, 480));
  const ScreenCapture first = CaptureAfterFrames(1);
  const ScreenCapture later = CaptureAfterFrames(10);
  Save(first, L"video_window_rotation1_first.png");
  Save(later, L"video_window_rotation1_later.png");

  for (const ScreenCapture* shot : {&first, &later}) {
    auto at = [shot](int x, int y) { return shot->Rgb(x, y); };
    EXPECT_TRUE(ShowsColour(at, 60, 150, videotest::kRed));
    EXPECT_TRUE(ShowsColour(at, 210, 150, videotest::kGreen));
    EXPECT_TRUE(ShowsColour(at, 60, 330, videotest::kBlue));
    EXPECT_TRUE(ShowsColour(at, 210, 330, videotest::kYellow));
  }
  // The panel in the middle holds the stream id over the frame counter, in digits 5 pixels a
  // unit from x = 35: the counter's line changed, the id's did not.
  const RECT idLine = {35, 210, 235, 236}, counterLine = {35, 240, 235, 266};
  EXPECT_GT(Differences(first, later, counterLine), 0);
  EXPECT_EQ(Differences(first, later, idLine), 0);
}

TEST_F(VideoWindowTest, RotationTwoShowsThePictureTurned) {
  Open(RECT{60, 60, 60 + 480, 60 + 270}, 2);
  ASSERT_TRUE(ShowsFramesOf(270, 480));  // Upright frames, turned on the screen.
  const ScreenCapture first = CaptureAfterFrames(1);
  const ScreenCapture later = CaptureAfterFrames(10);
  Save(first, L"video_window_rotation2_first.png");
  Save(later, L"video_window_rotation2_later.png");

  for (const ScreenCapture* shot : {&first, &later}) {
    auto at = [shot](int x, int y) { return shot->Rgb(x, y); };
    EXPECT_TRUE(ShowsColour(at, 150, 60, videotest::kGreen, 12, 0));
    EXPECT_TRUE(ShowsColour(at, 330, 60, videotest::kYellow, 12, 0));
    EXPECT_TRUE(ShowsColour(at, 150, 210, videotest::kRed, 12, 0));
    EXPECT_TRUE(ShowsColour(at, 330, 210, videotest::kBlue, 12, 0));
  }
  // The panel is turned too: the counter's line is the band right of the id's.
  const RECT idLine = {210, 35, 236, 235}, counterLine = {240, 35, 266, 235};
  EXPECT_GT(Differences(first, later, counterLine), 0);
  EXPECT_EQ(Differences(first, later, idLine), 0);
}

}  // namespace
