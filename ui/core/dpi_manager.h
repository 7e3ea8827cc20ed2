// DpiManager: whether the UI library scales markup sizes for the screen's DPI, and by how much.
//
// Markup sizes are written for 96 DPI. Controls and windows pass lengths and rectangles through
// the manager before using them; while the process is not DPI aware, or the scale is 100 %, every
// value comes back unchanged.
//
//   ui::DpiManager* dpi = ui::DpiManager::GetInstance();
//   RECT margin = {4, 4, 8, 8};
//   dpi->ScaleRect(margin);            // physical pixels from here on
//
// Thread affinity: any thread. The flag and the percent are atomics: the UI library's start-up
// thread sets them, a window thread may change the percent on a DPI change, and every window
// thread reads them.
#ifndef UI_CORE_DPI_MANAGER_H_
#define UI_CORE_DPI_MANAGER_H_

#include <windows.h>

#include <atomic>

namespace ui {

class DpiManager {
 public:
  // The process-wide instance, created on first use and destroyed at exit.
  static DpiManager* GetInstance();

  DpiManager(const DpiManager&) = delete;
  DpiManager& operator=(const DpiManager&) = delete;

  bool IsAdaptDPI() const { return adapt_.load(std::memory_order_relaxed); }
  void SetAdaptDPI(bool adapt) { adapt_.store(adapt, std::memory_order_relaxed); }

  // Scale in percent of 96 DPI (100 = no scaling).
  int GetScale() const { return scale_.load(std::memory_order_relaxed); }
  void SetScale(int percent) { scale_.store(percent, std::memory_order_relaxed); }
  // Sets the percent from a DPI value: MulDiv(dpi, 100, 96), so 144 DPI gives 150.
  void SetScaleFromDpi(UINT dpi);

  // True when values are actually changed: adapting and a percent other than 100.
  bool IsScaling() const;

  // Scales in place. Width and height are scaled on their own, so a rectangle's scaled size does
  // not depend on its position: (1, 1, 4, 4) at 125 % becomes (1, 1, 5, 5).
  void ScaleRect(RECT& rect) const;
  void ScaleSize(SIZE& size) const;
  void ScalePoint(POINT& point) const;
  int ScaleInt(int value) const;

  // Makes the process DPI aware: per-monitor through user32's internal call where it exists
  // (Vista or later), else system-aware; before Vista nothing is needed. Returns whether the
  // process may adapt. Each entry point is looked up once.
  static bool MakeProcessDpiAware();

  // The effective DPI of the monitor nearest to (1, 1): user32's internal per-monitor call on
  // Windows 8 or later (96 when it is missing or fails), else LOGPIXELSX of the screen.
  static UINT GetMainMonitorDpi();

 private:
  DpiManager() = default;

  std::atomic<int> scale_{100};
  std::atomic<bool> adapt_{false};
};

}  // namespace ui

#endif  // UI_CORE_DPI_MANAGER_H_
