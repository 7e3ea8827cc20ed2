// The SSSE3 build of the blocked quarter turn: one byte shuffle swaps red and blue in four
// pixels. Compiled with SSSE3 enabled; reached only after a run-time check of the processor.
#include <tmmintrin.h>

#include "plugin/frame_convert_blocks.h"

namespace frame_convert {

void TurnBlocksSsse3(const uint8_t* src, int width, int height, uint8_t* dst) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 3, 6, 5, 4, 7, 10, 9, 8, 11, 14, 13, 12, 15);
  TurnBlocks(src, width, height, dst, [order](__m128i v) { return _mm_shuffle_epi8(v, order); });
}

}  // namespace frame_convert
