// Prints what the microphone path costs per second of audio: converting a typical device format
// (44100 Hz stereo float, 10 ms packets) to 48000 Hz mono, and encoding 48000 Hz mono to AAC-LC.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

#include "mic/mic_audio_capture.h"
#include "mic/pcm_conversion.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kSeconds = 20;

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void BenchmarkConversion(std::uint32_t rate, std::uint16_t channels) {
  mic::PcmLayout layout;
  layout.sampleRate = rate;
  layout.channels = channels;
  layout.encoding = mic::SampleEncoding::kFloat32;
  layout.blockAlign = static_cast<std::uint16_t>(channels * 4);
  const std::size_t packetFrames = rate / 100;
  std::vector<float> packet(packetFrames * channels);
  for (std::size_t i = 0; i < packetFrames; ++i) {
    for (std::uint16_t c = 0; c < channels; ++c) {
      packet[i * channels + c] = static_cast<float>(0.5 * std::sin(2 * kPi * 1000.0 * i / rate));
    }
  }
  mic::ResampleState state;
  std::vector<std::int16_t> out;
  out.reserve(kSeconds * 48000 + 16);
  const auto start = Clock::now();
  for (int p = 0; p < kSeconds * 100; ++p) {
    mic::AppendAsMono48k(layout, reinterpret_cast<const std::uint8_t*>(packet.data()), packetFrames,
                         false, state, out);
  }
  const double ms = MillisecondsSince(start);
  std::printf("convert %6u Hz %uch float -> 48000 Hz mono: %7.3f ms per second of audio (%.0fx real time)\n",
              rate, channels, ms / kSeconds, kSeconds * 1000.0 / ms);
}

void BenchmarkEncoding() {
  std::size_t bytes = 0;
  int frames = 0;
  MicAudioCapture capture(
      [&](const std::uint8_t*, int, const std::uint8_t*, int length) {
        bytes += static_cast<std::size_t>(length);
        ++frames;
      },
      nullptr);
  if (!capture.OpenEncoder()) {
    std::printf("encode: the encoder did not open\n");
    return;
  }
  std::vector<std::int16_t> pcm(kSeconds * 48000);
  for (std::size_t i = 0; i < pcm.size(); ++i) {
    pcm[i] = static_cast<std::int16_t>(16000 * std::sin(2 * kPi * 1000.0 * i / 48000.0));
  }
  const auto start = Clock::now();
  for (std::size_t at = 0; at + 1024 <= pcm.size(); at += 1024) capture.EncodeFrame(pcm.data() + at, 1024);
  const double ms = MillisecondsSince(start);
  std::printf("encode 48000 Hz mono -> AAC-LC 48 kbit/s: %7.3f ms per second of audio (%.0fx real time), "
              "%d frames, %.1f kbit/s out\n",
              ms / kSeconds, kSeconds * 1000.0 / ms, frames, bytes * 8.0 / kSeconds / 1000.0);
}

}  // namespace

int main() {
  std::printf("microphone path, %d s of audio each:\n", kSeconds);
  BenchmarkConversion(44100, 2);
  BenchmarkConversion(48000, 2);
  BenchmarkConversion(16000, 1);
  BenchmarkEncoding();
  return 0;
}
