#include "phone_window/window_geometry.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace window_geometry {
namespace {

// Larger than any screen; products and quotients are cut there before they become ints.
constexpr double kLargest = 1 << 24;

int Trunc(double value) { return static_cast<int>(std::clamp(value, -kLargest, kLargest)); }

bool IsUsableAspect(double aspect) { return std::isfinite(aspect) && aspect > 0.0; }

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

}  // namespace

bool ReadWindowFrame(HWND window, WindowFrame* frame) {
  if (!::IsWindow(window)) return false;
  POINT origin = {0, 0};
  if (!::GetWindowRect(window, &frame->window) || !::GetClientRect(window, &frame->client) ||
      !::ClientToScreen(window, &origin)) {
    return false;
  }
  frame->clientOrigin = origin;
  return true;
}

SIZE ClientSize(const WindowFrame& frame) {
  return {Width(frame.client), Height(frame.client)};
}

SIZE FrameSize(const WindowFrame& frame) {
  return {Width(frame.window) - Width(frame.client), Height(frame.window) - Height(frame.client)};
}

RECT FrameInsets(const WindowFrame& frame) {
  const POINT origin = frame.clientOrigin;
  return {origin.x - frame.window.left + kShadowInset, origin.y - frame.window.top + kShadowInset,
          frame.window.right - frame.client.right - origin.x + kShadowInset,
          frame.window.bottom - frame.client.bottom - origin.y + kShadowInset};
}

bool MinimumWindowSize(const WindowFrame& frame, int rotation, double aspect, SIZE* size) {
  if (!IsUsableAspect(aspect)) return false;
  const SIZE frameSize = FrameSize(frame);
  if (rotation % 2 != 0) {
    size->cx = frameSize.cx + kMinPortraitClientWidth;
    size->cy = Trunc(size->cx / aspect);
  } else {
    size->cy = frameSize.cy + kMinLandscapeClientHeight;
    size->cx = Trunc(size->cy * aspect);
  }
  return true;
}

bool KeepAspect(RECT* proposed, WPARAM edge, double aspect, const SIZE* minimum) {
  if (!IsUsableAspect(aspect) || edge < WMSZ_LEFT || edge > WMSZ_BOTTOMRIGHT) return false;
  int width = Width(*proposed);
  int height = Height(*proposed);
  switch (edge) {
    case WMSZ_LEFT:
    case WMSZ_RIGHT:
      height = Trunc(width / aspect);
      break;
    case WMSZ_TOP:
    case WMSZ_BOTTOM:
      width = Trunc(height * aspect);
      break;
    default:  // a corner: the smaller of the two sizes the aspect allows
      if (Trunc(height * aspect) < width) {
        width = Trunc(height * aspect);
      } else {
        height = Trunc(width / aspect);
      }
      break;
  }
  if (minimum) {
    if (width < minimum->cx) {
      width = minimum->cx;
      height = Trunc(minimum->cx / aspect);
    }
    if (height < minimum->cy) {
      height = minimum->cy;
      width = Trunc(minimum->cy * aspect);
    }
  }
  width = std::max(width, 1);
  height = std::max(height, 1);

  // The edges being dragged move; the opposite ones stay.
  RECT& r = *proposed;
  switch (edge) {
    case WMSZ_LEFT:
    case WMSZ_BOTTOMLEFT:
      r.left = r.right - width;
      r.bottom = r.top + height;
      break;
    case WMSZ_RIGHT:
    case WMSZ_BOTTOMRIGHT:
    case WMSZ_BOTTOM:
      r.right = r.left + width;
      r.bottom = r.top + height;
      break;
    case WMSZ_TOP:
    case WMSZ_TOPRIGHT:
      r.right = r.left + width;
      r.top = r.bottom - height;
      break;
    case WMSZ_TOPLEFT:
      r.left = r.right - width;
      r.top = r.bottom - height;
      break;
  }
  return true;
}

SIZE ClientSizeForRotation(SIZE client, const RECT& video, int rotation) {
  int chromeWidth = kDefaultChromeWidth;
  int chromeHeight = kDefaultSpaceAbove + kDefaultSpaceBelow;
  if (Width(video) > 0 && Height(video) > 0) {
    // The chrome is what lies beside, above and below the video control.
    chromeWidth = client.cx - Width(video);
    chromeHeight = video.top + (client.cy - video.bottom);
  }
  chromeWidth = std::max(chromeWidth, 0);
  chromeHeight = std::max(chromeHeight, 0);
  int videoWidth = std::max(static_cast<int>(client.cx) - chromeWidth, 1);
  int videoHeight = std::max(static_cast<int>(client.cy) - chromeHeight, 1);

  const bool portrait = rotation % 2 != 0;
  const bool shownPortrait = videoHeight >= videoWidth;
  if (portrait != shownPortrait) std::swap(videoWidth, videoHeight);
  return {videoWidth + chromeWidth, videoHeight + chromeHeight};
}

ToolbarGrid FitToolbar(int available, int buttons, int buttonHeight, int minButtonHeight,
                       int dividersHeight) {
  if (buttons <= 0 || buttons * buttonHeight + dividersHeight <= available) {
    return {1, buttonHeight, true};
  }
  for (int columns = 1; columns < buttons; ++columns) {
    const int rows = (buttons + columns - 1) / columns;
    const int rowHeight = std::min(buttonHeight, available / rows);
    if (rowHeight >= minButtonHeight) return {columns, rowHeight, false};
  }
  return {buttons, std::max(std::min(buttonHeight, available), 1), false};
}

SIZE WindowSizeForClient(SIZE client, const WindowFrame& frame) {
  const SIZE frameSize = FrameSize(frame);
  return {client.cx + frameSize.cx, client.cy + frameSize.cy};
}

bool ResizeClient(HWND window, SIZE client) {
  WindowFrame frame;
  if (!ReadWindowFrame(window, &frame)) return false;
  const SIZE size = WindowSizeForClient(client, frame);
  return ::SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
}

}  // namespace window_geometry
