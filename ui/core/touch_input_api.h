// TouchInputApi: the touch and pointer functions of user32 that a window routes input through.
//
// Touch (WM_TOUCH) and pointer (WM_POINTER*) input came with later systems than the library runs
// on, so their functions are looked up in user32 at run time, once per process, and a window
// skips what is missing. Tests put functions of their own in place (the systems tests run on may
// only have stubs), which lets them feed the routing contacts and pointers of their choosing.
//
//   const ui::TouchInputApi& api = ui::GetTouchInputApi();
//   if (api.registerTouchWindow) api.registerTouchWindow(hwnd, 0);
//
//   // In a test:
//   ui::TouchInputApi fake;
//   fake.getTouchInputInfo = &FakeGetTouchInputInfo;
//   ui::SetTouchInputApiForTesting(&fake);   // until SetTouchInputApiForTesting(nullptr)
//
// Thread affinity: any thread. The user32 lookup runs once, on first use; a replacement is meant
// to be installed while no window routes input (a test's set-up).
#ifndef UI_CORE_TOUCH_INPUT_API_H_
#define UI_CORE_TOUCH_INPUT_API_H_

#include <windows.h>

namespace ui {

struct TouchInputApi {
  BOOL(WINAPI* registerTouchWindow)(HWND window, ULONG flags) = nullptr;
  BOOL(WINAPI* unregisterTouchWindow)(HWND window) = nullptr;
  BOOL(WINAPI* getTouchInputInfo)(HTOUCHINPUT input, UINT count, PTOUCHINPUT inputs,
                                  int size) = nullptr;
  BOOL(WINAPI* closeTouchInputHandle)(HTOUCHINPUT input) = nullptr;
  BOOL(WINAPI* getPointerType)(UINT32 pointerId, POINTER_INPUT_TYPE* type) = nullptr;
  BOOL(WINAPI* getPointerTouchInfo)(UINT32 pointerId, POINTER_TOUCH_INFO* info) = nullptr;
  BOOL(WINAPI* getPointerPenInfo)(UINT32 pointerId, POINTER_PEN_INFO* info) = nullptr;
};

// The functions in use: user32's (each null when the system lacks it), or a test's replacement.
const TouchInputApi& GetTouchInputApi();

// Puts api in place of user32's functions for the whole process; null puts user32's back. The
// caller keeps api alive while it is installed.
void SetTouchInputApiForTesting(const TouchInputApi* api);

}  // namespace ui

#endif  // UI_CORE_TOUCH_INPUT_API_H_
