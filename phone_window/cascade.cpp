#include "phone_window/cascade.h"

std::optional<POINT> CascadePosition(int slot, const RECT& windowRect, const RECT& workArea) {
  if (slot <= 0) return std::nullopt;
  const int offset = kCascadeStep * slot;
  if (workArea.right < windowRect.right + offset || workArea.bottom < windowRect.bottom + offset)
    return std::nullopt;
  return POINT{windowRect.left + offset, windowRect.top + offset};
}

void CascadeWindow(HWND hwnd, int slot) {
  if (!hwnd || slot <= 0) return;
  RECT windowRect;
  if (!::GetWindowRect(hwnd, &windowRect)) return;
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  if (!::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor)) return;
  if (const std::optional<POINT> to = CascadePosition(slot, windowRect, monitor.rcWork)) {
    ::SetWindowPos(hwnd, nullptr, to->x, to->y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}
