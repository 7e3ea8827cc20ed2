// The standard codec against the byte format the Dart side shares, and against hostile input.

#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "flutter/engine_method_result.h"
#include "flutter/method_result_functions.h"
#include "flutter/standard_message_codec.h"
#include "flutter/standard_method_codec.h"

namespace {

using flutter::EncodableList;
using flutter::EncodableMap;
using flutter::EncodableValue;
using flutter::MethodCall;
using flutter::MethodResultFunctions;
using flutter::StandardMessageCodec;
using flutter::StandardMethodCodec;
using Bytes = std::vector<uint8_t>;

const StandardMessageCodec& MessageCodec() { return StandardMessageCodec::GetInstance(); }
const StandardMethodCodec& MethodCodec() { return StandardMethodCodec::GetInstance(); }

Bytes Encode(const EncodableValue& value) { return *MessageCodec().EncodeMessage(value); }

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

Bytes Text(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Holds |length| bytes so that they end exactly at an inaccessible page: any read past the end
// faults instead of passing unnoticed.
class GuardedBuffer {
 public:
  GuardedBuffer(const uint8_t* bytes, size_t length) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    page_ = info.dwPageSize;
    pages_ = (length + page_ - 1) / page_ + 1;
    base_ = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, pages_ * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    VirtualProtect(base_ + (pages_ - 1) * page_, page_, PAGE_NOACCESS, &old);
    data_ = base_ + (pages_ - 1) * page_ - length;
    if (length > 0) std::memcpy(data_, bytes, length);
  }
  ~GuardedBuffer() { VirtualFree(base_, 0, MEM_RELEASE); }
  GuardedBuffer(const GuardedBuffer&) = delete;
  GuardedBuffer& operator=(const GuardedBuffer&) = delete;

  const uint8_t* data() const { return data_; }

 private:
  size_t page_ = 0;
  size_t pages_ = 0;
  uint8_t* base_ = nullptr;
  uint8_t* data_ = nullptr;
};

// A value holding every type, nested.
EncodableValue EveryType() {
  EncodableMap inner = {
      {EncodableValue("int64"), EncodableValue(int64_t{-9007199254740993})},
      {EncodableValue("float32"), EncodableValue(std::vector<float>{1.5f, -0.25f})},
      {EncodableValue(7), EncodableValue(EncodableList{EncodableValue(), EncodableValue(false)})},
  };
  return EncodableValue(EncodableMap{
      {EncodableValue("null"), EncodableValue()},
      {EncodableValue("true"), EncodableValue(true)},
      {EncodableValue("int32"), EncodableValue(-42)},
      {EncodableValue("double"), EncodableValue(3.141592653589793)},
      {EncodableValue("string"), EncodableValue("h\xC3\xA9llo")},
      {EncodableValue("uint8"), EncodableValue(Bytes{0, 1, 255})},
      {EncodableValue("int32s"), EncodableValue(std::vector<int32_t>{1, -2, 2147483647})},
      {EncodableValue("int64s"), EncodableValue(std::vector<int64_t>{-1, 1LL << 40})},
      {EncodableValue("doubles"), EncodableValue(std::vector<double>{0.5, -1e300})},
      {EncodableValue("map"), EncodableValue(inner)},
      {EncodableValue(int64_t{5}), EncodableValue("int64 key")},
  });
}

TEST(StandardMessageCodecTest, EveryTypeRoundTrips) {
  const std::vector<EncodableValue> values = {
      EncodableValue(),
      EncodableValue(true),
      EncodableValue(false),
      EncodableValue(std::numeric_limits<int32_t>::min()),
      EncodableValue(std::numeric_limits<int64_t>::max()),
      EncodableValue(-0.0),
      EncodableValue(std::numeric_limits<double>::infinity()),
      EncodableValue(""),
      EncodableValue(std::string(300, 'x')),
      EncodableValue(Bytes{}),
      EncodableValue(std::vector<int32_t>{}),
      EncodableValue(std::vector<float>{3.25f}),
      EncodableValue(EncodableList{}),
      EncodableValue(EncodableMap{}),
      EveryType(),
  };
  for (const EncodableValue& value : values) {
    const Bytes encoded = Encode(value);
    std::unique_ptr<EncodableValue> decoded = MessageCodec().DecodeMessage(encoded);
    ASSERT_NE(decoded, nullptr) << "index " << value.index();
    EXPECT_EQ(*decoded, value) << "index " << value.index();
    EXPECT_EQ(decoded->index(), value.index());
  }
}

TEST(StandardMessageCodecTest, ExactBytesOfEachType) {
  struct Case {
    EncodableValue value;
    Bytes bytes;
  };
  const std::vector<Case> cases = {
      {EncodableValue(), {0}},
      {EncodableValue(true), {1}},
      {EncodableValue(false), {2}},
      {EncodableValue(1), {3, 1, 0, 0, 0}},
      {EncodableValue(-1), {3, 0xff, 0xff, 0xff, 0xff}},
      {EncodableValue(int64_t{0x0102030405060708}), {4, 8, 7, 6, 5, 4, 3, 2, 1}},
      // The double's payload is aligned to 8 from the message start.
      {EncodableValue(1.5), {6, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xf8, 0x3f}},
      {EncodableValue("hi"), {7, 2, 'h', 'i'}},
      {EncodableValue(""), {7, 0}},
      {EncodableValue(Bytes{1, 2, 3}), {8, 3, 1, 2, 3}},
      {EncodableValue(std::vector<int32_t>{1, -1}),
       {9, 2, 0, 0, 1, 0, 0, 0, 0xff, 0xff, 0xff, 0xff}},
      {EncodableValue(std::vector<int64_t>{1}), {10, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0}},
      {EncodableValue(std::vector<double>{1.5}),
       {11, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xf8, 0x3f}},
      {EncodableValue(EncodableList{EncodableValue(1), EncodableValue("a")}),
       {12, 2, 3, 1, 0, 0, 0, 7, 1, 'a'}},
      {EncodableValue(EncodableMap{{EncodableValue("a"), EncodableValue(true)}}),
       {13, 1, 7, 1, 'a', 1}},
      {EncodableValue(std::vector<float>{1.5f}), {14, 1, 0, 0, 0, 0, 0xc0, 0x3f}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Encode(c.value), c.bytes) << "index " << c.value.index();
    std::unique_ptr<EncodableValue> decoded = MessageCodec().DecodeMessage(c.bytes);
    ASSERT_NE(decoded, nullptr) << "index " << c.value.index();
    EXPECT_EQ(*decoded, c.value);
  }
}

TEST(StandardMessageCodecTest, SizeFormsAtTheirBoundaries) {
  struct Case {
    size_t size;
    Bytes prefix;
  };
  const std::vector<Case> cases = {
      {253, {7, 253}},
      {254, {7, 254, 254, 0}},
      {65535, {7, 254, 0xff, 0xff}},
      {65536, {7, 255, 0, 0, 1, 0}},
  };
  for (const Case& c : cases) {
    const EncodableValue value(std::string(c.size, 'z'));
    const Bytes encoded = Encode(value);
    ASSERT_EQ(encoded.size(), c.prefix.size() + c.size);
    EXPECT_TRUE(std::equal(c.prefix.begin(), c.prefix.end(), encoded.begin())) << c.size;
    std::unique_ptr<EncodableValue> decoded = MessageCodec().DecodeMessage(encoded);
    ASSERT_NE(decoded, nullptr) << c.size;
    EXPECT_EQ(*decoded, value);
  }
  // Lists use the same size forms for their element counts.
  const Bytes list = Encode(EncodableValue(EncodableList(254, EncodableValue())));
  EXPECT_EQ(Bytes(list.begin(), list.begin() + 4), (Bytes{12, 254, 254, 0}));
}

TEST(StandardMessageCodecTest, AlignmentCountsFromTheMessageStartAfterOddPrefixes) {
  struct Aligned {
    EncodableValue value;
    size_t alignment;
    size_t header;  // Bytes of tag and size before the padding.
  };
  const std::vector<Aligned> aligned = {
      {EncodableValue(2.5), 8, 1},
      {EncodableValue(std::vector<double>{2.5}), 8, 2},
      {EncodableValue(std::vector<int64_t>{7}), 8, 2},
      {EncodableValue(std::vector<int32_t>{7}), 4, 2},
      {EncodableValue(std::vector<float>{2.5f}), 4, 2},
  };
  for (const Aligned& a : aligned) {
    // The long prefix is written in one piece, not into room made ahead.
    for (size_t prefix : {0, 1, 2, 3, 4, 5, 6, 7, 8, 5001}) {
      // [string of |prefix| chars, value]: the value starts after the list's tag and count, the
      // string's tag and size (one byte, or three from 254 on) and its characters.
      const EncodableValue message(
          EncodableList{EncodableValue(std::string(prefix, 'p')), a.value});
      const Bytes encoded = Encode(message);
      const size_t value_start = 3 + (prefix < 254 ? 1 : 3) + prefix;
      const size_t unpadded = value_start + a.header;
      const size_t payload = (unpadded + a.alignment - 1) / a.alignment * a.alignment;
      ASSERT_EQ(encoded.size(), payload + a.alignment) << a.value.index() << "/" << prefix;
      for (size_t i = unpadded; i < payload; ++i) EXPECT_EQ(encoded[i], 0) << i;
      std::unique_ptr<EncodableValue> decoded = MessageCodec().DecodeMessage(encoded);
      ASSERT_NE(decoded, nullptr);
      EXPECT_EQ(*decoded, message);
    }
  }
}

TEST(StandardMessageCodecTest, TruncatedMessagesAreRejectedWithoutReadingPastTheEnd) {
  const Bytes full = Encode(EveryType());
  for (size_t length = 1; length < full.size(); ++length) {
    GuardedBuffer buffer(full.data(), length);
    EXPECT_EQ(MessageCodec().DecodeMessage(buffer.data(), length), nullptr) << length;
  }
  GuardedBuffer whole(full.data(), full.size());
  EXPECT_NE(MessageCodec().DecodeMessage(whole.data(), full.size()), nullptr);
}

TEST(StandardMessageCodecTest, MalformedMessagesAreRejected) {
  const std::vector<Bytes> malformed = {
      {15},                                   // unknown type
      {200, 0},                               // unknown type
      {7, 255, 0xff, 0xff, 0xff, 0xff, 'a'},  // string longer than the message
      {12, 254, 0xff, 0xff, 0},               // list longer than the message
      {13, 255, 0xff, 0xff, 0xff, 0x7f, 0, 0},  // map longer than the message
      {10, 255, 0xff, 0xff, 0xff, 0xff, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8},  // int64 list overflow
      {0, 0},                                 // bytes after the value
      {3, 1, 0, 0, 0, 9},                     // bytes after the value
  };
  for (const Bytes& bytes : malformed) {
    GuardedBuffer buffer(bytes.data(), bytes.size());
    EXPECT_EQ(MessageCodec().DecodeMessage(buffer.data(), bytes.size()), nullptr)
        << "first byte " << int(bytes[0]);
  }
  // An empty message is null, as the Dart side sends it.
  std::unique_ptr<EncodableValue> empty = MessageCodec().DecodeMessage(nullptr, 0);
  ASSERT_NE(empty, nullptr);
  EXPECT_TRUE(empty->IsNull());
}

TEST(StandardMessageCodecTest, NestingIsBoundedInsteadOfExhaustingTheStack) {
  auto nested = [](int depth) {
    EncodableValue value(1);
    for (int i = 0; i < depth; ++i) value = EncodableValue(EncodableList{value});
    return value;
  };
  const int limit = flutter::StandardCodecSerializer::kMaxNestingDepth;
  EXPECT_NE(MessageCodec().DecodeMessage(Encode(nested(limit - 1))), nullptr);
  EXPECT_EQ(MessageCodec().DecodeMessage(Encode(nested(limit))), nullptr);

  // A hostile message: a million one-element lists.
  Bytes deep;
  for (int i = 0; i < 1000000; ++i) {
    deep.push_back(12);
    deep.push_back(1);
  }
  deep.push_back(0);
  EXPECT_EQ(MessageCodec().DecodeMessage(deep), nullptr);
}

TEST(StandardMethodCodecTest, MethodCallBytesAndRoundTrip) {
  MethodCall<EncodableValue> call(
      "connect", std::make_unique<EncodableValue>(EncodableMap{
                     {EncodableValue("padCode"), EncodableValue("P1")},
                     {EncodableValue("playType"), EncodableValue(1)},
                 }));
  const Bytes encoded = *MethodCodec().EncodeMethodCall(call);
  const Bytes expected = Concat({{7, 7}, Text("connect"), {13, 2, 7, 7}, Text("padCode"),
                                 {7, 2}, Text("P1"), {7, 8}, Text("playType"), {3, 1, 0, 0, 0}});
  EXPECT_EQ(encoded, expected);

  auto decoded = MethodCodec().DecodeMethodCall(encoded);
  ASSERT_NE(decoded, nullptr);
  EXPECT_EQ(decoded->method_name(), "connect");
  ASSERT_NE(decoded->arguments(), nullptr);
  EXPECT_EQ(*decoded->arguments(), *call.arguments());

  // Without arguments the call carries null.
  MethodCall<EncodableValue> bare("tileWindows", nullptr);
  EXPECT_EQ(*MethodCodec().EncodeMethodCall(bare), Concat({{7, 11}, Text("tileWindows"), {0}}));
}

TEST(StandardMethodCodecTest, MalformedAndTruncatedCallsAreRejected) {
  EXPECT_EQ(MethodCodec().DecodeMethodCall(nullptr, 0), nullptr);
  const std::vector<Bytes> malformed = {
      {3, 1, 0, 0, 0, 0},         // the method name is not a string
      {7, 1, 'x'},                // no arguments
      {7, 1, 'x', 0, 0},          // bytes after the arguments
      {7, 5, 'x'},                // name longer than the message
  };
  for (const Bytes& bytes : malformed) {
    GuardedBuffer buffer(bytes.data(), bytes.size());
    EXPECT_EQ(MethodCodec().DecodeMethodCall(buffer.data(), bytes.size()), nullptr);
  }
  MethodCall<EncodableValue> call("switchPlayMode", std::make_unique<EncodableValue>(EveryType()));
  const Bytes full = *MethodCodec().EncodeMethodCall(call);
  for (size_t length = 1; length < full.size(); ++length) {
    GuardedBuffer buffer(full.data(), length);
    EXPECT_EQ(MethodCodec().DecodeMethodCall(buffer.data(), length), nullptr) << length;
  }
}

// What DecodeAndProcessResponseEnvelope passed on.
struct Outcome {
  std::string kind = "none";
  EncodableValue value;
  std::string code;
  std::string message;
  int calls = 0;
};

bool Decode(const Bytes& bytes, Outcome* outcome) {
  MethodResultFunctions<EncodableValue> result(
      [outcome](const EncodableValue* value) {
        outcome->kind = "success";
        outcome->value = value ? *value : EncodableValue();
        ++outcome->calls;
      },
      [outcome](const std::string& code, const std::string& message,
                const EncodableValue* details) {
        outcome->kind = "error";
        outcome->code = code;
        outcome->message = message;
        outcome->value = details ? *details : EncodableValue();
        ++outcome->calls;
      },
      [outcome] {
        outcome->kind = "notImplemented";
        ++outcome->calls;
      });
  GuardedBuffer buffer(bytes.data(), bytes.size());
  return MethodCodec().DecodeAndProcessResponseEnvelope(bytes.empty() ? nullptr : buffer.data(),
                                                        bytes.size(), &result);
}

TEST(StandardMethodCodecTest, EnvelopeBytes) {
  const EncodableValue texture(EncodableMap{{EncodableValue("textureId"), EncodableValue(int64_t{5})}});
  EXPECT_EQ(*MethodCodec().EncodeSuccessEnvelope(&texture),
            Concat({{0, 13, 1, 7, 9}, Text("textureId"), {4, 5, 0, 0, 0, 0, 0, 0, 0}}));
  EXPECT_EQ(*MethodCodec().EncodeSuccessEnvelope(), (Bytes{0, 0}));
  EXPECT_EQ(*MethodCodec().EncodeErrorEnvelope("-1", "Missing"),
            Concat({{1, 7, 2}, Text("-1"), {7, 7}, Text("Missing"), {0}}));
  // An empty message is written as null.
  EXPECT_EQ(*MethodCodec().EncodeErrorEnvelope("-2"), Concat({{1, 7, 2}, Text("-2"), {0, 0}}));
  const EncodableValue details(3);
  EXPECT_EQ(*MethodCodec().EncodeErrorEnvelope("7", "m", &details),
            Concat({{1, 7, 1}, Text("7"), {7, 1}, Text("m"), {3, 3, 0, 0, 0}}));
}

TEST(StandardMethodCodecTest, EnvelopesDecodeIntoExactlyOneResultCall) {
  Outcome success;
  const EncodableValue value(EncodableList{EncodableValue(1), EncodableValue("x")});
  ASSERT_TRUE(Decode(*MethodCodec().EncodeSuccessEnvelope(&value), &success));
  EXPECT_EQ(success.kind, "success");
  EXPECT_EQ(success.value, value);
  EXPECT_EQ(success.calls, 1);

  Outcome error;
  const EncodableValue details(EncodableMap{{EncodableValue("k"), EncodableValue(1)}});
  ASSERT_TRUE(Decode(*MethodCodec().EncodeErrorEnvelope("196629", "timeout", &details), &error));
  EXPECT_EQ(error.kind, "error");
  EXPECT_EQ(error.code, "196629");
  EXPECT_EQ(error.message, "timeout");
  EXPECT_EQ(error.value, details);

  // The Dart side may add a stack trace to an error.
  Outcome traced;
  ASSERT_TRUE(Decode(Concat({{1, 7, 1}, Text("c"), {0, 0, 7, 2}, Text("st")}), &traced));
  EXPECT_EQ(traced.kind, "error");
  EXPECT_EQ(traced.code, "c");
  EXPECT_EQ(traced.message, "");

  // An empty reply means the method is not implemented.
  Outcome empty;
  ASSERT_TRUE(Decode({}, &empty));
  EXPECT_EQ(empty.kind, "notImplemented");
  EXPECT_EQ(empty.calls, 1);
}

TEST(StandardMethodCodecTest, MalformedAndTruncatedEnvelopesCallNothing) {
  const std::vector<Bytes> malformed = {
      {2, 0},                                      // unknown envelope kind
      {0, 0, 0},                                   // bytes after the value
      {1, 3, 1, 0, 0, 0, 0, 0},                    // the code is not a string
      {1, 7, 1, 'c', 3, 1, 0, 0, 0, 0},            // the message is not text or null
      Concat({{1, 7, 1}, Text("c"), {0, 0, 3, 1, 0, 0, 0}}),  // the stack trace is not text
      Concat({{1, 7, 1}, Text("c"), {0, 0, 0, 0}}),            // a fifth value
  };
  for (const Bytes& bytes : malformed) {
    Outcome outcome;
    EXPECT_FALSE(Decode(bytes, &outcome)) << "size " << bytes.size();
    EXPECT_EQ(outcome.calls, 0);
  }
  const EncodableValue value = EveryType();
  for (const Bytes& full : {*MethodCodec().EncodeSuccessEnvelope(&value),
                            *MethodCodec().EncodeErrorEnvelope("code", "message", &value)}) {
    for (size_t length = 1; length < full.size(); ++length) {
      Outcome outcome;
      EXPECT_FALSE(Decode(Bytes(full.begin(), full.begin() + length), &outcome)) << length;
      EXPECT_EQ(outcome.calls, 0);
    }
  }
}

TEST(EngineMethodResultTest, RepliesExactlyOnceAndNotImplementedIsEmpty) {
  std::vector<Bytes> replies;
  auto record = [&replies](const uint8_t* reply, size_t size) {
    replies.emplace_back(reply, reply + size);
  };
  {
    flutter::EngineMethodResult<EncodableValue> result(record, &MethodCodec());
    result.Success(EncodableValue(1));
    result.Error("-1", "too late");
    result.NotImplemented();
    EXPECT_TRUE(result.replied());
  }
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_EQ(replies[0], (Bytes{0, 3, 1, 0, 0, 0}));

  replies.clear();
  {
    flutter::EngineMethodResult<EncodableValue> result(record, &MethodCodec());
    result.NotImplemented();
  }
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_TRUE(replies[0].empty());

  // A result dropped without a reply answers "not implemented" rather than leaving the Dart side
  // waiting.
  replies.clear();
  { flutter::EngineMethodResult<EncodableValue> result(record, &MethodCodec()); }
  ASSERT_EQ(replies.size(), 1u);
  EXPECT_TRUE(replies[0].empty());
}

}  // namespace
