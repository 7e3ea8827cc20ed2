// A window class of "some other code" under the pump window's name, for the scope's lifetime.
//
// Its procedure is the system's default one, so a pump whose window were made of it would never
// hear its wake-ups; the pump must notice and refuse to run.
#ifndef TESTS_BASE_FOREIGN_PUMP_WINDOW_CLASS_H_
#define TESTS_BASE_FOREIGN_PUMP_WINDOW_CLASS_H_

#include <windows.h>

namespace nbase_test {

class ForeignPumpWindowClass {
 public:
  ForeignPumpWindowClass() {
    WNDCLASSEXW foreign{};
    foreign.cbSize = sizeof(foreign);
    foreign.lpfnWndProc = &DefWindowProcW;
    foreign.hInstance = GetModuleHandleW(nullptr);
    foreign.lpszClassName = kName;
    registered_ = RegisterClassExW(&foreign) != 0;
  }
  ~ForeignPumpWindowClass() { Unregister(); }
  ForeignPumpWindowClass(const ForeignPumpWindowClass&) = delete;
  ForeignPumpWindowClass& operator=(const ForeignPumpWindowClass&) = delete;

  bool registered() const { return registered_; }

  // Takes the class away again; true when it was registered and is gone now.
  bool Unregister() {
    if (!registered_) return false;
    registered_ = false;
    return UnregisterClassW(kName, GetModuleHandleW(nullptr)) != FALSE;
  }

 private:
  static constexpr const wchar_t* kName = L"CorvaneMessagePumpWindow";
  bool registered_ = false;
};

}  // namespace nbase_test

#endif  // TESTS_BASE_FOREIGN_PUMP_WINDOW_CLASS_H_
