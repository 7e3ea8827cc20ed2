#include "tests/support/system_clipboard.h"

#include <windows.h>

#include <cstring>

namespace test_support {

bool PutClipboardText(const std::wstring& text) {
  if (!::OpenClipboard(nullptr)) return false;
  bool done = false;
  if (::EmptyClipboard()) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes)) {
      std::memcpy(::GlobalLock(memory), text.c_str(), bytes);
      ::GlobalUnlock(memory);
      done = ::SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
      if (!done) ::GlobalFree(memory);
    }
  }
  ::CloseClipboard();
  return done;
}

std::optional<std::wstring> ReadClipboardText() {
  if (!::OpenClipboard(nullptr)) return std::nullopt;
  std::wstring text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = chars;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

}  // namespace test_support
