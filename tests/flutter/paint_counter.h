// Counts the WM_PAINT messages a window handles, by putting a counting window procedure in front
// of its own for the lifetime of the object.
//
// Thread affinity: the window's thread; one counter per window at a time.
#ifndef TESTS_FLUTTER_PAINT_COUNTER_H_
#define TESTS_FLUTTER_PAINT_COUNTER_H_

#include <windows.h>

namespace flutter_test {

class PaintCounter {
 public:
  explicit PaintCounter(HWND window) : window_(window) {
    SetPropW(window_, kProperty, this);
    original_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PaintCounter::WindowProc)));
  }
  ~PaintCounter() {
    if (!IsWindow(window_)) return;
    SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    RemovePropW(window_, kProperty);
  }
  PaintCounter(const PaintCounter&) = delete;
  PaintCounter& operator=(const PaintCounter&) = delete;

  int paints() const { return paints_; }

 private:
  static constexpr wchar_t kProperty[] = L"FlutterTestPaintCounter";

  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = static_cast<PaintCounter*>(GetPropW(hwnd, kProperty));
    if (message == WM_PAINT) ++self->paints_;
    return CallWindowProcW(self->original_, hwnd, message, wparam, lparam);
  }

  HWND window_;
  WNDPROC original_ = nullptr;
  int paints_ = 0;
};

}  // namespace flutter_test

#endif  // TESTS_FLUTTER_PAINT_COUNTER_H_
