#include "ui/controls/text_clipboard.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

namespace ui {

namespace {

// The characters of a global block of clipboard text, read only within the block's own size and
// up to the first zero.
template <typename Char>
std::basic_string<Char> ReadBlock(HANDLE data) {
  std::basic_string<Char> text;
  if (!data) return text;
  const SIZE_T bytes = ::GlobalSize(data);
  const auto* chars = static_cast<const Char*>(::GlobalLock(data));
  if (!chars) return text;
  const SIZE_T count = bytes / sizeof(Char);
  text.assign(chars, std::find(chars, chars + count, Char(0)));
  ::GlobalUnlock(data);
  return text;
}

class SystemClipboard : public TextClipboard {
 public:
  bool Open(HWND owner) override { return ::OpenClipboard(owner) != FALSE; }
  void Close() override { ::CloseClipboard(); }

  std::wstring GetText() override {
    if (::IsClipboardFormatAvailable(CF_UNICODETEXT))
      return ReadBlock<wchar_t>(::GetClipboardData(CF_UNICODETEXT));
    const std::string ansi = ReadBlock<char>(::GetClipboardData(CF_TEXT));
    if (ansi.empty()) return std::wstring();
    const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(),
                                             static_cast<int>(ansi.size()), nullptr, 0);
    if (length <= 0) return std::wstring();
    std::wstring text(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &text[0],
                          length);
    return text;
  }
};

}  // namespace

TextClipboard* TextClipboard::System() {
  static SystemClipboard clipboard;
  return &clipboard;
}

bool ReadClipboardText(TextClipboard* clipboard, HWND owner, std::wstring* text) {
  if (!clipboard->Open(owner)) return false;
  *text = clipboard->GetText();
  clipboard->Close();
  return true;
}

std::wstring KeepDigits(const std::wstring& text) {
  std::wstring digits;
  std::copy_if(text.begin(), text.end(), std::back_inserter(digits),
               [](wchar_t c) { return c >= L'0' && c <= L'9'; });
  return digits;
}

}  // namespace ui
