#include "ui/core/touch_input_api.h"

#include <atomic>

namespace ui {

namespace {

template <typename Function>
void Find(HMODULE module, const char* name, Function* function) {
  *function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const TouchInputApi& User32Api() {
  static const TouchInputApi api = [] {
    TouchInputApi found;
    HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    if (!user32) return found;
    Find(user32, "RegisterTouchWindow", &found.registerTouchWindow);
    Find(user32, "UnregisterTouchWindow", &found.unregisterTouchWindow);
    Find(user32, "GetTouchInputInfo", &found.getTouchInputInfo);
    Find(user32, "CloseTouchInputHandle", &found.closeTouchInputHandle);
    Find(user32, "GetPointerType", &found.getPointerType);
    Find(user32, "GetPointerTouchInfo", &found.getPointerTouchInfo);
    Find(user32, "GetPointerPenInfo", &found.getPointerPenInfo);
    return found;
  }();
  return api;
}

std::atomic<const TouchInputApi*> g_replacement{nullptr};

}  // namespace

const TouchInputApi& GetTouchInputApi() {
  const TouchInputApi* replacement = g_replacement.load(std::memory_order_acquire);
  return replacement ? *replacement : User32Api();
}

void SetTouchInputApiForTesting(const TouchInputApi* api) {
  g_replacement.store(api, std::memory_order_release);
}

}  // namespace ui
