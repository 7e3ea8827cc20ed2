// Throughput of the standard codec for the two messages the plug-in exchanges most: a "connected"
// event envelope and a "connect" method call. Prints messages per second and MB/s.

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "flutter/method_result_functions.h"
#include "flutter/standard_method_codec.h"

namespace {

using flutter::EncodableMap;
using flutter::EncodableValue;
using Clock = std::chrono::steady_clock;

// Runs |round| until about a second has passed; returns rounds per second.
double RoundsPerSecond(const std::function<size_t()>& round, size_t* bytes_per_round) {
  size_t rounds = 0;
  const auto start = Clock::now();
  auto elapsed = Clock::duration::zero();
  while (elapsed < std::chrono::seconds(1)) {
    for (int i = 0; i < 1000; ++i) *bytes_per_round = round();
    rounds += 1000;
    elapsed = Clock::now() - start;
  }
  return rounds / std::chrono::duration<double>(elapsed).count();
}

void Report(const char* name, double rate, size_t bytes) {
  std::printf("  %-46s %10.0f msg/s  %7.1f MB/s  (%zu bytes)\n", name, rate,
              rate * bytes / 1e6, bytes);
}

}  // namespace

int main() {
  const auto& codec = flutter::StandardMethodCodec::GetInstance();
  volatile size_t sink = 0;

  const EncodableValue event(EncodableMap{
      {EncodableValue("event"), EncodableValue("connected")},
      {EncodableValue("data"),
       EncodableValue(EncodableMap{{EncodableValue("padCode"), EncodableValue("AC22030010001")},
                                   {EncodableValue("width"), EncodableValue(720)},
                                   {EncodableValue("height"), EncodableValue(1280)}})}});
  const flutter::MethodCall<EncodableValue> call(
      "connect", std::make_unique<EncodableValue>(EncodableMap{
                     {EncodableValue("padCode"), EncodableValue("AC22030010001")},
                     {EncodableValue("playType"), EncodableValue(1)}}));

  std::printf("standard codec, encode + decode:\n");
  size_t bytes = 0;
  const double events = RoundsPerSecond(
      [&] {
        auto encoded = codec.EncodeSuccessEnvelope(&event);
        flutter::MethodResultFunctions<EncodableValue> result(
            [&](const EncodableValue* value) { sink = sink + (value != nullptr); }, nullptr,
            nullptr);
        codec.DecodeAndProcessResponseEnvelope(encoded->data(), encoded->size(), &result);
        return encoded->size();
      },
      &bytes);
  Report("event envelope {event: connected, data: {...}}", events, bytes);

  const double calls = RoundsPerSecond(
      [&] {
        auto encoded = codec.EncodeMethodCall(call);
        auto decoded = codec.DecodeMethodCall(*encoded);
        sink = sink + decoded->method_name().size();
        return encoded->size();
      },
      &bytes);
  Report("method call connect {padCode, playType}", calls, bytes);
  return 0;
}
