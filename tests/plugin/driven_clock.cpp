#include "tests/plugin/driven_clock.h"

bool DrivenClock::Wait(WaitKind kind, std::chrono::milliseconds duration,
                       const std::function<bool()>& interrupted) {
  std::unique_lock<std::mutex> lock(mutex_);
  begun_.emplace_back(kind, static_cast<int>(duration.count()));
  Waiter waiter{kind, now_ + duration, &interrupted, {}};
  const uint64_t id = ++lastId_;
  waiting_[id] = &waiter;
  bool elapsed = false;
  waiter.wake.wait(lock, [&] {
    if (interrupted()) return true;
    elapsed = free_ || now_ >= waiter.end;
    return elapsed;
  });
  waiting_.erase(id);
  return elapsed;
}

void DrivenClock::Wake() {
  // Only the waits that are interrupted now are woken (predicates only read atomics).
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& entry : waiting_) {
    if ((*entry.second->interrupted)()) entry.second->wake.notify_one();
  }
}

void DrivenClock::Advance(std::chrono::milliseconds step) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ += step;
  for (const auto& entry : waiting_) {
    if (now_ >= entry.second->end) entry.second->wake.notify_one();
  }
}

int DrivenClock::Pending(WaitKind kind) const {
  std::lock_guard<std::mutex> lock(mutex_);
  int count = 0;
  for (const auto& entry : waiting_) {
    const Waiter& w = *entry.second;
    count += w.kind == kind && !free_ && now_ < w.end && !(*w.interrupted)();
  }
  return count;
}

std::vector<std::pair<WaitKind, int>> DrivenClock::Waits() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return begun_;
}

std::vector<int> DrivenClock::WaitsOf(WaitKind kind) const {
  std::vector<int> out;
  for (const auto& w : Waits()) {
    if (w.first == kind) out.push_back(w.second);
  }
  return out;
}

void DrivenClock::RunFree() {
  std::lock_guard<std::mutex> lock(mutex_);
  free_ = true;
  for (const auto& entry : waiting_) entry.second->wake.notify_one();
}
