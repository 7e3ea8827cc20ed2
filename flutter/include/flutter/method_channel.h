// MethodChannel: method calls with replies over a named channel of a BinaryMessenger.
//
//   flutter::MethodChannel<flutter::EncodableValue> channel(
//       messenger, "fernhold/app", &flutter::StandardMethodCodec::GetInstance());
//   channel.SetMethodCallHandler([](const auto& call, auto result) {
//     if (call.method_name() == "ping") result->Success(flutter::EncodableValue("pong"));
//     else result->NotImplemented();
//   });
//
// Thread affinity: the platform thread, like the messenger. Handlers run there.
//
// Lifetime: the handler stays installed on the messenger after the channel object is destroyed;
// remove it with SetMethodCallHandler(nullptr) first when the code it captures goes away. The
// installed handler captures copies (codec pointer, channel name), never the channel itself.
#ifndef FLUTTER_METHOD_CHANNEL_H_
#define FLUTTER_METHOD_CHANNEL_H_

#include <functional>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "flutter/binary_messenger.h"
#include "flutter/engine_method_result.h"
#include "flutter/method_call.h"
#include "flutter/method_codec.h"
#include "flutter/method_result.h"

#include "flutter/encodable_value.h"

namespace flutter {

// Handles one call. Must answer through |result| exactly once, now or later.
template <typename T>
using MethodCallHandler =
    std::function<void(const MethodCall<T>& call, std::unique_ptr<MethodResult<T>> result)>;

template <typename T = EncodableValue>
class MethodChannel {
 public:
  // |messenger| and |codec| are not owned and must outlive the channel and its handler.
  MethodChannel(BinaryMessenger* messenger, const std::string& name, const MethodCodec<T>* codec)
      : messenger_(messenger), name_(name), codec_(codec) {}
  ~MethodChannel() = default;
  MethodChannel(const MethodChannel&) = delete;
  MethodChannel& operator=(const MethodChannel&) = delete;

  // Calls |method| on the Dart side. |result|, when given, receives the reply on the platform
  // thread; an undecodable reply is logged and |result| is not called.
  void InvokeMethod(const std::string& method, std::unique_ptr<T> arguments,
                    std::unique_ptr<MethodResult<T>> result = nullptr) {
    MethodCall<T> call(method, std::move(arguments));
    std::unique_ptr<std::vector<uint8_t>> message = codec_->EncodeMethodCall(call);
    if (!result) {
      messenger_->Send(name_, message->data(), message->size(), nullptr);
      return;
    }
    // BinaryReply is a std::function and must be copyable, so the unique result becomes shared.
    std::shared_ptr<MethodResult<T>> shared_result(result.release());
    const MethodCodec<T>* codec = codec_;
    std::string channel_name = name_;
    BinaryReply on_reply = [shared_result, codec, channel_name](const uint8_t* reply,
                                                                size_t reply_size) {
      if (!codec->DecodeAndProcessResponseEnvelope(reply, reply_size, shared_result.get())) {
        std::cerr << "Unable to decode the reply to a method call on channel " << channel_name
                  << std::endl;
      }
    };
    messenger_->Send(name_, message->data(), message->size(), std::move(on_reply));
  }

  // Installs |handler| for calls on this channel; an empty handler removes it. Calls that cannot
  // be decoded are logged and answered with an empty reply.
  void SetMethodCallHandler(MethodCallHandler<T> handler) const {
    if (!handler) {
      messenger_->SetMessageHandler(name_, nullptr);
      return;
    }
    const MethodCodec<T>* codec = codec_;
    std::string channel_name = name_;
    BinaryMessageHandler binary_handler = [handler, codec, channel_name](
                                              const uint8_t* message, size_t message_size,
                                              BinaryReply reply) {
      auto result = std::make_unique<EngineMethodResult<T>>(std::move(reply), codec);
      std::unique_ptr<MethodCall<T>> call = codec->DecodeMethodCall(message, message_size);
      if (!call) {
        std::cerr << "Unable to construct method call from message on channel " << channel_name
                  << std::endl;
        result->NotImplemented();
        return;
      }
      handler(*call, std::move(result));
    };
    messenger_->SetMessageHandler(name_, std::move(binary_handler));
  }

 private:
  BinaryMessenger* messenger_;  // Not owned.
  std::string name_;
  const MethodCodec<T>* codec_;  // Not owned.
};

}  // namespace flutter

#endif  // FLUTTER_METHOD_CHANNEL_H_
