// Frame painting on plain pixel arrays: the turn, the centred copy, the stretch, clipping, and
// the rotation buffer that cannot grow.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "phone_window/video_frame_painter.h"

namespace {

using ui::PaintVideoFrame;
using ui::PixelSurface;
using ui::RotationBuffer;
using ui::VideoFrameView;

constexpr uint32_t kUnpainted = 0xDEADBEEF;

// A surface of width x height inside a larger array whose border of guard pixels must survive.
class GuardedSurface {
 public:
  GuardedSurface(int width, int height)
      : width_(width), height_(height), pixels_(size_t(width) * height + 2 * kGuard, kUnpainted) {}
  PixelSurface surface() { return PixelSurface{pixels_.data() + kGuard, width_, height_}; }
  uint32_t At(int x, int y) const { return pixels_[kGuard + size_t(y) * width_ + x]; }
  bool GuardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i)
      if (pixels_[i] != kUnpainted || pixels_[pixels_.size() - 1 - i] != kUnpainted) return false;
    return true;
  }
  int CountPainted() const {
    int count = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) count += At(x, y) != kUnpainted;
    return count;
  }

 private:
  static constexpr size_t kGuard = 64;
  int width_, height_;
  std::vector<uint32_t> pixels_;
};

// Pixel value = row * 100 + column.
std::vector<uint32_t> Numbered(int width, int height) {
  std::vector<uint32_t> pixels(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[size_t(y) * width + x] = y * 100 + x;
  return pixels;
}

TEST(VideoFramePainter, APictureFitsItsBoxWithItsAspectCentred) {
  auto fit = [](RECT box, int w, int h, RECT expected) {
    const RECT got = ui::FitPicture(box, w, h);
    return got.left == expected.left && got.top == expected.top && got.right == expected.right &&
           got.bottom == expected.bottom;
  };
  // 9:16 in boxes too wide, too high and exact; the free side is split evenly.
  EXPECT_TRUE(fit({10, 20, 370, 420}, 432, 768, {77, 20, 302, 420}));  // 225 x 400
  EXPECT_TRUE(fit({0, 0, 164, 326}, 9, 16, {0, 17, 164, 309}));        // 164 x 292 (291.6)
  EXPECT_TRUE(fit({0, 0, 640, 360}, 16, 9, {0, 0, 640, 360}));
  // Nothing to keep: the whole box.
  EXPECT_TRUE(fit({0, 0, 50, 60}, 0, 16, {0, 0, 50, 60}));
}

TEST(VideoFramePainter, TurnsCounterClockwise) {
  // 3 wide, 2 high:   0   1   2        turned, 2 wide, 3 high:   2 102
  //                 100 101 102                                  1 101
  //                                                              0 100
  const std::vector<uint32_t> source = Numbered(3, 2);
  std::vector<uint32_t> turned(6);
  ui::TurnCounterClockwise(source.data(), 3, 2, turned.data());
  EXPECT_EQ(turned, (std::vector<uint32_t>{2, 102, 1, 101, 0, 100}));

  // Across the turn's blocks, every pixel lands where the rule says.
  const int w = 150, h = 70;
  const std::vector<uint32_t> big = Numbered(w, h);
  std::vector<uint32_t> out(size_t(w) * h);
  ui::TurnCounterClockwise(big.data(), w, h, out.data());
  for (int i = 0; i < h; ++i)
    for (int j = 0; j < w; ++j) ASSERT_EQ(out[size_t(w - 1 - j) * h + i], big[size_t(i) * w + j]);
}

TEST(VideoFramePainter, CentresTheFrameAndLeavesTheRestAlone) {
  const std::vector<uint32_t> frame = Numbered(4, 2);
  GuardedSurface target(12, 10);
  RotationBuffer rotation;
  // Control (2, 3)-(10, 9): 8 x 6, so the frame goes to (4, 5).
  ASSERT_TRUE(PaintVideoFrame(VideoFrameView{frame.data(), 4, 2}, false, false,
                              RECT{2, 3, 10, 9}, RECT{0, 0, 12, 10}, &rotation, target.surface()));
  EXPECT_EQ(target.CountPainted(), 8);
  EXPECT_EQ(target.At(4, 5), 0u);
  EXPECT_EQ(target.At(7, 6), 103u);

  // Clipped to the dirty rectangle.
  GuardedSurface clipped(12, 10);
  PaintVideoFrame(VideoFrameView{frame.data(), 4, 2}, false, false, RECT{2, 3, 10, 9},
                  RECT{5, 0, 7, 6}, &rotation, clipped.surface());
  EXPECT_EQ(clipped.CountPainted(), 2);
  EXPECT_EQ(clipped.At(5, 5), 1u);
  EXPECT_EQ(clipped.At(6, 5), 2u);
}

TEST(VideoFramePainter, AFrameLargerThanTheControlShowsItsMiddle) {
  const std::vector<uint32_t> frame = Numbered(7, 5);
  GuardedSurface target(4, 3);
  RotationBuffer rotation;
  // Offsets (4 - 7) / 2 = -1 and (3 - 5) / 2 = -1, truncated toward zero.
  PaintVideoFrame(VideoFrameView{frame.data(), 7, 5}, false, false, RECT{0, 0, 4, 3},
                  RECT{0, 0, 4, 3}, &rotation, target.surface());
  EXPECT_EQ(target.CountPainted(), 12);
  EXPECT_EQ(target.At(0, 0), 101u);
  EXPECT_EQ(target.At(3, 2), 304u);
  EXPECT_TRUE(target.GuardsIntact());
}

TEST(VideoFramePainter, StretchesByNearestPixelOverTheWholeControl) {
  const std::vector<uint32_t> frame = Numbered(2, 2);
  GuardedSurface target(6, 4);
  RotationBuffer rotation;
  PaintVideoFrame(VideoFrameView{frame.data(), 2, 2}, false, true, RECT{1, 0, 5, 4},
                  RECT{0, 0, 6, 4}, &rotation, target.surface());
  EXPECT_EQ(target.CountPainted(), 16);
  EXPECT_EQ(target.At(1, 0), 0u);
  EXPECT_EQ(target.At(2, 1), 0u);
  EXPECT_EQ(target.At(3, 1), 1u);
  EXPECT_EQ(target.At(2, 2), 100u);
  EXPECT_EQ(target.At(4, 3), 101u);
  EXPECT_EQ(target.At(0, 0), kUnpainted);
  EXPECT_EQ(target.At(5, 0), kUnpainted);
}

TEST(VideoFramePainter, TurnsBeforePlacing) {
  // A 2 x 3 upright frame shown turned is 3 wide and 2 high.
  const std::vector<uint32_t> frame = Numbered(2, 3);
  GuardedSurface target(3, 2);
  RotationBuffer rotation;
  ASSERT_TRUE(PaintVideoFrame(VideoFrameView{frame.data(), 2, 3}, true, false, RECT{0, 0, 3, 2},
                              RECT{0, 0, 3, 2}, &rotation, target.surface()));
  EXPECT_EQ(target.At(0, 0), 1u);
  EXPECT_EQ(target.At(2, 0), 201u);
  EXPECT_EQ(target.At(0, 1), 0u);
  EXPECT_EQ(target.At(2, 1), 200u);
}

TEST(VideoFramePainter, AControlPartlyOffTheSurfaceWritesOnlyInside) {
  const std::vector<uint32_t> frame = Numbered(8, 8);
  for (bool stretch : {false, true}) {
    GuardedSurface target(5, 5);
    RotationBuffer rotation;
    PaintVideoFrame(VideoFrameView{frame.data(), 8, 8}, false, stretch, RECT{-3, -3, 5, 5},
                    RECT{-10, -10, 20, 20}, &rotation, target.surface());
    EXPECT_EQ(target.CountPainted(), 25);
    EXPECT_TRUE(target.GuardsIntact());
  }
}

TEST(VideoFramePainter, AFrameTheRotationBufferCannotHoldIsSkipped) {
  const std::vector<uint32_t> frame = Numbered(4, 4);
  GuardedSurface target(4, 4);
  RotationBuffer rotation(/*maxPixels=*/15);
  EXPECT_FALSE(PaintVideoFrame(VideoFrameView{frame.data(), 4, 4}, true, false, RECT{0, 0, 4, 4},
                               RECT{0, 0, 4, 4}, &rotation, target.surface()));
  EXPECT_EQ(target.CountPainted(), 0);
  EXPECT_EQ(rotation.capacity(), 0u);

  // Unturned frames need no buffer.
  EXPECT_TRUE(PaintVideoFrame(VideoFrameView{frame.data(), 4, 4}, false, false, RECT{0, 0, 4, 4},
                              RECT{0, 0, 4, 4}, &rotation, target.surface()));
  EXPECT_EQ(target.CountPainted(), 16);
}

TEST(VideoFramePainter, TheRotationBufferGrowsAndNeverShrinks) {
  RotationBuffer rotation(100);
  uint32_t* first = rotation.Reserve(80);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(rotation.Reserve(10), first);
  EXPECT_EQ(rotation.capacity(), 80u);
  EXPECT_EQ(rotation.Reserve(101), nullptr);
  EXPECT_EQ(rotation.capacity(), 80u);  // The old storage stays usable.
  EXPECT_EQ(rotation.Reserve(80), first);
}

}  // namespace
