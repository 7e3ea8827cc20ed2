// Byte streams that the standard codec reads from and writes to.
//
// Multi-byte numbers are little-endian. Alignment is counted from the start of the whole message,
// so that typed lists and doubles land on the same offsets as on the Dart side.
//
// Readers never read past their end: a read beyond it yields zeros and marks the stream failed,
// and the codec then rejects the message.
#ifndef FLUTTER_BYTE_STREAMS_H_
#define FLUTTER_BYTE_STREAMS_H_

#include <cstddef>
#include <cstdint>

namespace flutter {

class ByteStreamReader {
 public:
  ByteStreamReader() = default;
  virtual ~ByteStreamReader() = default;
  ByteStreamReader(const ByteStreamReader&) = delete;
  ByteStreamReader& operator=(const ByteStreamReader&) = delete;

  // Reads one byte; 0 past the end.
  virtual uint8_t ReadByte() = 0;

  // Reads |length| bytes into |buffer|; zero-fills and fails when fewer remain.
  virtual void ReadBytes(uint8_t* buffer, size_t length) = 0;

  // Skips to the next multiple of |alignment| from the message start.
  virtual void ReadAlignment(uint8_t alignment) = 0;

  // Bytes left before the end.
  virtual size_t BytesRemaining() const = 0;

  // Whether a read ran past the end or the content was found malformed.
  virtual bool Failed() const = 0;

  // Marks the content malformed; later reads yield zeros.
  virtual void Fail() = 0;

  int32_t ReadInt32() {
    int32_t value = 0;
    ReadBytes(reinterpret_cast<uint8_t*>(&value), sizeof(value));
    return value;
  }
  int64_t ReadInt64() {
    int64_t value = 0;
    ReadBytes(reinterpret_cast<uint8_t*>(&value), sizeof(value));
    return value;
  }
  double ReadDouble() {
    double value = 0;
    ReadBytes(reinterpret_cast<uint8_t*>(&value), sizeof(value));
    return value;
  }

 private:
  friend class StandardCodecSerializer;

  // Where the standard codec is in the value it reads from this stream: how deeply nested, and
  // how many bytes the lists and maps around it still need at least for their elements not yet
  // read. Kept with the stream, since one decode reads one stream.
  int nesting_depth_ = 0;
  size_t bytes_owed_ = 0;
};

class ByteStreamWriter {
 public:
  ByteStreamWriter() = default;
  virtual ~ByteStreamWriter() = default;
  ByteStreamWriter(const ByteStreamWriter&) = delete;
  ByteStreamWriter& operator=(const ByteStreamWriter&) = delete;

  virtual void WriteByte(uint8_t byte) = 0;
  virtual void WriteBytes(const uint8_t* bytes, size_t length) = 0;
  // Pads with zeros to the next multiple of |alignment| from the message start.
  virtual void WriteAlignment(uint8_t alignment) = 0;

  void WriteInt32(int32_t value) {
    WriteBytes(reinterpret_cast<const uint8_t*>(&value), sizeof(value));
  }
  void WriteInt64(int64_t value) {
    WriteBytes(reinterpret_cast<const uint8_t*>(&value), sizeof(value));
  }
  void WriteDouble(double value) {
    WriteBytes(reinterpret_cast<const uint8_t*>(&value), sizeof(value));
  }
};

}  // namespace flutter

#endif  // FLUTTER_BYTE_STREAMS_H_
