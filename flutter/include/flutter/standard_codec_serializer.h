// StandardCodecSerializer: reads and writes single EncodableValues in the standard codec's byte
// format, which the Dart side shares.
//
// Format: one type byte, then the payload.
//   0 null, 1 true, 2 false
//   3 int32 (4 bytes), 4 int64 (8 bytes)
//   5 large integer: read as a string (never written)
//   6 float64: aligned to 8, 8 bytes
//   7 string: size, UTF-8 bytes
//   8 uint8 list: size, bytes
//   9 int32 list: size, aligned to 4, elements
//   10 int64 list: size, aligned to 8, elements
//   11 float64 list: size, aligned to 8, elements
//   12 list: size, values
//   13 map: size, key/value pairs
//   14 float32 list: size, aligned to 4, elements
// Sizes take 1 byte below 254, else 254 and a uint16, else 255 and a uint32.
//
// Reading is safe against any input: a truncated or malformed stream marks the reader failed and
// ReadValue returns null; nothing is read past the end, no size in the input is trusted for an
// allocation larger than the bytes left (the lists open at once together reserve no more elements
// than the bytes left can hold), and nesting deeper than kMaxNestingDepth fails.
//
// Thread-safety: the serializer is stateless; GetInstance() may be used from any thread.
#ifndef FLUTTER_STANDARD_CODEC_SERIALIZER_H_
#define FLUTTER_STANDARD_CODEC_SERIALIZER_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "flutter/byte_streams.h"
#include "flutter/encodable_value.h"

namespace flutter {

class StandardCodecSerializer {
 public:
  // Lists and maps nested deeper than this are rejected, so hostile input cannot exhaust the stack.
  static constexpr int kMaxNestingDepth = 128;

  virtual ~StandardCodecSerializer();
  StandardCodecSerializer(const StandardCodecSerializer&) = delete;
  StandardCodecSerializer& operator=(const StandardCodecSerializer&) = delete;

  static const StandardCodecSerializer& GetInstance();

  // Reads one value. On malformed input the stream is marked failed and the result is meaningless.
  EncodableValue ReadValue(ByteStreamReader* stream) const;

  virtual void WriteValue(const EncodableValue& value, ByteStreamWriter* stream) const;

 protected:
  StandardCodecSerializer();

  // Reads the payload of a value whose type byte was |type|.
  virtual EncodableValue ReadValueOfType(uint8_t type, ByteStreamReader* stream) const;

  // Reads a size in the 1/3/5-byte form.
  size_t ReadSize(ByteStreamReader* stream) const;

  // Writes a size in the 1/3/5-byte form.
  void WriteSize(size_t size, ByteStreamWriter* stream) const;

 private:
  static size_t BytesAvailable(const ByteStreamReader* stream);
  template <typename T>
  static std::vector<T> ReadTypedList(size_t count, uint8_t alignment, ByteStreamReader* stream);
};

}  // namespace flutter

#endif  // FLUTTER_STANDARD_CODEC_SERIALIZER_H_
