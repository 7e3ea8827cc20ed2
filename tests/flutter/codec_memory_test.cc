// How much memory the standard codec takes to read hostile input and to write a message. This
// program replaces the global allocation functions with counting ones (hence a program of its
// own): a message may make the decoder hold no more memory than a valid message of the same size
// could need, and the encoder copies nothing of the value it writes.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

#include "flutter/encodable_value.h"
#include "flutter/standard_message_codec.h"
#include "flutter/standard_method_codec.h"

namespace {

// Every block carries its size in front, so that frees can be counted too.
constexpr size_t kHeader = 16;

std::atomic<size_t> g_live_bytes{0};
std::atomic<size_t> g_peak_bytes{0};
std::atomic<size_t> g_allocations{0};

void* CountedAllocate(size_t size) {
  void* block = std::malloc(size + kHeader);
  if (!block) throw std::bad_alloc();
  *static_cast<size_t*>(block) = size;
  g_allocations.fetch_add(1);
  const size_t live = g_live_bytes.fetch_add(size) + size;
  size_t peak = g_peak_bytes.load();
  while (live > peak && !g_peak_bytes.compare_exchange_weak(peak, live)) {
  }
  return static_cast<char*>(block) + kHeader;
}

void CountedFree(void* pointer) {
  if (!pointer) return;
  char* block = static_cast<char*>(pointer) - kHeader;
  g_live_bytes.fetch_sub(*reinterpret_cast<size_t*>(block));
  std::free(block);
}

}  // namespace

void* operator new(size_t size) { return CountedAllocate(size); }
void* operator new[](size_t size) { return CountedAllocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return CountedAllocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t& nothrow) noexcept {
  return operator new(size, nothrow);
}
void operator delete(void* pointer) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer) noexcept { CountedFree(pointer); }
void operator delete(void* pointer, size_t) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer, size_t) noexcept { CountedFree(pointer); }
void operator delete(void* pointer, const std::nothrow_t&) noexcept { CountedFree(pointer); }
void operator delete[](void* pointer, const std::nothrow_t&) noexcept { CountedFree(pointer); }

namespace {

using flutter::EncodableValue;

// The most memory held at once, beyond what was held before, while |work| runs.
template <typename Work>
size_t PeakExtraBytes(Work work) {
  const size_t before = g_live_bytes.load();
  g_peak_bytes.store(before);
  work();
  return g_peak_bytes.load() - before;
}

void AppendListHeader(std::vector<uint8_t>* message, uint32_t count) {
  message->push_back(12);   // list
  message->push_back(255);  // a 32-bit size follows
  for (int i = 0; i < 4; ++i) message->push_back(static_cast<uint8_t>(count >> (8 * i)));
}

TEST(CodecMemory, NestedListsClaimingTheSameBytesReserveNoMoreThanTheMessageCanHold) {
  // 127 lists, each the first element of the one before and each claiming every byte after its
  // own header, then nulls up to 1 MiB. Reserving each list's claim in full would take about
  // 127 x 1 MiB elements.
  constexpr size_t kMessageSize = 1 << 20;
  constexpr int kLists = 127;
  std::vector<uint8_t> message;
  message.reserve(kMessageSize);
  for (int i = 0; i < kLists; ++i) {
    const size_t after_header = kMessageSize - message.size() - 6;
    AppendListHeader(&message, static_cast<uint32_t>(after_header));
  }
  message.resize(kMessageSize, 0);

  const auto& codec = flutter::StandardMessageCodec::GetInstance();
  bool rejected = false;
  const size_t peak = PeakExtraBytes(
      [&] { rejected = codec.DecodeMessage(message.data(), message.size()) == nullptr; });
  EXPECT_TRUE(rejected);
  // A valid message of this size (a list of a million nulls) needs one element per byte.
  EXPECT_LE(peak, kMessageSize * sizeof(EncodableValue) + (1 << 20))
      << "the decoder held " << peak / (1 << 20) << " MiB for a 1 MiB message";
}

TEST(CodecMemory, ListsInsideListsStillDecodeAndTheirClaimsAreGivenBack) {
  // The outer list's later elements follow a nested list that uses most of the bytes: the claims
  // of finished lists must not count against the elements after them.
  const EncodableValue value(flutter::EncodableList{
      EncodableValue(flutter::EncodableList{EncodableValue(flutter::EncodableList(300)),
                                            EncodableValue(flutter::EncodableMap{
                                                {EncodableValue(1), EncodableValue()}})}),
      EncodableValue(flutter::EncodableList(2)), EncodableValue("last")});
  const auto& codec = flutter::StandardMessageCodec::GetInstance();
  const auto encoded = codec.EncodeMessage(value);
  const auto decoded = codec.DecodeMessage(*encoded);
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(*decoded, value);
}

TEST(CodecMemory, AnEnvelopeIsWrittenFromItsValueWithoutCopyingIt) {
  // An event as the plug-in sends them: a map holding a map. A copy of it would take one block
  // per map entry; the envelope itself needs two (the vector and its bytes).
  const EncodableValue event(flutter::EncodableMap{
      {EncodableValue("event"), EncodableValue("connected")},
      {EncodableValue("data"),
       EncodableValue(flutter::EncodableMap{{EncodableValue("padCode"), EncodableValue("AC1")},
                                            {EncodableValue("width"), EncodableValue(720)},
                                            {EncodableValue("height"), EncodableValue(1280)}})}});
  const auto& codec = flutter::StandardMethodCodec::GetInstance();
  const size_t before = g_allocations.load();
  const auto encoded = codec.EncodeSuccessEnvelope(&event);
  EXPECT_LE(g_allocations.load() - before, 2u);
  EXPECT_FALSE(encoded->empty());
}

}  // namespace
