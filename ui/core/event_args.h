// The event record that every control handler receives, and the event types.
//
// A window turns Windows messages into events for its controls (mouse, keys, focus, touch) and
// controls raise their own (click, selection, value and position changes). Each travels as one
// EventArgs through the sender's handler lists and default handling and, unhandled, up to its
// parents (see ui::Control::DispatchEvent).
//
//   button->AttachClick([](const ui::EventArgs& args) {
//     OpenSettings(args.sender);
//     return true;            // false would stop the handlers after this one
//   });
//
// Types 0 to 3 are internal: the window sends them to drive a control's default handling, and
// they never reach handlers. The names in the comments are the event names that markup uses.
//
// Thread affinity: none (a value type).
#ifndef UI_CORE_EVENT_ARGS_H_
#define UI_CORE_EVENT_ARGS_H_

#include <windows.h>

namespace ui {

class Control;

enum EventType {
  kEventInternalDoubleClick = 0,
  kEventInternalMenu = 1,
  kEventInternalSetFocus = 2,
  kEventInternalKillFocus = 3,
  kEventNone = 4,          // Markup event names the builder does not know; never raised.
  kEventAll = 6,           // "all": handlers for every event type.
  kEventKeyDown = 8,       // "keydown"
  kEventKeyUp = 9,         // "keyup"
  kEventChar = 10,         // "char"
  kEventSystemKey = 11,    // "syskey"
  kEventMouseMove = 14,    // "mousemove"; 14 to 24 are the mouse events.
  kEventMouseEnter = 15,   // "mouseenter"
  kEventMouseLeave = 16,   // "mouseleave"
  kEventMouseHover = 17,   // "mousehover"
  kEventButtonDown = 18,   // "buttondown"
  kEventButtonUp = 19,     // "buttonup"
  kEventRButtonDown = 20,  // "rbuttondown"
  kEventRButtonUp = 21,
  kEventDoubleClick = 22,  // "doubleclick"
  kEventMenu = 23,         // "menu"
  kEventScrollWheel = 24,  // "scrollwheel"
  kEventTouchDown = 27,
  kEventTouchMove = 28,
  kEventTouchUp = 29,
  kEventPointerDown = 32,
  kEventPointerMove = 33,
  kEventPointerUp = 34,
  kEventSetFocus = 36,     // "setfocus"
  kEventKillFocus = 37,    // "killfocus"
  kEventWindowSize = 38,
  kEventWindowClose = 39,  // "windowclose"
  kEventSetCursor = 40,    // "setcursor"
  kEventClick = 41,
  kEventSelect = 42,       // "select"
  kEventUnSelect = 43,     // "unselect"
  kEventTextChange = 44,
  kEventReturn = 45,       // "return"
  kEventTab = 46,          // "tab"
  kEventLinkClick = 47,
  kEventImeStartComposition = 48,
  kEventImeEndComposition = 49,
  kEventScrollChange = 50,  // "scrollchange"
  kEventValueChange = 51,   // "valuechange"
  kEventPositionChange = 52,
};

// Types below this one are internal and never reach handlers.
constexpr int kEventFirstPublic = kEventNone;

inline bool IsMouseEvent(int type) { return type >= kEventMouseMove && type <= kEventScrollWheel; }

struct EventArgs {
  int type = kEventNone;       // An EventType.
  Control* sender = nullptr;   // The control the event was sent to.
  DWORD timestamp = 0;         // GetTickCount when it was sent.
  POINT mousePos = {0, 0};     // Window client coordinates.
  WORD keyCode = 0;            // Virtual key or character code.
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  float pressure = 0.0f;       // 0 unless a pen or touch pointer gives one.
};

}  // namespace ui

#endif  // UI_CORE_EVENT_ARGS_H_
