// Reading method-call arguments: a value of the expected type, or a default.
//
// A key that is missing, or that holds another type, gives the default. Integers are read only
// from 32-bit values: a 64-bit integer or a double counts as missing.
//
//   int playType = method_args::GetInt(args, "playType", 1);
//
// Thread-safety: pure functions.
#pragma once

#include <string>

#include "flutter/encodable_value.h"

namespace method_args {

std::string GetString(const flutter::EncodableMap& args, const char* key,
                      const std::string& fallback = std::string());
int GetInt(const flutter::EncodableMap& args, const char* key, int fallback);
bool GetBool(const flutter::EncodableMap& args, const char* key, bool fallback);
// The value of `key`, or null when missing.
const flutter::EncodableValue* Find(const flutter::EncodableMap& args, const char* key);

}  // namespace method_args
