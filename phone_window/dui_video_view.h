// DuiVideoView: the control that shows a phone's video and turns the mouse into touches.
//
// It is at once a ui::Box (markup places it by the class name "DuiVideoView", made by the
// application's control factory) and the streaming SDK's software display: the session binds it
// to its player, the SDK renders decoded frames into the display's frame buffer on its render
// thread, and the control paints the latest frame into its window on the window thread.
//
//   auto* video = static_cast<ui::DuiVideoView*>(window->FindControl(L"video_view"));
//   video->Connect(phoneWindow);          // mouse -> touches, and phoneWindow hears of each
//   player->changeDisplay(video);         // frames start to flow
//   ...
//   player->setDisplay(nullptr);          // waits out a frame in flight; then it may go
//
// Picture: the phone's screen keeps its aspect. It is shown as the largest rectangle of the
// phone's shape (turned for rotation 2) centred in the control; the bands beside it take the
// control's background colour ("bkcolor"; none: they are left to the parent). Until the first
// frame tells the phone's size the picture is the whole control.
//
// Frames: the control asks the SDK for frames of the picture's size (setDstFormat at the first
// paint after a size change, the sides swapped for rotation 2), so a paint is a row copy of the
// frame centred in the control. With rotation 2 the frame is shown turned a quarter turn
// counter-clockwise. While the window is in an interactive resize the old frame size is stretched
// over the picture by nearest pixel, and the new size is asked for once the resize ends.
//
// Touches: a button-down on the picture, the moves while the button is down (at most one per
// 20 ms) and the button-up become touches sent to the SDK in the phone's pixels (the stream's own
// frame size), and the listener is told each as fractions of the picture.
//
// Thread-safety:
//   - The render thread only enters render() and onFrameReady(). It records the frame's size and
//     asks for a repaint (InvalidateRect of where the control was last placed, which never waits
//     for the window thread); it never paints and never touches the control tree.
//   - Everything else runs on the window's thread. Paint reads the frame between
//     lockFrameBuffer and unlockFrameBuffer, the only synchronisation with the SDK.
//   - Unbind the display from its player (setDisplay(null), changeDisplay(other), stop) before
//     destroying the control: the SDK then waits out a frame in flight. The destructor also waits
//     for a frame that is inside render() and takes no frame afterwards.
#ifndef PHONE_WINDOW_DUI_VIDEO_VIEW_H_
#define PHONE_WINDOW_DUI_VIDEO_VIEW_H_

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "phone_window/touch_event_listener.h"
#include "phone_window/video_frame_painter.h"
#include "swplay/video_display.h"
#include "ui/core/box.h"
#include "ui/core/paint_request.h"

namespace ui {

class DuiVideoView : public Box, public VideoDisplayWinBase {
 public:
  // Touch actions sent to the SDK and the listener.
  static constexpr int kTouchDown = 0;
  static constexpr int kTouchUp = 1;
  static constexpr int kTouchMove = 2;
  // A move that comes this many milliseconds or less after the previous one is dropped.
  static constexpr int64_t kMoveIntervalMs = 19;
  // Without a touch listener, repaints are asked for at most once per this many milliseconds,
  // counted across every video control of the process.
  static constexpr int64_t kUnlistenedRepaintIntervalMs = 50;

  DuiVideoView();
  ~DuiVideoView() override;

  // Attaches the mouse handlers (move, button down, button up) and tells listener about every
  // touch from now on. Returns true.
  bool Connect(TouchEventListener* listener);

  // Where the phone's picture is shown (window client coordinates; see above). Window thread.
  RECT GetPictureRect() const;

  // The point (window client coordinates) as fractions of the picture: rotation odd
  // fx = (x - left) / w, fy = (y - top) / h; rotation even fx = (bottom - y) / h,
  // fy = (x - left) / w. False, leaving fx and fy alone, when the picture is less than one pixel
  // wide or high.
  bool toTouchPercent(int x, int y, float& fx, float& fy) const;

  // One touch to the SDK at (fx, fy) of the phone's frame (an up goes at (-1, -1)), then to the
  // listener as fractions.
  void SendTouch(int action, float fx, float fy);

  // 1 or 2: odd shows frames as delivered, even turns them.
  int GetRotation() const { return rotation_; }
  void SetRotation(int rotation) { rotation_ = rotation; }
  // Set while the window is in an interactive move or size loop.
  bool IsResizing() const { return resizing_; }
  void SetResizing(bool resizing) { resizing_ = resizing; }

  // The clock of the move throttle and the repaint limit; null restores the SDK's
  // get_time_now_ms. For tests, set while no frames flow.
  using Clock = int64_t (*)();
  static void SetClockForTesting(Clock clock);

  // ----- ui::Box ---------------------------------------------------------------------------------
  void SetWindowAndParent(Window* window, Box* parent, bool init) override;
  void SetPos(RECT rect) override;
  void SetVisible(bool visible) override;
  void SetInternVisible(bool visible) override;
  // The latest frame as described above, and the bands beside it.
  void Paint(IRenderContext* context, const RECT& area) override;

  // ----- VideoDisplayWinBase (render thread) -----------------------------------------------------
  void render(const VideoFrame& frame) override;
  // Asks for a repaint: at once with a touch listener, else within the process-wide limit.
  void onFrameReady() override;

 private:
  // Where a repaint request goes: published by the window thread, read by the render thread.
  struct RepaintTarget {
    HWND hwnd = nullptr;
    RECT rect = {0, 0, 0, 0};  // Client coordinates.
    // Of a layered window, which gets no WM_PAINT of its own; null for another.
    std::shared_ptr<PaintRequest> paint;
  };

  bool OnMouseMove(const EventArgs& args);
  bool OnButtonDown(const EventArgs& args);
  bool OnButtonUp(const EventArgs& args);

  // Window thread: records where the control now is for the render thread.
  void PublishRepaintTarget();
  // Render thread: invalidates the published rectangle.
  void RequestRepaint();
  // Fills the parts of `area` beside the picture with the control's background colour (all in
  // window client coordinates); nothing without one.
  void PaintBands(IRenderContext* context, const RECT& control, const RECT& picture,
                  const RECT& area);
  // Asks the SDK for frames of the picture's size when it changed; true when it changed.
  bool FollowPictureSize(int width, int height);

  // ----- Window thread -----
  bool resizing_ = false;
  TouchEventListener* listener_ = nullptr;
  int last_width_ = 0;  // The picture's size last asked for.
  int last_height_ = 0;
  int rotation_ = 1;
  int button_state_ = -1;  // 0 while the left button is down, 1 after it went up.
  int64_t last_move_time_ = 0;
  RotationBuffer rotation_buffer_;

  // ----- Shared with the render thread -----
  std::atomic<bool> has_listener_{false};
  // The stream's own frame size: the phone's screen, which touches are scaled to.
  std::atomic<int> phone_width_{0};
  std::atomic<int> phone_height_{0};
  std::mutex target_mutex_;  // Guards target_; held only to copy it.
  RepaintTarget target_;
  // Held by the render thread for the whole of a frame; the destructor takes it to wait out a
  // frame in flight and close the display to later ones.
  std::mutex frame_gate_;
  bool closed_ = false;  // Guarded by frame_gate_.
};

}  // namespace ui

#endif  // PHONE_WINDOW_DUI_VIDEO_VIEW_H_
