// The phone's clipboard text onto the PC's clipboard.
#include "plugin/remote_clipboard.h"

#include <windows.h>

#include <cstring>

namespace remote_clipboard {
namespace {

constexpr int kOpenAttempts = 10;
constexpr int kPutAttempts = 5;
constexpr DWORD kRetryMs = 20;

// One try: open, empty, hand over a copy of `text`. Memory that the clipboard did not take is
// freed here.
bool TryPutText(const std::wstring& text) {
  // Another program (a clipboard manager, the system's own clipboard sync) may hold the clipboard
  // open for a moment.
  bool open = false;
  for (int attempt = 0; attempt < kOpenAttempts && !open; ++attempt) {
    open = OpenClipboard(nullptr) != 0;
    if (!open) Sleep(kRetryMs);
  }
  if (!open) return false;
  bool done = false;
  if (EmptyClipboard()) {
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (memory) {
      if (void* target = GlobalLock(memory)) {
        std::memcpy(target, text.c_str(), bytes);
        GlobalUnlock(memory);
        // On success the clipboard owns the memory; otherwise it is still ours to free.
        done = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
      }
      if (!done) GlobalFree(memory);
    }
  }
  CloseClipboard();
  return done;
}

}  // namespace

bool PutText(const std::wstring& text) {
  // Opened without an owner window, the clipboard may refuse the data when the system's
  // clipboard sync steps in between the calls: the whole sequence is tried again a few times.
  for (int attempt = 0; attempt < kPutAttempts; ++attempt) {
    if (TryPutText(text)) return true;
    Sleep(kRetryMs);
  }
  return false;
}

}  // namespace remote_clipboard
