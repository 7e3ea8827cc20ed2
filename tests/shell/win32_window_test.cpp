// The top-level window base: class, style, creation scaling, content, theme and close behaviour.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "shell/win32_window.h"
#include "shell/window_theme.h"
#include "tests/shell/test_support.h"
#include "tests/support/message_pump.h"

namespace {

class TestWindow : public Win32Window {
 public:
  bool on_create_result = true;
  int on_create_calls = 0;
  int on_destroy_calls = 0;

 protected:
  bool OnCreate() override {
    ++on_create_calls;
    return on_create_result;
  }
  void OnDestroy() override { ++on_destroy_calls; }
};

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

TEST(Win32Window, CreatesAHiddenFramelessWindowOfTheMainClass) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"fernhold test", {10, 10}, {400, 300}));
  HWND handle = window.GetHandle();
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(window.on_create_calls, 1);
  EXPECT_FALSE(::IsWindowVisible(handle));

  wchar_t class_name[64] = {};
  ::GetClassNameW(handle, class_name, 64);
  EXPECT_STREQ(class_name, kMainWindowClassName);
  EXPECT_EQ(::GetClassLongPtrW(handle, GCL_STYLE), static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW));

  const DWORD style = static_cast<DWORD>(::GetWindowLongPtrW(handle, GWL_STYLE));
  EXPECT_EQ(style & kMainWindowStyle, kMainWindowStyle);
  EXPECT_EQ(style & WS_CAPTION, 0u) << "the window has no caption of its own";
  EXPECT_EQ(::GetWindowLongPtrW(handle, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

  LOGBRUSH brush{};
  ASSERT_NE(::GetObjectW(reinterpret_cast<HBRUSH>(::GetClassLongPtrW(handle, GCLP_HBRBACKGROUND)),
                         sizeof(brush), &brush),
            0);
  EXPECT_EQ(brush.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(brush.lbColor, static_cast<COLORREF>(0x002A170F));

  HICON class_icon = reinterpret_cast<HICON>(::GetClassLongPtrW(handle, GCLP_HICON));
  ASSERT_NE(class_icon, nullptr) << "icon 101 of the executable";
  ICONINFO icon_info{};
  ASSERT_TRUE(::GetIconInfo(class_icon, &icon_info));
  BITMAP icon_bitmap{};
  ::GetObjectW(icon_info.hbmColor, sizeof(icon_bitmap), &icon_bitmap);
  EXPECT_EQ(icon_bitmap.bmWidth, ::GetSystemMetrics(SM_CXICON));
  ::DeleteObject(icon_info.hbmColor);
  ::DeleteObject(icon_info.hbmMask);
  EXPECT_EQ(::GetClassLongPtrW(handle, GCLP_HCURSOR),
            reinterpret_cast<ULONG_PTR>(::LoadCursorW(nullptr, IDC_ARROW)));

  const std::wstring title = WindowText(handle);
  EXPECT_EQ(title, L"fernhold test");
}

TEST(Win32Window, ScalesOriginAndSizeByTheMonitorDpi) {
  struct Case {
    UINT dpi;
    RECT expected;
  };
  // 10,10 1280x720 logical at 100 %, 125 % and 150 %; the last two are larger than the virtual
  // screen, so they are checked on a smaller size with the same scale factors.
  const Case cases[] = {
      {96, {10, 10, 10 + 400, 10 + 300}},
      {120, {12, 12, 12 + 500, 12 + 375}},
      {144, {15, 15, 15 + 600, 15 + 450}},
  };
  for (const Case& c : cases) {
    ScopedDpiOverride dpi(c.dpi);
    TestWindow window;
    ASSERT_TRUE(window.Create(L"dpi", {10, 10}, {400, 300}));
    const RECT rect = WindowRect(window.GetHandle());
    EXPECT_EQ(rect.left, c.expected.left) << c.dpi;
    EXPECT_EQ(rect.top, c.expected.top) << c.dpi;
    EXPECT_EQ(rect.right, c.expected.right) << c.dpi;
    EXPECT_EQ(rect.bottom, c.expected.bottom) << c.dpi;
  }
  {
    // Truncation toward zero, not rounding: 333 * 1.25 = 416.25, 7 * 1.25 = 8.75.
    ScopedDpiOverride dpi(120);
    TestWindow window;
    ASSERT_TRUE(window.Create(L"dpi", {7, 7}, {333, 333}));
    const RECT rect = WindowRect(window.GetHandle());
    EXPECT_EQ(rect.left, 8);
    EXPECT_EQ(rect.right - rect.left, 416);
  }
}

// What CreateWindowExW was asked for, before the system fits the window to the screen (the test
// display is smaller than a 150 % main window).
class CreationRecorder {
 public:
  CreationRecorder() {
    active_ = this;
    hook_ = ::SetWindowsHookExW(WH_CBT, &CreationRecorder::Hook, nullptr, ::GetCurrentThreadId());
  }
  ~CreationRecorder() {
    ::UnhookWindowsHookEx(hook_);
    active_ = nullptr;
  }
  RECT requested() const { return requested_; }

 private:
  static LRESULT CALLBACK Hook(int code, WPARAM wparam, LPARAM lparam) {
    if (code == HCBT_CREATEWND && active_ != nullptr) {
      const CREATESTRUCTW* create = reinterpret_cast<CBT_CREATEWNDW*>(lparam)->lpcs;
      if (create->lpszClass != nullptr && !IS_INTRESOURCE(create->lpszClass) &&
          std::wstring(create->lpszClass) == kMainWindowClassName) {
        active_->requested_ = {create->x, create->y, create->x + create->cx, create->y + create->cy};
      }
    }
    return ::CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static CreationRecorder* active_;
  HHOOK hook_ = nullptr;
  RECT requested_{};
};

CreationRecorder* CreationRecorder::active_ = nullptr;

TEST(Win32Window, MainWindowSizeAt150And125PercentIsAskedForInPhysicalPixels) {
  struct Case {
    UINT dpi;
    RECT expected;
  };
  const Case cases[] = {
      {144, {15, 15, 15 + 1920, 15 + 1080}},
      {120, {12, 12, 12 + 1600, 12 + 900}},
      {96, {10, 10, 10 + 1280, 10 + 720}},
  };
  for (const Case& c : cases) {
    ScopedDpiOverride dpi(c.dpi);
    CreationRecorder recorder;
    TestWindow window;
    ASSERT_TRUE(window.Create(L"fernhold_pc_client", {10, 10}, {1280, 720}));
    const RECT requested = recorder.requested();
    EXPECT_EQ(requested.left, c.expected.left) << c.dpi;
    EXPECT_EQ(requested.top, c.expected.top) << c.dpi;
    EXPECT_EQ(requested.right, c.expected.right) << c.dpi;
    EXPECT_EQ(requested.bottom, c.expected.bottom) << c.dpi;
  }
}

TEST(Win32Window, ShowReportsTheEarlierVisibility) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"show", {10, 10}, {200, 100}));
  EXPECT_FALSE(window.Show());
  EXPECT_TRUE(::IsWindowVisible(window.GetHandle()));
  EXPECT_TRUE(window.Show());
}

