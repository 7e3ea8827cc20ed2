// PaintRequest: at most one posted WM_PAINT on its way to a layered window.
//
// A layered window is also posted WM_PAINT for what is invalidated in it (see
// ui::Window::Invalidate). Posted messages wait in the window thread's queue, and a video control
// asks for a repaint with every frame: while the thread is busy they pile up, one per frame,
// towards the queue's limit, after which every post to the thread fails (a WM_CLOSE among them).
// Since one paint covers everything invalidated before it begins, one posted paint on its way is
// enough: a request posts only when none is, and the paint lets the next request post again.
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
  explicit PaintRequest(HWND hwnd) : hwnd_(hwnd) {}
  PaintRequest(const PaintRequest&) = delete;
  PaintRequest& operator=(const PaintRequest&) = delete;

  // Posts WM_PAINT unless one is on its way. False only when a post was made and failed (the
  // window is gone, or its queue is full); the next request then tries again.
  bool Post();
  // The window thread, as a paint begins and before it takes the update region: what is
  // invalidated from now on needs a paint of its own.
  void Began() { on_its_way_.store(false, std::memory_order_release); }

  HWND hwnd() const { return hwnd_; }

 private:
  const HWND hwnd_;
  std::atomic<bool> on_its_way_{false};
};

}  // namespace ui

#endif  // UI_CORE_PAINT_REQUEST_H_
