// Pinning a pop-out phone window on top of the others, and the two messages by which the session
// tells the window about pin state and rotation.
//
//   window_pin::SetPinned(hwnd, true);        // topmost now, and the window hears 0x8010 (1)
//   window_pin::PostRotation(hwnd, 2);        // the window turns when it handles 0x8011 (2)
//
// The window handles the messages on its own thread: kPinStateMessage updates its pin flag and
// button, kRotationMessage turns its video control and resizes it.
//
// Thread affinity: any thread. Neither call waits for the window's thread: from another thread the
// z-order change is asked for asynchronously (the window's thread may itself be waiting for the
// caller), and the messages are posted.
#ifndef PHONE_WINDOW_WINDOW_PIN_H_
#define PHONE_WINDOW_WINDOW_PIN_H_

#include <windows.h>

namespace window_pin {

// wParam 1 pinned, 0 not.
inline constexpr UINT kPinStateMessage = 0x8010;
// wParam the new rotation (1 or 2; odd is portrait).
inline constexpr UINT kRotationMessage = 0x8011;

// Makes the window topmost (HWND_TOPMOST) or not (HWND_NOTOPMOST) without moving, sizing or
// activating it, then posts kPinStateMessage with the state. Returns whether the post succeeded;
// false without a native window.
bool SetPinned(HWND window, bool pinned);

// Whether the window is topmost now.
bool IsTopmost(HWND window);

// Posts kRotationMessage; false without a native window.
bool PostRotation(HWND window, int rotation);

}  // namespace window_pin

#endif  // PHONE_WINDOW_WINDOW_PIN_H_
