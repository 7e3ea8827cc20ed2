#include "shell/utf16_to_utf8.h"

#include <windows.h>

#include <cwchar>

namespace {

bool IsHighSurrogate(wchar_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(wchar_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

std::string Utf16ToUtf8(const wchar_t* utf16) {
  if (utf16 == nullptr) {
    return std::string();
  }
  std::size_t length = ::wcsnlen(utf16, kMaxUtf16ConversionUnits);
  // Cutting between the halves of a pair would turn valid text into an unpaired surrogate and
  // so fail the whole conversion; keep the pair out instead.
  if (length == kMaxUtf16ConversionUnits && IsHighSurrogate(utf16[length - 1]) &&
      IsLowSurrogate(utf16[length])) {
    --length;
  }
  if (length == 0) {
    return std::string();
  }
  const int units = static_cast<int>(length);
  const int bytes = ::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16, units, nullptr, 0,
                                          nullptr, nullptr);
  if (bytes == 0) {
    return std::string();
  }
  std::string utf8(static_cast<std::size_t>(bytes), '\0');
  if (::WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, utf16, units, utf8.data(), bytes,
                            nullptr, nullptr) == 0) {
    return std::string();
  }
  return utf8;
}
