// The on-screen keyboard manager's decisions, through a fake of the system calls on a clock the
// test drives, and the real system calls that can run here (there is no touch keyboard: a window
// of the keyboard's class stands in for it).
#include <gtest/gtest.h>

#include <objbase.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/on_screen_keyboard_manager.h"

namespace {

using ui::OnScreenKeyboardManager;
using ui::TouchKeyboardSystem;

// What the fake system saw; shared so it outlives a manager under test.
struct SystemLog {
  std::vector<HWND> closed;
  int toggles = 0;
  std::vector<std::wstring> opened;
};

class FakeSystem : public TouchKeyboardSystem {
 public:
  explicit FakeSystem(std::shared_ptr<SystemLog> log) : log_(std::move(log)) {}

  bool IsSupported() override { return supported; }
  HWND FindKeyboardWindow() override { return keyboardWindow; }
  LONG_PTR GetWindowStyle(HWND) override { return style; }
  void CloseKeyboardWindow(HWND window) override { log_->closed.push_back(window); }
  bool ToggleThroughObject() override {
    if (!hasToggleObject) return false;
    ++log_->toggles;
    return true;
  }
  bool GetEnvironment(const wchar_t* name, std::wstring* value) override {
    if (std::wstring(name) != L"CommonProgramW6432" || commonFiles.empty()) return false;
    *value = commonFiles;
    return true;
  }
  void OpenProgram(const std::wstring& path) override { log_->opened.push_back(path); }

  bool supported = true;
  HWND keyboardWindow = nullptr;
  LONG_PTR style = 0;
  bool hasToggleObject = true;
  std::wstring commonFiles;

 private:
  std::shared_ptr<SystemLog> log_;
};

const HWND kKeyboard = reinterpret_cast<HWND>(0x1234);

class OnScreenKeyboardTest : public ::testing::Test {
 protected:
  OnScreenKeyboardTest()
      : log_(std::make_shared<SystemLog>()), system_(new FakeSystem(log_)),
        manager_(std::make_unique<OnScreenKeyboardManager>(
            std::unique_ptr<TouchKeyboardSystem>(system_))) {}

  void KeyboardShown() {
    system_->keyboardWindow = kKeyboard;
    system_->style = WS_VISIBLE | WS_POPUP;
  }
  // Lets the requests' updates run.
  bool Settle() { return uitest::AdvanceClock(clock_, 20); }

  ui::ManualClock clock_;
  std::shared_ptr<SystemLog> log_;
  FakeSystem* system_;  // Owned by manager_.
  std::unique_ptr<OnScreenKeyboardManager> manager_;
};

TEST_F(OnScreenKeyboardTest, AskingForTheStateOnScreenDoesNothing) {
  manager_->ShowKeyboard(false);  // Hidden, and no window at all.
  ASSERT_TRUE(Settle());
  KeyboardShown();
  manager_->ShowKeyboard(true);
  ASSERT_TRUE(Settle());
  system_->style = WS_POPUP;  // The window is there but hidden.
  manager_->ShowKeyboard(false);
  ASSERT_TRUE(Settle());
  EXPECT_TRUE(log_->closed.empty());
  EXPECT_EQ(log_->toggles, 0);
  EXPECT_TRUE(log_->opened.empty());
}

TEST_F(OnScreenKeyboardTest, ARequestIsAppliedTenMillisecondsLater) {
  manager_->ShowKeyboard(true);
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 5));
  EXPECT_EQ(log_->toggles, 0);
  ASSERT_TRUE(uitest::AdvanceClock(clock_, 6));
  EXPECT_EQ(log_->toggles, 1);
}

TEST_F(OnScreenKeyboardTest, AShownKeyboardThatShouldGoIsClosed) {
  KeyboardShown();
  manager_->ShowKeyboard(false);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(log_->closed, std::vector<HWND>{kKeyboard});

  log_->closed.clear();
  system_->style = WS_VISIBLE | WS_DISABLED;  // A disabled keyboard counts as hidden.
  manager_->ShowKeyboard(false);
  ASSERT_TRUE(Settle());
  EXPECT_TRUE(log_->closed.empty());
  manager_->ShowKeyboard(true);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(log_->toggles, 1);
}

