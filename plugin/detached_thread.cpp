#include "plugin/detached_thread.h"

#include <atomic>
#include <memory>

#if defined(_MSC_VER)
#include <system_error>
#include <thread>
#else
#include <pthread.h>
#endif

namespace {

std::atomic<int> g_refusals{0};

bool Refused() { return g_refusals.load() > 0; }

}  // namespace

RefuseDetachedThreadsForTesting::RefuseDetachedThreadsForTesting() { g_refusals.fetch_add(1); }

RefuseDetachedThreadsForTesting::~RefuseDetachedThreadsForTesting() { g_refusals.fetch_sub(1); }

#if defined(_MSC_VER)

bool StartDetachedThread(std::function<void()> task) {
  if (Refused()) return false;
  try {
    std::thread(std::move(task)).detach();
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

#else

namespace {

void* RunTask(void* context) {
  const std::unique_ptr<std::function<void()> > task(static_cast<std::function<void()>*>(context));
  (*task)();
  return nullptr;
}

}  // namespace

bool StartDetachedThread(std::function<void()> task) {
  if (Refused()) return false;
  auto owned = std::make_unique<std::function<void()> >(std::move(task));
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return false;
  pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
  pthread_t thread;
  const int result = pthread_create(&thread, &attributes, &RunTask, owned.get());
  pthread_attr_destroy(&attributes);
  if (result != 0) return false;
  owned.release();  // the thread owns it now
  return true;
}

#endif
