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
  // message start. The buffer holds exactly the bytes written once the writer is gone: while it
  // writes, the vector runs ahead of them with zeroed room to spare, so that a byte, a number or a
  // padding costs a bounds check and a store instead of an out-of-line vector call.
  explicit ByteBufferStreamWriter(std::vector<uint8_t>* buffer)
      : bytes_(buffer), size_(buffer->size()) {}
  ~ByteBufferStreamWriter() override { bytes_->resize(size_); }

  void WriteByte(uint8_t byte) override { *Claim(1) = byte; }

  void WriteBytes(const uint8_t* bytes, size_t length) override {
    switch (length) {  // The sizes of numbers, copied without a call.
      case 4:
        std::memcpy(Claim(4), bytes, 4);
        return;
      case 8:
        std::memcpy(Claim(8), bytes, 8);
        return;
      case 0:
        return;
    }
    if (length > kLargeWrite) {
      // Copied once, with no zeroed room made for it first.
      bytes_->resize(size_);
      bytes_->insert(bytes_->end(), bytes, bytes + length);
      size_ = bytes_->size();
      return;
    }
    std::memcpy(Claim(length), bytes, length);
  }

  void WriteAlignment(uint8_t alignment) override {
    if (alignment == 0) return;
    const size_t remainder = size_ % alignment;
    if (remainder != 0) Claim(alignment - remainder);  // The room is zeroed already.
  }

 private:
  // Writes longer than this are appended straight to the vector.
  static constexpr size_t kLargeWrite = 4096;
  // The first room made: the messages the host sends most (events, replies, calls) fit.
  static constexpr size_t kInitialRoom = 256;

  // The next |length| bytes of the message; zeros until written.
  uint8_t* Claim(size_t length) {
    if (bytes_->size() - size_ < length) Grow(length);
    uint8_t* next = bytes_->data() + size_;
    size_ += length;
    return next;
  }

  // Room for |length| more bytes and some to spare, zeroed. The spare room grows with the message
  // up to kLargeWrite, so that no write zeroes much more than it writes; the vector's capacity
  // grows geometrically on its own.
  void Grow(size_t length) {
    const size_t spare =
        size_ < kInitialRoom ? kInitialRoom : (size_ < kLargeWrite ? size_ : kLargeWrite);
    bytes_->resize(size_ + length + spare);
  }

  std::vector<uint8_t>* bytes_;  // Not owned.
  size_t size_;                  // Bytes written; the vector may be longer.
};

}  // namespace flutter

#endif  // FLUTTER_WRAPPER_BYTE_BUFFER_STREAMS_H_
