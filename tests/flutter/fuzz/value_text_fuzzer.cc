// Fuzzer of the value text parser (scenario files and the scripted Dart side's lines), built
// natively with clang's libFuzzer; see run_value_text_fuzzer.sh.
//
// Any input may be rejected, but none may crash, and whatever parses must print into text that
// parses back into a value printing the same way (printing then parsing gives back the value).

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "flutter/engine/value_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using flutter::engine::FormatValue;
  using flutter::engine::ParseWholeValue;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::string error;
  const std::optional<flutter::EncodableValue> value = ParseWholeValue(text, &error);
  if (!value) return 0;
  const std::string printed = FormatValue(*value);
  const std::optional<flutter::EncodableValue> again = ParseWholeValue(printed, &error);
  if (!again || FormatValue(*again) != printed) std::abort();
  return 0;
}
