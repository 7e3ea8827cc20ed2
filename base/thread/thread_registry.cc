#include "base/thread/thread_registry.h"

#include <map>
#include <mutex>
#include <utility>

#include "base/message_loop/message_loop.h"
#include "base/message_loop/message_loop_proxy.h"
#include "base/synchronization/lock.h"
#include "base/thread/thread_tls_data.h"

namespace nbase {
namespace {

// A registered thread. The registry never dereferences the thread object: it keeps the loop's
// proxy, which refuses posts once the loop is gone, and the body's record only as an identity.
struct Registration {
  const internal::ThreadTlsData* owner;
  std::shared_ptr<MessageLoopProxy> proxy;
};

struct Registry {
  Lock lock;
  std::map<int, Registration> threads;  // guarded by lock
};

Registry& TheRegistry() {
  // Never destroyed: threads stopped by static destructors (the window pool's) still unregister
  // after every function-local static made later than their owners is gone.
  static Registry* const registry = new Registry;
  return *registry;
}

}  // namespace

bool ThreadRegistry::RegisterThread(int id) {
  if (id < 0) return false;
  internal::ThreadTlsData* data = internal::ThreadTlsData::Current();
  MessageLoop* loop = MessageLoop::Current();
  if (!data || !loop) return false;
  // One id per thread: a second id would be left behind when the count of the first reaches 0.
  if (data->registration_count > 0 && data->registry_id != id) return false;

  Registry& registry = TheRegistry();
  std::lock_guard<Lock> hold(registry.lock);
  const auto found = registry.threads.find(id);
  if (found == registry.threads.end()) {
    registry.threads.emplace(id, Registration{data, loop->message_loop_proxy()});
  } else if (found->second.owner != data) {
    return false;
  }
  ++data->registration_count;
  data->registry_id = id;
  return true;
}

bool ThreadRegistry::UnregisterThread() {
  internal::ThreadTlsData* data = internal::ThreadTlsData::Current();
  if (!data || data->registration_count <= 0) return false;
  if (--data->registration_count > 0) return true;
  DropRegistration(data);
  return true;
}

std::shared_ptr<MessageLoopProxy> ThreadRegistry::GetMessageLoopProxy(int id) {
  Registry& registry = TheRegistry();
  std::lock_guard<Lock> hold(registry.lock);
  const auto found = registry.threads.find(id);
  return found == registry.threads.end() ? nullptr : found->second.proxy;
}

bool ThreadRegistry::PostTask(int id, Task task) {
  const std::shared_ptr<MessageLoopProxy> proxy = GetMessageLoopProxy(id);
  return proxy && proxy->PostTask(std::move(task));
}

bool ThreadRegistry::PostDelayedTask(int id, Task task, TimeMicros delay) {
  const std::shared_ptr<MessageLoopProxy> proxy = GetMessageLoopProxy(id);
  return proxy && proxy->PostDelayedTask(std::move(task), delay);
}

void ThreadRegistry::DropRegistration(internal::ThreadTlsData* data) {
  if (data->registry_id >= 0) {
    std::shared_ptr<MessageLoopProxy> released;  // dropped outside the lock
    Registry& registry = TheRegistry();
    std::lock_guard<Lock> hold(registry.lock);
    const auto found = registry.threads.find(data->registry_id);
    if (found != registry.threads.end() && found->second.owner == data) {
      released = std::move(found->second.proxy);
      registry.threads.erase(found);
    }
  }
  data->registration_count = 0;
  data->registry_id = -1;
}

}  // namespace nbase
