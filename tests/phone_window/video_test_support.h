// Helpers of the video control's tests: a simulated phone streaming into a display, a video
// control that counts its frames and paints, a driven clock, and a plain native window that
// paints a control tree the simple way (the tree into the window's render bitmap, then a BitBlt).
#ifndef TESTS_PHONE_WINDOW_VIDEO_TEST_SUPPORT_H_
#define TESTS_PHONE_WINDOW_VIDEO_TEST_SUPPORT_H_

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "phone_window/dui_video_view.h"
#include "swplay/swplay.h"
#include "ui/core/window.h"

namespace videotest {

// Colours of the simulated phone's quadrants as 0xRRGGBB (the B, G, R bytes of its pixels).
constexpr uint32_t kRed = 0xE03020, kGreen = 0x20B040, kBlue = 0x3050E0, kYellow = 0xE0C020,
                   kWhite = 0xFFFFFF;

// One simulated phone (a data source scripted by `script`) and a player bound to it.
class StreamRig {
 public:
  explicit StreamRig(const std::string& script);
  // Stops the player and unbinds its display.
  ~StreamRig();

  // Binds display and starts the stream; frames flow once the phone is connected.
  void Play(VideoDisplay* display);
  // The data source's log of touches ("onTouchEvent(...)" lines), in order.
  std::vector<std::string> Touches() const;

  const std::string token;
  std::shared_ptr<SWDataSource> source;
  std::shared_ptr<SWPlayer> player;

 private:
  SWDataSourceListener listener_;
};

// A video control that counts the frames reaching it and remembers the threads that painted it.
class ProbeView : public ui::DuiVideoView {
 public:
  void onFrameReady() override;
  void Paint(ui::IRenderContext* context, const RECT& area) override;

  int frames();
  // Waits until `count` frames arrived in all.
  bool WaitFrames(int count, std::chrono::milliseconds timeout = std::chrono::seconds(30));
  // Waits for a frame whose buffer is width x height.
  bool WaitFrameSize(int width, int height,
                     std::chrono::milliseconds timeout = std::chrono::seconds(30));
  int paints();
  std::vector<DWORD> paint_threads();
  std::vector<DWORD> frame_threads();

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  int frames_ = 0;
  std::vector<DWORD> frame_threads_;
  std::vector<DWORD> paint_threads_;
};

// The clock the video control reads in the tests: starts far from 0 and moves only when told.
class TestClock {
 public:
  // Installs the clock at a time later than any earlier test's; uninstalls on destruction.
  TestClock();
  ~TestClock();
  void AdvanceMs(int64_t ms);
  int64_t NowMs() const;

 private:
  static int64_t Read();
};

// A plain native window at `screenRect` showing a ui::Window whose root is `root`, painted on
// WM_PAINT. Owned by the calling thread; messages are dispatched by its pump.
class PaintingWindow {
 public:
  PaintingWindow(const RECT& screenRect, ui::Control* root);
  ~PaintingWindow();
  PaintingWindow(const PaintingWindow&) = delete;
  PaintingWindow& operator=(const PaintingWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  ui::Window& window() { return window_; }
  // Completed WM_PAINT passes.
  int paints() const { return paints_.load(); }
  // Runs at the end of every WM_PAINT, after the picture reached the screen.
  std::function<void()> after_paint;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void OnPaint();

  HWND hwnd_ = nullptr;
  ui::Window window_;
  std::atomic<int> paints_{0};
};

// The pixel at (x, y) of a top-down render context as 0xRRGGBB.
uint32_t RgbAt(ui::IRenderContext* context, int x, int y);

// True when the pixel at (x, y) or the one at (x + dx, y + dy) has `color` and neither is
// anything but `color` or white: the phone's moving white bar is a narrow band across the
// picture (rows when upright, columns when turned), so two points a step apart across it cannot
// both lie on it.
template <typename PixelAt>
bool ShowsColour(PixelAt pixelAt, int x, int y, uint32_t color, int dx = 0, int dy = 12) {
  const uint32_t a = pixelAt(x, y), b = pixelAt(x + dx, y + dy);
  return (a == color || a == kWhite) && (b == color || b == kWhite) && (a == color || b == color);
}

}  // namespace videotest

#endif  // TESTS_PHONE_WINDOW_VIDEO_TEST_SUPPORT_H_
