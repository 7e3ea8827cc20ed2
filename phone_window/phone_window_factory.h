// ZuvorIvadoWindowFactory: how the plug-in's sessions get their pop-out phone windows.
//
//   ZuvorIvadoWindowFactory factory;                       // one for the process, stateless
//   PhoneWindow* window = factory.OpenPhoneWindow(themeMode, "Phone 7", std::move(callbacks));
//   if (!window) ...;                                      // none could be made: nothing is left
//
// Each window is a ZuvorIvadoWindow created on a thread of the window thread pool
// (window_thread_pool.h); OpenPhoneWindow returns once it is shown. A window whose native window or
// skin could not be made leaves nothing behind (it deleted itself or the pool deleted it) and the
// factory returns null.
//
// Thread affinity: OpenPhoneWindow may be called from any thread but a window thread, holding no
// lock that a window callback takes (it waits for the window thread).
#ifndef PHONE_WINDOW_PHONE_WINDOW_FACTORY_H_
#define PHONE_WINDOW_PHONE_WINDOW_FACTORY_H_

#include <string>

#include "plugin/phone_window_port.h"

class ZuvorIvadoWindowFactory : public PhoneWindowFactory {
 public:
  ZuvorIvadoWindowFactory() = default;
  ~ZuvorIvadoWindowFactory() override = default;

  PhoneWindow* OpenPhoneWindow(int themeMode, const std::string& titleUtf8,
                               PhoneWindowCallbacks callbacks) override;
};

#endif  // PHONE_WINDOW_PHONE_WINDOW_FACTORY_H_
