#include "ui/core/string_helper.h"

#include <windows.h>

#include <cwchar>
#include <memory>

namespace ui {

namespace {

bool IsTrimmed(wchar_t c) { return c == L' ' || c < 30; }

constexpr size_t kFirstPrintfBuffer = 1024;
constexpr size_t kLastPrintfBuffer = 33554432;

}  // namespace

std::wstring StringHelper::NormalizeFilePath(const std::wstring& path) {
  std::wstring slashed = path;
  for (wchar_t& c : slashed)
    if (c == L'/') c = L'\\';
  std::wstring result;
  result.reserve(slashed.size());
  size_t i = 0;
  // "\\server\share" names a network share; collapsing its prefix would make it a rooted path.
  if (slashed.compare(0, 2, L"\\\\") == 0 && slashed.size() > 2 && slashed[2] != L'\\') {
    result = L"\\\\";
    i = 2;
  }
  for (; i < slashed.size(); ++i) {
    result.push_back(slashed[i]);
    if (slashed[i] == L'\\' && i + 1 < slashed.size() && slashed[i + 1] == L'\\') ++i;
  }
  return result;
}

std::wstring StringHelper::Printf(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring result = PrintfV(format, args);
  va_end(args);
  return result;
}

std::wstring StringHelper::PrintfV(const wchar_t* format, va_list args) {
  if (!format) return std::wstring();
  for (size_t size = kFirstPrintfBuffer; size <= kLastPrintfBuffer; size *= 2) {
    std::unique_ptr<wchar_t[]> buffer(new (std::nothrow) wchar_t[size]);
    if (!buffer) return std::wstring();
    va_list copy;
    va_copy(copy, args);
    const int written = std::vswprintf(buffer.get(), size, format, copy);
    va_end(copy);
    if (written >= 0 && static_cast<size_t>(written) < size)
      return std::wstring(buffer.get(), static_cast<size_t>(written));
  }
  return std::wstring();
}

bool StringHelper::WideToUtf8(const std::wstring& wide, std::string* utf8) {
  utf8->clear();
  if (wide.empty()) return true;
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
  if (length <= 0) return true;
  utf8->resize(static_cast<size_t>(length));
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &(*utf8)[0],
                        length, nullptr, nullptr);
  return true;
}

std::wstring StringHelper::Utf8ToWide(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  const int length =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
  return wide;
}

void StringHelper::TrimLeft(std::wstring& text) {
  size_t first = 0;
  while (first < text.size() && IsTrimmed(text[first])) ++first;
  text.erase(0, first);
}

void StringHelper::TrimRight(std::wstring& text) {
  size_t end = text.size();
  while (end > 0 && IsTrimmed(text[end - 1])) --end;
  text.erase(end);
}

void StringHelper::Trim(std::wstring& text) {
  TrimRight(text);
  TrimLeft(text);
}

std::vector<std::wstring> StringHelper::Split(const std::wstring& text,
                                              const std::wstring& delimiters) {
  std::vector<std::wstring> tokens;
  size_t start = text.find_first_not_of(delimiters);
  while (start != std::wstring::npos) {
    const size_t end = text.find_first_of(delimiters, start);
    tokens.push_back(text.substr(start, end == std::wstring::npos ? end : end - start));
    start = text.find_first_not_of(delimiters, end);
  }
  return tokens;
}

}  // namespace ui
