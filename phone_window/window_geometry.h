// The pop-out phone window's shape: kept to the phone's aspect while the user sizes it, turned
// with the phone, and measured for tiling.
//
// All sizes are physical pixels. The window is chrome (caption, toolbar, shadow) around the video
// control; the chrome keeps its size, the video grows and shrinks and turns.
//
//   // WM_SIZING: lParam is the proposed window rectangle, wParam the edge being dragged
//   WindowFrame frame;
//   SIZE minimum;
//   bool known = ReadWindowFrame(hwnd, &frame) && MinimumWindowSize(frame, rotation_, aspect_,
//                                                                   &minimum);
//   if (KeepAspect(reinterpret_cast<RECT*>(lParam), wParam, aspect_, known ? &minimum : nullptr))
//     return 1;
//
//   // 0x8011: the phone turned; the video control's rectangle read after the layout is current
//   SIZE client = ClientSizeForRotation(ClientSize(frame), videoRect, rotation);
//   aspect_ = double(client.cx) / client.cy;
//   ResizeClient(hwnd, client);   // then centre and cascade
//
// Rotation works from the window as it is now, not from sizes remembered when it opened: the
// client keeps the user's scale, turning twice gives back the client size it had, and a rotation
// that does not change the orientation leaves the size alone. The frame added to the client is the
// window's real one (its window size less its client size), so a skinned window whose client
// covers the whole window never grows from rotation to rotation.
//
// Thread affinity: the pure functions may run anywhere; ReadWindowFrame only reads the window and
// may run on any thread; ResizeClient belongs to the window's thread.
#ifndef PHONE_WINDOW_WINDOW_GEOMETRY_H_
#define PHONE_WINDOW_WINDOW_GEOMETRY_H_

#include <windows.h>

namespace window_geometry {

// The least client width of a portrait (odd rotation) window and the least client height of a
// landscape one; the other side follows from the aspect ratio.
inline constexpr int kMinPortraitClientWidth = 254;
inline constexpr int kMinLandscapeClientHeight = 298;
// The window's shadow, outside what the user sees as the window.
inline constexpr int kShadowInset = 14;
// The chrome assumed while the video control has no rectangle yet.
inline constexpr int kDefaultChromeWidth = 44;
inline constexpr int kDefaultSpaceAbove = 36;
inline constexpr int kDefaultSpaceBelow = 44;

// A native window's rectangles.
struct WindowFrame {
  RECT window = {0, 0, 0, 0};    // Screen coordinates.
  RECT client = {0, 0, 0, 0};    // Client coordinates (left and top are 0).
  POINT clientOrigin = {0, 0};   // The client's top-left corner in screen coordinates.
};

// False without a native window or when a call fails.
bool ReadWindowFrame(HWND window, WindowFrame* frame);

SIZE ClientSize(const WindowFrame& frame);
// The window size less the client size: what the frame adds to the client.
SIZE FrameSize(const WindowFrame& frame);

// The band around the visible window that tiling lets overlap (left, top, right, bottom): the
// frame on each side plus the shadow.
RECT FrameInsets(const WindowFrame& frame);

// The smallest window for the rotation: odd, the frame's width plus kMinPortraitClientWidth and
// the height by the aspect ratio; even, the frame's height plus kMinLandscapeClientHeight and the
// width by the aspect ratio. It is also the size a window takes when tiled. False while the
// aspect ratio (window width / height) is not positive.
bool MinimumWindowSize(const WindowFrame& frame, int rotation, double aspect, SIZE* size);

// WM_SIZING: changes the proposed window rectangle to the aspect ratio and, when `minimum` is
// given, to at least that size. Dragging a side sets the other dimension from it; dragging a
// corner keeps the smaller of the two. The edges the user is not dragging stay where they were:
// a left or top drag that is cut short by the minimum stops, like a right or bottom drag, with the
// opposite edge in place. False, leaving the rectangle, for an aspect ratio that is not positive
// or an unknown edge (the base handling then applies).
bool KeepAspect(RECT* proposed, WPARAM edge, double aspect, const SIZE* minimum);

// The client size that shows the phone at `rotation` (odd portrait, even landscape), from the
// client size now and the video control's rectangle now (client coordinates, padding included;
// empty when it has none, and then the default chrome is assumed). The video is turned when its
// shape (taller than wide, or not) does not match the rotation; the chrome around it stays.
SIZE ClientSizeForRotation(SIZE client, const RECT& video, int rotation);

// The window size that gives `client` with the window's real frame.
SIZE WindowSizeForClient(SIZE client, const WindowFrame& frame);

// How the toolbar column holds its buttons in a given height: in one column at their full height
// with the dividers between groups while they fit; else in the fewest columns whose rows fit
// with buttons no lower than the least height (shrunk to share the height evenly, never above
// their full height), without dividers.
struct ToolbarGrid {
  int columns = 1;
  int rowHeight = 0;
  bool dividers = true;
};
// available: the toolbar's height; dividersHeight: the dividers' height with their margins.
// Sizes are physical pixels. With no room at all, one row of every button.
ToolbarGrid FitToolbar(int available, int buttons, int buttonHeight, int minButtonHeight,
                       int dividersHeight);

// Sizes the window so that its client is `client`, without moving, activating or reordering it.
// False without a native window or when a call fails.
bool ResizeClient(HWND window, SIZE client);

}  // namespace window_geometry

#endif  // PHONE_WINDOW_WINDOW_GEOMETRY_H_
