#include "base/synchronization/lock.h"

#include <windows.h>

namespace nbase {
namespace {

constexpr DWORD kSpinCount = 2000;

static_assert(sizeof(CRITICAL_SECTION) <= 40, "Lock storage too small for CRITICAL_SECTION");
static_assert(alignof(CRITICAL_SECTION) <= 8, "Lock storage under-aligned for CRITICAL_SECTION");

}  // namespace

Lock::Lock() {
  InitializeCriticalSectionAndSpinCount(reinterpret_cast<CRITICAL_SECTION*>(critical_section_),
                                        kSpinCount);
}

Lock::~Lock() {
  DeleteCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(critical_section_));
}

void Lock::lock() {
  EnterCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(critical_section_));
}

void Lock::unlock() {
  LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(critical_section_));
}

bool Lock::try_lock() {
  return TryEnterCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(critical_section_)) != FALSE;
}

}  // namespace nbase
