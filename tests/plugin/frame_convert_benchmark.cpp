// The frame conversions at the texture's 512 x 288, beside a memcpy of the same bytes, all in one
// run: the straight copy (unturned) and the quarter turn, each on the best path the processor
// has (SSSE3 where present), on the SSE2 path and as the plain per-pixel loop. Prints figures.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "plugin/frame_convert.h"

namespace {

constexpr int kWidth = 512, kHeight = 288;
constexpr size_t kPixels = size_t(kWidth) * kHeight;
constexpr size_t kBytes = kPixels * 4;
constexpr int kRounds = 7;
constexpr int kBatches = 15;
constexpr int kPerBatch = 100;

struct Measured {
  const char* what;
  const char* path;
  std::function<void()> body;
  double bestNs = 1e300;
};

// Median nanoseconds per call of `body` over the batches of one round.
double MedianNs(const std::function<void()>& body) {
  for (int i = 0; i < 10; ++i) body();  // warm caches and clocks
  std::vector<double> perCall;
  for (int b = 0; b < kBatches; ++b) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPerBatch; ++i) {
      body();
      std::atomic_signal_fence(std::memory_order_seq_cst);  // keep every call
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    perCall.push_back(std::chrono::duration<double, std::nano>(elapsed).count() / kPerBatch);
  }
  std::sort(perCall.begin(), perCall.end());
  return perCall[perCall.size() / 2];
}

}  // namespace

int main() {
  using frame_convert::Simd;
  std::vector<uint8_t> source(kBytes), target(kBytes);
  for (size_t i = 0; i < kBytes; ++i) source[i] = static_cast<uint8_t>(i * 31);
  const uint8_t* src = source.data();
  uint8_t* dst = target.data();

  const char* best = frame_convert::UsesSsse3() ? "SSSE3" : "SSE2";
  std::vector<Measured> measured = {
      {"memcpy", "", [&] { std::memcpy(dst, src, kBytes); }},
      {"copy+swap (unturned)", best, [&] { frame_convert::CopySwapRedBlue(src, kPixels, dst); }},
      {"copy+swap (unturned)", "SSE2",
       [&] { frame_convert::CopySwapRedBlue(src, kPixels, dst, Simd::kSse2); }},
      {"copy+swap (unturned)", "plain",
       [&] { frame_convert::CopySwapRedBlueScalar(src, kPixels, dst); }},
      {"turn+swap", best, [&] { frame_convert::RotateCcwSwapRedBlue(src, kWidth, kHeight, dst); }},
      {"turn+swap", "SSE2",
       [&] { frame_convert::RotateCcwSwapRedBlue(src, kWidth, kHeight, dst, Simd::kSse2); }},
      {"turn+swap", "plain",
       [&] { frame_convert::RotateCcwSwapRedBlueScalar(src, kWidth, kHeight, dst); }},
  };
  // Rounds go over every candidate in turn, so a busy spell of the machine hits them alike; each
  // keeps its best round.
  for (int round = 0; round < kRounds; ++round) {
    for (Measured& m : measured) m.bestNs = std::min(m.bestNs, MedianNs(m.body));
  }

  const double memcpyNs = measured[0].bestNs;
  std::printf("frame_convert_benchmark: %dx%d BGRA frame (%zu bytes), best of %d rounds, each the "
              "median of %d batches of %d\n",
              kWidth, kHeight, kBytes, kRounds, kBatches, kPerBatch);
  for (const Measured& m : measured) {
    std::printf("  %-22s %-6s %8.1f us   %5.2fx memcpy\n", m.what, m.path, m.bestNs / 1000,
                m.bestNs / memcpyNs);
  }
  return 0;
}
