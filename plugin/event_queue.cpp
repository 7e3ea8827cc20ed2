#include "plugin/event_queue.h"

#include <utility>

namespace {

constexpr char kEventChannel[] = "fernhold/swplay/events";

}  // namespace

void EventQueue::Attach(flutter::BinaryMessenger* messenger,
                        const flutter::StandardMethodCodec* codec) {
  messenger_ = messenger;
  codec_ = codec;
}

void EventQueue::Append(ZuvorIvadoEvent event) {
  if (!messenger_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  queue_.push_back(std::move(event));
  if (observer_) observer_(queue_.back());
}

void EventQueue::SetObserverForTesting(std::function<void(const ZuvorIvadoEvent&)> observer) {
  std::lock_guard<std::mutex> lock(mutex_);
  observer_ = std::move(observer);
}

void EventQueue::Flush() {
  if (!listening_ || !messenger_ || !codec_) return;
  std::deque<ZuvorIvadoEvent> taken;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    taken.swap(queue_);
  }
  for (ZuvorIvadoEvent& event : taken) {
    using flutter::EncodableMap;
    using flutter::EncodableValue;
    const EncodableValue wrapped(EncodableMap{{EncodableValue("event"), EncodableValue(event.name)},
                                              {EncodableValue("data"), std::move(event.data)}});
    auto bytes = codec_->EncodeSuccessEnvelope(&wrapped);
    messenger_->Send(kEventChannel, bytes->data(), bytes->size());
  }
}

void EventQueue::HandleChannelMessage(const uint8_t* message, size_t size,
                                      flutter::BinaryReply reply) {
  auto call = codec_ ? codec_->DecodeMethodCall(message, size) : nullptr;
  if (!call) {
    reply(nullptr, 0);
    return;
  }
  const std::string& method = call->method_name();
  if (method == "listen") {
    listening_ = true;
    Flush();  // everything raised before the subscription goes out before its answer
  } else if (method == "cancel") {
    listening_ = false;  // the queue is kept until the next "listen"
  } else {
    reply(nullptr, 0);
    return;
  }
  auto envelope = codec_->EncodeSuccessEnvelope();
  reply(envelope->data(), envelope->size());
}
