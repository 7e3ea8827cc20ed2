// UTF-16 to UTF-8 conversion for text that leaves the Windows API: command-line arguments on their
// way to the Dart entry point, and any other wide text the host hands to UTF-8 code.
//
// The conversion is strict: malformed input (an unpaired surrogate) yields an empty string rather
// than replacement characters, so a caller can tell "converted" from "could not convert".
//
//   std::string name = Utf16ToUtf8(L"caf\u00e9");  // "caf\xC3\xA9"
//
// Thread-safety: pure function; callable from any thread.
#ifndef SHELL_UTF16_TO_UTF8_H_
#define SHELL_UTF16_TO_UTF8_H_

#include <cstddef>
#include <string>

// The longest input converted, in UTF-16 units; longer text is cut there. The cut never splits a
// surrogate pair: when it would, it moves one unit earlier so that the rest still converts.
inline constexpr std::size_t kMaxUtf16ConversionUnits = 0x7FFF;

// Converts null-terminated UTF-16 text to UTF-8. A null pointer, empty text and text that is not
// valid UTF-16 all give an empty string.
std::string Utf16ToUtf8(const wchar_t* utf16);

#endif  // SHELL_UTF16_TO_UTF8_H_
