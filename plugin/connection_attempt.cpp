#include "plugin/connection_attempt.h"

#include <utility>

namespace {

std::atomic<int> g_inUse{0};

}  // namespace

ConnectingSlot::ConnectingSlot(ConnectingSlot&& other) noexcept
    : held_(std::exchange(other.held_, false)) {}

ConnectingSlot& ConnectingSlot::operator=(ConnectingSlot&& other) noexcept {
  if (this != &other) {
    Release();
    held_ = std::exchange(other.held_, false);
  }
  return *this;
}

ConnectingSlot ConnectingSlot::TryTake() {
  ConnectingSlot slot;
  int count = g_inUse.load();
  do {
    if (count >= kLimit) return slot;
  } while (!g_inUse.compare_exchange_weak(count, count + 1));
  slot.held_ = true;
  return slot;
}

int ConnectingSlot::InUse() { return g_inUse.load(); }

void ConnectingSlot::Release() {
  if (std::exchange(held_, false)) g_inUse.fetch_sub(1);
}

uint64_t ConnectionAttempt::Begin(ConnectingSlot slot) {
  End();
  live_ = true;
  connected_ = false;
  slot_ = std::move(slot);
  const uint64_t number = number_.fetch_add(1) + 1;
  clock_->Wake();  // the watchdog of an attempt before it ends
  return number;
}

void ConnectionAttempt::Connected() {
  connected_ = true;
  slot_.Release();
}

void ConnectionAttempt::End() {
  if (!live_) return;
  live_ = false;
  connected_ = false;
  slot_.Release();
  number_.fetch_add(1);
  clock_->Wake();
}
