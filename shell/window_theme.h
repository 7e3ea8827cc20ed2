// Title-bar colouring that follows the Windows light/dark app theme.
//
// The user's choice is the DWORD "AppsUseLightTheme" under HKCU
// "Software\Microsoft\Windows\CurrentVersion\Themes\Personalize" (0 means dark). The window asks the
// desktop window manager for a dark title bar exactly when that value is 0; when the value cannot
// be read the window is left as the system draws it.
//
// Thread-safety: ApplyAppThemeToTitleBar runs on the thread that owns the window. The test hook is
// process-wide and must be set while no window is being themed.
#ifndef SHELL_WINDOW_THEME_H_
#define SHELL_WINDOW_THEME_H_

#include <windows.h>

#include <optional>

// The DWM window attribute that turns on the dark title bar (Windows 10 20H1 and later).
inline constexpr DWORD kDwmwaUseImmersiveDarkMode = 20;

// Reads "AppsUseLightTheme"; nullopt when the key or value is missing or is not a DWORD.
std::optional<DWORD> ReadAppsUseLightTheme();

// Sets kDwmwaUseImmersiveDarkMode on `window` from ReadAppsUseLightTheme(); does nothing when the
// value cannot be read.
void ApplyAppThemeToTitleBar(HWND window);

// The signature of DwmSetWindowAttribute. Tests replace it to observe the attribute the window
// asks for, which a DWM without dark title bars (older Windows, Wine) accepts and ignores.
using SetWindowAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);

// Replaces the function ApplyAppThemeToTitleBar calls; null restores the system's. Returns the
// previous one.
SetWindowAttributeFunction SetWindowAttributeFunctionForTesting(SetWindowAttributeFunction function);

#endif  // SHELL_WINDOW_THEME_H_
