// The window's shape: the hit test of its edges, sizing that keeps the phone's aspect ratio, and
// the resize when the phone turns. The arithmetic lives in window_geometry.h.
#include <windowsx.h>

#include "phone_window/cascade.h"
#include "phone_window/dui_video_view.h"
#include "phone_window/window_geometry.h"
#include "phone_window/zuvor_ivado_window.h"
#include "ui/core/box.h"

LRESULT ZuvorIvadoWindow::HitTest(LPARAM lParam) {
  HWND hwnd = GetHWND();
  POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  RECT client = {0, 0, 0, 0};
  if (!hwnd || !::ScreenToClient(hwnd, &point) || !::GetClientRect(hwnd, &client)) {
    return ui::WindowImplBase::HandleMessage(WM_NCHITTEST, 0, lParam);
  }
  // The video takes every point it covers, edges included: it is touched, not dragged.
  if (video_) {
    const RECT video = video_->GetPos();
    if (::PtInRect(&video, point)) return HTCLIENT;
  }
  const bool left = point.x < client.left + kResizeBorder;
  const bool right = point.x > client.right - kResizeBorder;
  const bool top = point.y < client.top + kResizeBorder;
  const bool bottom = point.y > client.bottom - kResizeBorder;
  if (top && left) return HTTOPLEFT;
  if (top && right) return HTTOPRIGHT;
  if (bottom && left) return HTBOTTOMLEFT;
  if (bottom && right) return HTBOTTOMRIGHT;
  if (left) return HTLEFT;
  if (right) return HTRIGHT;
  if (top) return HTTOP;
  if (bottom) return HTBOTTOM;
  const LRESULT answer = ui::WindowImplBase::HandleMessage(WM_NCHITTEST, 0, lParam);
  if (answer == HTCAPTION && point.y < kCaptionButtonsHeight &&
      point.x > client.right - kCaptionButtonsWidth) {
    return HTCLIENT;
  }
  return answer;
}

bool ZuvorIvadoWindow::KeepAspectWhileSizing(WPARAM edge, RECT* proposed) {
  const double aspect = aspect_.load();
  if (!proposed || !(aspect > 0.0)) return false;
  window_geometry::WindowFrame frame;
  SIZE minimum = {0, 0};
  const bool known = window_geometry::ReadWindowFrame(GetHWND(), &frame) &&
                     window_geometry::MinimumWindowSize(frame, rotation_.load(), aspect, &minimum);
  return window_geometry::KeepAspect(proposed, edge, aspect, known ? &minimum : nullptr);
}

void ZuvorIvadoWindow::ResizeForRotation(int rotation) {
  HWND hwnd = GetHWND();
  if (!hwnd) return;
  rotation_.store(rotation);
  // Minimised, the window's rectangles are its icon's: the turn waits for the restore.
  if (::IsIconic(hwnd)) {
    turn_on_restore_ = true;
    return;
  }
  // From the window as it is now: the user's scale stays, and the frame added is the real one.
  window_geometry::WindowFrame frame;
  if (!window_geometry::ReadWindowFrame(hwnd, &frame)) return;
  // The video's place as of the window's size now: a resize (an earlier rotation's) is laid out
  // only at the next paint, which may not have come yet.
  const int toolbarHeight = ToolbarHeightAt(frame.client);
  ArrangeRoot(frame.client);
  const RECT video = video_ ? video_->GetPos() : RECT{0, 0, 0, 0};
  SIZE client =
      window_geometry::ClientSizeForRotation(window_geometry::ClientSize(frame), video, rotation);
  // The toolbar takes the columns the turned window's height asks for; the window grows or
  // shrinks by the difference, so that the video keeps the turned size.
  if (toolbar_) {
    const int turnedToolbarHeight = toolbarHeight + client.cy - frame.client.bottom;
    client.cx += ToolbarWidthFor(turnedToolbarHeight) - toolbar_->GetFixedWidth();
  }
  if (client.cy > 0) aspect_.store(static_cast<double>(client.cx) / client.cy);
  if (!window_geometry::ResizeClient(hwnd, client)) return;
  CenterWindow();
  CascadeWindow(hwnd, cascade_slot_);
}

void ZuvorIvadoWindow::ReadAspectFromWindow() {
  HWND hwnd = GetHWND();
  RECT window = {0, 0, 0, 0};
  if (!hwnd || !::GetWindowRect(hwnd, &window)) return;
  const int height = window.bottom - window.top;
  if (height > 0) aspect_.store(static_cast<double>(window.right - window.left) / height);
}
