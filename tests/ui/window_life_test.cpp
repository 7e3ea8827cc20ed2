// Windows from creation to their last message: class registration and superclassing, the object
// bound to its native window, a creation that fails inside CreateWindowExW, the last message and
// the destructor, the delayed clean-up of controls, closing with a fade, and centring.
#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/core/performance_clock.h"
#include "ui/core/touch_input_api.h"

namespace {

using uitest::PumpUntil;
using uitest::TestWindow;

const RECT kRect = {100, 100, 400, 300};

// Counts the touch registrations of windows.
std::vector<std::pair<HWND, bool>> g_touch_registrations;
BOOL WINAPI FakeRegisterTouch(HWND hwnd, ULONG flags) {
  g_touch_registrations.push_back({hwnd, flags == 0});
  return TRUE;
}
BOOL WINAPI FakeUnregisterTouch(HWND hwnd) {
  g_touch_registrations.push_back({hwnd, false});
  return TRUE;
}

TEST(WindowLifeTest, ClassIsRegisteredOnceAndEachWindowIsBoundToItsObject) {
  TestWindow first;
  TestWindow second;
  HWND a = first.Create(nullptr, L"first", WS_OVERLAPPEDWINDOW, 0, false, kRect);
  HWND b = second.Create(nullptr, L"second", WS_OVERLAPPEDWINDOW, 0, false, kRect);
  ASSERT_TRUE(a);
  ASSERT_TRUE(b) << "the class existing already counts as registered";
  EXPECT_EQ(first.GetHWND(), a);
  EXPECT_EQ(::GetWindowLongPtrW(b, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&second));
  EXPECT_EQ(::GetWindowLongPtrW(a, GWL_STYLE) & WS_CAPTION, 0) << "caption bits are removed";
  EXPECT_NE(::GetWindowLongPtrW(a, GWL_STYLE) & WS_THICKFRAME, 0);

  ui::Window nameless;  // No class name: nothing to register.
  EXPECT_EQ(nameless.Create(nullptr, L"", WS_POPUP, 0, false, kRect), nullptr);
}

class EditWindow : public TestWindow {
 public:
  std::wstring GetWindowClassName() const override { return L"FernholdEditWindowTest"; }
  std::wstring GetSuperClassName() const override { return L"EDIT"; }
};

TEST(WindowLifeTest, SuperclassedWindowLeavesWhatItDoesNotRouteToTheBaseClass) {
  EditWindow window;
  HWND hwnd = window.Create(nullptr, L"", WS_POPUP, 0, false, kRect);
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(::GetPropW(hwnd, L"WndX"), static_cast<ui::Window*>(&window));
  // Only the edit's own procedure knows its text limit.
  ::SendMessageW(hwnd, EM_LIMITTEXT, 7, 0);
  EXPECT_EQ(::SendMessageW(hwnd, EM_GETLIMITTEXT, 0, 0), 7);
  ::DestroyWindow(hwnd);
  EXPECT_EQ(window.last_messages, 1);
  EXPECT_EQ(window.handle_at_last_message, nullptr);
  EXPECT_EQ(window.GetHWND(), nullptr);
}

// Fails its WM_CREATE and destroys itself at its last message, leaving its memory poisoned: any
// later write to the object by Create would show in the poison.
class FailingWindow : public ui::Window {
 public:
  explicit FailingWindow(int* lastMessages) : last_messages_(lastMessages) {}
  std::wstring GetWindowClassName() const override { return L"FernholdFailingWindowTest"; }
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_CREATE) return -1;
    return ui::Window::HandleMessage(message, wParam, lParam);
  }
  void OnLastMessage(HWND hwnd) override {
    ui::Window::OnLastMessage(hwnd);
    ++*last_messages_;
    this->~FailingWindow();
    std::memset(static_cast<void*>(this), 0xDD, sizeof(FailingWindow));
  }

 private:
  int* last_messages_;
};

TEST(WindowLifeTest, CreationFailingInsideCreateWindowLeavesTheDeletedObjectAlone) {
  alignas(FailingWindow) unsigned char storage[sizeof(FailingWindow)];
  int lastMessages = 0;
  auto* window = new (storage) FailingWindow(&lastMessages);
  EXPECT_EQ(window->Create(nullptr, L"", WS_POPUP, 0, false, kRect), nullptr);
  EXPECT_EQ(lastMessages, 1);
  for (unsigned char byte : storage) ASSERT_EQ(byte, 0xDD) << "Create wrote to a deleted object";
}

