// The clipboard's text for the phone: through a stand-in clipboard, and once through the real one.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "phone_window/clipboard_text.h"
#include "tests/support/system_clipboard.h"

namespace {

using clipboard_text::ClipboardSource;
using clipboard_text::ReadUtf8;

// A clipboard holding one block of movable memory (or none), which may refuse to open.
class FakeClipboard final : public ClipboardSource {
 public:
  ~FakeClipboard() override {
    if (data_) ::GlobalFree(data_);
  }
  // Holds exactly `bytes` bytes of `units`, with no terminator added.
  void Hold(const wchar_t* units, size_t bytes) {
    data_ = ::GlobalAlloc(GMEM_MOVEABLE, bytes);
    ASSERT_NE(data_, nullptr);
    std::memcpy(::GlobalLock(data_), units, bytes);
    ::GlobalUnlock(data_);
  }
  void HoldText(const std::wstring& text) {
    Hold(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  }

  bool Open(HWND owner) override {
    ++open_calls;
    owner_ = owner;
    if (refusals > 0) {
      --refusals;
      return false;
    }
    ++opened;
    return true;
  }
  HANDLE GetUnicodeText() override { return data_; }
  void Close() override { ++closed; }

  int refusals = 0;
  int open_calls = 0;
  int opened = 0;
  int closed = 0;
  HWND owner_ = nullptr;

 private:
  HGLOBAL data_ = nullptr;
};

TEST(ClipboardText, UnicodeTextIsReadAsUtf8AndTheClipboardClosed) {
  FakeClipboard clipboard;
  clipboard.HoldText(L"h\u00e9llo \U0001F600\r\n\u4e2d");
  const HWND owner = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(ReadUtf8(clipboard, owner), "h\xC3\xA9llo \xF0\x9F\x98\x80\r\n\xE4\xB8\xAD");
  EXPECT_EQ(clipboard.owner_, owner);
  EXPECT_EQ(clipboard.opened, 1);
  EXPECT_EQ(clipboard.closed, 1);

  FakeClipboard none;
  EXPECT_EQ(ReadUtf8(none, nullptr), "");
  EXPECT_EQ(none.closed, 1);
  FakeClipboard empty;
  empty.HoldText(L"");
  EXPECT_EQ(ReadUtf8(empty, nullptr), "");
  EXPECT_EQ(empty.closed, 1);
}

TEST(ClipboardText, TextIsReadOnlyWithinItsBlockAndToItsFirstZero) {
  FakeClipboard unterminated;
  const wchar_t abc[] = {L'a', L'b', L'c'};
  unterminated.Hold(abc, sizeof(abc));
  EXPECT_EQ(ReadUtf8(unterminated, nullptr), "abc");

  FakeClipboard zeroInside;
  const wchar_t twoParts[] = {L'a', L'b', 0, L'c', L'd', 0};
  zeroInside.Hold(twoParts, sizeof(twoParts));
  EXPECT_EQ(ReadUtf8(zeroInside, nullptr), "ab");

  FakeClipboard halfPair;  // a lone surrogate becomes U+FFFD, the rest is kept
  halfPair.HoldText(std::wstring(L"a") + wchar_t(0xD83D) + L"b");
  EXPECT_EQ(ReadUtf8(halfPair, nullptr), "a\xEF\xBF\xBD" "b");
}

TEST(ClipboardText, BusyClipboardIsTriedAgainThenGivenUp) {
  FakeClipboard briefly;
  briefly.HoldText(L"x");
  briefly.refusals = clipboard_text::kOpenAttempts - 1;
  EXPECT_EQ(ReadUtf8(briefly, nullptr), "x");
  EXPECT_EQ(briefly.closed, 1);

  FakeClipboard held;
  held.HoldText(L"x");
  held.refusals = clipboard_text::kOpenAttempts;
  EXPECT_EQ(ReadUtf8(held, nullptr), "");
  EXPECT_EQ(held.open_calls, clipboard_text::kOpenAttempts);
  EXPECT_EQ(held.closed, 0);  // never opened, never closed
}

// The one test of the system clipboard. Other test programs on the display may write it at any
// moment: a round in which the clipboard changed between the write and the read is tried again.
TEST(ClipboardText, SystemClipboardTextReachesThePaste) {
  const std::wstring text = L"paste \u00e9 " + std::to_wstring(::GetCurrentProcessId());
  bool checked = false;
  for (int round = 0; round < 50 && !checked; ++round) {
    if (!test_support::PutClipboardText(text)) {
      ::Sleep(20);
      continue;
    }
    const DWORD written = ::GetClipboardSequenceNumber();
    const std::string read = ReadUtf8(clipboard_text::SystemClipboard(), nullptr);
    if (::GetClipboardSequenceNumber() != written) continue;
    EXPECT_EQ(read, "paste \xC3\xA9 " + std::to_string(::GetCurrentProcessId()));
    checked = true;
  }
  EXPECT_TRUE(checked);
}

}  // namespace
