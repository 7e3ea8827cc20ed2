// Speed of the standard codec, encode and decode measured apart, for four messages: the
// "connected" event envelope and the "connect" method call that the plug-in exchanges most, a
// 256 KiB byte list (a picture) and a list of 1,000 doubles (many small values). Prints the time
// per message (best of many short rounds) and the throughput.

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "flutter/method_result_functions.h"
#include "flutter/standard_message_codec.h"
#include "flutter/standard_method_codec.h"

namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;
using Clock = std::chrono::steady_clock;

volatile size_t g_sink = 0;

// Nanoseconds per call of |operation|: the best of twenty rounds of about 50 ms each, so that the
// load of a shared machine counts as little as it can.
double NanosecondsPerCall(const std::function<void()>& operation) {
  double best = 0;
  for (int round = 0; round < 20; ++round) {
    size_t calls = 0;
    const auto start = Clock::now();
    auto elapsed = Clock::duration::zero();
    while (elapsed < std::chrono::milliseconds(50)) {
      for (int i = 0; i < 64; ++i) operation();
      calls += 64;
      elapsed = Clock::now() - start;
    }
    const double ns = std::chrono::duration<double, std::nano>(elapsed).count() / calls;
    if (round == 0 || ns < best) best = ns;
  }
  return best;
}

void Report(const char* name, size_t bytes, double encode_ns, double decode_ns) {
  std::printf("  %-28s %8zu bytes  encode %11.1f ns (%7.1f MB/s)  decode %11.1f ns (%7.1f MB/s)\n",
              name, bytes, encode_ns, bytes * 1e3 / encode_ns, decode_ns, bytes * 1e3 / decode_ns);
}

// A message of the message codec: encoded and decoded whole.
void MeasureMessage(const char* name, const EncodableValue& value) {
  const auto& codec = flutter::StandardMessageCodec::GetInstance();
  const std::unique_ptr<std::vector<uint8_t>> encoded = codec.EncodeMessage(value);
  const double encode_ns =
      NanosecondsPerCall([&] { g_sink = g_sink + codec.EncodeMessage(value)->size(); });
  const double decode_ns = NanosecondsPerCall([&] {
    g_sink = g_sink + (codec.DecodeMessage(encoded->data(), encoded->size()) != nullptr);
  });
  Report(name, encoded->size(), encode_ns, decode_ns);
}

}  // namespace

int main() {
  const auto& methods = flutter::StandardMethodCodec::GetInstance();

  std::printf("standard codec, time per message (best of 20 rounds):\n");

  const EncodableValue event(EncodableMap{
      {EncodableValue("event"), EncodableValue("connected")},
      {EncodableValue("data"),
       EncodableValue(EncodableMap{{EncodableValue("padCode"), EncodableValue("AC22030010001")},
                                   {EncodableValue("width"), EncodableValue(720)},
                                   {EncodableValue("height"), EncodableValue(1280)}})}});
  {
    const auto encoded = methods.EncodeSuccessEnvelope(&event);
    const double encode_ns =
        NanosecondsPerCall([&] { g_sink = g_sink + methods.EncodeSuccessEnvelope(&event)->size(); });
    const double decode_ns = NanosecondsPerCall([&] {
      // A result answers once: one per envelope, as the plug-in has.
      flutter::MethodResultFunctions<EncodableValue> result(
          [](const EncodableValue* value) { g_sink = g_sink + (value != nullptr); }, nullptr,
          nullptr);
      methods.DecodeAndProcessResponseEnvelope(encoded->data(), encoded->size(), &result);
    });
    Report("event envelope (small map)", encoded->size(), encode_ns, decode_ns);
  }

  {
    const flutter::MethodCall<EncodableValue> call(
        "connect", std::make_unique<EncodableValue>(EncodableMap{
                       {EncodableValue("padCode"), EncodableValue("AC22030010001")},
                       {EncodableValue("playType"), EncodableValue(1)}}));
    const auto encoded = methods.EncodeMethodCall(call);
    const double encode_ns =
        NanosecondsPerCall([&] { g_sink = g_sink + methods.EncodeMethodCall(call)->size(); });
    const double decode_ns = NanosecondsPerCall(
        [&] { g_sink = g_sink + methods.DecodeMethodCall(*encoded)->method_name().size(); });
    Report("method call connect", encoded->size(), encode_ns, decode_ns);
  }

  std::vector<uint8_t> bytes(256 * 1024);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7);
  MeasureMessage("byte list 256 KiB", EncodableValue(std::move(bytes)));

  EncodableList doubles;
  for (int i = 0; i < 1000; ++i) doubles.emplace_back(i * 0.25);
  MeasureMessage("list of 1,000 doubles", EncodableValue(std::move(doubles)));
  return 0;
}
