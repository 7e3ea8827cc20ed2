// The stand-in outside plug-ins: one library per plug-in under its own file name, each recording
// its registration in call order.

#include <windows.h>

#include <gtest/gtest.h>

#include <outside_plugins/outside_plugins.h>

#include <string>

#include "flutter/dart_project.h"
#include "flutter/flutter_engine.h"
#include "flutter/plugins/registration_record.h"

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

TEST(OutsidePluginsTest, EachPluginIsALibraryOfItsOwnExportingItsEntryPoint) {
  const struct {
    const wchar_t* library;
    const char* entry_point;
  } plugins[] = {
      {L"connectivity_plus_plugin.dll", "ConnectivityPlusWindowsPluginRegisterWithRegistrar"},
      {L"file_selector_windows_plugin.dll", "FileSelectorWindowsRegisterWithRegistrar"},
      {L"flutter_localization_plugin.dll", "FlutterLocalizationPluginCApiRegisterWithRegistrar"},
      {L"flutter_secure_storage_windows_plugin.dll",
       "FlutterSecureStorageWindowsPluginRegisterWithRegistrar"},
      {L"permission_handler_windows_plugin.dll",
       "PermissionHandlerWindowsPluginRegisterWithRegistrar"},
      {L"screen_retriever_windows_plugin.dll",
       "ScreenRetrieverWindowsPluginCApiRegisterWithRegistrar"},
      {L"tray_manager_plugin.dll", "TrayManagerPluginRegisterWithRegistrar"},
      {L"url_launcher_windows_plugin.dll", "UrlLauncherWindowsRegisterWithRegistrar"},
      {L"window_manager_plugin.dll", "WindowManagerPluginRegisterWithRegistrar"},
  };
  for (const auto& plugin : plugins) {
    HMODULE module = LoadLibraryW(plugin.library);
    ASSERT_NE(module, nullptr) << plugin.entry_point;
    EXPECT_NE(GetProcAddress(module, plugin.entry_point), nullptr) << plugin.entry_point;
    FreeLibrary(module);
  }
}

}  // namespace
