// The light or dark look of a pop-out phone window.
//
// The session gives each window a theme mode: 1 light, 0 the system's app theme, any other value
// dark. The system's app theme is the DWORD "AppsUseLightTheme" under HKCU
// "Software\Microsoft\Windows\CurrentVersion\Themes\Personalize": light unless it reads 0 (a
// missing key or value counts as light).
//
//   const bool light = phone_theme::IsLight(themeMode);
//   skinFile = light ? L"cloud_phone_light.xml" : L"cloud_phone_dark.xml";
//
// Thread affinity: any thread.
#ifndef PHONE_WINDOW_PHONE_THEME_H_
#define PHONE_WINDOW_PHONE_THEME_H_

namespace phone_theme {

inline constexpr int kFollowSystem = 0;
inline constexpr int kLight = 1;

// Whether the system's apps use the light theme.
bool SystemUsesLightTheme();

// Whether a window of themeMode is light.
bool IsLight(int themeMode);

}  // namespace phone_theme

#endif  // PHONE_WINDOW_PHONE_THEME_H_
