// Texture path per 512 x 288 frame: the quarter turn with the red/blue swap and the publish
// (ZuvorIvadoTexture::onFrameReady on a frame already in the display base), beside a memcpy of
// the same bytes and the plain per-pixel loop, measured in the same run. Prints figures.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

#include "flutter/texture_registrar.h"
#include "plugin/frame_convert.h"
#include "plugin/zuvor_ivado_texture.h"

namespace {

constexpr int kWidth = 512, kHeight = 288;
constexpr size_t kBytes = size_t(kWidth) * kHeight * 4;
constexpr int kBatches = 15;
constexpr int kPerBatch = 200;

// Announcements are counted, nothing else; the engine's share of a publish is not ours to time.
class CountingRegistrar : public flutter::TextureRegistrar {
 public:
  int64_t RegisterTexture(flutter::TextureVariant*) override { return 1; }
  bool MarkTextureFrameAvailable(int64_t) override { return ++marks > 0; }
  void UnregisterTexture(int64_t, std::function<void()> callback) override {
    if (callback) callback();
  }
  bool UnregisterTexture(int64_t) override { return true; }
  long marks = 0;
};

// Median nanoseconds per call of `body` over the batches.
double MedianNs(const std::function<void()>& body) {
  std::vector<double> perCall;
  for (int b = 0; b < kBatches; ++b) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kPerBatch; ++i) body();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    perCall.push_back(std::chrono::duration<double, std::nano>(elapsed).count() / kPerBatch);
  }
  std::sort(perCall.begin(), perCall.end());
  return perCall[perCall.size() / 2];
}

}  // namespace

int main() {
  CountingRegistrar registrar;
  ZuvorIvadoTexture texture;
  texture.Register(&registrar);
  // Two renders: the first only asks for 512 x 288, the second leaves such a frame in the base.
  VideoFrame frame;
  frame.width = 432;
  frame.height = 768;
  texture.render(frame);
  texture.render(frame);

  std::vector<uint8_t> source(kBytes), target(kBytes);
  for (size_t i = 0; i < kBytes; ++i) source[i] = static_cast<uint8_t>(i * 31);

  // Warm-up, so every buffer is allocated and in the cache as it would be while streaming.
  for (int i = 0; i < 50; ++i) texture.onFrameReady();

  const double memcpyNs = MedianNs([&] {
    std::memcpy(target.data(), source.data(), kBytes);
    // Keep the copy from being dropped.
    std::atomic_signal_fence(std::memory_order_seq_cst);
  });
  const double textureNs = MedianNs([&] { texture.onFrameReady(); });
  const double convertNs = MedianNs(
      [&] { frame_convert::RotateCcwSwapRedBlue(source.data(), kWidth, kHeight, target.data()); });
  const double sse2Ns = MedianNs([&] {
    frame_convert::RotateCcwSwapRedBlue(source.data(), kWidth, kHeight, target.data(),
                                        frame_convert::Simd::kSse2);
  });
  const double scalarNs = MedianNs([&] {
    frame_convert::RotateCcwSwapRedBlueScalar(source.data(), kWidth, kHeight, target.data());
  });

  std::printf("texture_benchmark: 512x288 BGRA frame (%zu bytes), median of %d batches of %d\n",
              kBytes, kBatches, kPerBatch);
  std::printf("  memcpy of the same bytes           %9.1f us\n", memcpyNs / 1000);
  std::printf("  texture path (turn+swap+publish)   %9.1f us   %5.2fx memcpy\n", textureNs / 1000,
              textureNs / memcpyNs);
  std::printf("  turn+swap alone (%s, blocked)   %9.1f us   %5.2fx memcpy\n",
              frame_convert::UsesSsse3() ? "SSSE3" : "SSE2 ", convertNs / 1000,
              convertNs / memcpyNs);
  std::printf("  turn+swap alone (SSE2, blocked)    %9.1f us   %5.2fx memcpy\n", sse2Ns / 1000,
              sse2Ns / memcpyNs);
  std::printf("  turn+swap, plain per-pixel loop    %9.1f us   %5.2fx memcpy\n", scalarNs / 1000,
              scalarNs / memcpyNs);
  std::printf("  frames published %llu, announced %ld\n",
              static_cast<unsigned long long>(texture.publishedFrames()), registrar.marks);
  return texture.publishedFrames() > 0 ? 0 : 1;
}