TEST(Win32Window, ContentFillsTheClientAreaAndFollowsResizes) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"content", {10, 10}, {420, 260}));
  window.Show();
  HWND content = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(content, nullptr);
  window.SetContent(content);
  EXPECT_EQ(::GetAncestor(content, GA_PARENT), window.GetHandle());
  EXPECT_EQ(::GetFocus(), content);

  auto expect_content_fills_client = [&] {
    const RECT client = window.GetClientArea();
    RECT child{};
    ::GetClientRect(content, &child);
    EXPECT_EQ(child.right, client.right);
    EXPECT_EQ(child.bottom, client.bottom);
    POINT origin{0, 0};
    ::MapWindowPoints(content, window.GetHandle(), &origin, 1);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
  };
  expect_content_fills_client();

  ::SetWindowPos(window.GetHandle(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
  expect_content_fills_client();
  EXPECT_GT(window.GetClientArea().right, 500);
}

TEST(Win32Window, DestroyingPostsQuitOnlyWhenAskedTo) {
  test_support::DrainThreadQueue();
  {
    TestWindow window;
    ASSERT_TRUE(window.Create(L"no quit", {10, 10}, {200, 100}));
    ::DestroyWindow(window.GetHandle());
    EXPECT_EQ(window.GetHandle(), nullptr);
    EXPECT_EQ(window.on_destroy_calls, 1);
    MSG message;
    EXPECT_FALSE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  }
  {
    TestWindow window;
    ASSERT_TRUE(window.Create(L"quit", {10, 10}, {200, 100}));
    window.SetQuitWhenClosed(true);
    ::SendMessageW(window.GetHandle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(window.GetHandle(), nullptr);
    MSG message;
    ASSERT_TRUE(::PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
  }
}

TEST(Win32Window, FailedOnCreateFailsCreate) {
  TestWindow window;
  window.on_create_result = false;
  EXPECT_FALSE(window.Create(L"fails", {10, 10}, {200, 100}));
  EXPECT_EQ(window.on_create_calls, 1);
  // The window that was made stays until the object goes.
  EXPECT_NE(window.GetHandle(), nullptr);
}

TEST(Win32Window, RecreatingReplacesTheEarlierWindow) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"one", {10, 10}, {200, 100}));
  HWND first = window.GetHandle();
  ASSERT_TRUE(window.Create(L"two", {10, 10}, {200, 100}));
  EXPECT_FALSE(::IsWindow(first));
  EXPECT_TRUE(::IsWindow(window.GetHandle()));
}

