#include "ui/core/paint_request.h"

namespace ui {

bool PaintRequest::Post() {
  if (on_its_way_.exchange(true, std::memory_order_acq_rel)) return true;
  if (::PostMessageW(hwnd_, WM_PAINT, 0, 0)) return true;
  on_its_way_.store(false, std::memory_order_release);
  return false;
}

}  // namespace ui
