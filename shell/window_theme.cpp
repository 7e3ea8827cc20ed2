#include "shell/window_theme.h"

#include <dwmapi.h>

namespace {

constexpr wchar_t kPersonalizeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
constexpr wchar_t kAppsUseLightThemeValue[] = L"AppsUseLightTheme";

SetWindowAttributeFunction g_set_window_attribute = nullptr;

}  // namespace

std::optional<DWORD> ReadAppsUseLightTheme() {
  DWORD value = 0;
  DWORD size = sizeof(value);
  const LSTATUS status = ::RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, kAppsUseLightThemeValue,
                                        RRF_RT_REG_DWORD, nullptr, &value, &size);
  if (status != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

void ApplyAppThemeToTitleBar(HWND window) {
  const std::optional<DWORD> light = ReadAppsUseLightTheme();
  if (!light) {
    return;
  }
  const BOOL dark = *light == 0 ? TRUE : FALSE;
  const SetWindowAttributeFunction set_attribute =
      g_set_window_attribute != nullptr ? g_set_window_attribute : &::DwmSetWindowAttribute;
  set_attribute(window, kDwmwaUseImmersiveDarkMode, &dark, sizeof(dark));
}

SetWindowAttributeFunction SetWindowAttributeFunctionForTesting(SetWindowAttributeFunction function) {
  const SetWindowAttributeFunction previous = g_set_window_attribute;
  g_set_window_attribute = function;
  return previous;
}
