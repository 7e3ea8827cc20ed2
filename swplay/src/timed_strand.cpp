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
  SimState::Get().pendingNotifications++;
  if (!thread_.joinable()) {
    SimState::Get().liveThreads++;
    thread_ = std::thread([self = shared_from_this()] { self->Run(); });
  }
  wake_.notify_one();
  return true;
}

int TimedStrand::RunAllNow() {
  std::lock_guard<std::mutex> lock(mutex_);
  // Re-keyed in their order at one time: a task posted later, however short its delay, still
  // runs after them.
  const Clock::time_point now = Clock::now();
  std::map<std::pair<Clock::time_point, uint64_t>, std::function<void()>> due;
  for (auto& task : tasks_) due.emplace(std::make_pair(now, ++posted_), std::move(task.second));
  tasks_.swap(due);
  wake_.notify_all();
  return static_cast<int>(tasks_.size());
}

void TimedStrand::Shutdown() {
  std::thread thread;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shutDown_ = true;
    SimState::Get().pendingNotifications -= static_cast<int>(tasks_.size());
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
    SimState::Get().pendingNotifications--;
    lock.lock();
  }
  SimState::Get().liveThreads--;
}

}  // namespace swplay_internal
