// A small text form of EncodableValues, used by scenario files and by the scripted Dart side's
// output lines. Printing and parsing round-trip exactly.
//
//   null true false
//   42           int32 (a plain integer that fits in 32 bits)
//   42L          int64 (also any plain integer too large for 32 bits)
//   1.5 -2.0 1e9 nan inf -inf      double
//   "text"       string; escapes \" \\ \n \r \t \xHH; other bytes (UTF-8) as they are
//   [1, "a"]     list
//   {"k": 1}     map (keys may be any value; a repeated key is an error)
//   u8[1, 2] i32[1] i64[1] f32[1.5] f64[1.5]   typed lists (float items also inf, -inf, nan)
//
// Values nest as deep as the standard codec reads them (its kMaxNestingDepth levels).
// Printing orders map entries as the map does (by type, then value), so output is stable.
#ifndef FLUTTER_ENGINE_VALUE_TEXT_H_
#define FLUTTER_ENGINE_VALUE_TEXT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "flutter/encodable_value.h"

namespace flutter {
namespace engine {

// Parses one value at |*pos| in |text|, skipping blanks before it, and advances |*pos| past it.
// On failure returns nullopt and sets |error| to a message naming the column (1-based).
std::optional<EncodableValue> ParseValue(std::string_view text, size_t* pos, std::string* error);

// Parses |text| as exactly one value (blanks around it allowed).
std::optional<EncodableValue> ParseWholeValue(std::string_view text, std::string* error);

// The text form of |value|.
std::string FormatValue(const EncodableValue& value);

// |text| as a quoted string literal.
std::string QuoteString(std::string_view text);

}  // namespace engine
}  // namespace flutter

#endif  // FLUTTER_ENGINE_VALUE_TEXT_H_
