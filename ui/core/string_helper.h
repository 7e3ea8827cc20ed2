// Small wide-string helpers shared by the markup reader, the image loader and the controls.
//
// Thread affinity: none (pure functions).
#ifndef UI_CORE_STRING_HELPER_H_
#define UI_CORE_STRING_HELPER_H_

#include <cstdarg>
#include <string>
#include <vector>

namespace ui {

class StringHelper {
 public:
  // Every "/" becomes "\", then each pair of backslashes becomes one (one left-to-right pass, so
  // three in a row become two). A leading "\\" of a UNC path ("\\server\share") is kept.
  static std::wstring NormalizeFilePath(const std::wstring& path);

  // printf-style formatting into a wide string; grows the buffer (1024 characters, doubling up to
  // 33,554,432) until the result fits, and gives an empty string when it never does. Wide string
  // arguments need "%ls".
  static std::wstring Printf(const wchar_t* format, ...);
  static std::wstring PrintfV(const wchar_t* format, va_list args);

  // UTF-16 to UTF-8; an empty input gives an empty output. Always true.
  static bool WideToUtf8(const std::wstring& wide, std::string* utf8);
  // UTF-8 to UTF-16, lenient: malformed bytes become U+FFFD.
  static std::wstring Utf8ToWide(const std::string& utf8);

  // Removes leading (TrimLeft), trailing (TrimRight) or both (Trim) characters that are a blank
  // or below 30 (tabs, carriage returns and line feeds included).
  static void TrimLeft(std::wstring& text);
  static void TrimRight(std::wstring& text);
  static void Trim(std::wstring& text);

  // Tokens between any characters of delimiters, in order; runs of delimiters and delimiters at
  // either end give no empty tokens.
  static std::vector<std::wstring> Split(const std::wstring& text,
                                         const std::wstring& delimiters);
};

}  // namespace ui

#endif  // UI_CORE_STRING_HELPER_H_
