// The phone's clipboard text onto the PC's clipboard.
#include "plugin/remote_clipboard.h"

#include <windows.h>

#include <chrono>
#include <cstring>

namespace remote_clipboard {
namespace {

constexpr int kWriteAttempts = 55;
constexpr auto kRetryDelay = std::chrono::milliseconds(20);

}  // namespace

bool TryPutText(const std::wstring& text) {
  // Opened without an owner window, the clipboard may also refuse the data when the system's
  // clipboard sync steps in between the calls.
  if (!OpenClipboard(nullptr)) return false;
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

bool Writer::Offer(std::wstring text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    pending_ = std::move(text);
    hasPending_ = true;
    newer_ = true;
    if (!writing_) {
      writing_ = true;
      return true;
    }
  }
  clock_->Wake();  // a retry in progress gives way to the newer text
  return false;
}

void Writer::WriteAll() {
  std::wstring text;
  while (TakeNext(&text)) {
    // Another program (a clipboard manager, the system's own clipboard sync) may hold the
    // clipboard for a moment.
    for (int attempt = 1; !TryPutText(text) && attempt < kWriteAttempts; ++attempt) {
      if (!clock_->Wait(WaitKind::kClipboardRetry, kRetryDelay,
                        [this] { return newer_.load() || closed_.load(); })) {
        break;
      }
    }
  }
}

void Writer::Abandon() {
  std::lock_guard<std::mutex> lock(mutex_);
  writing_ = false;
  hasPending_ = false;
  pending_.clear();
}

void Writer::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
    hasPending_ = false;
  }
  clock_->Wake();
}

bool Writer::TakeNext(std::wstring* text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!hasPending_ || closed_) {
    writing_ = false;
    return false;
  }
  *text = std::move(pending_);
  pending_.clear();
  hasPending_ = false;
  newer_ = false;
  return true;
}

}  // namespace remote_clipboard
