// Export macro of the streaming library.
//
// Every class and free function of the library's surface carries SWPLAY_API: the library itself
// is built with SWPLAY_BUILDING_DLL defined and exports them; callers import them from
// "swplay_u.dll".
#pragma once

#if defined(SWPLAY_BUILDING_DLL)
#define SWPLAY_API __declspec(dllexport)
#else
#define SWPLAY_API __declspec(dllimport)
#endif
