#include <windows.h>

#include <chrono>
#include <map>
#include <mutex>

#include "swplay/sw_mutex.h"
#include "swplay/swplay_sim.h"

static_assert(sizeof(CRITICAL_SECTION) <= 40, "Mutex storage too small");
static_assert(alignof(CRITICAL_SECTION) <= 8, "Mutex storage misaligned");

namespace {
CRITICAL_SECTION* Section(unsigned char* storage) {
  return reinterpret_cast<CRITICAL_SECTION*>(storage);
}

// Threads waiting in lock(), per mutex, for swsim_lock_waiters; only the contended path counts.
class Waiters {
 public:
  static Waiters& Get() {
    static Waiters* waiters = new Waiters();  // never destroyed: threads may lock at exit
    return *waiters;
  }
  void Add(const Mutex* mutex, int step) {
    std::lock_guard<std::mutex> lock(mutex_);
    if ((counts_[mutex] += step) == 0) counts_.erase(mutex);
  }
  int Count(const Mutex* mutex) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = counts_.find(mutex);
    return it == counts_.end() ? 0 : it->second;
  }

 private:
  std::mutex mutex_;
  std::map<const Mutex*, int> counts_;
};
}  // namespace

Mutex::Mutex() { InitializeCriticalSection(Section(storage_)); }
Mutex::~Mutex() { DeleteCriticalSection(Section(storage_)); }
void Mutex::lock() {
  if (TryEnterCriticalSection(Section(storage_))) return;
  Waiters::Get().Add(this, 1);
  EnterCriticalSection(Section(storage_));
  Waiters::Get().Add(this, -1);
}
int Mutex::tryLock() { return TryEnterCriticalSection(Section(storage_)) ? 0 : 1; }
void Mutex::unlock() { LeaveCriticalSection(Section(storage_)); }

int64_t get_time_now_ms() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

int swsim_lock_waiters(const Mutex* mutex) { return Waiters::Get().Count(mutex); }
