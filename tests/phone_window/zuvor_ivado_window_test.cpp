// The pop-out phone window driven by real input on its own display (Xvfb): every toolbar button
// and the quality combo reach the callbacks, keys, clipboard and pictures reach them once, the
// wheel becomes a swipe, and the window keeps its shape when turned, pinned and sized.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cwchar>
#include <fstream>
#include <future>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "phone_window/dui_video_view.h"
#include "phone_window/phone_window_factory.h"
#include "phone_window/window_thread_pool.h"
#include "phone_window/window_pin.h"
#include "phone_window/zuvor_ivado_window.h"
#include "tests/phone_window/phone_window_test_support.h"
#include "tests/support/system_clipboard.h"
#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/controls/combo.h"
#include "ui/controls/combo_window.h"
#include "ui/core/global_manager.h"
#include "ui/core/window_impl_base.h"

namespace {

using phonetest::OpenWindow;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// Chooses a fixed file instead of showing the dialog.
class FixedPictureDialog : public picture_file::PictureDialog {
 public:
  explicit FixedPictureDialog(std::wstring path) : path_(std::move(path)) {}
  std::wstring ChooseFile(HWND) override {
    ++asked;
    return path_;
  }
  std::atomic<int> asked{0};

 private:
  std::wstring path_;
};

class ZuvorIvadoWindowTest : public ::testing::Test {
 protected:
  void Open(int theme = 1) {
    window_ = std::make_unique<OpenWindow>(theme, "Phone under test");
    ASSERT_NE(window_->window(), nullptr);
    ASSERT_TRUE(phonetest::WaitUntil([&] { return ::IsWindowVisible(window_->hwnd()) != 0; }));
  }
  // Clicks the named control and waits for `line` in the log.
  bool ClickAndWait(const std::wstring& name, const std::string& line, int times = 1) {
    phonetest::ClickControl(window_->window(), name);
    return window_->log().WaitFor(line, times);
  }
  // Gives the window the keyboard with a click on its video (a touch). (A click on the caption
  // would start the system's move loop.)
  void Focus() {
    const int ups = window_->log().Count("touch 1 1");
    phonetest::ClickCentre(window_->VideoScreenRect());
    ASSERT_TRUE(window_->log().WaitFor("touch 1 1", ups + 1));
    ASSERT_TRUE(phonetest::WaitUntil([&] { return ::GetForegroundWindow() == window_->hwnd(); }));
  }

