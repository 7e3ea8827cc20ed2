#include "phone_window/clipboard_text.h"

#include <climits>
#include <cwchar>

namespace clipboard_text {
namespace {

// UTF-8 takes at most three bytes per UTF-16 unit; longer text could not be passed on as an int.
constexpr size_t kMaxUnits = INT_MAX / 3;

class SystemClipboardSource final : public ClipboardSource {
 public:
  bool Open(HWND owner) override { return ::OpenClipboard(owner) != 0; }
  HANDLE GetUnicodeText() override {
    return ::IsClipboardFormatAvailable(CF_UNICODETEXT) ? ::GetClipboardData(CF_UNICODETEXT)
                                                        : nullptr;
  }
  void Close() override { ::CloseClipboard(); }
};

// The text of a locked CF_UNICODETEXT block of `bytes` bytes, up to its first zero.
std::string ConvertBlock(const wchar_t* units, size_t bytes) {
  const size_t length = ::wcsnlen(units, bytes / sizeof(wchar_t));
  if (length == 0 || length > kMaxUnits) return std::string();
  const int count = static_cast<int>(length);
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, units, count, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string();
  std::string utf8(static_cast<size_t>(size), '\0');
  if (::WideCharToMultiByte(CP_UTF8, 0, units, count, utf8.data(), size, nullptr, nullptr) !=
      size) {
    return std::string();
  }
  return utf8;
}

}  // namespace

ClipboardSource& SystemClipboard() {
  static SystemClipboardSource clipboard;
  return clipboard;
}

std::string ReadUtf8(ClipboardSource& clipboard, HWND owner) {
  bool open = clipboard.Open(owner);
  for (int attempt = 1; attempt < kOpenAttempts && !open; ++attempt) {
    ::Sleep(kOpenRetryMs);
    open = clipboard.Open(owner);
  }
  if (!open) return std::string();

  std::string text;
  if (HANDLE data = clipboard.GetUnicodeText()) {
    if (const auto* units = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = ConvertBlock(units, ::GlobalSize(data));
      ::GlobalUnlock(data);
    }
  }
  clipboard.Close();
  return text;
}

}  // namespace clipboard_text
