// Pixel conversions from the streaming library's frames (B, G, R, A bytes) to the engine's
// textures (R, G, B, A bytes), 4 bytes per pixel, rows packed.
//
// The fast paths use SSE2 (every x86-64 processor has it): 4 x 4 pixel blocks are transposed in
// registers and the red and blue bytes swapped on the way, in strips of 16 source columns so the
// source cache lines of one strip stay hot while its destination rows are written.
//
// Thread-safety: pure functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace frame_convert {

// Turns the `width` x `height` frame `src` a quarter turn counter-clockwise into `dst`, which is
// `height` pixels wide and `width` high, swapping the first and third byte of every pixel: the
// source pixel in column x, row y goes to column y, row width - 1 - x. `src` and `dst` must not
// overlap.
void RotateCcwSwapRedBlue(const uint8_t* src, int width, int height, uint8_t* dst);

// Copies `pixels` pixels, swapping the first and third byte of each.
void CopySwapRedBlue(const uint8_t* src, size_t pixels, uint8_t* dst);

// Plain per-pixel versions of the two, the reference for tests and benchmarks.
void RotateCcwSwapRedBlueScalar(const uint8_t* src, int width, int height, uint8_t* dst);
void CopySwapRedBlueScalar(const uint8_t* src, size_t pixels, uint8_t* dst);

}  // namespace frame_convert