  std::unique_ptr<OpenWindow> window_;
};

TEST_F(ZuvorIvadoWindowTest, EveryToolbarButtonReachesItsCallback) {
  uitest::TempDir folder;
  const std::wstring picture = folder.File(L"picture.png");
  const std::string bytes = "\x89PNG\r\n\x1a\n fake picture bytes";
  ASSERT_TRUE(uitest::WriteFileBytes(picture, bytes));
  FixedPictureDialog dialog(picture);
  Open();
  window_->window()->SetInputSources(nullptr, &dialog);

  const struct {
    const wchar_t* name;
    const char* line;
  } plain[] = {{L"btn_back", "back"},           {L"btn_home", "home"},
               {L"btn_menu", "menu"},           {L"btn_screenshot", "screenshot"},
               {L"btn_camera", "camera"},       {L"btn_volume_up", "volume up"},
               {L"btn_volume_down", "volume down"}, {L"btn_restart", "restart"}};
  for (const auto& button : plain) {
    EXPECT_TRUE(ClickAndWait(button.name, button.line)) << button.line;
  }

  // The quality button steps through the four levels, shared by every window.
  EXPECT_TRUE(ClickAndWait(L"btn_quality", "quality 1"));
  EXPECT_TRUE(ClickAndWait(L"btn_quality", "quality 2"));

  // The picture button sends the chosen file's bytes.
  EXPECT_TRUE(ClickAndWait(L"btn_qrcode", "picture " + std::to_string(bytes.size())));
  const std::vector<char> sent = window_->log().LastPicture();
  EXPECT_EQ(std::string(sent.begin(), sent.end()), bytes);

  // A file that cannot be read sends nothing.
  FixedPictureDialog missing(folder.File(L"missing.png"));
  window_->window()->SetInputSources(nullptr, &missing);
  const int pictures = window_->log().Count("picture " + std::to_string(bytes.size()));
  const size_t lines = window_->log().Size();
  phonetest::ClickControl(window_->window(), L"btn_qrcode");
  ASSERT_TRUE(phonetest::WaitUntil([&] { return missing.asked.load() == 1; }));
  window_->RunOnWindowThread([] {});  // the click's handling is over
  EXPECT_EQ(window_->log().Size(), lines);
  EXPECT_EQ(window_->log().Count("picture " + std::to_string(bytes.size())), pictures);

  // The keyboard button turns the keyboard mode off.
  EXPECT_TRUE(window_->window()->IsKeyboardMode());
  EXPECT_TRUE(ClickAndWait(L"btn_keyboard", "keyboard"));
  EXPECT_FALSE(window_->window()->IsKeyboardMode());

  // The pin button makes the window topmost, and a second click undoes it.
  phonetest::ClickControl(window_->window(), L"btn_pin");
  EXPECT_TRUE(phonetest::WaitUntil([&] { return window_pin::IsTopmost(window_->hwnd()); }));
  EXPECT_TRUE(window_->window()->IsPinned());
  phonetest::ClickControl(window_->window(), L"btn_pin");
  EXPECT_TRUE(phonetest::WaitUntil([&] { return !window_pin::IsTopmost(window_->hwnd()); }));
  EXPECT_FALSE(window_->window()->IsPinned());

  // The quality combo: its third row (standard definition) is level 2 again.
  phonetest::ClickControl(window_->window(), L"combo_pic_quality");
  HWND popup = nullptr;
  ASSERT_TRUE(phonetest::WaitUntil([&] {
    window_->RunOnWindowThread([&] {
      auto* combo = dynamic_cast<ui::Combo*>(window_->window()->FindControl(L"combo_pic_quality"));
      popup = combo && combo->GetComboWnd() ? combo->GetComboWnd()->GetHWND() : nullptr;
    });
    return popup && ::IsWindowVisible(popup);
  }));
  RECT list = {0, 0, 0, 0};
  ::GetWindowRect(popup, &list);
  const int row = Height(list) / 4;
  phonetest::ClickCentre(RECT{list.left, list.top + 2 * row, list.right, list.top + 3 * row});
  EXPECT_TRUE(window_->log().WaitFor("quality 2", 2));

  // The rotation button last: the turned window has room for fewer buttons.
  EXPECT_TRUE(ClickAndWait(L"btn_rotation", "rotation 2"));
  EXPECT_EQ(window_->window()->GetRotation(), 2);
  // Turned and laid out again: the video is wider than high.
  ASSERT_TRUE(phonetest::WaitUntil([&] {
    const RECT video = window_->VideoScreenRect();
    return Width(video) > Height(video);
  }));
  EXPECT_TRUE(ClickAndWait(L"btn_rotation", "rotation 1"));
  EXPECT_EQ(window_->window()->GetRotation(), 1);
}

// Every toolbar button lies inside the window where the user sees it, and a click on it reaches
// its callback; the rotation button is clicked last.
void ClickEveryToolbarButton(OpenWindow& window) {
  FixedPictureDialog none(L"");
  window.window()->SetInputSources(nullptr, &none);
  RECT visible = {0, 0, 0, 0};
  window.RunOnWindowThread([&] {
    const RECT shadow = window.window()->GetShadowCorner();
    ::GetClientRect(window.hwnd(), &visible);
    visible = RECT{visible.left + shadow.left, visible.top + shadow.top,
                   visible.right - shadow.right, visible.bottom - shadow.bottom};
  });
  POINT origin = {0, 0};
  ::ClientToScreen(window.hwnd(), &origin);
  ::OffsetRect(&visible, origin.x, origin.y);
  const struct {
    const wchar_t* name;
    const char* line;
  } buttons[] = {{L"btn_back", "back"},       {L"btn_home", "home"},
                 {L"btn_menu", "menu"},       {L"btn_volume_up", "volume up"},
                 {L"btn_volume_down", "volume down"}, {L"btn_keyboard", "keyboard"},
                 {L"btn_screenshot", "screenshot"},   {L"btn_camera", "camera"},
                 {L"btn_qrcode", nullptr},    {L"btn_quality", nullptr},
                 {L"btn_restart", "restart"}, {L"btn_rotation", nullptr}};
  for (const auto& button : buttons) {
    const std::string name(button.name, button.name + std::wcslen(button.name));
    // Once the window has laid itself out for its size.
    ASSERT_TRUE(phonetest::WaitUntil([&] {
      const RECT rect = window.ScreenRectOf(button.name);
      RECT inside = {0, 0, 0, 0};
      return ::IntersectRect(&inside, &rect, &visible) && ::EqualRect(&inside, &rect);
    })) << name << " lies outside the window";
    const size_t lines = window.log().Size();
    const int asked = none.asked.load();
    phonetest::ClickControl(window.window(), button.name);
    if (button.line) {
      EXPECT_TRUE(window.log().WaitFor(button.line, window.log().Count(button.line) + 1))
          << button.line;
    } else if (std::wstring(button.name) == L"btn_qrcode") {
      EXPECT_TRUE(phonetest::WaitUntil([&] { return none.asked.load() == asked + 1; }));
    } else {
      EXPECT_TRUE(phonetest::WaitUntil([&] { return window.log().Size() > lines; })) << name;
    }
  }
}

TEST_F(ZuvorIvadoWindowTest, EveryToolbarButtonIsReachableInATiledAndInALandscapeWindow) {
  Open();
  // Tiled: the smallest window.
  int width = 0, height = 0;
  ASSERT_TRUE(window_->window()->GetTileSize(&width, &height));
  window_->RunOnWindowThread([&] {
    ::SetWindowPos(window_->hwnd(), nullptr, 0, 0, width, height,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  });
  ClickEveryToolbarButton(*window_);
  // The rotation button turned it: a landscape window (and the turned tiled one of the same
  // size). Then the landscape window of the usual size.
  ASSERT_TRUE(phonetest::WaitUntil([&] { return window_->window()->GetRotation() == 2; }));
  ClickEveryToolbarButton(*window_);
  ASSERT_TRUE(phonetest::WaitUntil([&] { return window_->window()->GetRotation() == 1; }));
  window_->RunOnWindowThread([&] {
    ::SetWindowPos(window_->hwnd(), nullptr, 0, 0, 450, 720,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    window_->window()->ApplyRotation(2);
  });
  ClickEveryToolbarButton(*window_);
}

TEST_F(ZuvorIvadoWindowTest, TheWholeTitleShowsAsTheTooltipOfTheCaption) {
  Open();
  const RECT title = window_->ScreenRectOf(L"lb_title");
  const POINT at = {title.left + 10, (title.top + title.bottom) / 2};
  // The caption still drags the window; resting on the title shows it whole.
  EXPECT_EQ(::SendMessageW(window_->hwnd(), WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y)), HTCAPTION);
  phonetest::MovePointer(at);
  EXPECT_TRUE(phonetest::WaitUntil([&] {
    HWND tip = ::FindWindowW(L"tooltips_class32", nullptr);
    wchar_t text[64] = {};
    TOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.hwnd = window_->hwnd();
    tool.uId = reinterpret_cast<UINT_PTR>(window_->hwnd());
    tool.lpszText = text;
    if (tip) ::SendMessageW(tip, TTM_GETTEXTW, 64, reinterpret_cast<LPARAM>(&tool));
    return tip && ::IsWindowVisible(tip) && std::wstring(text) == L"Phone under test";
  }));
  phonetest::ParkPointer();
}

TEST_F(ZuvorIvadoWindowTest, KeysTextClipboardReachTheCallbacksOnce) {
  Open();
  Focus();
  phonetest::CallbackLog& log = window_->log();

  size_t mark = log.Size();
  phonetest::PressKey('A');
  ASSERT_TRUE(log.WaitFor("text 61 len 2"));
  phonetest::PressKey(VK_RETURN);
  ASSERT_TRUE(log.WaitFor("key 3 28"));
  phonetest::PressKey(VK_SPACE);
  ASSERT_TRUE(log.WaitFor("key 3 57"));
  phonetest::PressKey(VK_LEFT);
  ASSERT_TRUE(log.WaitFor("key 3 105"));
  phonetest::PressKey(VK_BACK);
  ASSERT_TRUE(log.WaitFor("key 3 14"));
  // A character outside the Basic Multilingual Plane goes as one code point (U+1F600).
  phonetest::TypeUnicode(L"\U0001F600");
  ASSERT_TRUE(log.WaitFor("text f09f9880 len 5"));
  // Enter and Space went once: as keys, not again as text.
  EXPECT_EQ(log.LinesFrom(mark),
            (std::vector<std::string>{"text 61 len 2", "key 3 28", "key 3 57", "key 3 105",
                                      "key 3 14", "text f09f9880 len 5"}));

  mark = log.Size();
  phonetest::PressWithCtrl('A');
  ASSERT_TRUE(log.WaitFor("key 2 29"));
  phonetest::PressWithCtrl('C');
  ASSERT_TRUE(log.WaitFor("key 2 29", 2));
  ASSERT_TRUE(test_support::PutClipboardText(L"h\u00e9llo"));
  phonetest::PressWithCtrl('V');
  ASSERT_TRUE(log.WaitFor("paste h\xc3\xa9llo"));
  // A later marker: nothing else (no control character as text) came before it.
  phonetest::PressKey('B');
  ASSERT_TRUE(log.WaitFor("text 62 len 2"));
  EXPECT_EQ(log.LinesFrom(mark),
            (std::vector<std::string>{"key 1 29", "key 1 30", "key 2 30", "key 2 29", "key 1 29",
                                      "key 1 46", "key 2 46", "key 2 29", "paste h\xc3\xa9llo",
                                      "text 62 len 2"}));

  // Keyboard mode off: letters go nowhere, Ctrl+A still does.
  phonetest::ClickControl(window_->window(), L"btn_keyboard");
  ASSERT_TRUE(log.WaitFor("keyboard"));
  Focus();
  mark = log.Size();
  phonetest::PressKey('A');
  phonetest::PressWithCtrl('A');
  ASSERT_TRUE(log.WaitFor("key 2 29", 3));
  EXPECT_EQ(log.LinesFrom(mark),
            (std::vector<std::string>{"key 1 29", "key 1 30", "key 2 30", "key 2 29"}));
}

TEST_F(ZuvorIvadoWindowTest, WheelAndMouseBecomeTouches) {
  Open();
  window_->Play();
  phonetest::CallbackLog& log = window_->log();
  const RECT video = window_->VideoScreenRect();
  const POINT centre = {(video.left + video.right) / 2, (video.top + video.bottom) / 2};

  phonetest::Wheel(centre, false);
  ASSERT_TRUE(log.WaitFor("touch 1 1"));
  EXPECT_EQ(log.Count("touch 0 1"), 1);
  EXPECT_EQ(log.Count("touch 2 1"), 8);

  phonetest::ClickCentre(video);
  ASSERT_TRUE(log.WaitFor("touch 1 1", 2));
  EXPECT_EQ(log.Count("touch 0 1"), 2);
  // The touches reached the phone too: two downs and two ups.
  const std::vector<std::string> touches = window_->rig()->Touches();
  int downs = 0, ups = 0;
  for (const std::string& t : touches) {
    downs += t.rfind("onTouchEvent(0,", 0) == 0;
    ups += t.rfind("onTouchEvent(1,", 0) == 0;
  }
  EXPECT_EQ(downs, 2);
  EXPECT_EQ(ups, 2);
}

TEST_F(ZuvorIvadoWindowTest, RotationAndBackKeepsTheClientSize) {
  Open();
  const SIZE before = window_->ClientSize();
  const RECT windowBefore = window_->WindowRect();
  ASSERT_GT(before.cy, before.cx);

  window_->window()->PostRotation(2);
  // The video turned (once laid out again); the chrome around it did not.
  ASSERT_TRUE(phonetest::WaitUntil([&] {
    const RECT video = window_->VideoScreenRect();
    return window_->ClientSize().cx > before.cx && Width(video) > Height(video);
  }));
  const SIZE turned = window_->ClientSize();
  EXPECT_GT(turned.cx, turned.cy);
  EXPECT_NEAR(window_->window()->GetAspectRatio(), double(turned.cx) / turned.cy, 1e-9);

  window_->window()->PostRotation(1);
  ASSERT_TRUE(phonetest::WaitUntil([&] { return window_->ClientSize().cy > turned.cy; }));
  EXPECT_EQ(window_->ClientSize().cx, before.cx);
  EXPECT_EQ(window_->ClientSize().cy, before.cy);
  EXPECT_EQ(Width(window_->WindowRect()), Width(windowBefore));
  EXPECT_EQ(Height(window_->WindowRect()), Height(windowBefore));

  // Turned and back at once, with no paint (and so no layout) in between: the same size again.
  window_->RunOnWindowThread([&] {
    window_->window()->ApplyRotation(2);
    window_->window()->ApplyRotation(1);
  });
  EXPECT_EQ(window_->ClientSize().cx, before.cx);
  EXPECT_EQ(window_->ClientSize().cy, before.cy);
}

TEST_F(ZuvorIvadoWindowTest, RotationWhileMinimisedTurnsTheRestoredWindow) {
  Open();
  const SIZE before = window_->ClientSize();
  window_->RunOnWindowThread([&] { ::ShowWindow(window_->hwnd(), SW_MINIMIZE); });
  ASSERT_TRUE(::IsIconic(window_->hwnd()));
  window_->RunOnWindowThread([&] { window_->window()->ApplyRotation(2); });
  window_->RunOnWindowThread([&] { ::ShowWindow(window_->hwnd(), SW_RESTORE); });
  // Turned as a window that was not minimised turns: the portrait client on its side, the chrome
  // kept.
  ASSERT_TRUE(phonetest::WaitUntil([&] { return window_->ClientSize().cx > before.cx; }));
  const SIZE turned = window_->ClientSize();
  EXPECT_GT(turned.cx, turned.cy);
  EXPECT_LT(turned.cy, before.cy);
  EXPECT_NEAR(window_->window()->GetAspectRatio(), double(turned.cx) / turned.cy, 1e-9);
}

TEST_F(ZuvorIvadoWindowTest, PinFromTheSessionSetsTopmost) {
  Open();
  window_->window()->SetPinned(true);
  EXPECT_TRUE(window_->window()->IsPinned());
  EXPECT_TRUE(phonetest::WaitUntil([&] { return window_pin::IsTopmost(window_->hwnd()); }));
  window_->window()->SetPinned(false);
  EXPECT_TRUE(phonetest::WaitUntil([&] { return !window_pin::IsTopmost(window_->hwnd()); }));
}

TEST_F(ZuvorIvadoWindowTest, EdgeDraggingKeepsTheAspectAndTheMinimum) {
  Open();
  const RECT start = window_->WindowRect();
  const double aspect = window_->window()->GetAspectRatio();
  ASSERT_NEAR(aspect, double(Width(start)) / Height(start), 1e-9);

  // The right edge 100 pixels out: the height follows.
  RECT proposed = start;
  proposed.right += 100;
  ASSERT_EQ(::SendMessageW(window_->hwnd(), WM_SIZING, WMSZ_RIGHT,
                           reinterpret_cast<LPARAM>(&proposed)),
            1);
  EXPECT_EQ(Width(proposed), Width(start) + 100);
  EXPECT_EQ(Height(proposed), static_cast<int>((Width(start) + 100) / aspect));
  EXPECT_EQ(proposed.left, start.left);
  EXPECT_EQ(proposed.top, start.top);

  // The left edge dragged far right stops at the minimum, with the right edge in place.
  const int minimumWidth = 0 + 254;  // the skinned window's client covers all of it
  proposed = start;
  proposed.left = start.right - 50;
  ::SendMessageW(window_->hwnd(), WM_SIZING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&proposed));
  EXPECT_EQ(proposed.right, start.right);
  EXPECT_EQ(Width(proposed), minimumWidth);
  EXPECT_EQ(Height(proposed), static_cast<int>(minimumWidth / aspect));

  // The top-left corner dragged off the screen's left and top is clamped the same way.
  proposed = start;
  proposed.left = start.right - 60;
  proposed.top = start.bottom - 40;
  ::SendMessageW(window_->hwnd(), WM_SIZING, WMSZ_TOPLEFT, reinterpret_cast<LPARAM>(&proposed));
  EXPECT_EQ(proposed.right, start.right);
  EXPECT_EQ(proposed.bottom, start.bottom);
  EXPECT_EQ(Width(proposed), minimumWidth);

  // The tiling size is the minimum one.
  int width = 0, height = 0;
  ASSERT_TRUE(window_->window()->GetTileSize(&width, &height));
  EXPECT_EQ(width, minimumWidth);
  EXPECT_EQ(height, static_cast<int>(minimumWidth / aspect));
}

TEST_F(ZuvorIvadoWindowTest, DraggingTheRightEdgeWithTheMouseKeepsTheAspect) {
  Open();
  const RECT start = window_->WindowRect();
  const double aspect = window_->window()->GetAspectRatio();
  // Inside the resize band on the right, beside the toolbar.
  POINT at = {start.right - 15, (start.top + start.bottom) / 2};
  phonetest::MovePointer(at);
  INPUT press = {};
  press.type = INPUT_MOUSE;
  press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  ::SendInput(1, &press, sizeof(press));
  for (int step = 1; step <= 6; ++step) {
    phonetest::MovePointer(POINT{at.x + 10 * step, at.y});
  }
  press.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(1, &press, sizeof(press));
  // Wider, and as much higher as the aspect asks (the system's size loop may not follow every
  // step of the pointer).
  RECT end = {};
  ASSERT_TRUE(phonetest::WaitUntil([&] {
    end = window_->WindowRect();
    return Width(end) > Width(start) && Height(end) == static_cast<int>(Width(end) / aspect);
  })) << Width(end) << "x" << Height(end);
  EXPECT_EQ(end.left, start.left);
  EXPECT_EQ(end.top, start.top);
}

TEST_F(ZuvorIvadoWindowTest, HitTestZones) {
  Open();
  const SIZE client = window_->ClientSize();
  POINT origin = {0, 0};
  ::ClientToScreen(window_->hwnd(), &origin);
  auto hit = [&](int x, int y) {
    return ::SendMessageW(window_->hwnd(), WM_NCHITTEST, 0,
                          MAKELPARAM(origin.x + x, origin.y + y));
  };
  const int w = client.cx, h = client.cy;
  // A 16-pixel resize band around the client: corners first, then the sides.
  EXPECT_EQ(hit(2, 2), HTTOPLEFT);
  EXPECT_EQ(hit(w - 3, 2), HTTOPRIGHT);
  EXPECT_EQ(hit(2, h - 3), HTBOTTOMLEFT);
  EXPECT_EQ(hit(w - 3, h - 3), HTBOTTOMRIGHT);
  EXPECT_EQ(hit(2, h / 2), HTLEFT);
  EXPECT_EQ(hit(w - 3, h / 2), HTRIGHT);
  EXPECT_EQ(hit(w / 2, 2), HTTOP);
  EXPECT_EQ(hit(w / 2, h - 3), HTBOTTOM);
  // The video is touched, the title drags the window, the caption's right end (quality combo,
  // pin, minimise, close) and the toolbar are clicked.
  auto centreOf = [&](const wchar_t* name) {
    RECT rect = window_->ScreenRectOf(name);
    return POINT{(rect.left + rect.right) / 2 - origin.x, (rect.top + rect.bottom) / 2 - origin.y};
  };
  const POINT video = centreOf(L"video_view");
  EXPECT_EQ(hit(video.x, video.y), HTCLIENT);
  const POINT title = centreOf(L"lb_title");
  EXPECT_EQ(hit(title.x, title.y), HTCAPTION);
  const POINT combo = centreOf(L"combo_pic_quality");
  EXPECT_EQ(hit(combo.x, 30), HTCLIENT);
  EXPECT_EQ(hit(w - 30, 30), HTCLIENT);
  const POINT back = centreOf(L"btn_back");
  EXPECT_EQ(hit(back.x, back.y), HTCLIENT);
}

TEST_F(ZuvorIvadoWindowTest, AnInteractiveMoveOrSizeMarksTheVideoAsResizing) {
  Open();
  bool resizing = false;
  auto read = [&] {
    window_->RunOnWindowThread([&] { resizing = window_->window()->GetVideoView()->IsResizing(); });
    return resizing;
  };
  ::SendMessageW(window_->hwnd(), WM_ENTERSIZEMOVE, 0, 0);
  EXPECT_TRUE(read());
  ::SendMessageW(window_->hwnd(), WM_EXITSIZEMOVE, 0, 0);
  EXPECT_FALSE(read());
}

TEST_F(ZuvorIvadoWindowTest, ThePointerOverTheWindowGivesItTheFocus) {
  Open();
  phonetest::ParkPointer();
  HWND focus = nullptr;
  window_->RunOnWindowThread([&] { ::SetFocus(nullptr); });
  const RECT video = window_->VideoScreenRect();
  phonetest::MovePointer(POINT{(video.left + video.right) / 2, video.top + 40});
  EXPECT_TRUE(phonetest::WaitUntil([&] {
    window_->RunOnWindowThread([&] { focus = ::GetFocus(); });
    return focus == window_->hwnd();
  }));
}

TEST_F(ZuvorIvadoWindowTest, CloseCallsTheCloseCallbackOnce) {
  Open();
  HWND hwnd = window_->hwnd();
  window_->window()->Close();
  window_->window()->Close();
  ASSERT_TRUE(window_->log().WaitFor("close"));
  ASSERT_TRUE(phonetest::WaitUntil([&] { return !::IsWindow(hwnd); }));
  EXPECT_EQ(window_->log().Count("close"), 1);
}

TEST(ZuvorIvadoWindowFactoryTest, TheQualityButtonsOfTwoWindowsStepOneSharedLevel) {
  OpenWindow first(1, "First");
  OpenWindow second(2, "Second");
  ASSERT_TRUE(first.window() && second.window());
  // Side by side, so that neither covers the other's button.
  for (OpenWindow* window : {&first, &second}) {
    const int x = window == &first ? 0 : 600;
    window->RunOnWindowThread([&] {
      ::SetWindowPos(window->hwnd(), nullptr, x, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    });
  }
  auto level = [](OpenWindow& window) {
    const size_t before = window.log().Size();
    phonetest::ClickControl(window.window(), L"btn_quality");
    EXPECT_TRUE(phonetest::WaitUntil([&] { return window.log().Size() > before; }));
    const std::vector<std::string> lines = window.log().Lines();
    return lines.empty() ? -1 : std::stoi(lines.back().substr(sizeof("quality")));
  };
  const int one = level(first);
  EXPECT_EQ(level(second), (one + 1) % 4);
  EXPECT_EQ(level(first), (one + 2) % 4);
}

// The program's light skin with `from` replaced by `to`, in a resource folder of its own.
class ChangedSkin {
 public:
  ChangedSkin(const std::string& from, const std::string& to) {
    wchar_t program[MAX_PATH] = {};
    std::wstring skin(program, ::GetModuleFileNameW(nullptr, program, MAX_PATH));
    skin = skin.substr(0, skin.find_last_of(L"\\/") + 1) +
           L"resources\\themes\\default\\fernhold\\cloud_phone_light.xml";
    std::ifstream in(skin.c_str(), std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    ::CreateDirectoryW(folder_.File(L"fernhold").c_str(), nullptr);
    EXPECT_TRUE(uitest::WriteFileBytes(folder_.File(L"fernhold\\cloud_phone_light.xml"), text));
    phonetest::StartUiOnce();
    resources_ = ui::GlobalManager::GetResourcePath();
    ui::GlobalManager::SetResourcePath(folder_.path());
  }
  ~ChangedSkin() { ui::GlobalManager::SetResourcePath(resources_); }

 private:
  uitest::TempDir folder_;
  std::wstring resources_;
};

TEST(ZuvorIvadoWindowFactoryTest, ASkinWithoutTheVideoWiresNothingAndAMissingButtonOnlyItself) {
  {
    ChangedSkin skin("<DuiVideoView name=\"video_view\"", "<Control name=\"no_video\"");
    OpenWindow window(1, "No video");
    ASSERT_NE(window.window(), nullptr);
    int rows = -1;
    window.RunOnWindowThread([&] {
      rows = dynamic_cast<ui::Combo*>(window.window()->FindControl(L"combo_pic_quality"))
                 ->GetCount();
    });
    EXPECT_EQ(rows, 0);
    // The back button does nothing; the close button (the window's own) still closes, and by
    // then the back button's click has been handled.
    phonetest::ClickControl(window.window(), L"btn_back");
    phonetest::ClickControl(window.window(), L"closebtn");
    EXPECT_TRUE(window.log().WaitFor("close"));
    EXPECT_EQ(window.log().Count("back"), 0);
  }
  ChangedSkin skin("<Button name=\"btn_home\"", "<Button name=\"no_home\"");
  OpenWindow window(1, "No home");
  ASSERT_NE(window.window(), nullptr);
  phonetest::ClickControl(window.window(), L"btn_back");
  EXPECT_TRUE(window.log().WaitFor("back"));
}

TEST(ZuvorIvadoWindowFactoryTest, SessionCallsNeverWaitForABusyWindowThread) {
  phonetest::StartUiOnce();
  phonetest::CallbackLog log;
  PhoneWindowCallbacks callbacks = log.Make();
  // The window thread waits in the back callback for the session's thread, as a session's lock
  // can make it do.
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> inside{false};
  callbacks.back = [&inside, released] {
    inside = true;
    released.wait();
  };
  ZuvorIvadoWindowFactory factory;
  auto* window = dynamic_cast<ZuvorIvadoWindow*>(
      factory.OpenPhoneWindow(1, "Busy", std::move(callbacks)));
  ASSERT_NE(window, nullptr);
  log.SetWindow(window);
  HWND hwnd = window->GetHandle();
  phonetest::ClickControl(window, L"btn_back");
  ASSERT_TRUE(phonetest::WaitUntil([&] { return inside.load(); }));

  // Every operation of the session's side returns while the window thread is held.
  auto calls = std::async(std::launch::async, [window] {
    int width = 0, height = 0, left = 0, top = 0, right = 0, bottom = 0;
    window->SetPinned(true);
    window->PostRotation(2);
    const bool sized = window->GetTileSize(&width, &height) &&
                       window->GetFrameInsets(&left, &top, &right, &bottom);
    return sized && window->IsPinned() && window->GetVideoDisplay() && window->GetHandle();
  });
  const bool returned = calls.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
  release.set_value();
  ASSERT_TRUE(returned) << "a session call waited for the window thread";
  EXPECT_TRUE(calls.get());
  // Once free, the window carries them out.
  EXPECT_TRUE(phonetest::WaitUntil([&] { return window_pin::IsTopmost(hwnd); }));
  EXPECT_TRUE(phonetest::WaitUntil([&] { return window->GetRotation() == 2; }));

  const std::weak_ptr<nbase::WeakFlag> alive = window->GetWeakFlag();
  window->Close();
  EXPECT_TRUE(log.WaitFor("close"));
  EXPECT_TRUE(phonetest::WaitUntil([&] { return alive.expired() && !::IsWindow(hwnd); }));
}

TEST(ZuvorIvadoWindowFactoryTest, ASkinThatFailsLeavesNoWindow) {
  phonetest::StartUiOnce();
  uitest::TempDir empty;  // a resource folder without the skins
  const std::wstring resources = ui::GlobalManager::GetResourcePath();
  ui::GlobalManager::SetResourcePath(empty.path());
  std::vector<std::wstring> reports;
  ui::WindowImplBase::SetErrorReporter(
      [&reports](const std::wstring& text, const std::wstring&) { reports.push_back(text); });

  phonetest::CallbackLog log;
  ZuvorIvadoWindowFactory factory;
  PhoneWindow* window = factory.OpenPhoneWindow(1, "No skin", log.Make());

  ui::WindowImplBase::SetErrorReporter(nullptr);
  ui::GlobalManager::SetResourcePath(resources);
  EXPECT_EQ(window, nullptr);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_NE(reports[0].find(L"cloud_phone_light.xml"), std::wstring::npos);
  // No window of the class is left, and the session heard nothing.
  EXPECT_EQ(::FindWindowW(kPhoneWindowClassName, nullptr), nullptr);
  EXPECT_TRUE(log.Lines().empty());
  // The next window opens as usual.
  OpenWindow next(2, "After the failure");
  EXPECT_NE(next.window(), nullptr);
}

}  // namespace
