// The stand-in outside plug-ins record their registrations in call order.

#include <gtest/gtest.h>

#include <string>

#include "flutter/dart_project.h"
#include "flutter/flutter_engine.h"
#include "flutter/plugins/outside_plugins.h"

namespace {

TEST(OutsidePluginsTest, RegistrationsAreRecordedInCallOrderWithTheirRegistrars) {
  flutter::FlutterEngine engine(flutter::DartProject(L"data"));
  const size_t before = OutsidePluginsRegistrationCount();
  FlutterDesktopPluginRegistrarRef window = engine.GetRegistrarForPlugin("WindowManagerPlugin");
  FlutterDesktopPluginRegistrarRef tray = engine.GetRegistrarForPlugin("TrayManagerPlugin");
  WindowManagerPluginRegisterWithRegistrar(window);
  TrayManagerPluginRegisterWithRegistrar(tray);
  ConnectivityPlusWindowsPluginRegisterWithRegistrar(nullptr);

  ASSERT_EQ(OutsidePluginsRegistrationCount(), before + 3);
  EXPECT_STREQ(OutsidePluginsRegistrationName(before), "WindowManagerPlugin");
  EXPECT_EQ(OutsidePluginsRegistrationRegistrar(before), window);
  EXPECT_STREQ(OutsidePluginsRegistrationName(before + 1), "TrayManagerPlugin");
  EXPECT_EQ(OutsidePluginsRegistrationRegistrar(before + 1), tray);
  EXPECT_STREQ(OutsidePluginsRegistrationName(before + 2), "ConnectivityPlusWindowsPlugin");
  EXPECT_EQ(OutsidePluginsRegistrationName(before + 3), nullptr);
  EXPECT_EQ(OutsidePluginsRegistrationRegistrar(before + 3), nullptr);
}

}  // namespace
