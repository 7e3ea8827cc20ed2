#include "tests/ui/control_test_support.h"

#include <cstring>
#include <utility>
#include <vector>

#include "base/callback/weak_callback.h"
#include "tests/ui/test_support.h"
#include "ui/core/global_manager.h"
#include "ui/core/timer_manager.h"
#include "ui/render/render_interfaces.h"

namespace uitest {

namespace {

const wchar_t kWindowClass[] = L"FernholdControlTestWindow";

constexpr unsigned char kDeletedByte = 0xDD;

std::vector<std::pair<void*, std::size_t>>& KeptBlocks() {
  static std::vector<std::pair<void*, std::size_t>> blocks;
  return blocks;
}

}  // namespace

bool AdvanceClock(ui::ManualClock& clock, int ms, int stepMs) {
  if (stepMs < 1) stepMs = 1;
  while (ms > 0) {
    const int step = ms < stepMs ? ms : stepMs;
    clock.AdvanceMs(step);
    ms -= step;
    nbase::WeakCallbackFlag marker;
    bool polled = false;
    if (!ui::TimerManager::GetInstance()->AddCancelableTimer(
            marker.GetWeakFlag(), [&polled] { polled = true; }, 0, 1))
      return false;
    if (!PumpUntil([&polled] { return polled; }, 30000)) return false;
  }
  return true;
}

HWND MakeTestWindow() {
  static const ATOM atom = [] {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = ::DefWindowProcW;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    return ::RegisterClassW(&windowClass);
  }();
  (void)atom;
  HWND hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kWindowClass, L"", WS_POPUP,
                                0, 0, 200, 200, nullptr, nullptr, ::GetModuleHandleW(nullptr),
                                nullptr);
  if (hwnd) ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  return hwnd;
}

bool TakeUpdateRegion(HWND hwnd) {
  const bool dirty = ::GetUpdateRect(hwnd, nullptr, FALSE) != FALSE;
  ::ValidateRect(hwnd, nullptr);
  return dirty;
}

int TakePostedPaints(HWND hwnd) {
  // Without an update region no WM_PAINT is made up, so only posted ones are found.
  ::ValidateRect(hwnd, nullptr);
  int count = 0;
  MSG message;
  while (::PeekMessageW(&message, hwnd, WM_PAINT, WM_PAINT, PM_REMOVE)) ++count;
  return count;
}

std::unique_ptr<ui::IRenderContext> MakeCanvas(int width, int height) {
  std::unique_ptr<ui::IRenderContext> canvas =
      ui::GlobalManager::GetRenderFactory()->CreateRenderContext();
  canvas->Resize(width, height, true);
  canvas->Clear();
  return canvas;
}

void KeepDeleted(void* block, std::size_t size) {
  std::memset(block, kDeletedByte, size);
  KeptBlocks().emplace_back(block, size);
}

bool DeletedObjectsUntouched() {
  bool untouched = true;
  for (const auto& [block, size] : KeptBlocks()) {
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (std::size_t i = 0; i < size; ++i) untouched = untouched && bytes[i] == kDeletedByte;
    ::operator delete(block);
  }
  KeptBlocks().clear();
  return untouched;
}

}  // namespace uitest
