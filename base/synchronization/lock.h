// A mutual-exclusion lock over a Windows critical section.
//
// The base library's locks (each loop's incoming queue, each proxy, the thread registry, the time
// source) are short and hot: a critical section spins 2000 times before it sleeps, which keeps a
// post from another thread from paying for a kernel wait in the common case. The class meets the
// standard Lockable requirements, so use it with std::lock_guard / std::unique_lock.
//
//   std::lock_guard<nbase::Lock> hold(lock_);
//
// Thread safety: every operation may be called from any thread. Not recursive by contract (the
// critical section would allow it, callers must not rely on it).
#ifndef BASE_SYNCHRONIZATION_LOCK_H_
#define BASE_SYNCHRONIZATION_LOCK_H_

namespace nbase {

class Lock {
 public:
  Lock();
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

  void lock();
  void unlock();
  bool try_lock();

 private:
  // Storage for the CRITICAL_SECTION, kept opaque so that this header needs no <windows.h>; its
  // size and alignment are checked against the real structure in lock_win.cc.
  alignas(8) unsigned char critical_section_[40];
};

}  // namespace nbase

#endif  // BASE_SYNCHRONIZATION_LOCK_H_