TEST(Win32Window, ClassIsUnregisteredWithTheLastWindowObject) {
  WNDCLASSEXW info{};
  info.cbSize = sizeof(info);
  auto class_registered = [&] {
    return ::GetClassInfoExW(::GetModuleHandleW(nullptr), kMainWindowClassName, &info) != FALSE;
  };
  auto first = std::make_unique<TestWindow>();
  auto second = std::make_unique<TestWindow>();
  ASSERT_TRUE(first->Create(L"a", {10, 10}, {200, 100}));
  ASSERT_TRUE(second->Create(L"b", {20, 20}, {200, 100}));
  EXPECT_TRUE(class_registered());
  first.reset();
  EXPECT_TRUE(class_registered());
  second.reset();
  EXPECT_FALSE(class_registered());

  // And it comes back for the next window.
  TestWindow third;
  EXPECT_TRUE(third.Create(L"c", {10, 10}, {200, 100}));
  EXPECT_TRUE(class_registered());
}

TEST(Win32Window, MovesToTheRectangleSuggestedOnDpiChange) {
  TestWindow window;
  ASSERT_TRUE(window.Create(L"dpi change", {10, 10}, {200, 100}));
  RECT suggested{30, 40, 30 + 300, 40 + 150};
  EXPECT_EQ(::SendMessageW(window.GetHandle(), WM_DPICHANGED, MAKEWPARAM(144, 144),
                           reinterpret_cast<LPARAM>(&suggested)),
            0);
  const RECT rect = WindowRect(window.GetHandle());
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.top, 40);
  EXPECT_EQ(rect.right, 330);
  EXPECT_EQ(rect.bottom, 190);
}

// Title-bar theme: the registry value is set in a private registry tree that stands in for
// HKEY_CURRENT_USER in this process only, and the DWM call is observed through the hook.
class Win32WindowTheme : public ::testing::Test {
 protected:
  struct Call {
    HWND window;
    DWORD attribute;
    BOOL value;
    DWORD size;
  };

  void SetUp() override {
    calls_ = &recorded_;
    previous_ = SetWindowAttributeFunctionForTesting(&Record);
  }
  void TearDown() override {
    SetWindowAttributeFunctionForTesting(previous_);
    calls_ = nullptr;
  }

  static HRESULT WINAPI Record(HWND window, DWORD attribute, LPCVOID value, DWORD size) {
    calls_->push_back({window, attribute, size == sizeof(BOOL) ? *static_cast<const BOOL*>(value) : -1,
                       size});
    return S_OK;
  }

  ScopedCurrentUserOverride current_user_;
  std::vector<Call> recorded_;
  SetWindowAttributeFunction previous_ = nullptr;
  static std::vector<Call>* calls_;
};

std::vector<Win32WindowTheme::Call>* Win32WindowTheme::calls_ = nullptr;

TEST_F(Win32WindowTheme, DarkTitleExactlyWhenAppsUseLightThemeIsZero) {
  current_user_.SetAppsUseLightTheme(0);
  TestWindow dark;
  ASSERT_TRUE(dark.Create(L"dark", {10, 10}, {200, 100}));
  ASSERT_EQ(recorded_.size(), 1u);
  EXPECT_EQ(recorded_[0].window, dark.GetHandle());
  EXPECT_EQ(recorded_[0].attribute, 20u);
  EXPECT_EQ(recorded_[0].size, 4u);
  EXPECT_EQ(recorded_[0].value, TRUE);

  current_user_.SetAppsUseLightTheme(1);
  TestWindow light;
  ASSERT_TRUE(light.Create(L"light", {10, 10}, {200, 100}));
  ASSERT_EQ(recorded_.size(), 2u);
  EXPECT_EQ(recorded_[1].value, FALSE);
}

TEST_F(Win32WindowTheme, UnreadableValueLeavesTheTitleAlone) {
  TestWindow missing;
  ASSERT_TRUE(missing.Create(L"missing", {10, 10}, {200, 100}));
  current_user_.SetAppsUseLightThemeString(L"0");
  TestWindow wrong_type;
  ASSERT_TRUE(wrong_type.Create(L"wrong type", {10, 10}, {200, 100}));
  EXPECT_TRUE(recorded_.empty());
}

TEST_F(Win32WindowTheme, ColourChangeNotificationRereadsTheTheme) {
  current_user_.SetAppsUseLightTheme(1);
  TestWindow window;
  ASSERT_TRUE(window.Create(L"switch", {10, 10}, {200, 100}));
  ASSERT_EQ(recorded_.size(), 1u);
  EXPECT_EQ(recorded_[0].value, FALSE);

  current_user_.SetAppsUseLightTheme(0);
  EXPECT_EQ(::SendMessageW(window.GetHandle(), WM_DWMCOLORIZATIONCOLORCHANGED, 0, 0), 0);
  ASSERT_EQ(recorded_.size(), 2u);
  EXPECT_EQ(recorded_[1].window, window.GetHandle());
  EXPECT_EQ(recorded_[1].value, TRUE);
}

}  // namespace
