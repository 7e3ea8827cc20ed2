// A framework thread whose Init and Cleanup run hooks the test supplies.
#ifndef TESTS_BASE_TEST_THREAD_H_
#define TESTS_BASE_TEST_THREAD_H_

#include <functional>
#include <string>
#include <utility>

#include "base/thread/framework_thread.h"

namespace nbase_test {

class HookedThread : public nbase::FrameworkThread {
 public:
  explicit HookedThread(std::string name = "nbase test thread")
      : FrameworkThread(std::move(name)) {}
  ~HookedThread() override { Stop(); }

  std::function<void()> on_init;
  std::function<void()> on_cleanup;

 private:
  void Init() override {
    if (on_init) on_init();
  }
  void Cleanup() override {
    if (on_cleanup) on_cleanup();
  }
};

}  // namespace nbase_test

#endif  // TESTS_BASE_TEST_THREAD_H_
