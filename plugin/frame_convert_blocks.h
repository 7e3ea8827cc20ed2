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

// The blocked turn of everything that fills 4 x 8 blocks (4 source columns, 8 source rows:
// two blocks stacked, so each destination row gets 32 contiguous bytes per step). The blocks go
// in bands of eight source rows, left to right: a band's source rows stay in the first-level
// cache while it is read 16 bytes a row at a time.
template <typename Swap>
inline void TurnBlocks(const uint8_t* src, int width, int height, uint8_t* dst, Swap swap) {
  const int width4 = width & ~3;
  const int height8 = height & ~7;
  const size_t srcStride = size_t(width) * 4;
  const size_t dstStride = size_t(height) * 4;
  for (int y = 0; y < height8; y += 8) {
    const uint8_t* row = src + size_t(y) * srcStride;
    for (int x = 0; x < width4; x += 4) {
      // Source column x lands on destination row width - 1 - x, from column y on.
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
