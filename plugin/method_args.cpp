#include "plugin/method_args.h"

#include <cstdint>

namespace method_args {

const flutter::EncodableValue* Find(const flutter::EncodableMap& args, const char* key) {
  auto it = args.find(flutter::EncodableValue(key));
  return it == args.end() ? nullptr : &it->second;
}

std::string GetString(const flutter::EncodableMap& args, const char* key,
                      const std::string& fallback) {
  const flutter::EncodableValue* value = Find(args, key);
  const auto* text = value ? std::get_if<std::string>(value) : nullptr;
  return text ? *text : fallback;
}

int GetInt(const flutter::EncodableMap& args, const char* key, int fallback) {
  const flutter::EncodableValue* value = Find(args, key);
  const auto* number = value ? std::get_if<int32_t>(value) : nullptr;
  return number ? *number : fallback;
}

bool GetBool(const flutter::EncodableMap& args, const char* key, bool fallback) {
  const flutter::EncodableValue* value = Find(args, key);
  const auto* flag = value ? std::get_if<bool>(value) : nullptr;
  return flag ? *flag : fallback;
}

}  // namespace method_args
