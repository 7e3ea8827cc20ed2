#include "plugin/frame_convert.h"

#include <emmintrin.h>

#include <algorithm>
#include <cstring>

namespace frame_convert {
namespace {

inline uint32_t SwapPixel(uint32_t p) {
  return (p & 0xFF00FF00u) | ((p >> 16) & 0xFFu) | ((p & 0xFFu) << 16);
}

inline uint32_t Load(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

inline void Store(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Swaps bytes 0 and 2 of each 32-bit lane: 0xAARRGGBB -> 0xAABBGGRR.
inline __m128i SwapLanes(__m128i v) {
  const __m128i alphaGreen = _mm_set1_epi32(static_cast<int>(0xFF00FF00u));
  const __m128i redBlue = _mm_andnot_si128(alphaGreen, v);  // 0x00RR00BB
  // Swapping the two 16-bit halves of 0x00RR00BB gives 0x00BB00RR.
  const __m128i swapped = _mm_shufflehi_epi16(_mm_shufflelo_epi16(redBlue, 0xB1), 0xB1);
  return _mm_or_si128(_mm_and_si128(v, alphaGreen), swapped);
}

constexpr int kStrip = 16;  // source columns per strip: one 64-byte cache line

}  // namespace

void RotateCcwSwapRedBlueScalar(const uint8_t* src, int width, int height, uint8_t* dst) {
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t p = Load(src + (size_t(y) * width + x) * 4);
      Store(dst + (size_t(width - 1 - x) * height + y) * 4, SwapPixel(p));
    }
  }
}

void CopySwapRedBlueScalar(const uint8_t* src, size_t pixels, uint8_t* dst) {
  for (size_t i = 0; i < pixels; ++i) Store(dst + i * 4, SwapPixel(Load(src + i * 4)));
}

void RotateCcwSwapRedBlue(const uint8_t* src, int width, int height, uint8_t* dst) {
  if (width <= 0 || height <= 0) return;
  const int width4 = width & ~3;
  const int height4 = height & ~3;
  const size_t srcStride = size_t(width) * 4;
  const size_t dstStride = size_t(height) * 4;

  for (int strip = 0; strip < width4; strip += kStrip) {
    const int stripEnd = std::min(strip + kStrip, width4);
    for (int y = 0; y < height4; y += 4) {
      const uint8_t* row0 = src + size_t(y) * srcStride;
      for (int x = strip; x < stripEnd; x += 4) {
        const uint8_t* s = row0 + size_t(x) * 4;
        const __m128i r0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        const __m128i r1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + srcStride));
        const __m128i r2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * srcStride));
        const __m128i r3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 3 * srcStride));
        // Transpose: column i of the block becomes c[i] (rows y..y+3 of source column x+i).
        const __m128i t0 = _mm_unpacklo_epi32(r0, r1);
        const __m128i t1 = _mm_unpacklo_epi32(r2, r3);
        const __m128i t2 = _mm_unpackhi_epi32(r0, r1);
        const __m128i t3 = _mm_unpackhi_epi32(r2, r3);
        const __m128i c0 = SwapLanes(_mm_unpacklo_epi64(t0, t1));
        const __m128i c1 = SwapLanes(_mm_unpackhi_epi64(t0, t1));
        const __m128i c2 = SwapLanes(_mm_unpacklo_epi64(t2, t3));
        const __m128i c3 = SwapLanes(_mm_unpackhi_epi64(t2, t3));
        // Source column x lands on destination row width - 1 - x, from column y on.
        uint8_t* d = dst + size_t(width - 1 - x) * dstStride + size_t(y) * 4;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), c0);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d - dstStride), c1);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d - 2 * dstStride), c2);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d - 3 * dstStride), c3);
      }
    }
  }
  // Edges that do not fill a 4 x 4 block: the last rows under the blocks, then the last columns.
  for (int y = height4; y < height; ++y) {
    for (int x = 0; x < width4; ++x) {
      Store(dst + (size_t(width - 1 - x) * height + y) * 4,
            SwapPixel(Load(src + (size_t(y) * width + x) * 4)));
    }
  }
  for (int y = 0; y < height; ++y) {
    for (int x = width4; x < width; ++x) {
      Store(dst + (size_t(width - 1 - x) * height + y) * 4,
            SwapPixel(Load(src + (size_t(y) * width + x) * 4)));
    }
  }
}

void CopySwapRedBlue(const uint8_t* src, size_t pixels, uint8_t* dst) {
  size_t i = 0;
  for (; i + 4 <= pixels; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i * 4), SwapLanes(v));
  }
  for (; i < pixels; ++i) Store(dst + i * 4, SwapPixel(Load(src + i * 4)));
}

}  // namespace frame_convert
