// StreamHandlerFunctions: a StreamHandler made of two callables. An empty callable succeeds.
#ifndef FLUTTER_EVENT_STREAM_HANDLER_FUNCTIONS_H_
#define FLUTTER_EVENT_STREAM_HANDLER_FUNCTIONS_H_

#include <functional>
#include <memory>
#include <utility>

#include "flutter/event_sink.h"
#include "flutter/event_stream_handler.h"

#include "flutter/encodable_value.h"

namespace flutter {

template <typename T>
using StreamHandlerListen = std::function<std::unique_ptr<StreamHandlerError<T>>(
    const T* arguments, std::unique_ptr<EventSink<T>>&& events)>;

template <typename T>
using StreamHandlerCancel =
    std::function<std::unique_ptr<StreamHandlerError<T>>(const T* arguments)>;

template <typename T = EncodableValue>
class StreamHandlerFunctions : public StreamHandler<T> {
 public:
  StreamHandlerFunctions(StreamHandlerListen<T> on_listen, StreamHandlerCancel<T> on_cancel)
      : on_listen_(std::move(on_listen)), on_cancel_(std::move(on_cancel)) {}

 protected:
  std::unique_ptr<StreamHandlerError<T>> OnListenInternal(
      const T* arguments, std::unique_ptr<EventSink<T>>&& events) override {
    return on_listen_ ? on_listen_(arguments, std::move(events)) : nullptr;
  }

  std::unique_ptr<StreamHandlerError<T>> OnCancelInternal(const T* arguments) override {
    return on_cancel_ ? on_cancel_(arguments) : nullptr;
  }

 private:
  StreamHandlerListen<T> on_listen_;
  StreamHandlerCancel<T> on_cancel_;
};

}  // namespace flutter

#endif  // FLUTTER_EVENT_STREAM_HANDLER_FUNCTIONS_H_
