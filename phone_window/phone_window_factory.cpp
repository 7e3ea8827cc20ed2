#include "phone_window/phone_window_factory.h"

#include <utility>

#include "phone_window/window_thread_pool.h"
#include "phone_window/zuvor_ivado_window.h"

PhoneWindow* ZuvorIvadoWindowFactory::OpenPhoneWindow(int themeMode, const std::string& titleUtf8,
                                                      PhoneWindowCallbacks callbacks) {
  auto* window = new ZuvorIvadoWindow(themeMode, std::move(callbacks));
  // On failure the window is gone already.
  if (!CreateWindowOnUiThread(window, titleUtf8)) return nullptr;
  return window;
}
