// StreamHandler: the host side of an event channel, told when the Dart side starts and stops
// listening.
#ifndef FLUTTER_EVENT_STREAM_HANDLER_H_
#define FLUTTER_EVENT_STREAM_HANDLER_H_

#include <memory>
#include <string>
#include <utility>

#include "flutter/event_sink.h"

#include "flutter/encodable_value.h"

namespace flutter {

// Returned by OnListen or OnCancel to refuse; the Dart side receives it as an error.
template <typename T = EncodableValue>
struct StreamHandlerError {
  std::string error_code;
  std::string error_message;
  std::unique_ptr<T> error_details;

  StreamHandlerError(const std::string& error_code, const std::string& error_message,
                     std::unique_ptr<T>&& error_details)
      : error_code(error_code),
        error_message(error_message),
        error_details(std::move(error_details)) {}
};

template <typename T = EncodableValue>
class StreamHandler {
 public:
  StreamHandler() = default;
  virtual ~StreamHandler() = default;
  StreamHandler(const StreamHandler&) = delete;
  StreamHandler& operator=(const StreamHandler&) = delete;

  // The Dart side listens; |events| is where to send events until OnCancel. Null means success.
  std::unique_ptr<StreamHandlerError<T>> OnListen(const T* arguments,
                                                  std::unique_ptr<EventSink<T>>&& events) {
    return OnListenInternal(arguments, std::move(events));
  }

  // The Dart side stopped listening. Null means success.
  std::unique_ptr<StreamHandlerError<T>> OnCancel(const T* arguments) {
    return OnCancelInternal(arguments);
  }

 protected:
  virtual std::unique_ptr<StreamHandlerError<T>> OnListenInternal(
      const T* arguments, std::unique_ptr<EventSink<T>>&& events) = 0;
  virtual std::unique_ptr<StreamHandlerError<T>> OnCancelInternal(const T* arguments) = 0;
};

}  // namespace flutter

#endif  // FLUTTER_EVENT_STREAM_HANDLER_H_
