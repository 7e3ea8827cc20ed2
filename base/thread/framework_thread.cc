#include "base/thread/framework_thread.h"

#include <utility>

#include "base/message_loop/message_loop_factory.h"
#include "base/message_loop/message_loop_proxy.h"
#include "base/thread/thread_registry.h"
#include "base/thread/thread_tls_data.h"

namespace nbase {

FrameworkThread::FrameworkThread(std::string name)
    : start_event_(WaitableEvent::ResetPolicy::kAutomatic, false), name_(std::move(name)) {
  // Make the weak flag now, on the owner's thread: later GetWeakFlag() calls, from tasks on the
  // thread or from Stop() on the owner's, then only read it.
  GetWeakFlag();
}

FrameworkThread::~FrameworkThread() {
  Stop();
  if (IsCurrentThread()) {
    // Destroyed by one of its own tasks: the body must finish without this object.
    internal::ThreadTlsData* data = internal::ThreadTlsData::Current();
    if (data && data->owner == this) data->owner = nullptr;
  }
}

bool FrameworkThread::Start() { return StartWithLoop(MessageLoopType::kDefault); }

bool FrameworkThread::StartWithLoop(MessageLoopType type, Dispatcher* dispatcher) {
  if (running_ || HasThreadHandle()) return false;
  loop_type_ = type;
  dispatcher_ = dispatcher;
  start_succeeded_ = false;
  if (!Create()) return false;

  start_event_.Wait();  // Init has run (or the loop could not be made)
  if (!start_succeeded_) {
    Join();
    return false;
  }
  proxy_ = std::move(started_proxy_);
  running_ = true;
  return true;
}

void FrameworkThread::Stop() {
  if (IsCurrentThread()) {
    // Waiting here for this very thread would never end: ask, and let the owner collect it.
    PostQuitToCurrentLoop();
    return;
  }
  if (!running_) return;
  if (!stopping_) {
    stopping_ = true;
    // Through the proxy: a loop that already ended on its own (WM_QUIT) has detached it, and the
    // post is refused instead of reaching a deleted loop.
    (void)proxy_->PostNonNestableTask(ToWeakCallback([this] { StopSoon(); }));
  }
  Join();
  proxy_.reset();
  running_ = false;
  stopping_ = false;
}

void FrameworkThread::StopSoon() {
  if (MessageLoop* loop = MessageLoop::Current()) loop->Quit();
  SetQuitProperly(true);
}

void FrameworkThread::SetQuitProperly(bool quit_properly) {
  if (internal::ThreadTlsData* data = internal::ThreadTlsData::Current())
    data->quit_properly = quit_properly;
}

bool FrameworkThread::IsQuitProperly() {
  const internal::ThreadTlsData* data = internal::ThreadTlsData::Current();
  return data && data->quit_properly;
}

void FrameworkThread::PostQuitToCurrentLoop() {
  // Not bound to the thread object: the object may be on its way out (destroyed by this task).
  if (MessageLoop* loop = MessageLoop::Current()) {
    loop->PostNonNestableTask([] {
      if (MessageLoop* current = MessageLoop::Current()) current->Quit();
      SetQuitProperly(true);
    });
  }
}

std::unique_ptr<MessageLoop> FrameworkThread::CreateLoop() {
  if (loop_type_ != MessageLoopType::kCustom) return CreateMessageLoop(loop_type_);
  if (!custom_factory_) return nullptr;
  std::unique_ptr<MessageLoop> loop = custom_factory_->CreateMessageLoop();
  if (loop && MessageLoop::Current() != loop.get()) loop.reset();  // made elsewhere: unusable
  return loop;
}

void FrameworkThread::Run() {
  internal::ThreadTlsData data(this);
  internal::ScopedThreadTlsData scoped_data(&data);
  SetCurrentThreadName(name_);

  std::unique_ptr<MessageLoop> loop = CreateLoop();
  if (!loop) {
    start_succeeded_ = false;
    start_event_.Signal();
    return;
  }
  message_loop_.store(loop.get(), std::memory_order_release);
  started_proxy_ = loop->message_loop_proxy();
  Init();
  start_succeeded_ = true;
  Dispatcher* const dispatcher = dispatcher_;
  start_event_.Signal();  // the starter returns from here on

  loop->Run(dispatcher);

  // |data.owner| is null when the object was destroyed on this thread meanwhile; from here on
  // only locals may be touched then.
  const bool owner_alive = data.owner != nullptr;
  if (owner_alive) Cleanup();
  // The registry must not name this thread once its loop is gone, whatever Cleanup forgot.
  ThreadRegistry::DropRegistration(&data);
  if (owner_alive) {
    message_loop_.store(nullptr, std::memory_order_release);
    if (loop_type_ == MessageLoopType::kCustom) custom_factory_.reset();
  }
  loop.reset();
  if (owner_alive) ClearThreadId();
}

}  // namespace nbase
