// The SSSE3 builds of the conversions: one byte shuffle swaps red and blue in four pixels.
// Compiled with SSSE3 enabled; reached only after a run-time check of the processor.
#include <tmmintrin.h>

#include "plugin/frame_convert_blocks.h"

namespace frame_convert {

namespace {

// Byte order of four pixels with the first and third byte of each swapped.
inline __m128i SwapOrder() {
  return _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
}

inline __m128i Load(const uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
inline void Store(uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

}  // namespace

void TurnBlocksSsse3(const uint8_t* src, int width, int height, uint8_t* dst) {
  const __m128i order = SwapOrder();
  TurnBlocks(src, width, height, dst, [order](__m128i v) { return _mm_shuffle_epi8(v, order); });
}

void CopySwapBlocksSsse3(const uint8_t* src, size_t pixels, uint8_t* dst) {
  const __m128i order = SwapOrder();
  const size_t bytes = pixels * 4;
  size_t i = 0;
  // A cache line per step: four loads ahead of four stores keep the load and store units busy.
  for (; i + 64 <= bytes; i += 64) {
    const __m128i a = Load(src + i);
    const __m128i b = Load(src + i + 16);
    const __m128i c = Load(src + i + 32);
    const __m128i d = Load(src + i + 48);
    Store(dst + i, _mm_shuffle_epi8(a, order));
    Store(dst + i + 16, _mm_shuffle_epi8(b, order));
    Store(dst + i + 32, _mm_shuffle_epi8(c, order));
    Store(dst + i + 48, _mm_shuffle_epi8(d, order));
  }
  for (; i + 16 <= bytes; i += 16) Store(dst + i, _mm_shuffle_epi8(Load(src + i), order));
}

}  // namespace frame_convert