TEST_F(OnScreenKeyboardTest, RequestsWithinTheDelayApplyTheLastWantedState) {
  manager_->ShowKeyboard(true);
  manager_->ShowKeyboard(false);  // Focus moved on at once: the keyboard never comes.
  ASSERT_TRUE(Settle());
  EXPECT_EQ(log_->toggles, 0);
  EXPECT_TRUE(log_->opened.empty());
}

TEST_F(OnScreenKeyboardTest, WithoutTheToggleObjectTheProgramIsStarted) {
  system_->hasToggleObject = false;
  system_->commonFiles = L"D:\\Common";
  manager_->ShowKeyboard(true);
  ASSERT_TRUE(Settle());
  system_->commonFiles.clear();
  manager_->ShowKeyboard(true);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(log_->opened,
            (std::vector<std::wstring>{
                L"D:\\Common\\microsoft shared\\ink\\TabTip.exe",
                L"C:\\Program Files\\Common Files\\microsoft shared\\ink\\TabTip.exe"}));
}

TEST_F(OnScreenKeyboardTest, BeforeWindows8AndAfterTheManagerNothingHappens) {
  system_->supported = false;
  manager_->ShowKeyboard(true);
  ASSERT_TRUE(Settle());
  EXPECT_EQ(log_->toggles, 0);

  system_->supported = true;
  manager_->ShowKeyboard(true);
  manager_.reset();  // The pending update is bound to the manager.
  ASSERT_TRUE(Settle());
  EXPECT_EQ(log_->toggles, 0);
}

// The real calls: a window of the keyboard's class is found, read and closed; the toggle object
// does not exist here.
LRESULT CALLBACK KeyboardStandInProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_CLOSE) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 1);
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

// Whether the system says it is Windows 8 (6.2) or later, read from the system's own record.
bool SystemIsWindows8OrLater() {
  using GetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto getVersion = reinterpret_cast<GetVersionFn>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  if (!getVersion || getVersion(&info) != 0) return false;
  return info.dwMajorVersion > 6 || (info.dwMajorVersion == 6 && info.dwMinorVersion >= 2);
}

TEST(TouchKeyboardSystemTest, TheRealCallsFindReadAndCloseTheKeyboardWindow) {
  std::unique_ptr<TouchKeyboardSystem> system = TouchKeyboardSystem::Create();
  // Supported exactly where the system has a touch keyboard, whichever version runs this.
  EXPECT_EQ(system->IsSupported(), SystemIsWindows8OrLater());
  EXPECT_EQ(system->FindKeyboardWindow(), nullptr);

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = KeyboardStandInProc;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.lpszClassName = TouchKeyboardSystem::kKeyboardWindowClass;
  ::RegisterClassW(&windowClass);
  const HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                                        TouchKeyboardSystem::kKeyboardWindowClass, L"", WS_POPUP,
                                        0, 0, 50, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  ::ShowWindow(window, SW_SHOWNOACTIVATE);
  EXPECT_EQ(system->FindKeyboardWindow(), window);
  EXPECT_TRUE(system->GetWindowStyle(window) & WS_VISIBLE);

  // Posted, so it arrives with the next pumped messages.
  system->CloseKeyboardWindow(window);
  EXPECT_TRUE(uitest::PumpUntil(
      [window] { return ::GetWindowLongPtrW(window, GWLP_USERDATA) == 1; }, 30000));
  ::DestroyWindow(window);
  ::UnregisterClassW(TouchKeyboardSystem::kKeyboardWindowClass, ::GetModuleHandleW(nullptr));

  ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  EXPECT_FALSE(system->ToggleThroughObject());
  ::CoUninitialize();

  std::wstring value;
  ::SetEnvironmentVariableW(L"FERNHOLD_KEYBOARD_TEST", L"C:\\Some Folder");
  ASSERT_TRUE(system->GetEnvironment(L"FERNHOLD_KEYBOARD_TEST", &value));
  EXPECT_EQ(value, L"C:\\Some Folder");  // Without the terminator.
  ::SetEnvironmentVariableW(L"FERNHOLD_KEYBOARD_TEST", nullptr);
  EXPECT_FALSE(system->GetEnvironment(L"FERNHOLD_KEYBOARD_TEST", &value));
}

}  // namespace
