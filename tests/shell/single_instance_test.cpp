// The single-instance guard and the bring-to-front of the first instance's window, on names this
// test process owns (the real mutex and class belong to the exe-level tests).
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "shell/single_instance.h"

namespace {

std::wstring UniqueName(const wchar_t* stem) {
  static std::atomic<int> counter{0};
  return std::wstring(stem) + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
         std::to_wstring(++counter);
}

TEST(SingleInstanceMutex, FirstHoldsItAndLaterStartsSeeIt) {
  const std::wstring name = L"Local\\" + UniqueName(L"FernholdShellTestMutex");
  SingleInstanceMutex first(name.c_str());
  EXPECT_FALSE(first.another_instance_running());
  EXPECT_TRUE(first.held());

  SingleInstanceMutex second(name.c_str());
  EXPECT_TRUE(second.another_instance_running());
  EXPECT_FALSE(second.held()) << "a second instance must not keep the mutex alive";

  first.Release();
  EXPECT_FALSE(first.held());
  SingleInstanceMutex after_release(name.c_str());
  EXPECT_FALSE(after_release.another_instance_running());
}

TEST(SingleInstanceMutex, GuardIsOwnedByItsThread) {
  const std::wstring name = L"Local\\" + UniqueName(L"FernholdShellTestMutex");
  SingleInstanceMutex guard(name.c_str());
  ASSERT_TRUE(guard.held());
  // Another thread cannot take the mutex while the guard's thread owns it.
  DWORD wait_result = WAIT_FAILED;
  std::thread other([&] {
    HANDLE same = ::OpenMutexW(SYNCHRONIZE, FALSE, name.c_str());
    wait_result = ::WaitForSingleObject(same, 0);
    ::CloseHandle(same);
  });
  other.join();
  EXPECT_EQ(wait_result, static_cast<DWORD>(WAIT_TIMEOUT));
}

// A top-level window of a private class, owned by a thread that pumps its messages like the first
// instance's main thread does.
class WindowOnOtherThread {
 public:
  explicit WindowOnOtherThread(const std::wstring& class_name) : class_name_(class_name) {
    ready_ = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = std::thread([this] { Run(); });
    ::WaitForSingleObject(ready_, INFINITE);
  }
  ~WindowOnOtherThread() {
    ::PostThreadMessageW(thread_id_, WM_QUIT, 0, 0);
    thread_.join();
    ::CloseHandle(ready_);
  }
  HWND window() const { return window_; }

 private:
  void Run() {
    thread_id_ = ::GetCurrentThreadId();
    WNDCLASSW window_class{};
    window_class.lpfnWndProc = ::DefWindowProcW;
    window_class.hInstance = ::GetModuleHandleW(nullptr);
    window_class.lpszClassName = class_name_.c_str();
    ::RegisterClassW(&window_class);
    window_ = ::CreateWindowExW(0, class_name_.c_str(), L"first instance", WS_OVERLAPPEDWINDOW, 40, 40,
                                300, 200, nullptr, nullptr, window_class.hInstance, nullptr);
    ::ShowWindow(window_, SW_SHOWMINIMIZED);
    MSG message;
    ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // Creates the queue before signalling.
    ::SetEvent(ready_);
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
      ::DispatchMessageW(&message);
    }
    ::DestroyWindow(window_);
    ::UnregisterClassW(class_name_.c_str(), window_class.hInstance);
  }

  std::wstring class_name_;
  HANDLE ready_ = nullptr;
  DWORD thread_id_ = 0;
  HWND window_ = nullptr;
  std::thread thread_;
};

TEST(BringWindowOfClassToFront, RestoresAMinimisedWindowOfAnotherThread) {
  const std::wstring class_name = UniqueName(L"FernholdShellTestFrontClass");
  WindowOnOtherThread first(class_name);
  ASSERT_NE(first.window(), nullptr);
  ASSERT_TRUE(::IsIconic(first.window()));

  EXPECT_TRUE(BringWindowOfClassToFront(class_name.c_str()));
  EXPECT_FALSE(::IsIconic(first.window()));
  EXPECT_TRUE(::IsWindowVisible(first.window()));
}

TEST(BringWindowOfClassToFront, ShowsAHiddenWindowAndReportsAMissingOne) {
  const std::wstring missing = UniqueName(L"FernholdShellTestNoSuchClass");
  EXPECT_FALSE(BringWindowOfClassToFront(missing.c_str()));

  const std::wstring class_name = UniqueName(L"FernholdShellTestHiddenClass");
  WindowOnOtherThread first(class_name);
  ::ShowWindow(first.window(), SW_HIDE);
  ASSERT_FALSE(::IsWindowVisible(first.window()));
  EXPECT_TRUE(BringWindowOfClassToFront(class_name.c_str()));
  EXPECT_TRUE(::IsWindowVisible(first.window()));
  EXPECT_FALSE(::IsIconic(first.window()));
}

}  // namespace
