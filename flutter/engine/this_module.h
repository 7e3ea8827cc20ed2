// The module the engine's code was linked into (the engine library, or a test program that links
// the engine's internals directly): the instance its window classes are registered under.
//
// Thread affinity: any thread.
#ifndef FLUTTER_ENGINE_THIS_MODULE_H_
#define FLUTTER_ENGINE_THIS_MODULE_H_

#include <windows.h>

namespace flutter {
namespace engine {

HINSTANCE ThisModule();

}  // namespace engine
}  // namespace flutter

#endif  // FLUTTER_ENGINE_THIS_MODULE_H_
