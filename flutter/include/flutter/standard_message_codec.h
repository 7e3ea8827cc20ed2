// StandardMessageCodec: single EncodableValues in the standard codec's format.
//
// An empty message decodes to null (the Dart side sends nothing for a null message). A message with
// bytes left over after its value is rejected, as the Dart side rejects it.
//
// Thread-safety: instances are immutable; GetInstance() may be used from any thread.
#ifndef FLUTTER_STANDARD_MESSAGE_CODEC_H_
#define FLUTTER_STANDARD_MESSAGE_CODEC_H_

#include <memory>
#include <vector>

#include "flutter/encodable_value.h"
#include "flutter/message_codec.h"
#include "flutter/standard_codec_serializer.h"

namespace flutter {

class StandardMessageCodec : public MessageCodec<EncodableValue> {
 public:
  // The shared codec for |serializer| (null: the standard serializer). Lives until process exit.
  static const StandardMessageCodec& GetInstance(
      const StandardCodecSerializer* serializer = nullptr);

  ~StandardMessageCodec() override;

 protected:
  std::unique_ptr<EncodableValue> DecodeMessageInternal(const uint8_t* binary_message,
                                                        size_t message_size) const override;
  std::unique_ptr<std::vector<uint8_t>> EncodeMessageInternal(
      const EncodableValue& message) const override;

 private:
  explicit StandardMessageCodec(const StandardCodecSerializer* serializer);

  const StandardCodecSerializer* serializer_;  // Not owned; process lifetime.
};

}  // namespace flutter

#endif  // FLUTTER_STANDARD_MESSAGE_CODEC_H_
