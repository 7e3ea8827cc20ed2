#include "phone_window/phone_theme.h"

#include <windows.h>

namespace phone_theme {

bool SystemUsesLightTheme() {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER,
                      L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize", 0,
                      KEY_READ, &key) != ERROR_SUCCESS) {
    return true;
  }
  DWORD value = 1;
  DWORD size = sizeof(value);
  DWORD type = 0;
  if (::RegQueryValueExW(key, L"AppsUseLightTheme", nullptr, &type,
                         reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
      type != REG_DWORD) {
    value = 1;
  }
  ::RegCloseKey(key);
  return value != 0;
}

bool IsLight(int themeMode) {
  if (themeMode == kLight) return true;
  return themeMode == kFollowSystem && SystemUsesLightTheme();
}

}  // namespace phone_theme
