#include "ui/core/paint_request.h"

namespace ui {

bool PaintRequest::Post() {
  const ULONGLONG now = clock_();
  if (on_its_way_.exchange(true, std::memory_order_acq_rel)) {
    // On its way, unless it is lost; then one request (the one that moves the time on) posts.
    ULONGLONG posted = posted_at_.load(std::memory_order_relaxed);
    if (now - posted < kLostAfterMs || !posted_at_.compare_exchange_strong(posted, now))
      return true;
  }
  posted_at_.store(now, std::memory_order_relaxed);
  if (::PostMessageW(hwnd_, WM_PAINT, 0, 0)) return true;
  on_its_way_.store(false, std::memory_order_release);
  return false;
}

}  // namespace ui
