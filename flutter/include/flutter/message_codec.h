// MessageCodec: turns values of type T into message bytes and back.
//
// Decoding never throws and never reads past the given bytes: undecodable input gives null.
#ifndef FLUTTER_MESSAGE_CODEC_H_
#define FLUTTER_MESSAGE_CODEC_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace flutter {

template <typename T>
class MessageCodec {
 public:
  MessageCodec() = default;
  virtual ~MessageCodec() = default;
  MessageCodec(const MessageCodec&) = delete;
  MessageCodec& operator=(const MessageCodec&) = delete;

  // Returns the decoded value, or null when |binary_message| is not a valid message.
  std::unique_ptr<T> DecodeMessage(const uint8_t* binary_message, size_t message_size) const {
    return DecodeMessageInternal(binary_message, message_size);
  }

  std::unique_ptr<T> DecodeMessage(const std::vector<uint8_t>& binary_message) const {
    return DecodeMessageInternal(binary_message.data(), binary_message.size());
  }

  std::unique_ptr<std::vector<uint8_t>> EncodeMessage(const T& message) const {
    return EncodeMessageInternal(message);
  }

 protected:
  virtual std::unique_ptr<T> DecodeMessageInternal(const uint8_t* binary_message,
                                                   size_t message_size) const = 0;
  virtual std::unique_ptr<std::vector<uint8_t>> EncodeMessageInternal(
      const T& message) const = 0;
};

}  // namespace flutter

#endif  // FLUTTER_MESSAGE_CODEC_H_
