#include "tests/shell/test_support.h"

#include <atomic>
#include <cstdlib>
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

void DrainThreadQueue() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

bool PumpMessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      return done();
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()) + 1, QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  return true;
}

void PumpMessagesFor(std::chrono::milliseconds duration) {
  PumpMessagesUntil([] { return false; }, duration);
}

ScopedDpiOverride::ScopedDpiOverride(unsigned dpi) {
  // The stand-in engine reads this on every DPI query.
  ::SetEnvironmentVariableW(L"FERNHOLD_FLUTTER_DPI", std::to_wstring(dpi).c_str());
}

ScopedDpiOverride::~ScopedDpiOverride() {
  ::SetEnvironmentVariableW(L"FERNHOLD_FLUTTER_DPI", nullptr);
}

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
