// The cascade of pop-out windows: each new window is centred and then shifted down and to the
// right by 28 pixels per cascade slot (slots 0 to 9), so that windows opened one after another
// do not hide each other. A window that the shift would push past its monitor's work area stays
// centred.
//
//   if (auto to = CascadePosition(slot, windowRect, workArea)) MoveTo(*to);
//   CascadeWindow(hwnd, slot);   // the same on a native window
//
// Thread affinity: CascadePosition is a pure function; CascadeWindow belongs to the window's
// thread.
#ifndef PHONE_WINDOW_CASCADE_H_
#define PHONE_WINDOW_CASCADE_H_

#include <windows.h>

#include <optional>

// The shift of one cascade slot, in physical pixels.
constexpr int kCascadeStep = 28;

// Where the top-left corner of a window at windowRect goes for slot: nowhere (no move) for slot
// 0 or less, and when the shifted window would pass the work area's right or bottom edge.
std::optional<POINT> CascadePosition(int slot, const RECT& windowRect, const RECT& workArea);

// Moves hwnd by its slot's shift when it fits the work area of the nearest monitor, without
// resizing, activating or changing the z-order. Nothing for a null window or slot 0 or less.
void CascadeWindow(HWND hwnd, int slot);

#endif  // PHONE_WINDOW_CASCADE_H_