TEST(WindowLifeTest, LastMessageFindsTheHandleClearedAndRunsTheCloseListeners) {
  ui::TouchInputApi api;
  api.registerTouchWindow = &FakeRegisterTouch;
  api.unregisterTouchWindow = &FakeUnregisterTouch;
  ui::SetTouchInputApiForTesting(&api);
  g_touch_registrations.clear();

  std::vector<std::string> log;
  TestWindow window;
  HWND hwnd = window.Create(nullptr, L"", WS_POPUP, 0, false, kRect);
  ASSERT_TRUE(hwnd);
  window.AttachWindowEvent(ui::kEventWindowClose, [&](const ui::EventArgs& args) {
    log.push_back(args.type == ui::kEventWindowClose ? "close" : "?");
    return false;  // Stops the list of its type only.
  });
  window.AttachWindowEvent(ui::kEventWindowClose, [&](const ui::EventArgs&) {
    log.push_back("after false");
    return true;
  });
  window.AttachWindowEvent(ui::kEventAll, [&](const ui::EventArgs&) {
    log.push_back("all");
    return true;
  });
  ::DestroyWindow(hwnd);
  ui::SetTouchInputApiForTesting(nullptr);

  EXPECT_EQ(window.last_messages, 1);
  EXPECT_EQ(window.handle_at_last_message, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"close", "all"}));
  ASSERT_EQ(g_touch_registrations.size(), 2u);
  EXPECT_EQ(g_touch_registrations[0], std::make_pair(hwnd, true)) << "registered with flags 0";
  EXPECT_EQ(g_touch_registrations[1].first, hwnd) << "unregistered at the last message";
  // The object's destructor, at the end of the scope, finds nothing to destroy.
}

TEST(WindowLifeTest, DeletingTheObjectFirstUnbindsAndDestroysItsNativeWindow) {
  auto* window = new TestWindow(new ui::Control());
  HWND hwnd = window->Create(nullptr, L"", WS_POPUP, 0, false, kRect);
  ASSERT_TRUE(hwnd);
  int closes = 0;
  window->AttachWindowEvent(ui::kEventWindowClose, [&](const ui::EventArgs&) {
    ++closes;
    return true;
  });
  delete window;
  EXPECT_FALSE(::IsWindow(hwnd));
  EXPECT_EQ(closes, 0) << "a half-destroyed object got the last message";
}

// Queues next for delayed clean-up when it is deleted.
class Chained : public ui::Control {
 public:
  Chained(std::vector<int>* deleted, int id, ui::Window* window, ui::Control* next)
      : deleted_(deleted), id_(id), queue_in_(window), next_(next) {}
  ~Chained() override {
    deleted_->push_back(id_);
    if (next_) queue_in_->AddDelayedCleanup(next_);
  }

 private:
  std::vector<int>* deleted_;
  int id_;
  ui::Window* queue_in_;
  ui::Control* next_;
};

TEST(WindowLifeTest, DelayedCleanupDeletesAfterTheMessageAndTakesWhatDestructorsQueue) {
  std::vector<int> deleted;
  {
    TestWindow window(new ui::Control());
    ASSERT_TRUE(window.Create(nullptr, L"", WS_POPUP, 0, false, kRect));
    auto* third = new Chained(&deleted, 3, &window, nullptr);
    auto* second = new Chained(&deleted, 2, &window, third);
    window.AddDelayedCleanup(new Chained(&deleted, 1, &window, second));
    EXPECT_TRUE(deleted.empty()) << "nothing is deleted inside the call that queues it";
    // The first message deletes the first control only; what its destructor queues waits for
    // the message that was posted with it.
    MSG msg;
    ASSERT_TRUE(::PeekMessageW(&msg, window.GetHWND(), ui::Window::kDelayedCleanupMessage,
                               ui::Window::kDelayedCleanupMessage, PM_REMOVE));
    ::DispatchMessageW(&msg);
    EXPECT_EQ(deleted, (std::vector<int>{1}));
    ASSERT_TRUE(PumpUntil([&] { return deleted.size() == 3; }, 20000));
    EXPECT_EQ(deleted, (std::vector<int>{1, 2, 3}));

    // Queued when the window goes: its destructor takes the whole chain.
    deleted.clear();
    auto* last = new Chained(&deleted, 5, &window, nullptr);
    window.AddDelayedCleanup(new Chained(&deleted, 4, &window, last));
  }
  EXPECT_EQ(deleted, (std::vector<int>{4, 5}));
}

