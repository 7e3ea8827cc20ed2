// EventChannel: a stream of events to the Dart side, over the event-channel protocol:
//   the Dart side calls "listen" (with arguments) to subscribe and "cancel" to stop;
//   each event is a success or error envelope sent without reply; an empty message ends the stream.
//
//   flutter::EventChannel<flutter::EncodableValue> channel(
//       messenger, "fernhold/swplay/events", &flutter::StandardMethodCodec::GetInstance());
//   channel.SetStreamHandler(std::make_unique<flutter::StreamHandlerFunctions<>>(
//       [this](const auto* arguments, auto&& events) {
//         sink_ = std::move(events);
//         return nullptr;
//       },
//       [this](const auto* arguments) {
//         sink_.reset();
//         return nullptr;
//       }));
//
// Thread affinity: the platform thread, like the messenger; sinks must be used there too.
//
// Lifetime: as with MethodChannel, the handler stays installed after the channel object is gone;
// remove it with SetStreamHandler(nullptr).
#ifndef FLUTTER_EVENT_CHANNEL_H_
#define FLUTTER_EVENT_CHANNEL_H_

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "flutter/binary_messenger.h"
#include "flutter/encodable_value.h"
#include "flutter/event_sink.h"
#include "flutter/event_stream_handler.h"
#include "flutter/method_codec.h"

namespace flutter {

template <typename T = EncodableValue>
class EventChannel {
 public:
  // |messenger| and |codec| are not owned and must outlive the channel and its handler.
  EventChannel(BinaryMessenger* messenger, const std::string& name, const MethodCodec<T>* codec)
      : messenger_(messenger), name_(name), codec_(codec) {}
  ~EventChannel() = default;
  EventChannel(const EventChannel&) = delete;
  EventChannel& operator=(const EventChannel&) = delete;

  // Installs |handler|; null removes it. A second "listen" without "cancel" cancels the first
  // subscription before starting the new one. A "cancel" without subscription is answered with an
  // error; any other method with an empty reply.
  void SetStreamHandler(std::unique_ptr<StreamHandler<T>>&& handler) {
    if (!handler) {
      messenger_->SetMessageHandler(name_, nullptr);
      return;
    }
    // BinaryMessageHandler must be copyable, so the handler and the state become shared.
    std::shared_ptr<StreamHandler<T>> shared_handler(handler.release());
    auto listening = std::make_shared<bool>(false);
    const MethodCodec<T>* codec = codec_;
    BinaryMessenger* messenger = messenger_;
    std::string channel_name = name_;
    BinaryMessageHandler binary_handler = [shared_handler, listening, codec, messenger,
                                           channel_name](const uint8_t* message,
                                                         size_t message_size, BinaryReply reply) {
      std::unique_ptr<MethodCall<T>> call = codec->DecodeMethodCall(message, message_size);
      if (!call) {
        reply(nullptr, 0);
        return;
      }
      std::unique_ptr<std::vector<uint8_t>> answer;
      if (call->method_name() == "listen") {
        if (*listening) shared_handler->OnCancel(nullptr);
        auto sink = std::make_unique<Sink>(messenger, channel_name, codec);
        std::unique_ptr<StreamHandlerError<T>> error =
            shared_handler->OnListen(call->arguments(), std::move(sink));
        answer = Answer(codec, error.get());
        *listening = error == nullptr;
      } else if (call->method_name() == "cancel") {
        if (*listening) {
          *listening = false;
          answer = Answer(codec, shared_handler->OnCancel(call->arguments()).get());
        } else {
          answer = codec->EncodeErrorEnvelope("error", "No active stream to cancel");
        }
      } else {
        reply(nullptr, 0);
        return;
      }
      reply(answer->data(), answer->size());
    };
    messenger_->SetMessageHandler(name_, std::move(binary_handler));
  }

 private:
  // Sends the events of one subscription.
  class Sink : public EventSink<T> {
   public:
    Sink(BinaryMessenger* messenger, const std::string& name, const MethodCodec<T>* codec)
        : messenger_(messenger), name_(name), codec_(codec) {}

   protected:
    void SuccessInternal(const T* event) override {
      auto envelope = codec_->EncodeSuccessEnvelope(event);
      messenger_->Send(name_, envelope->data(), envelope->size());
    }
    void ErrorInternal(const std::string& error_code, const std::string& error_message,
                       const T* error_details) override {
      auto envelope = codec_->EncodeErrorEnvelope(error_code, error_message, error_details);
      messenger_->Send(name_, envelope->data(), envelope->size());
    }
    void EndOfStreamInternal() override { messenger_->Send(name_, nullptr, 0); }

   private:
    BinaryMessenger* messenger_;  // Not owned.
    std::string name_;
    const MethodCodec<T>* codec_;  // Not owned.
  };

  static std::unique_ptr<std::vector<uint8_t>> Answer(const MethodCodec<T>* codec,
                                                      const StreamHandlerError<T>* error) {
    if (!error) return codec->EncodeSuccessEnvelope();
    return codec->EncodeErrorEnvelope(error->error_code, error->error_message,
                                      error->error_details.get());
  }

  BinaryMessenger* messenger_;  // Not owned.
  std::string name_;
  const MethodCodec<T>* codec_;  // Not owned.
};

}  // namespace flutter

#endif  // FLUTTER_EVENT_CHANNEL_H_
