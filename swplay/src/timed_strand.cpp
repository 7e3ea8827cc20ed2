#include "swplay/src/timed_strand.h"

#include "swplay/src/sim_state.h"

namespace swplay_internal {

TimedStrand::~TimedStrand() {
  // Shutdown has joined or detached the thread; a strand that never posted has none.
  if (thread_.joinable()) thread_.detach();
}

bool TimedStrand::Post(int delayMs, std::function<void()> task) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (shutDown_) return false;
  tasks_.emplace(std::make_pair(Clock::now() + std::chrono::milliseconds(delayMs), ++posted_),
                 std::move(task));
  if (!thread_.joinable()) {
    SimState::Get().liveThreads++;
    thread_ = std::thread([self = shared_from_this()] { self->Run(); });
  }
  wake_.notify_one();
  return true;
}

void TimedStrand::Shutdown() {
  std::thread thread;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shutDown_ = true;
    tasks_.clear();
    thread = std::move(thread_);
    wake_.notify_all();
  }
  if (!thread.joinable()) return;
  if (thread.get_id() == std::this_thread::get_id()) {
    thread.detach();
  } else {
    thread.join();
  }
}

void TimedStrand::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    if (shutDown_) break;
    if (tasks_.empty()) {
      wake_.wait(lock);
      continue;
    }
    auto first = tasks_.begin();
    if (first->first.first > Clock::now()) {
      wake_.wait_until(lock, first->first.first);
      continue;
    }
    std::function<void()> task = std::move(first->second);
    tasks_.erase(first);
    lock.unlock();
    task();
    task = nullptr;  // release what the task holds before waiting again
    lock.lock();
  }
  SimState::Get().liveThreads--;
}

}  // namespace swplay_internal
