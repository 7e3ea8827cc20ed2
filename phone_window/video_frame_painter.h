// Painting a decoded video frame into a window's pixels.
//
// The video control (ui::DuiVideoView) asks the streaming SDK for frames of its own size, so a
// paint is normally one row copy per line: the frame centred in the control, nothing scaled. Two
// other paths exist: a phone turned sideways (rotation 2) delivers its frames upright and the
// control shows them turned a quarter turn counter-clockwise, through a rotation buffer that is
// reused from frame to frame; and while the window is being resized the SDK still delivers the
// old size, which is stretched over the control by nearest pixel until the resize ends.
//
//   ui::RotationBuffer rotation;
//   ui::PaintVideoFrame({pixels, 360, 640}, /*turn=*/false, /*stretch=*/false,
//                       RECT{0, 0, 360, 640}, dirty, &rotation, surface);
//
// Pixels are 32-bit words in B, G, R, A byte order; the SDK's frames and the window's render
// bitmap both hold them that way, so they are copied unchanged. Surfaces are top-down.
//
// Thread affinity: none; the caller holds the SDK's frame-buffer lock while the frame is read.
#ifndef PHONE_WINDOW_VIDEO_FRAME_PAINTER_H_
#define PHONE_WINDOW_VIDEO_FRAME_PAINTER_H_

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace ui {

// Top-down rows of width pixels, packed (the stride is width * 4 bytes).
struct PixelSurface {
  uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
};

// A frame as the SDK holds it: width x height pixels, rows packed.
struct VideoFrameView {
  const uint32_t* pixels = nullptr;
  int width = 0;
  int height = 0;
};

// Storage for turned frames. It grows to the largest frame seen and never shrinks, so turning
// costs no allocation once the size is steady.
class RotationBuffer {
 public:
  // Far above any phone screen (8192 x 8192 pixels); a frame that would need more is skipped.
  static constexpr size_t kDefaultMaxPixels = size_t(8192) * 8192;

  explicit RotationBuffer(size_t maxPixels = kDefaultMaxPixels) : max_pixels_(maxPixels) {}

  // Room for at least pixelCount pixels (contents undefined after growing); null when the buffer
  // cannot grow that far, above its limit or for want of memory. The old storage then stays.
  uint32_t* Reserve(size_t pixelCount);
  size_t capacity() const { return capacity_; }

 private:
  const size_t max_pixels_;
  std::unique_ptr<uint32_t[]> pixels_;
  size_t capacity_ = 0;
};

// Where a picture of pictureWidth x pictureHeight (any unit: only its aspect counts) is shown in
// `box`: the largest rectangle of that aspect inside the box, centred, its sides rounded to whole
// pixels (so the aspect holds within a pixel). The whole box when either picture side or box side
// is not positive.
RECT FitPicture(const RECT& box, int pictureWidth, int pictureHeight);

// Turns src (width x height) a quarter turn counter-clockwise into dst, which becomes height
// pixels wide and width high: the pixel at row i, column j goes to row width - 1 - j, column i.
void TurnCounterClockwise(const uint32_t* src, int width, int height, uint32_t* dst);

// Paints frame for a control at `control` (surface pixels), writing only inside `clip` (also
// surface pixels; it is limited to the control and the surface here). The frame is turned first
// when turn is set. stretch: nearest pixel over the whole control; otherwise the frame is centred
// in the control (offsets truncated toward zero), unscaled, and what it does not cover is left
// as it was. Returns false, with nothing painted, when the rotation buffer cannot hold the
// turned frame; true otherwise (also when nothing was inside the clip).
bool PaintVideoFrame(const VideoFrameView& frame, bool turn, bool stretch, const RECT& control,
                     const RECT& clip, RotationBuffer* rotationBuffer, const PixelSurface& surface);

}  // namespace ui

#endif  // PHONE_WINDOW_VIDEO_FRAME_PAINTER_H_
