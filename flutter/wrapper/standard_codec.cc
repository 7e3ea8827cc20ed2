// The standard codec: value serializer, message codec and method codec.

#include <cstring>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "flutter/standard_codec_serializer.h"
#include "flutter/standard_message_codec.h"
#include "flutter/standard_method_codec.h"
#include "flutter/wrapper/byte_buffer_streams.h"

namespace flutter {

namespace {

// Type bytes of the format; shared with the Dart side.
enum class Tag : uint8_t {
  kNull = 0,
  kTrue = 1,
  kFalse = 2,
  kInt32 = 3,
  kInt64 = 4,
  kLargeInt = 5,
  kFloat64 = 6,
  kString = 7,
  kUInt8List = 8,
  kInt32List = 9,
  kInt64List = 10,
  kFloat64List = 11,
  kList = 12,
  kMap = 13,
  kFloat32List = 14,
};

constexpr uint8_t kEnvelopeSuccess = 0;
constexpr uint8_t kEnvelopeError = 1;

// A new message of what |write| writes to the writer it is given.
template <typename Write>
std::unique_ptr<std::vector<uint8_t>> Encode(Write write) {
  auto encoded = std::make_unique<std::vector<uint8_t>>();
  {
    ByteBufferStreamWriter writer(encoded.get());
    write(&writer);
  }  // The writer leaves the buffer holding exactly the message.
  return encoded;
}

void WriteTag(Tag tag, ByteStreamWriter* stream) { stream->WriteByte(static_cast<uint8_t>(tag)); }

}  // namespace

// Bytes left in |stream| that the value being read may use: what the lists and maps around it
// still need for their later elements is not its to take.
size_t StandardCodecSerializer::BytesAvailable(const ByteStreamReader* stream) {
  const size_t remaining = stream->BytesRemaining();
  return remaining > stream->bytes_owed_ ? remaining - stream->bytes_owed_ : 0;
}

// Reads |count| elements of T after aligning; refuses counts larger than the bytes available.
template <typename T>
std::vector<T> StandardCodecSerializer::ReadTypedList(size_t count, uint8_t alignment,
                                                      ByteStreamReader* stream) {
  if (alignment > 1) stream->ReadAlignment(alignment);
  if (stream->Failed() || count > BytesAvailable(stream) / sizeof(T)) {
    stream->Fail();
    return {};
  }
  std::vector<T> list(count);
  stream->ReadBytes(reinterpret_cast<uint8_t*>(list.data()), count * sizeof(T));
  return list;
}

namespace {

// Reads one whole value and requires that nothing follows it.
bool ReadWholeValue(const StandardCodecSerializer& serializer, ByteBufferStreamReader* reader,
                    EncodableValue* value) {
  *value = serializer.ReadValue(reader);
  return !reader->Failed() && reader->BytesRemaining() == 0;
}

}  // namespace

// ----- StandardCodecSerializer -----

StandardCodecSerializer::StandardCodecSerializer() = default;
StandardCodecSerializer::~StandardCodecSerializer() = default;

const StandardCodecSerializer& StandardCodecSerializer::GetInstance() {
  static const StandardCodecSerializer* const instance = new StandardCodecSerializer();
  return *instance;
}

EncodableValue StandardCodecSerializer::ReadValue(ByteStreamReader* stream) const {
  if (stream->nesting_depth_ >= kMaxNestingDepth) {
    stream->Fail();
    return EncodableValue();
  }
  // The depth lives in the stream, not in a thread-local: on Windows builds with emulated TLS
  // every thread-local access is a function call, and this runs once per value.
  struct DepthScope {
    explicit DepthScope(ByteStreamReader* stream) : stream(stream) { ++stream->nesting_depth_; }
    ~DepthScope() { --stream->nesting_depth_; }
    ByteStreamReader* stream;
  } depth(stream);
  const uint8_t type = stream->ReadByte();  // On a failed stream: 0, and it stays failed.
  if (stream->Failed()) return EncodableValue();
  return ReadValueOfType(type, stream);
}

EncodableValue StandardCodecSerializer::ReadValueOfType(uint8_t type,
                                                        ByteStreamReader* stream) const {
  switch (static_cast<Tag>(type)) {
    case Tag::kNull:
      return EncodableValue();
    case Tag::kTrue:
      return EncodableValue(true);
    case Tag::kFalse:
      return EncodableValue(false);
    case Tag::kInt32:
      return EncodableValue(stream->ReadInt32());
    case Tag::kInt64:
      return EncodableValue(stream->ReadInt64());
    case Tag::kFloat64:
      stream->ReadAlignment(8);
      return EncodableValue(stream->ReadDouble());
    case Tag::kLargeInt:  // The Dart side reads this as text too.
    case Tag::kString: {
      const size_t size = ReadSize(stream);
      if (stream->Failed() || size > BytesAvailable(stream)) {
        stream->Fail();
        return EncodableValue();
      }
      std::string text(size, '\0');
      stream->ReadBytes(reinterpret_cast<uint8_t*>(text.data()), size);
      return EncodableValue(std::move(text));
    }
    case Tag::kUInt8List:
      return EncodableValue(ReadTypedList<uint8_t>(ReadSize(stream), 1, stream));
    case Tag::kInt32List:
      return EncodableValue(ReadTypedList<int32_t>(ReadSize(stream), 4, stream));
    case Tag::kInt64List:
      return EncodableValue(ReadTypedList<int64_t>(ReadSize(stream), 8, stream));
    case Tag::kFloat64List:
      return EncodableValue(ReadTypedList<double>(ReadSize(stream), 8, stream));
    case Tag::kFloat32List:
      return EncodableValue(ReadTypedList<float>(ReadSize(stream), 4, stream));
    case Tag::kList: {
      // Every element takes at least one byte. The elements are claimed from the bytes available
      // before any is read, so lists nested in this one cannot claim the same bytes again: all
      // lists open at once together reserve no more elements than the message has bytes left.
      const size_t count = ReadSize(stream);
      if (stream->Failed() || count > BytesAvailable(stream)) {
        stream->Fail();
        return EncodableValue();
      }
      const size_t owed_before = stream->bytes_owed_;
      stream->bytes_owed_ += count;
      EncodableList list;
      list.reserve(count);
      for (size_t i = 0; i < count && !stream->Failed(); ++i) {
        --stream->bytes_owed_;  // This element's byte is its own to read.
        list.push_back(ReadValue(stream));
      }
      stream->bytes_owed_ = owed_before;
      if (stream->Failed()) return EncodableValue();
      return EncodableValue(std::move(list));
    }
    case Tag::kMap: {
      // Every key and every value takes at least one byte; claimed as for lists.
      const size_t count = ReadSize(stream);
      if (stream->Failed() || count > BytesAvailable(stream) / 2) {
        stream->Fail();
        return EncodableValue();
      }
      const size_t owed_before = stream->bytes_owed_;
      stream->bytes_owed_ += 2 * count;
      EncodableMap map;
      for (size_t i = 0; i < count && !stream->Failed(); ++i) {
        --stream->bytes_owed_;
        EncodableValue key = ReadValue(stream);
        --stream->bytes_owed_;
        EncodableValue value = ReadValue(stream);
        map.emplace(std::move(key), std::move(value));
      }
      stream->bytes_owed_ = owed_before;
      if (stream->Failed()) return EncodableValue();
      return EncodableValue(std::move(map));
    }
  }
  stream->Fail();  // Unknown type byte.
  return EncodableValue();
}

size_t StandardCodecSerializer::ReadSize(ByteStreamReader* stream) const {
  const uint8_t first = stream->ReadByte();
  if (first < 254) return first;
  if (first == 254) {
    uint16_t size = 0;
    stream->ReadBytes(reinterpret_cast<uint8_t*>(&size), sizeof(size));
    return size;
  }
  uint32_t size = 0;
  stream->ReadBytes(reinterpret_cast<uint8_t*>(&size), sizeof(size));
  return size;
}

void StandardCodecSerializer::WriteSize(size_t size, ByteStreamWriter* stream) const {
  if (size < 254) {
    stream->WriteByte(static_cast<uint8_t>(size));
  } else if (size <= 0xffff) {
    stream->WriteByte(254);
    const uint16_t value = static_cast<uint16_t>(size);
    stream->WriteBytes(reinterpret_cast<const uint8_t*>(&value), sizeof(value));
  } else {
    stream->WriteByte(255);
    const uint32_t value = static_cast<uint32_t>(size);
    stream->WriteBytes(reinterpret_cast<const uint8_t*>(&value), sizeof(value));
  }
}

void StandardCodecSerializer::WriteValue(const EncodableValue& value,
                                         ByteStreamWriter* stream) const {
  // Typed lists: tag, size, padding to the element alignment, then the raw elements.
  auto write_typed_list = [this, stream](Tag tag, const auto& list, uint8_t alignment) {
    using Element = typename std::decay_t<decltype(list)>::value_type;
    WriteTag(tag, stream);
    WriteSize(list.size(), stream);
    stream->WriteAlignment(alignment);
    stream->WriteBytes(reinterpret_cast<const uint8_t*>(list.data()),
                       list.size() * sizeof(Element));
  };
  std::visit(
      [this, stream, &write_typed_list](const auto& v) {
        using V = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<V, std::monostate>) {
          WriteTag(Tag::kNull, stream);
        } else if constexpr (std::is_same_v<V, bool>) {
          WriteTag(v ? Tag::kTrue : Tag::kFalse, stream);
        } else if constexpr (std::is_same_v<V, int32_t>) {
          WriteTag(Tag::kInt32, stream);
          stream->WriteInt32(v);
        } else if constexpr (std::is_same_v<V, int64_t>) {
          WriteTag(Tag::kInt64, stream);
          stream->WriteInt64(v);
        } else if constexpr (std::is_same_v<V, double>) {
          WriteTag(Tag::kFloat64, stream);
          stream->WriteAlignment(8);
          stream->WriteDouble(v);
        } else if constexpr (std::is_same_v<V, std::string>) {
          WriteTag(Tag::kString, stream);
          WriteSize(v.size(), stream);
          stream->WriteBytes(reinterpret_cast<const uint8_t*>(v.data()), v.size());
        } else if constexpr (std::is_same_v<V, std::vector<uint8_t>>) {
          write_typed_list(Tag::kUInt8List, v, 1);
        } else if constexpr (std::is_same_v<V, std::vector<int32_t>>) {
          write_typed_list(Tag::kInt32List, v, 4);
        } else if constexpr (std::is_same_v<V, std::vector<int64_t>>) {
          write_typed_list(Tag::kInt64List, v, 8);
        } else if constexpr (std::is_same_v<V, std::vector<double>>) {
          write_typed_list(Tag::kFloat64List, v, 8);
        } else if constexpr (std::is_same_v<V, std::vector<float>>) {
          write_typed_list(Tag::kFloat32List, v, 4);
        } else if constexpr (std::is_same_v<V, EncodableList>) {
          WriteTag(Tag::kList, stream);
          WriteSize(v.size(), stream);
          for (const EncodableValue& item : v) WriteValue(item, stream);
        } else if constexpr (std::is_same_v<V, EncodableMap>) {
          WriteTag(Tag::kMap, stream);
          WriteSize(v.size(), stream);
          for (const auto& [key, item] : v) {
            WriteValue(key, stream);
            WriteValue(item, stream);
          }
        } else {
          static_assert(sizeof(V) == 0, "every alternative of EncodableValue must be written");
        }
      },
      static_cast<const EncodableValue::super&>(value));
}

