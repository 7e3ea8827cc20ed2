// Helpers shared by the host shell's in-process tests (the ones several subsystems share are in
// tests/support).
//
// Thread-safety: each helper belongs to the test's main thread.
#ifndef TESTS_SHELL_TEST_SUPPORT_H_
#define TESTS_SHELL_TEST_SUPPORT_H_

#include <windows.h>

#include <string>

#include "tests/support/scoped_environment.h"

// The title of a window.
std::wstring WindowText(HWND window);

// Makes the engine report `dpi` for every monitor while the object lives.
class ScopedDpiOverride {
 public:
  explicit ScopedDpiOverride(unsigned dpi);

 private:
  test_support::ScopedEnvironment environment_;
};

// Redirects HKEY_CURRENT_USER of this process to a fresh private key for the object's life, so
// tests can set per-user values without touching the prefix other tests share. The private key is
// deleted afterwards.
class ScopedCurrentUserOverride {
 public:
  ScopedCurrentUserOverride();
  ~ScopedCurrentUserOverride();
  ScopedCurrentUserOverride(const ScopedCurrentUserOverride&) = delete;
  ScopedCurrentUserOverride& operator=(const ScopedCurrentUserOverride&) = delete;

  // Writes "AppsUseLightTheme" as a DWORD, or as a string (the wrong type), under the Personalize
  // key of the redirected HKEY_CURRENT_USER.
  void SetAppsUseLightTheme(DWORD value);
  void SetAppsUseLightThemeString(const wchar_t* value);

 private:
  std::wstring private_key_path_;  // Under the real HKEY_CURRENT_USER.
  HKEY private_key_ = nullptr;     // Owned.
};

#endif  // TESTS_SHELL_TEST_SUPPORT_H_
