// Cutting accumulated PCM into encoder frames.
//
// The capture appends every packet, converted, to one buffer of 48000 Hz mono samples; after each
// burst of packets the whole frames at its front are encoded and removed, and the remainder waits
// for the next packet. 3000 samples with a frame of 1024 give two frames and leave 952.
//
// Thread-safety: pure function.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mic {

// Hands each whole frame at the front of `pending` to `encodeFrame(const int16_t*, size_t)`,
// oldest first, and removes the frames handed over. Stops early when `stop` is set, or when
// `encodeFrame` returns false (the frame it refused is dropped with the ones before it). Returns
// false only for a refused frame.
template <typename EncodeFrame>
bool EncodeWholeFrames(std::vector<std::int16_t>& pending, std::size_t frameLength,
                       const std::atomic<bool>& stop, EncodeFrame&& encodeFrame) {
  if (frameLength == 0) return true;
  std::size_t consumed = 0;
  bool ok = true;
  while (pending.size() - consumed >= frameLength && !stop.load()) {
    ok = encodeFrame(pending.data() + consumed, frameLength);
    consumed += frameLength;
    if (!ok) break;
  }
  pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(consumed));
  return ok;
}

}  // namespace mic
