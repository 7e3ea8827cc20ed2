// Displays: where a player puts decoded frames.
//
// A display derives from `VideoDisplayWinBase` and overrides `onFrameReady`. The player binds it
// (`SWPlayer::setDisplay` / `changeDisplay`) and, on the player's render thread, calls `render`
// with each decoded frame. The base converts the frame into its own buffer, scaled to the size
// the display asked for with `setDstFormat` (4 bytes per pixel in B, G, R, A order, rows packed),
// and then calls `onFrameReady` on that same render thread. The override reads the frame between
// `lockFrameBuffer` and `unlockFrameBuffer`:
//
//   void MyDisplay::onFrameReady() {
//     lockFrameBuffer();
//     if (frameData() && frameWidth() > 0 && frameHeight() > 0) Copy(frameData(), ...);
//     unlockFrameBuffer();
//   }
//
// Thread-safety:
//   - `render` and `onFrameReady` run on the render thread of the player the display is bound to.
//     Unbinding (setDisplay(null), changeDisplay(other), stop) waits until a frame in flight has
//     been handed over, so a display that is unbound may be destroyed right after. Destroying a
//     display that is still bound is a caller fault: a frame may be inside the derived class's
//     onFrameReady while that part is already gone. The base then stops the player from
//     rendering into it and reports the fault (see swsim_dangling_display_count), but cannot make
//     the derived part safe.
//   - `setDstFormat`, `lockFrameBuffer`/`unlockFrameBuffer` and the frame accessors may be called
//     from any thread; the accessors are meaningful only while the frame buffer lock is held.
//   - `OnTouchEvent` may be called from any thread (typically a window thread).
#pragma once

#include <cstdint>
#include <memory>

#include "swplay/swplay_export.h"

namespace swplay_internal {
struct DisplayAccess;
}

// One decoded frame as the player hands it to a display. The pixels are produced by the display
// base at the display's requested size; the record carries what is needed to produce them.
struct VideoFrame {
  int width = 0;  // native size of the stream, in pixels
  int height = 0;
  uint32_t streamId = 0;    // id of the data source the frame came from
  uint32_t sequence = 0;    // frame number since the player was started, from 1
  int64_t timestampMs = 0;  // get_time_now_ms() at decode
  bool scalable = true;     // false: the stream keeps its size whatever the display asked for
};

class SWPLAY_API VideoDisplay {
 public:
  VideoDisplay();
  virtual ~VideoDisplay();
  VideoDisplay(const VideoDisplay&) = delete;
  VideoDisplay& operator=(const VideoDisplay&) = delete;

  // Tag used in the library's logs for this display.
  virtual void setLogId(unsigned id);
  // The phone turned; `rotation` as the stream reports it. The default only remembers it.
  virtual void onScreenRotation(int rotation);
  // Takes one frame on the render thread, then calls onFrameReady().
  virtual void render(const VideoFrame& frame) = 0;
  // A new frame is in the base's buffer (render thread).
  virtual void onFrameReady() = 0;

  // Feeds a touch into the stream of the data source this display is bound to: `count` points in
  // frame pixels; actions 0 down, 2 move, 1 up. Returns 0 when the touch was sent, -1 when the
  // display is not bound to a stream.
  int OnTouchEvent(int action, int count, const int* x, const int* y, const float* pressures);

 private:
  friend struct swplay_internal::DisplayAccess;
  struct Internals;
  std::unique_ptr<Internals> internals_;
};

class SWPLAY_API VideoDisplayWinBase : public VideoDisplay {
 public:
  VideoDisplayWinBase();
  ~VideoDisplayWinBase() override;

  // Asks that later frames be delivered as `width` x `height` pixels. `format` -1 and `flags` 0
  // select packed B, G, R, A. The stream may still deliver another size: read frameWidth() and
  // frameHeight() of every frame.
  void setDstFormat(int format, int width, int height, int flags);

  void render(const VideoFrame& frame) override;

  // Holds the frame buffer still. Hold it only while reading the frame.
  void lockFrameBuffer();
  void unlockFrameBuffer();
  // The last frame: pointer to its first pixel (null before the first frame), width, height.
  uint8_t* frameData() const;
  int frameWidth() const;
  int frameHeight() const;

 private:
  struct FrameStore;
  std::unique_ptr<FrameStore> store_;
};
