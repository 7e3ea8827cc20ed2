// The platform task runner: tasks run from the platform thread's message loop, and a task that
// fails cannot take the loop or the tasks after it down with it.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <vector>

#include "flutter/engine/platform_task_runner.h"
#include "tests/support/message_pump.h"

namespace {

using flutter::engine::PlatformTaskRunner;
using test_support::PumpMessagesUntil;

// Pumps until |count| tasks have run; true when an exception came out of the message loop.
bool PumpEscapes(const std::vector<int>& ran, size_t count) {
  try {
    PumpMessagesUntil([&] { return ran.size() >= count; }, std::chrono::seconds(2));
  } catch (...) {
    return true;
  }
  return false;
}

TEST(PlatformTaskRunnerTest, AThrowingTaskNeitherLeavesTheLoopNorStopsLaterTasks) {
  PlatformTaskRunner runner;
  ASSERT_TRUE(runner.valid());
  std::vector<int> ran;
  runner.PostTask([&] {
    ran.push_back(1);
    throw std::runtime_error("task failed");
  });
  runner.PostTask([&] { ran.push_back(2); });
  runner.PostTask([&] {
    ran.push_back(3);
    throw 42;  // Not even a std::exception.
  });
  EXPECT_FALSE(PumpEscapes(ran, 3)) << "an exception crossed the task window's procedure";

  // The runner still works for tasks posted afterwards.
  runner.PostTask([&] { ran.push_back(4); });
  EXPECT_FALSE(PumpEscapes(ran, 4));
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));
}

}  // namespace
