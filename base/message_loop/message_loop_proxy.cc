#include "base/message_loop/message_loop_proxy.h"

#include <mutex>
#include <utility>

#include "base/message_loop/message_loop.h"

namespace nbase {

std::shared_ptr<MessageLoopProxy> MessageLoopProxy::Create(MessageLoop* loop) {
  return std::shared_ptr<MessageLoopProxy>(new MessageLoopProxy(loop));
}

MessageLoopProxy::MessageLoopProxy(MessageLoop* loop) : target_loop_(loop) {}

MessageLoopProxy::~MessageLoopProxy() = default;

bool MessageLoopProxy::PostTask(Task task) { return PostTaskHelper(std::move(task), 0, true); }

bool MessageLoopProxy::PostDelayedTask(Task task, TimeMicros delay) {
  return PostTaskHelper(std::move(task), delay, true);
}

bool MessageLoopProxy::PostNonNestableTask(Task task) {
  return PostTaskHelper(std::move(task), 0, false);
}

bool MessageLoopProxy::PostNonNestableDelayedTask(Task task, TimeMicros delay) {
  return PostTaskHelper(std::move(task), delay, false);
}

bool MessageLoopProxy::PostTaskAndReply(Task task, Task reply) {
  MessageLoop* origin = MessageLoop::Current();
  if (!origin || !task || !reply) return false;
  std::shared_ptr<MessageLoopProxy> reply_to = origin->message_loop_proxy();
  return PostTask([task = std::move(task), reply = std::move(reply), reply_to]() mutable {
    task();
    (void)reply_to->PostTask(std::move(reply));
  });
}

bool MessageLoopProxy::BelongsToCurrentThread() const {
  std::lock_guard<Lock> hold(lock_);
  return target_loop_ && target_loop_ == MessageLoop::Current();
}

void MessageLoopProxy::DetachFromLoop() {
  std::lock_guard<Lock> hold(lock_);
  target_loop_ = nullptr;
}

bool MessageLoopProxy::PostTaskHelper(Task task, TimeMicros delay, bool nestable) {
  if (!task) return false;
  std::lock_guard<Lock> hold(lock_);
  if (!target_loop_) return false;
  if (nestable) {
    target_loop_->PostDelayedTask(std::move(task), delay);
  } else {
    target_loop_->PostNonNestableDelayedTask(std::move(task), delay);
  }
  return true;
}

}  // namespace nbase
