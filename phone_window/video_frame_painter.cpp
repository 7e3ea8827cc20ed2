#include "phone_window/video_frame_painter.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace ui {

namespace {

// Side of the square blocks a turn walks: a block of source rows stays in the cache while its
// columns become destination rows.
constexpr int kTurnBlock = 64;

bool Intersect(const RECT& a, const RECT& b, RECT* out) {
  out->left = std::max(a.left, b.left);
  out->top = std::max(a.top, b.top);
  out->right = std::min(a.right, b.right);
  out->bottom = std::min(a.bottom, b.bottom);
  return out->left < out->right && out->top < out->bottom;
}

uint32_t* SurfaceRow(const PixelSurface& surface, int y) {
  return surface.pixels + static_cast<size_t>(y) * surface.width;
}

// The image unscaled, centred in the control, inside clip.
void CopyCentred(const VideoFrameView& image, const RECT& control, const RECT& clip,
                 const PixelSurface& surface) {
  const int left = control.left + (control.right - control.left - image.width) / 2;
  const int top = control.top + (control.bottom - control.top - image.height) / 2;
  RECT target;
  if (!Intersect(clip, RECT{left, top, left + image.width, top + image.height}, &target)) return;
  const size_t rowBytes = static_cast<size_t>(target.right - target.left) * sizeof(uint32_t);
  for (int y = target.top; y < target.bottom; ++y) {
    const uint32_t* source =
        image.pixels + static_cast<size_t>(y - top) * image.width + (target.left - left);
    std::memcpy(SurfaceRow(surface, y) + target.left, source, rowBytes);
  }
}

// The image stretched over the whole control by nearest pixel, inside clip.
void StretchNearest(const VideoFrameView& image, const RECT& control, const RECT& clip,
                    const PixelSurface& surface) {
  const int64_t width = control.right - control.left;
  const int64_t height = control.bottom - control.top;
  std::vector<int> sourceColumn(static_cast<size_t>(clip.right - clip.left));
  for (int x = clip.left; x < clip.right; ++x)
    sourceColumn[x - clip.left] = static_cast<int>((x - control.left) * image.width / width);
  for (int y = clip.top; y < clip.bottom; ++y) {
    const int sourceRow = static_cast<int>((y - control.top) * image.height / height);
    const uint32_t* source = image.pixels + static_cast<size_t>(sourceRow) * image.width;
    uint32_t* target = SurfaceRow(surface, y) + clip.left;
    for (size_t i = 0; i < sourceColumn.size(); ++i) target[i] = source[sourceColumn[i]];
  }
}

}  // namespace

RECT FitPicture(const RECT& box, int pictureWidth, int pictureHeight) {
  const int64_t width = box.right - box.left;
  const int64_t height = box.bottom - box.top;
  if (pictureWidth <= 0 || pictureHeight <= 0 || width <= 0 || height <= 0) return box;
  int64_t fitWidth = width;
  int64_t fitHeight = height;
  // Compared as products, so no side is rounded before the other is known.
  if (width * pictureHeight > height * pictureWidth) {
    fitWidth = (height * pictureWidth * 2 + pictureHeight) / (pictureHeight * 2);
  } else {
    fitHeight = (width * pictureHeight * 2 + pictureWidth) / (pictureWidth * 2);
  }
  const LONG left = box.left + static_cast<LONG>((width - fitWidth) / 2);
  const LONG top = box.top + static_cast<LONG>((height - fitHeight) / 2);
  return RECT{left, top, left + static_cast<LONG>(fitWidth), top + static_cast<LONG>(fitHeight)};
}

uint32_t* RotationBuffer::Reserve(size_t pixelCount) {
  if (pixelCount <= capacity_) return pixels_.get();
  if (pixelCount > max_pixels_) return nullptr;
  std::unique_ptr<uint32_t[]> grown(new (std::nothrow) uint32_t[pixelCount]);
  if (!grown) return nullptr;
  pixels_ = std::move(grown);
  capacity_ = pixelCount;
  return pixels_.get();
}

void TurnCounterClockwise(const uint32_t* src, int width, int height, uint32_t* dst) {
  for (int i0 = 0; i0 < height; i0 += kTurnBlock) {
    const int iEnd = std::min(height, i0 + kTurnBlock);
    for (int j0 = 0; j0 < width; j0 += kTurnBlock) {
      const int jEnd = std::min(width, j0 + kTurnBlock);
      for (int j = j0; j < jEnd; ++j) {
        uint32_t* out = dst + static_cast<size_t>(width - 1 - j) * height;
        const uint32_t* in = src + j;
        for (int i = i0; i < iEnd; ++i) out[i] = in[static_cast<size_t>(i) * width];
      }
    }
  }
}

bool PaintVideoFrame(const VideoFrameView& frame, bool turn, bool stretch, const RECT& control,
                     const RECT& clip, RotationBuffer* rotationBuffer,
                     const PixelSurface& surface) {
  if (!frame.pixels || frame.width <= 0 || frame.height <= 0 || !surface.pixels) return true;
  RECT area;
  if (!Intersect(clip, control, &area) ||
      !Intersect(area, RECT{0, 0, surface.width, surface.height}, &area))
    return true;

  VideoFrameView image = frame;
  if (turn) {
    uint32_t* turned =
        rotationBuffer ? rotationBuffer->Reserve(static_cast<size_t>(frame.width) * frame.height)
                       : nullptr;
    if (!turned) return false;
    TurnCounterClockwise(frame.pixels, frame.width, frame.height, turned);
    image = VideoFrameView{turned, frame.height, frame.width};
  }
  if (stretch)
    StretchNearest(image, control, area, surface);
  else
    CopyCentred(image, control, area, surface);
  return true;
}

}  // namespace ui
