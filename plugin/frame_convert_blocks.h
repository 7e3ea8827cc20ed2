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

// The blocked turn of everything that fills 4 x 16 blocks: four 4 x 4 blocks stacked, so that a
// step writes 64 contiguous bytes, a whole cache line, to each of four destination rows and never
// comes back to a line for its second half. The frame goes in strips of 16 source columns, top to
// bottom in bands of 16 rows: a strip's 16 destination rows are then written front to back, and
// its source lines are used up before the next band. Turning a whole band of rows at a time
// instead wrote each destination line in halves, a band apart, and with rows a multiple of 4096
// bytes apart plus a little (1280 pixels: 5120 bytes) the lines of a band share a handful of
// cache sets and were evicted between the halves. What is left under the last band goes in bands
// of eight rows.
template <typename Swap>
inline void TurnBlocks(const uint8_t* src, int width, int height, uint8_t* dst, Swap swap) {
  constexpr int kStripColumns = 16;
  const int width4 = width & ~3;
  const int height16 = height & ~15;
  const int height8 = height & ~7;
  const size_t srcStride = size_t(width) * 4;
  const size_t dstStride = size_t(height) * 4;
  for (int x0 = 0; x0 < width4; x0 += kStripColumns) {
    const int x1 = x0 + kStripColumns < width4 ? x0 + kStripColumns : width4;
    for (int y = 0; y < height16; y += 16) {
      const uint8_t* row = src + size_t(y) * srcStride;
      for (int x = x0; x < x1; x += 4) {
        // Source column x lands on destination row width - 1 - x, from column y on.
        uint8_t* d = dst + size_t(width - 1 - x) * dstStride + size_t(y) * 4;
        const uint8_t* s = row + size_t(x) * 4;
        TurnBlock(s, srcStride, d, dstStride, swap);
        TurnBlock(s + 4 * srcStride, srcStride, d + 16, dstStride, swap);
        TurnBlock(s + 8 * srcStride, srcStride, d + 32, dstStride, swap);
        TurnBlock(s + 12 * srcStride, srcStride, d + 48, dstStride, swap);
      }
    }
  }
  for (int y = height16; y < height8; y += 8) {
    const uint8_t* row = src + size_t(y) * srcStride;
    for (int x = 0; x < width4; x += 4) {
      uint8_t* d = dst + size_t(width - 1 - x) * dstStride + size_t(y) * 4;
      TurnBlock(row + size_t(x) * 4, srcStride, d, dstStride, swap);
      TurnBlock(row + 4 * srcStride + size_t(x) * 4, srcStride, d + 16, dstStride, swap);
    }
  }
}

}  // namespace

// The SSSE3 builds (frame_convert_ssse3.cpp); call only when the processor has it.
void TurnBlocksSsse3(const uint8_t* src, int width, int height, uint8_t* dst);
// Copies the first `pixels` & ~3 pixels with the swap; the caller copies the rest.
void CopySwapBlocksSsse3(const uint8_t* src, size_t pixels, uint8_t* dst);

}  // namespace frame_convert
