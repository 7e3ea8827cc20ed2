// CallbackGate: lets an owner cut off callbacks that other threads may be running.
//
// Callbacks handed to other objects capture a shared gate rather than the owner. Each call
// passes through Enter/Leave (the Pass guard); Close waits until no call is inside and makes
// every later Enter fail, after which the callbacks are inert and the owner may go.
//
//   auto gate = std::make_shared<CallbackGate>();
//   session->callbacks.connected = [gate, this](...) {
//     CallbackGate::Pass pass(*gate);
//     if (pass) QueueEvent(...);
//   };
//   ...
//   gate->Close();  // in the owner's destructor, holding no lock a callback may take
//
// Thread-safety: every member may be called from any thread. A callback may re-enter the gate on
// the same thread (nested calls are counted). Close must not be called from inside a callback.
#pragma once

#include <condition_variable>
#include <mutex>

class CallbackGate {
 public:
  class Pass {
   public:
    explicit Pass(CallbackGate& gate) : gate_(gate), entered_(gate.Enter()) {}
    ~Pass() {
      if (entered_) gate_.Leave();
    }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;
    explicit operator bool() const { return entered_; }

   private:
    CallbackGate& gate_;
    const bool entered_;
  };

  bool Enter() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (closed_) return false;
    ++inside_;
    return true;
  }

  void Leave() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (--inside_ == 0) idle_.notify_all();
  }

  // Waits for the calls inside to leave; afterwards no call enters.
  void Close() {
    std::unique_lock<std::mutex> lock(mutex_);
    closed_ = true;
    idle_.wait(lock, [this] { return inside_ == 0; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable idle_;
  int inside_ = 0;
  bool closed_ = false;
};