// ----- StandardMessageCodec -----

namespace {

// One codec per serializer, made on first use and kept until exit.
template <typename Codec>
const Codec& CodecFor(const StandardCodecSerializer* serializer,
                      Codec* (*make)(const StandardCodecSerializer*)) {
  static std::mutex mutex;
  static std::map<const StandardCodecSerializer*, std::unique_ptr<Codec>> codecs;
  std::lock_guard<std::mutex> lock(mutex);
  std::unique_ptr<Codec>& codec = codecs[serializer];
  if (!codec) codec.reset(make(serializer));
  return *codec;
}

}  // namespace

StandardMessageCodec::StandardMessageCodec(const StandardCodecSerializer* serializer)
    : serializer_(serializer) {}

StandardMessageCodec::~StandardMessageCodec() = default;

const StandardMessageCodec& StandardMessageCodec::GetInstance(
    const StandardCodecSerializer* serializer) {
  if (!serializer) serializer = &StandardCodecSerializer::GetInstance();
  return CodecFor<StandardMessageCodec>(serializer, [](const StandardCodecSerializer* s) {
    return new StandardMessageCodec(s);
  });
}

std::unique_ptr<EncodableValue> StandardMessageCodec::DecodeMessageInternal(
    const uint8_t* binary_message, size_t message_size) const {
  if (message_size == 0) return std::make_unique<EncodableValue>();
  if (!binary_message) return nullptr;
  try {
    ByteBufferStreamReader reader(binary_message, message_size);
    auto value = std::make_unique<EncodableValue>();
    if (!ReadWholeValue(*serializer_, &reader, value.get())) return nullptr;
    return value;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<std::vector<uint8_t>> StandardMessageCodec::EncodeMessageInternal(
    const EncodableValue& message) const {
  return Encode([&](ByteStreamWriter* writer) { serializer_->WriteValue(message, writer); });
}

// ----- StandardMethodCodec -----

namespace {

// Writes |value| itself (never a copy of it), or null when there is none.
void WriteValueOrNull(const StandardCodecSerializer& serializer, const EncodableValue* value,
                      ByteStreamWriter* writer) {
  if (value) {
    serializer.WriteValue(*value, writer);
  } else {
    serializer.WriteValue(EncodableValue(), writer);
  }
}

}  // namespace

StandardMethodCodec::StandardMethodCodec(const StandardCodecSerializer* serializer)
    : serializer_(serializer) {}

StandardMethodCodec::~StandardMethodCodec() = default;

const StandardMethodCodec& StandardMethodCodec::GetInstance(
    const StandardCodecSerializer* serializer) {
  if (!serializer) serializer = &StandardCodecSerializer::GetInstance();
  return CodecFor<StandardMethodCodec>(serializer, [](const StandardCodecSerializer* s) {
    return new StandardMethodCodec(s);
  });
}

std::unique_ptr<MethodCall<EncodableValue>> StandardMethodCodec::DecodeMethodCallInternal(
    const uint8_t* message, size_t message_size) const {
  if (!message || message_size == 0) return nullptr;
  try {
    ByteBufferStreamReader reader(message, message_size);
    EncodableValue name = serializer_->ReadValue(&reader);
    const auto* method_name = std::get_if<std::string>(&name);
    if (reader.Failed() || !method_name) return nullptr;
    auto arguments = std::make_unique<EncodableValue>();
    if (!ReadWholeValue(*serializer_, &reader, arguments.get())) return nullptr;
    return std::make_unique<MethodCall<EncodableValue>>(*method_name, std::move(arguments));
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeMethodCallInternal(
    const MethodCall<EncodableValue>& method_call) const {
  return Encode([&](ByteStreamWriter* writer) {
    serializer_->WriteValue(EncodableValue(method_call.method_name()), writer);
    WriteValueOrNull(*serializer_, method_call.arguments(), writer);
  });
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeSuccessEnvelopeInternal(
    const EncodableValue* result) const {
  return Encode([&](ByteStreamWriter* writer) {
    writer->WriteByte(kEnvelopeSuccess);
    WriteValueOrNull(*serializer_, result, writer);
  });
}

std::unique_ptr<std::vector<uint8_t>> StandardMethodCodec::EncodeErrorEnvelopeInternal(
    const std::string& error_code, const std::string& error_message,
    const EncodableValue* error_details) const {
  return Encode([&](ByteStreamWriter* writer) {
    writer->WriteByte(kEnvelopeError);
    serializer_->WriteValue(EncodableValue(error_code), writer);
    serializer_->WriteValue(
        error_message.empty() ? EncodableValue() : EncodableValue(error_message), writer);
    WriteValueOrNull(*serializer_, error_details, writer);
  });
}

bool StandardMethodCodec::DecodeAndProcessResponseEnvelopeInternal(
    const uint8_t* response, size_t response_size, MethodResult<EncodableValue>* result) const {
  if (response_size == 0) {
    result->NotImplemented();
    return true;
  }
  if (!response) return false;
  try {
    ByteBufferStreamReader reader(response, response_size);
    const uint8_t kind = reader.ReadByte();
    if (kind == kEnvelopeSuccess) {
      EncodableValue value;
      if (!ReadWholeValue(*serializer_, &reader, &value)) return false;
      if (value.IsNull()) {
        result->Success();
      } else {
        result->Success(value);
      }
      return true;
    }
    if (kind != kEnvelopeError) return false;
    EncodableValue code = serializer_->ReadValue(&reader);
    EncodableValue message = serializer_->ReadValue(&reader);
    EncodableValue details = serializer_->ReadValue(&reader);
    if (reader.Failed() || !std::holds_alternative<std::string>(code) ||
        !(message.IsNull() || std::holds_alternative<std::string>(message))) {
      return false;
    }
    if (reader.BytesRemaining() > 0) {
      // An optional stack trace, text or null, may follow; nothing else may.
      EncodableValue stack_trace = serializer_->ReadValue(&reader);
      if (reader.Failed() || reader.BytesRemaining() > 0 ||
          !(stack_trace.IsNull() || std::holds_alternative<std::string>(stack_trace))) {
        return false;
      }
    }
    const std::string* message_text = std::get_if<std::string>(&message);
    const std::string empty;
    if (details.IsNull()) {
      result->Error(std::get<std::string>(code), message_text ? *message_text : empty);
    } else {
      result->Error(std::get<std::string>(code), message_text ? *message_text : empty, details);
    }
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

}  // namespace flutter
