// The frame conversions' fast paths against the plain per-pixel ones, byte for byte: every pixel
// count and frame size with an edge, buffers at every alignment, and nothing written outside the
// destination.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "plugin/frame_convert.h"

namespace {

using frame_convert::Simd;

constexpr size_t kGuard = 32;        // bytes kept before and after each destination
constexpr uint8_t kUntouched = 0xEE;

// A buffer of random bytes with `offset` bytes in front of the pixels, so that the pixels start
// at any alignment.
struct Buffer {
  Buffer(size_t bytes, size_t offset, unsigned seed) : storage(kGuard + offset + bytes + kGuard) {
    std::mt19937 random(seed);
    for (uint8_t& b : storage) b = static_cast<uint8_t>(random());
    pixels = storage.data() + kGuard + offset;
  }
  std::vector<uint8_t> storage;
  uint8_t* pixels;
};

struct Target {
  Target(size_t bytes, size_t offset)
      : storage(kGuard + offset + bytes + kGuard, kUntouched), pixels(storage.data() + kGuard + offset) {}
  std::vector<uint8_t> storage;
  uint8_t* pixels;
};

const Simd kPaths[] = {Simd::kBest, Simd::kSse2};

std::string Name(Simd simd) { return simd == Simd::kBest ? (frame_convert::UsesSsse3() ? "SSSE3" : "best=SSE2") : "SSE2"; }

TEST(FrameConvert, CopyMatchesThePlainLoopAtEveryCountAndAlignment) {
  std::vector<size_t> counts;
  for (size_t n = 0; n <= 70; ++n) counts.push_back(n);  // every edge of the 4- and 16-pixel steps
  for (size_t n : {size_t(287) * 511, size_t(288) * 512, size_t(288) * 512 + 3, size_t(431) * 767})
    counts.push_back(n);
  for (size_t pixels : counts) {
    for (size_t srcOffset : {0, 1, 3, 4, 8, 13}) {
      for (size_t dstOffset : {0, 2, 5, 12}) {
        SCOPED_TRACE(std::to_string(pixels) + " pixels, offsets " + std::to_string(srcOffset) +
                     "/" + std::to_string(dstOffset));
        const Buffer src(pixels * 4, srcOffset, static_cast<unsigned>(pixels * 7 + srcOffset));
        Target reference(pixels * 4, dstOffset);
        frame_convert::CopySwapRedBlueScalar(src.pixels, pixels, reference.pixels);
        for (Simd simd : kPaths) {
          SCOPED_TRACE(Name(simd));
          Target fast(pixels * 4, dstOffset);
          frame_convert::CopySwapRedBlue(src.pixels, pixels, fast.pixels, simd);
          ASSERT_EQ(fast.storage, reference.storage);  // guards included: nothing outside
        }
      }
    }
  }
  // The swap itself, once by hand.
  const uint8_t pixel[4] = {10, 20, 30, 40};
  for (Simd simd : kPaths) {
    uint8_t out[4] = {};
    frame_convert::CopySwapRedBlue(pixel, 1, out, simd);
    EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{30, 20, 10, 40}));
  }
}

TEST(FrameConvert, TurnMatchesThePlainLoopForOddSizesAtAnyAlignment) {
  for (auto size : std::vector<std::pair<int, int>>{
           {1, 1}, {3, 5}, {5, 3}, {7, 9}, {17, 9}, {31, 15}, {33, 17}, {511, 287}, {287, 511},
           {48, 32}}) {  // the last: whole strips of 16 columns and bands of 16 rows, no edge
    const int w = size.first, h = size.second;
    const size_t bytes = size_t(w) * h * 4;
    // 0 and 16: a 16-byte aligned frame that starts inside a cache line (at most one of the two
    // starts on one), which the blocks start from after a narrower first strip and band.
    for (size_t offset : {0, 1, 4, 7, 16}) {
      SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + ", offset " + std::to_string(offset));
      const Buffer src(bytes, offset, static_cast<unsigned>(w * 31 + h + offset));
      Target reference(bytes, offset);
      frame_convert::RotateCcwSwapRedBlueScalar(src.pixels, w, h, reference.pixels);
      for (Simd simd : kPaths) {
        SCOPED_TRACE(Name(simd));
        Target fast(bytes, offset);
        frame_convert::RotateCcwSwapRedBlue(src.pixels, w, h, fast.pixels, simd);
        ASSERT_EQ(fast.storage, reference.storage);
      }
    }
  }
}

}  // namespace
