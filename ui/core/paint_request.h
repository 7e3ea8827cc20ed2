// PaintRequest: at most one posted WM_PAINT on its way to a layered window.
//
// A layered window is also posted WM_PAINT for what is invalidated in it (see
// ui::Window::Invalidate). Posted messages wait in the window thread's queue, and a video control
// asks for a repaint with every frame: while the thread is busy they pile up, one per frame,
// towards the queue's limit, after which every post to the thread fails (a WM_CLOSE among them).
// Since one paint covers everything invalidated before it begins, one posted paint on its way is
// enough: a request posts only when none is, and the paint lets the next request post again. A
// paint that has not begun two seconds after its post counts as lost (under Wine a busy window at
// times never painted again), and the next request posts another.
//
//   auto request = std::make_shared<ui::PaintRequest>(hwnd);
//   ::InvalidateRect(hwnd, &rect, FALSE);   // any thread
//   request->Post();                        // posts unless a paint is on its way
//   ...
//   case WM_PAINT: request->Began(); ...    // the window thread, before it takes the update
//
// Thread-safety: Post may be called on any thread (a video control's render thread does); Began
// on the window's thread. Held through std::shared_ptr by whoever asks for repaints from another
// thread, so it may outlive the window: a post to a window that is gone fails and does nothing.
#ifndef UI_CORE_PAINT_REQUEST_H_
#define UI_CORE_PAINT_REQUEST_H_

#include <windows.h>

#include <atomic>

namespace ui {

class PaintRequest {
 public:
  using Clock = ULONGLONG(WINAPI*)();
  static constexpr ULONGLONG kLostAfterMs = 2000;

  explicit PaintRequest(HWND hwnd, Clock clock = &::GetTickCount64) : hwnd_(hwnd), clock_(clock) {}
  PaintRequest(const PaintRequest&) = delete;
  PaintRequest& operator=(const PaintRequest&) = delete;

  // Posts WM_PAINT unless one is on its way (and not lost). False only when a post was made and
  // failed (the window is gone, or its queue is full); the next request then tries again.
  bool Post();
  // The window thread, as a paint begins and before it takes the update region: what is
  // invalidated from now on needs a paint of its own.
  void Began() { on_its_way_.store(false, std::memory_order_release); }

  HWND hwnd() const { return hwnd_; }

 private:
  const HWND hwnd_;
  const Clock clock_;
  std::atomic<bool> on_its_way_{false};
  std::atomic<ULONGLONG> posted_at_{0};  // The clock at the last post.
};

}  // namespace ui

#endif  // UI_CORE_PAINT_REQUEST_H_
