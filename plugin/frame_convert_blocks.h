// The blocked quarter turn shared by the SSE2 and SSSE3 builds of the frame conversion (private
// to frame_convert*.cpp). Everything here has internal linkage, so the copy compiled for SSSE3
// never stands in for the SSE2 one.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>

namespace frame_convert {
namespace {

// One 4 x 4 block: source rows s, s + stride, ... (4 pixels each) become the 4 destination rows
// d, d - dstStride, ... (4 pixels each), with red and blue swapped by `swap`.
template <typename Swap>
inline void TurnBlock(const uint8_t* s, size_t srcStride, uint8_t* d, size_t dstStride, Swap swap) {
  const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
  const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + srcStride));
  const __m128i r2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * srcStride));
  const __m128i r3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * srcStride));
  // Transpose: c[i] holds source column i of the block, rows top to bottom.
  const __m128i t0 = _mm_unpacklo_epi32(r0, r1);
  const __m128i t1 = _mm_unpacklo_epi32(r2, r3);
  const __m128i t2 = _mm_unpackhi_epi32(r0, r1);
  const __m128i t3 = _mm_unpackhi_epi32(r2, r3);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d), swap(_mm_unpacklo_epi64(t0, t1)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d - dstStride), swap(_mm_unpackhi_epi64(t0, t1)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d - 2 * dstStride), swap(_mm_unpacklo_epi64(t2, t3)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(d - 3 * dstStride), swap(_mm_unpackhi_epi64(t2, t3)));
}

// Pixels (a multiple of 4) from `p` to the next 64-byte line boundary, when rows `stride` bytes
// apart all start at the same place in a line; 0 when they do not or when `p` is not 16-byte
// aligned (the blocks move 4 pixels at a time). Never more than `limit`.
inline int PixelsToLine(const uint8_t* p, size_t stride, int limit) {
  const size_t offset = reinterpret_cast<uintptr_t>(p) % 64;
  if (stride % 64 != 0 || offset % 16 != 0) return 0;
  const int pixels = static_cast<int>((64 - offset) % 64 / 4);
  return pixels < limit ? pixels : limit;
}

// The blocked turn of everything that fills 4 x 4 blocks (the first width & ~3 columns, the first
// height & ~3 rows). Blocks go four high, so that a step writes 64 contiguous bytes, a whole cache
// line, to each of four destination rows and never comes back to a line for its second half; the
// frame goes in strips of 16 source columns (16 x 4 bytes, a whole source line per row), each top
// to bottom in bands of 16 rows. Strips and bands start on line boundaries where the rows allow,
// after a narrower first strip or band. Turning a whole band of rows at a time instead wrote each
// destination line in halves, a band apart, and with rows a multiple of 4096 bytes apart plus a
// little (1280 pixels: 5120 bytes) the lines of a band share a handful of cache sets and were
// evicted between the halves.
template <typename Swap>
inline void TurnBlocks(const uint8_t* src, int width, int height, uint8_t* dst, Swap swap) {
  constexpr int kStrip = 16;
  const int width4 = width & ~3;
  const int height4 = height & ~3;
  const size_t srcStride = size_t(width) * 4;
  const size_t dstStride = size_t(height) * 4;
  const int firstStrip = PixelsToLine(src, srcStride, width4);
  const int firstBand = PixelsToLine(dst, dstStride, height4);
  // Source column x lands on destination row width - 1 - x, from column y on.
  auto target = [&](int x, int y) {
    return dst + size_t(width - 1 - x) * dstStride + size_t(y) * 4;
  };
  int x1 = 0;
  for (int x0 = 0; x0 < width4; x0 = x1) {
    x1 = (x0 == 0 && firstStrip > 0) ? firstStrip : (x0 + kStrip < width4 ? x0 + kStrip : width4);
    // Four rows at a time up to the first band, 16 in the bands, four again after the last.
    auto fourRows = [&](int y) {
      const uint8_t* row = src + size_t(y) * srcStride;
      for (int x = x0; x < x1; x += 4) {
        TurnBlock(row + size_t(x) * 4, srcStride, target(x, y), dstStride, swap);
      }
    };
    int y = 0;
    for (; y < firstBand; y += 4) fourRows(y);
    for (; y + 16 <= height4; y += 16) {
      // The next band's destination lines are fetched while this band is turned: each is a line
      // of another row, which the hardware prefetcher does not see coming.
      if (y + 32 <= height4) {
        for (int x = x0; x < x1; ++x) {
          _mm_prefetch(reinterpret_cast<const char*>(target(x, y + 16)), _MM_HINT_T0);
        }
      }
      const uint8_t* row = src + size_t(y) * srcStride;
      for (int x = x0; x < x1; x += 4) {
        uint8_t* d = target(x, y);
        const uint8_t* s = row + size_t(x) * 4;
        TurnBlock(s, srcStride, d, dstStride, swap);
        TurnBlock(s + 4 * srcStride, srcStride, d + 16, dstStride, swap);
        TurnBlock(s + 8 * srcStride, srcStride, d + 32, dstStride, swap);
        TurnBlock(s + 12 * srcStride, srcStride, d + 48, dstStride, swap);
      }
    }
    for (; y < height4; y += 4) fourRows(y);
  }
}

}  // namespace

// The SSSE3 builds (frame_convert_ssse3.cpp); call only when the processor has it.
void TurnBlocksSsse3(const uint8_t* src, int width, int height, uint8_t* dst);
// Copies the first `pixels` & ~3 pixels with the swap; the caller copies the rest.
void CopySwapBlocksSsse3(const uint8_t* src, size_t pixels, uint8_t* dst);

}  // namespace frame_convert
