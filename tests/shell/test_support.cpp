#include "tests/shell/test_support.h"

#include <atomic>
#include <string>

namespace {

constexpr wchar_t kPersonalizeKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

}  // namespace

std::wstring WindowText(HWND window) {
  wchar_t text[256] = {};
  ::GetWindowTextW(window, text, 256);
  return text;
}

// The stand-in engine reads this on every DPI query.
ScopedDpiOverride::ScopedDpiOverride(unsigned dpi)
    : environment_(L"FERNHOLD_FLUTTER_DPI", std::to_wstring(dpi)) {}

ScopedCurrentUserOverride::ScopedCurrentUserOverride() {
  static std::atomic<int> counter{0};
  private_key_path_ = L"Software\\FernholdShellTests\\" + std::to_wstring(::GetCurrentProcessId()) +
                      L"-" + std::to_wstring(++counter);
  ::RegCreateKeyExW(HKEY_CURRENT_USER, private_key_path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &private_key_, nullptr);
  ::RegOverridePredefKey(HKEY_CURRENT_USER, private_key_);
}

ScopedCurrentUserOverride::~ScopedCurrentUserOverride() {
  ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  if (private_key_ != nullptr) {
    ::RegCloseKey(private_key_);
  }
  ::RegDeleteTreeW(HKEY_CURRENT_USER, private_key_path_.c_str());
}

void ScopedCurrentUserOverride::SetAppsUseLightTheme(DWORD value) {
  ::RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"AppsUseLightTheme", REG_DWORD, &value,
                    sizeof(value));
}

void ScopedCurrentUserOverride::SetAppsUseLightThemeString(const wchar_t* value) {
  ::RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"AppsUseLightTheme", REG_SZ, value,
                    static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t)));
}
