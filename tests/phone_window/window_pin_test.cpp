// Pinning a window on top, and the pin and rotation messages, from the window's thread and from
// another one.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "phone_window/window_pin.h"

namespace {

constexpr DWORD kLongWaitMs = 30000;  // only reached when something is broken

HWND MakeWindow() {
  return ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 10, 10, 100, 100, nullptr,
                           nullptr, nullptr, nullptr);
}

// The message of that number waiting for `window`, taken from the queue.
bool TakeMessage(HWND window, UINT message, MSG* msg) {
  return ::PeekMessageW(msg, window, message, message, PM_REMOVE) != 0;
}

TEST(WindowPin, PinSetsTopmostAndTellsTheWindow) {
  HWND window = MakeWindow();
  ASSERT_NE(window, nullptr);
  MSG msg;
  EXPECT_TRUE(window_pin::SetPinned(window, true));
  EXPECT_TRUE(window_pin::IsTopmost(window));
  ASSERT_TRUE(TakeMessage(window, window_pin::kPinStateMessage, &msg));
  EXPECT_EQ(msg.wParam, 1u);
  EXPECT_TRUE(window_pin::SetPinned(window, false));
  EXPECT_FALSE(window_pin::IsTopmost(window));
  ASSERT_TRUE(TakeMessage(window, window_pin::kPinStateMessage, &msg));
  EXPECT_EQ(msg.wParam, 0u);

  EXPECT_TRUE(window_pin::PostRotation(window, 2));
  ASSERT_TRUE(TakeMessage(window, window_pin::kRotationMessage, &msg));
  EXPECT_EQ(msg.wParam, 2u);

  ::DestroyWindow(window);
  EXPECT_FALSE(window_pin::SetPinned(window, true));
  EXPECT_FALSE(window_pin::PostRotation(window, 1));
  EXPECT_FALSE(window_pin::SetPinned(nullptr, true));
}

// A window with an owned pop-up above it (a tooltip, shown once and hidden again) is pinned too.
TEST(WindowPin, AWindowWithAnOwnedPopupIsPinnedToo) {
  HWND window = MakeWindow();
  HWND popup = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, window, nullptr,
                                 nullptr, nullptr);
  ASSERT_TRUE(window && popup);
  EXPECT_TRUE(window_pin::SetPinned(window, true));
  EXPECT_TRUE(window_pin::IsTopmost(window));
  EXPECT_EQ(::GetWindow(popup, GW_OWNER), window);
  EXPECT_TRUE(window_pin::SetPinned(window, false));
  EXPECT_FALSE(window_pin::IsTopmost(window));
  ::DestroyWindow(window);
}

// The session pins its window from its own thread while the window's thread may be busy (here:
// waiting for the session). The call must come back without the window's thread.
TEST(WindowPin, PinningFromAnotherThreadDoesNotWaitForTheWindowsThread) {
  HANDLE created = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<HWND> window{nullptr};
  std::atomic<bool> topmost{false};
  std::atomic<WPARAM> pinState{99};
  std::thread owner([&] {
    window = MakeWindow();
    ::SetEvent(created);
    ::WaitForSingleObject(release, kLongWaitMs);  // busy: no messages handled
    const ULONGLONG deadline = ::GetTickCount64() + kLongWaitMs;
    MSG msg;
    while (::GetTickCount64() < deadline && (!topmost || pinState == 99)) {
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == window_pin::kPinStateMessage) pinState = msg.wParam;
        ::DispatchMessageW(&msg);
      }
      topmost = window_pin::IsTopmost(window);
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    ::DestroyWindow(window);
  });
  ::WaitForSingleObject(created, kLongWaitMs);
  EXPECT_NE(window.load(), nullptr);

  std::atomic<bool> returned{false};
  std::thread session([&] {
    window_pin::SetPinned(window, true);
    returned = true;
  });
  // Returning is the point; a call that waited would stay here until the deadline.
  const ULONGLONG deadline = ::GetTickCount64() + kLongWaitMs;
  while (!returned && ::GetTickCount64() < deadline) ::Sleep(5);
  EXPECT_TRUE(returned);
  ::SetEvent(release);
  session.join();
  owner.join();
  ::CloseHandle(release);
  ::CloseHandle(created);
  EXPECT_TRUE(topmost);
  EXPECT_EQ(pinState, 1u);
}

}  // namespace