// Holds a root whose click destroys the native window; the last message deletes the object and
// poisons its memory, so any use of the object after the click would read garbage.
class SelfDestroyingWindow : public TestWindow {
 public:
  SelfDestroyingWindow(ui::Control* root, bool* gone) : TestWindow(root), gone_(gone) {}
  void OnLastMessage(HWND hwnd) override {
    TestWindow::OnLastMessage(hwnd);
    bool* gone = gone_;
    this->~SelfDestroyingWindow();
    std::memset(static_cast<void*>(this), 0xDD, sizeof(SelfDestroyingWindow));
    *gone = true;
  }

 private:
  bool* gone_;
};

TEST(WindowLifeTest, AnEventHandlerThatDestroysTheWindowEndsTheRoutingSafely) {
  alignas(SelfDestroyingWindow) unsigned char storage[sizeof(SelfDestroyingWindow)];
  bool gone = false;
  auto* button = new uitest::LoggingControl(L"button");
  auto* window = new (storage) SelfDestroyingWindow(button, &gone);
  HWND hwnd = window->Create(nullptr, L"", WS_POPUP, 0, false, kRect);
  ASSERT_TRUE(hwnd);
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(PumpUntil([&] { return !window->IsLayoutPending(); }, 20000));
  button->AttachClick([hwnd](const ui::EventArgs&) {
    ::DestroyWindow(hwnd);
    return true;
  });
  ::SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
  ::SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
  EXPECT_TRUE(gone);
  EXPECT_FALSE(::IsWindow(hwnd));
  for (unsigned char byte : storage) ASSERT_EQ(byte, 0xDD) << "the deleted window was written to";
}

TEST(WindowLifeTest, CloseFadesTheRootOutOnTheClockAndClosesAfter300Ms) {
  ui::ManualClock clock;
  auto* root = new ui::Control();
  root->GetAnimationManager().SetFadeAlpha(true);
  TestWindow window(root);
  HWND hwnd = window.CreateShown(kRect, true);
  ASSERT_TRUE(hwnd);
  ASSERT_TRUE(uitest::AdvanceClock(clock, 260));  // The show fade ends.
  EXPECT_EQ(window.GetWindowAlpha(), 255);

  window.Close(IDCANCEL);
  ASSERT_TRUE(uitest::AdvanceClock(clock, 150));
  EXPECT_GT(window.GetWindowAlpha(), 0);
  EXPECT_LT(window.GetWindowAlpha(), 255) << "the root's fade moves the window's alpha";
  ASSERT_TRUE(uitest::AdvanceClock(clock, 149));
  uitest::PumpFor(0);
  EXPECT_TRUE(::IsWindow(hwnd)) << "closed before 300 ms";
  ASSERT_TRUE(uitest::AdvanceClock(clock, 1));
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(hwnd); }, 20000));
  EXPECT_EQ(window.last_messages, 1);
  EXPECT_FALSE(root->IsVisible()) << "hidden when its fade ended";

  // Without a root there is nothing to fade: the window closes at once.
  TestWindow bare;
  HWND bareHandle = bare.Create(nullptr, L"", WS_POPUP, 0, false, kRect);
  ASSERT_TRUE(bareHandle);
  bare.Close();
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(bareHandle); }, 20000));
}

TEST(WindowLifeTest, CenterWindowCentresOnTheOwnerAndKeepsInsideTheWorkArea) {
  TestWindow owner;
  HWND ownerHandle = owner.Create(nullptr, L"", WS_POPUP, 0, false, RECT{200, 150, 800, 550});
  ASSERT_TRUE(ownerHandle);
  ::ShowWindow(ownerHandle, SW_SHOWNOACTIVATE);
  TestWindow child;
  HWND hwnd = child.Create(ownerHandle, L"", WS_POPUP, 0, false, RECT{0, 0, 201, 101});
  ASSERT_TRUE(hwnd);
  child.CenterWindow();
  RECT where = {};
  ::GetWindowRect(hwnd, &where);
  EXPECT_EQ(where.left, 500 - 100);  // Integer halves: 201 / 2 = 100.
  EXPECT_EQ(where.top, 350 - 50);
  EXPECT_EQ(where.right - where.left, 201) << "the size stays";

  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  TestWindow large;
  HWND largeHandle = large.Create(nullptr, L"", WS_POPUP, 0, false,
                                  RECT{0, 0, work.right - work.left + 300, 200});
  ASSERT_TRUE(largeHandle);
  large.CenterWindow();
  ::GetWindowRect(largeHandle, &where);
  EXPECT_EQ(where.left, work.left) << "a window wider than the work area starts at its left";
  EXPECT_EQ(where.top, (work.top + work.bottom) / 2 - 100);
}

}  // namespace
