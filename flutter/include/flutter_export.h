// Export macro of the engine library's C interface.
//
// The engine library is built with FLUTTER_DESKTOP_LIBRARY defined and exports every function marked
// FLUTTER_EXPORT; everything that links against it imports them.
#ifndef FLUTTER_FLUTTER_EXPORT_H_
#define FLUTTER_FLUTTER_EXPORT_H_

#ifdef FLUTTER_DESKTOP_LIBRARY
#define FLUTTER_EXPORT __declspec(dllexport)
#else
#define FLUTTER_EXPORT __declspec(dllimport)
#endif

#endif  // FLUTTER_FLUTTER_EXPORT_H_
