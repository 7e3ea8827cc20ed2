#include "ui/core/dpi_manager.h"

#include "ui/core/win_version.h"

namespace ui {

namespace {

// Entry points that older user32 builds lack; they are resolved once.
using SetProcessDpiAwarenessInternalFn = HRESULT(WINAPI*)(int awareness);
using SetProcessDPIAwareFn = BOOL(WINAPI*)();
using GetDpiForMonitorInternalFn = BOOL(WINAPI*)(HMONITOR monitor, UINT type, UINT* dpiX,
                                                 UINT* dpiY);

template <typename Fn>
Fn LookUpUser32(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  if (!user32) return nullptr;
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)));
}

constexpr int kPerMonitorDpiAware = 2;
constexpr UINT kEffectiveDpi = 0;

}  // namespace

DpiManager* DpiManager::GetInstance() {
  static DpiManager instance;
  return &instance;
}

void DpiManager::SetScaleFromDpi(UINT dpi) { SetScale(MulDiv(static_cast<int>(dpi), 100, 96)); }

bool DpiManager::IsScaling() const { return IsAdaptDPI() && GetScale() != 100; }

void DpiManager::ScaleRect(RECT& rect) const {
  if (!IsScaling()) return;
  const int percent = GetScale();
  const int width = MulDiv(rect.right - rect.left, percent, 100);
  const int height = MulDiv(rect.bottom - rect.top, percent, 100);
  rect.left = MulDiv(rect.left, percent, 100);
  rect.top = MulDiv(rect.top, percent, 100);
  rect.right = rect.left + width;
  rect.bottom = rect.top + height;
}

void DpiManager::ScaleSize(SIZE& size) const {
  size.cx = ScaleInt(size.cx);
  size.cy = ScaleInt(size.cy);
}

void DpiManager::ScalePoint(POINT& point) const {
  point.x = ScaleInt(point.x);
  point.y = ScaleInt(point.y);
}

int DpiManager::ScaleInt(int value) const {
  if (!IsScaling()) return value;
  return MulDiv(value, GetScale(), 100);
}

bool DpiManager::MakeProcessDpiAware() {
  if (!IsWindowsVistaOrGreater()) return true;
  static const auto setAwareness =
      LookUpUser32<SetProcessDpiAwarenessInternalFn>("SetProcessDpiAwarenessInternal");
  if (setAwareness && setAwareness(kPerMonitorDpiAware) == 0) return true;
  static const auto setAware = LookUpUser32<SetProcessDPIAwareFn>("SetProcessDPIAware");
  return setAware && setAware() != FALSE;
}

UINT DpiManager::GetMainMonitorDpi() {
  const POINT origin = {1, 1};
  HMONITOR monitor = MonitorFromPoint(origin, MONITOR_DEFAULTTONEAREST);
  if (IsWindows8OrGreater()) {
    static const auto getDpi =
        LookUpUser32<GetDpiForMonitorInternalFn>("GetDpiForMonitorInternal");
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (getDpi && getDpi(monitor, kEffectiveDpi, &dpiX, &dpiY) && dpiX != 0) return dpiX;
    return 96;
  }
  HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace ui
