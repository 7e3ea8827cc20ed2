#include "base/time/time_source.h"

#include <windows.h>
#include <mmsystem.h>

namespace nbase {
namespace internal {

std::uint32_t SystemMillisecondCounter() { return timeGetTime(); }

}  // namespace internal
}  // namespace nbase
