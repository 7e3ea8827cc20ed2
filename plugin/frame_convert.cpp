#include "plugin/frame_convert.h"

#include <emmintrin.h>
#if defined(_MSC_VER)
#include <intrin.h>
#endif

#include <algorithm>
#include <cstring>

#include "plugin/frame_convert_blocks.h"

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

namespace {

void TurnBlocksSse2(const uint8_t* src, int width, int height, uint8_t* dst) {
  TurnBlocks(src, width, height, dst, [](__m128i v) { return SwapLanes(v); });
}

bool HasSsse3() {
#if defined(_MSC_VER)
  static const bool has = [] {
    int info[4] = {};
    __cpuid(info, 1);
    return (info[2] & (1 << 9)) != 0;  // ECX bit 9: SSSE3
  }();
#else
  static const bool has = __builtin_cpu_supports("ssse3");
#endif
  return has;
}

}  // namespace

bool UsesSsse3() { return HasSsse3(); }

void RotateCcwSwapRedBlue(const uint8_t* src, int width, int height, uint8_t* dst, Simd simd) {
  if (width <= 0 || height <= 0) return;
  if (simd == Simd::kBest && HasSsse3()) {
    TurnBlocksSsse3(src, width, height, dst);
  } else {
    TurnBlocksSse2(src, width, height, dst);
  }
  // Edges that do not fill a block: the rows under the blocks, then the last columns.
  const int width4 = width & ~3;
  const int height4 = height & ~3;
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

void CopySwapRedBlue(const uint8_t* src, size_t pixels, uint8_t* dst, Simd simd) {
  const size_t pixels4 = pixels & ~size_t{3};
  if (simd == Simd::kBest && HasSsse3()) {
    CopySwapBlocksSsse3(src, pixels, dst);
  } else {
    for (size_t i = 0; i < pixels4; i += 4) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i * 4));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i * 4), SwapLanes(v));
    }
  }
  for (size_t i = pixels4; i < pixels; ++i) Store(dst + i * 4, SwapPixel(Load(src + i * 4)));
}

}  // namespace frame_convert
