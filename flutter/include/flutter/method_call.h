// MethodCall: a method name and its arguments, as carried on a method channel.
#ifndef FLUTTER_METHOD_CALL_H_
#define FLUTTER_METHOD_CALL_H_

#include <memory>
#include <string>
#include <utility>

#include "flutter/encodable_value.h"

namespace flutter {

template <typename T = EncodableValue>
class MethodCall {
 public:
  // |arguments| may be null when the call has none.
  MethodCall(const std::string& method_name, std::unique_ptr<T> arguments)
      : method_name_(method_name), arguments_(std::move(arguments)) {}
  MethodCall(const MethodCall&) = delete;
  MethodCall& operator=(const MethodCall&) = delete;

  const std::string& method_name() const { return method_name_; }

  // Null when the call has no arguments.
  const T* arguments() const { return arguments_.get(); }

 private:
  std::string method_name_;
  std::unique_ptr<T> arguments_;
};

}  // namespace flutter

#endif  // FLUTTER_METHOD_CALL_H_
