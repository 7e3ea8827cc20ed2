// MethodResult: the one-shot reply to a method call.
//
// Exactly one of Success, Error or NotImplemented must be called, once, for every call a handler
// receives; it may be called later and on another thread (the reply is then carried to the
// engine's platform thread). A second reply is refused and logged, never sent.
#ifndef FLUTTER_METHOD_RESULT_H_
#define FLUTTER_METHOD_RESULT_H_

#include <atomic>
#include <string>

#include "flutter/encodable_value.h"

namespace flutter {

namespace internal {
// Logs a refused second reply; |kind| names the refused call.
void LogDuplicateMethodResult(const char* kind);
}  // namespace internal

template <typename T = EncodableValue>
class MethodResult {
 public:
  MethodResult() = default;
  virtual ~MethodResult() = default;
  MethodResult(const MethodResult&) = delete;
  MethodResult& operator=(const MethodResult&) = delete;

  void Success(const T& result) {
    if (TakeReply("Success")) SuccessInternal(&result);
  }

  void Success() {
    if (TakeReply("Success")) SuccessInternal(nullptr);
  }

  // |error_code| is a short machine-readable string; |error_message| is for people.
  void Error(const std::string& error_code, const std::string& error_message,
             const T& error_details) {
    if (TakeReply("Error")) ErrorInternal(error_code, error_message, &error_details);
  }

  void Error(const std::string& error_code, const std::string& error_message = "") {
    if (TakeReply("Error")) ErrorInternal(error_code, error_message, nullptr);
  }

  void NotImplemented() {
    if (TakeReply("NotImplemented")) NotImplementedInternal();
  }

  // Whether one of the reply calls has been made.
  bool replied() const { return replied_.load(); }

 protected:
  // |result| is null for a success without value.
  virtual void SuccessInternal(const T* result) = 0;
  // |error_details| is null when there are none.
  virtual void ErrorInternal(const std::string& error_code, const std::string& error_message,
                             const T* error_details) = 0;
  virtual void NotImplementedInternal() = 0;

 private:
  bool TakeReply(const char* kind) {
    if (replied_.exchange(true)) {
      internal::LogDuplicateMethodResult(kind);
      return false;
    }
    return true;
  }

  std::atomic<bool> replied_{false};
};

}  // namespace flutter

#endif  // FLUTTER_METHOD_RESULT_H_
