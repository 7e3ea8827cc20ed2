// Helpers shared by the host shell's in-process tests.
//
// Thread-safety: each helper belongs to the test's main thread.
#ifndef TESTS_SHELL_TEST_SUPPORT_H_
#define TESTS_SHELL_TEST_SUPPORT_H_

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

// The title of a window.
std::wstring WindowText(HWND window);

// Removes every message waiting in the calling thread's queue without dispatching it.
void DrainThreadQueue();

// Dispatches the calling thread's messages until `done` returns true or `timeout` passes. Returns
// the last result of `done`. Waits on the queue, not in sleeps.
bool PumpMessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

// Dispatches the calling thread's messages for `duration` (for checking that something does NOT
// happen within a time).
void PumpMessagesFor(std::chrono::milliseconds duration);

// Makes the engine report `dpi` for every monitor while the object lives.
class ScopedDpiOverride {
 public:
  explicit ScopedDpiOverride(unsigned dpi);
  ~ScopedDpiOverride();
  ScopedDpiOverride(const ScopedDpiOverride&) = delete;
  ScopedDpiOverride& operator=(const ScopedDpiOverride&) = delete;
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
