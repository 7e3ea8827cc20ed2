// The frame conversions at the texture's 512 x 288, beside a memcpy of the same bytes, all in one
// run: the straight copy (unturned) and the quarter turn, each on the best path the processor
// has (SSSE3 where present), on the SSE2 path and as the plain per-pixel loop. Then the quarter
// turn over a sweep of frame sizes from 360 x 640 to 1080 x 1920, both ways round, against a
// memcpy of the same bytes; its goal is at most 2.5 times memcpy's time at every size. Prints
// figures.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
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

// Nanoseconds of one call of each of `bodies`: the best of `rounds` calls, the bodies taking turns
// call by call, so that the load of a shared machine counts as little as it can and alike for all.
std::vector<double> BestSingleCallNs(const std::vector<std::function<void()>>& bodies, int rounds) {
  std::vector<double> best(bodies.size(), 1e300);
  for (const auto& body : bodies) body();  // warm caches and clocks
  for (int round = 0; round < rounds; ++round) {
    for (size_t b = 0; b < bodies.size(); ++b) {
      const auto start = std::chrono::steady_clock::now();
      bodies[b]();
      std::atomic_signal_fence(std::memory_order_seq_cst);  // keep every call
      const auto elapsed = std::chrono::steady_clock::now() - start;
      best[b] = std::min(best[b], std::chrono::duration<double, std::nano>(elapsed).count());
    }
  }
  return best;
}

// The quarter turn over frame sizes of phones, both ways round. Returns whether every size met
// the goal.
bool SweepSizes() {
  using frame_convert::Simd;
  constexpr double kGoal = 2.5;  // times memcpy of the same bytes, at every size
  constexpr int kRounds = 40;
  const int portrait[][2] = {{360, 640}, {480, 854},  {540, 960},  {576, 1024},
                             {720, 1280}, {720, 1288}, {1080, 1920}};
  std::vector<std::pair<int, int>> sizes;
  for (const auto& size : portrait) {
    sizes.emplace_back(size[0], size[1]);
    sizes.emplace_back(size[1], size[0]);
  }
  const char* best = frame_convert::UsesSsse3() ? "SSSE3" : "SSE2";
  std::printf("quarter turn by frame size, best of %d calls each, beside memcpy of the bytes\n",
              kRounds);
  std::printf("  %-10s %11s %11s %7s %9s\n", "frame", "memcpy us", "turn us", "turn", "SSE2");
  double worst = 0;
  std::string worstSize;
  double ratio720x1280 = 0, ratio1280x720 = 0;
  for (const auto& [width, height] : sizes) {
    const size_t bytes = size_t(width) * height * 4;
    std::vector<uint8_t> source(bytes), target(bytes);
    for (size_t i = 0; i < bytes; ++i) source[i] = static_cast<uint8_t>(i * 31);
    const uint8_t* src = source.data();
    uint8_t* dst = target.data();
    const std::vector<double> ns = BestSingleCallNs(
        {[&] { std::memcpy(dst, src, bytes); },
         [&] { frame_convert::RotateCcwSwapRedBlue(src, width, height, dst); },
         [&] { frame_convert::RotateCcwSwapRedBlue(src, width, height, dst, Simd::kSse2); }},
        kRounds);
    const double ratio = ns[1] / ns[0];
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    std::printf("  %-10s %11.1f %11.1f %6.2fx %8.2fx\n", size.c_str(), ns[0] / 1000, ns[1] / 1000,
                ratio, ns[2] / ns[0]);
    if (ratio > worst) {
      worst = ratio;
      worstSize = size;
    }
    if (width == 720 && height == 1280) ratio720x1280 = ratio;
    if (width == 1280 && height == 720) ratio1280x720 = ratio;
  }
  std::printf("  (turn: the %s path the program takes; SSE2: the path without SSSE3)\n", best);
  auto bench = [&](const std::string& figure, double ratio) {
    std::printf("BENCH | %s | %.2fx memcpy | <= %.1fx memcpy | %s\n", figure.c_str(), ratio, kGoal,
                ratio <= kGoal ? "met" : "missed");
  };
  bench("frame turn 720x1280", ratio720x1280);
  bench("frame turn 1280x720", ratio1280x720);
  bench("frame turn, slowest of " + std::to_string(sizes.size()) + " sizes (" + worstSize + ")",
        worst);
  return worst <= kGoal;
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
  SweepSizes();
  return 0;
}
