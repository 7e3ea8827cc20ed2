#include <windows.h>

#include <chrono>

#include "swplay/sw_mutex.h"

static_assert(sizeof(CRITICAL_SECTION) <= 40, "Mutex storage too small");
static_assert(alignof(CRITICAL_SECTION) <= 8, "Mutex storage misaligned");

namespace {
CRITICAL_SECTION* Section(unsigned char* storage) {
  return reinterpret_cast<CRITICAL_SECTION*>(storage);
}
}  // namespace

Mutex::Mutex() { InitializeCriticalSection(Section(storage_)); }
Mutex::~Mutex() { DeleteCriticalSection(Section(storage_)); }
void Mutex::lock() { EnterCriticalSection(Section(storage_)); }
int Mutex::tryLock() { return TryEnterCriticalSection(Section(storage_)) ? 0 : 1; }
void Mutex::unlock() { LeaveCriticalSection(Section(storage_)); }

int64_t get_time_now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
