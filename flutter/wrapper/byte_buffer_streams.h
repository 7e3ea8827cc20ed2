// Byte streams over memory buffers, used by the standard codecs.
//
// The reader is bounds-checked: it never touches a byte outside [bytes, bytes + size). The writer
// appends to a vector; alignment is counted from the vector's start, which is the message start.
#ifndef FLUTTER_WRAPPER_BYTE_BUFFER_STREAMS_H_
#define FLUTTER_WRAPPER_BYTE_BUFFER_STREAMS_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "flutter/byte_streams.h"

namespace flutter {

class ByteBufferStreamReader : public ByteStreamReader {
 public:
  // |bytes| may be null only when |size| is 0. Not owned; must outlive the reader.
  ByteBufferStreamReader(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}

  uint8_t ReadByte() override {
    if (failed_ || location_ >= size_) {
      failed_ = true;
      return 0;
    }
    return bytes_[location_++];
  }

  void ReadBytes(uint8_t* buffer, size_t length) override {
    if (length == 0) return;
    if (failed_ || length > size_ - location_) {
      failed_ = true;
      std::memset(buffer, 0, length);
      return;
    }
    std::memcpy(buffer, bytes_ + location_, length);
    location_ += length;
  }

  void ReadAlignment(uint8_t alignment) override {
    if (failed_ || alignment == 0) return;
    const size_t remainder = location_ % alignment;
    if (remainder == 0) return;
    const size_t padding = alignment - remainder;
    if (padding > size_ - location_) {
      failed_ = true;
      return;
    }
    location_ += padding;
  }

  size_t BytesRemaining() const override { return failed_ ? 0 : size_ - location_; }
  bool Failed() const override { return failed_; }
  void Fail() override { failed_ = true; }

  // Offset of the next byte from the message start.
  size_t location() const { return location_; }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t location_ = 0;
  bool failed_ = false;
};

class ByteBufferStreamWriter : public ByteStreamWriter {
 public:
  // Appends to |buffer| (not owned), which should be empty so that alignment counts from the
  // message start.
  explicit ByteBufferStreamWriter(std::vector<uint8_t>* buffer) : bytes_(buffer) {}

  void WriteByte(uint8_t byte) override { bytes_->push_back(byte); }

  void WriteBytes(const uint8_t* bytes, size_t length) override {
    if (length > 0) bytes_->insert(bytes_->end(), bytes, bytes + length);
  }

  void WriteAlignment(uint8_t alignment) override {
    if (alignment == 0) return;
    const size_t remainder = bytes_->size() % alignment;
    if (remainder != 0) bytes_->resize(bytes_->size() + (alignment - remainder), 0);
  }

 private:
  std::vector<uint8_t>* bytes_;  // Not owned.
};

}  // namespace flutter

#endif  // FLUTTER_WRAPPER_BYTE_BUFFER_STREAMS_H_
