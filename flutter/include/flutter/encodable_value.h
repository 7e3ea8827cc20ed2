// EncodableValue: the values that the standard message codec carries between the host and the
// Dart side.
//
// An EncodableValue is a std::variant over the codec's types, so the usual variant tools apply:
//
//   flutter::EncodableMap args = {
//       {flutter::EncodableValue("padCode"), flutter::EncodableValue("P1")},
//       {flutter::EncodableValue("playType"), flutter::EncodableValue(2)},
//   };
//   flutter::EncodableValue value(args);
//   if (const auto* map = std::get_if<flutter::EncodableMap>(&value)) { ... }
//
// The alternatives and the Dart types they meet:
//   std::monostate         null
//   bool                   bool
//   int32_t                int (fits in 32 bits)
//   int64_t                int (needs 64 bits; always written as 64-bit by the host)
//   double                 double
//   std::string            String (UTF-8)
//   std::vector<uint8_t>   Uint8List
//   std::vector<int32_t>   Int32List
//   std::vector<int64_t>   Int64List
//   std::vector<double>    Float64List
//   EncodableList          List
//   EncodableMap           Map
//   std::vector<float>     Float32List
//
// Values are ordered (type first, then value), so they can be map keys. A string literal makes a
// std::string value, not a bool.
//
// Thread-safety: a plain value type; no sharing between threads without outside locking.
#ifndef FLUTTER_ENCODABLE_VALUE_H_
#define FLUTTER_ENCODABLE_VALUE_H_

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace flutter {

class EncodableValue;

using EncodableList = std::vector<EncodableValue>;
using EncodableMap = std::map<EncodableValue, EncodableValue>;

namespace internal {
// Do not use directly; use EncodableValue.
using EncodableValueVariant = std::variant<std::monostate,
                                           bool,
                                           int32_t,
                                           int64_t,
                                           double,
                                           std::string,
                                           std::vector<uint8_t>,
                                           std::vector<int32_t>,
                                           std::vector<int64_t>,
                                           std::vector<double>,
                                           EncodableList,
                                           EncodableMap,
                                           std::vector<float>>;
}  // namespace internal

class EncodableValue : public internal::EncodableValueVariant {
 public:
  using super = internal::EncodableValueVariant;
  using super::super;
  using super::operator=;

  EncodableValue() = default;

  // Without these, a string literal would convert to bool.
  EncodableValue(const char* string) : super(std::string(string)) {}
  EncodableValue& operator=(const char* string) {
    super::operator=(std::string(string));
    return *this;
  }

  bool IsNull() const { return std::holds_alternative<std::monostate>(*this); }

  // The value of an int32_t or int64_t alternative as 64 bits. Throws std::bad_variant_access
  // for any other alternative.
  int64_t LongValue() const {
    if (const auto* small = std::get_if<int32_t>(this)) {
      return *small;
    }
    return std::get<int64_t>(*this);
  }

  friend bool operator<(const EncodableValue& lhs, const EncodableValue& rhs) {
    return static_cast<const super&>(lhs) < static_cast<const super&>(rhs);
  }
  friend bool operator==(const EncodableValue& lhs, const EncodableValue& rhs) {
    return static_cast<const super&>(lhs) == static_cast<const super&>(rhs);
  }
  friend bool operator!=(const EncodableValue& lhs, const EncodableValue& rhs) {
    return !(lhs == rhs);
  }
};

}  // namespace flutter

#endif  // FLUTTER_ENCODABLE_VALUE_H_
