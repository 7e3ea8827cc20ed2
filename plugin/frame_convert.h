// Pixel conversions from the streaming library's frames (B, G, R, A bytes) to the engine's
// textures (R, G, B, A bytes), 4 bytes per pixel, rows packed.
//
// The fast paths swap the red and blue bytes of four pixels at a time, with one SSSE3 byte
// shuffle where the processor has it (checked once, at run time) or five SSE2 operations
// otherwise (every x86-64 processor has SSE2). The straight copy runs at about the speed of
// memcpy that way. The quarter turn transposes 4 x 4 pixel blocks in registers and swaps on the
// way, four blocks high, so that each destination row is written a whole 64-byte cache line at a
// time; the blocks go in strips of 16 source columns, 16 rows at a time, at about twice the time
// of memcpy from 360 x 640 to 1080 x 1920 either way round.
//
// Thread-safety: pure functions.
#pragma once

#include <cstddef>
#include <cstdint>

namespace frame_convert {

// Which instructions a conversion may use: the best the processor has, or SSE2 only.
enum class Simd { kBest, kSse2 };

// Turns the `width` x `height` frame `src` a quarter turn counter-clockwise into `dst`, which is
// `height` pixels wide and `width` high, swapping the first and third byte of every pixel: the
// source pixel in column x, row y goes to column y, row width - 1 - x. `src` and `dst` must not
// overlap.
void RotateCcwSwapRedBlue(const uint8_t* src, int width, int height, uint8_t* dst,
                          Simd simd = Simd::kBest);
// True when kBest uses SSSE3 (both conversions).
bool UsesSsse3();

// Copies `pixels` pixels, swapping the first and third byte of each. `src` and `dst` need no
// alignment and must not overlap.
void CopySwapRedBlue(const uint8_t* src, size_t pixels, uint8_t* dst, Simd simd = Simd::kBest);

// Plain per-pixel versions of the two, the reference for tests and benchmarks.
void RotateCcwSwapRedBlueScalar(const uint8_t* src, int width, int height, uint8_t* dst);
void CopySwapRedBlueScalar(const uint8_t* src, size_t pixels, uint8_t* dst);

}  // namespace frame_convert
