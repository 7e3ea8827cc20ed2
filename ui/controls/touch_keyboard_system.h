// TouchKeyboardSystem: the system calls behind the on-screen keyboard manager.
//
// The manager decides whether to bring the touch keyboard up or close it; these calls find the
// keyboard's window, close it, toggle it through the system's toggle object, and start its
// program. The real calls are made by the object Create() returns; tests put a fake in their
// place to check the decisions on systems without a touch keyboard.
//
//   auto manager = std::make_unique<ui::OnScreenKeyboardManager>(
//       ui::TouchKeyboardSystem::Create());
//
// Thread affinity: any UI thread; the real calls keep no state of their own. Toggling through
// the toggle object needs COM on the calling thread (without it the object cannot be made).
#ifndef UI_CONTROLS_TOUCH_KEYBOARD_SYSTEM_H_
#define UI_CONTROLS_TOUCH_KEYBOARD_SYSTEM_H_

#include <windows.h>

#include <memory>
#include <string>

namespace ui {

class TouchKeyboardSystem {
 public:
  // The class name of the touch keyboard's top-level window.
  static constexpr wchar_t kKeyboardWindowClass[] = L"IPTip_Main_Window";

  // The real system calls.
  static std::unique_ptr<TouchKeyboardSystem> Create();

  virtual ~TouchKeyboardSystem() = default;

  // Whether the system has a touch keyboard to manage: Windows 8 (6.2) or later, asked once.
  virtual bool IsSupported() = 0;
  // The keyboard's top-level window; null when there is none.
  virtual HWND FindKeyboardWindow() = 0;
  virtual LONG_PTR GetWindowStyle(HWND window) = 0;
  // Posts WM_SYSCOMMAND with SC_CLOSE to the keyboard's window.
  virtual void CloseKeyboardWindow(HWND window) = 0;
  // Toggles the keyboard through the system's toggle object, for the desktop window; false when
  // the object cannot be made.
  virtual bool ToggleThroughObject() = 0;
  // The value of an environment variable; false when it is not set (or empty).
  virtual bool GetEnvironment(const wchar_t* name, std::wstring* value) = 0;
  // Starts a program with the shell's "open" verb in the default show state.
  virtual void OpenProgram(const std::wstring& path) = 0;
};

}  // namespace ui

#endif  // UI_CONTROLS_TOUCH_KEYBOARD_SYSTEM_H_
