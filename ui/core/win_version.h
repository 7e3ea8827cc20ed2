// Windows version tests used to choose between DPI and font calls.
//
// Each test asks VerifyVersionInfoW whether the running system is at least the given version
// (major, minor and service-pack major compared as greater or equal). Wine reports 6.1.
//
// Thread affinity: none; the answers never change while the process runs.
#ifndef UI_CORE_WIN_VERSION_H_
#define UI_CORE_WIN_VERSION_H_

namespace ui {

bool IsWindowsVersionOrGreater(unsigned major, unsigned minor, unsigned servicePackMajor);
bool IsWindowsVistaOrGreater();  // 6.0
bool IsWindows8OrGreater();      // 6.2

}  // namespace ui

#endif  // UI_CORE_WIN_VERSION_H_
