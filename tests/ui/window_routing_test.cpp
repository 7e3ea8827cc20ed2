// Windows messages to control events in a real window: clicks and keys through SendInput, mouse
// capture, the right-click and context-menu sequence, hover with its tooltip, the Tab order, and
// touch and pointer input through replaced run-time functions (the test system has only stubs of
// them), plus messages with no control to go to.
#include <gtest/gtest.h>

#include <windowsx.h>

#include <vector>

#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/core/touch_input_api.h"

namespace {

using uitest::LoggingControl;
using uitest::Place;
using uitest::PumpUntil;
using uitest::RootBox;
using uitest::TestWindow;
using uitest::ToScreen;

const RECT kRect = {100, 100, 500, 400};
constexpr DWORD kWaitMs = 20000;

// Three controls side by side: a (20, 20)-(120, 80), b (140, 20)-(240, 80), c (260, 20)-(360, 80).
struct Scene {
  Scene() {
    uitest::MoveMouse(POINT{kRect.right + 200, kRect.bottom + 200});  // Away from the window.
    a = Place(root, new LoggingControl(L"a", true), 20, 20, 100, 60);
    b = Place(root, new LoggingControl(L"b", true), 140, 20, 100, 60);
    c = Place(root, new LoggingControl(L"c", true), 260, 20, 100, 60);
    window = new TestWindow(root);
    hwnd = window->CreateShown(kRect);
  }
  ~Scene() { delete window; }
  POINT At(LoggingControl* control, int dx = 50, int dy = 30) const {
    const RECT pos = control->GetPos();
    return ToScreen(hwnd, POINT{pos.left + dx, pos.top + dy});
  }

  RootBox* root = new RootBox();
  LoggingControl* a;
  LoggingControl* b;
  LoggingControl* c;
  TestWindow* window;
  HWND hwnd;
};

TEST(WindowRoutingTest, ClicksAndKeysFromRealInputReachTheRightControls) {
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  uitest::Click(scene.At(scene.b));
  ASSERT_TRUE(PumpUntil([&] { return scene.b->clicks == 1; }, kWaitMs));
  EXPECT_EQ(scene.b->Count(ui::kEventButtonDown), 1);
  EXPECT_EQ(scene.b->Count(ui::kEventButtonUp), 1);
  EXPECT_EQ(scene.b->GetState(), ui::kControlStateHot) << "released over it";
  EXPECT_EQ(scene.a->Count(ui::kEventButtonDown) + scene.c->Count(ui::kEventButtonDown), 0);
  EXPECT_EQ(scene.a->clicks + scene.c->clicks, 0);

  // Keys go to the focus control: down with the virtual key, the character, up.
  scene.window->SetFocus(scene.c);
  scene.c->Clear();
  uitest::PressKey('K');
  ASSERT_TRUE(PumpUntil([&] { return scene.c->Count(ui::kEventKeyUp) == 1; }, kWaitMs));
  EXPECT_EQ(scene.c->Significant(),
            (std::vector<int>{ui::kEventKeyDown, ui::kEventChar, ui::kEventKeyUp}));
  EXPECT_EQ(scene.c->events.front().keyCode, 'K');
  EXPECT_EQ(scene.b->Count(ui::kEventKeyDown), 0);
}

TEST(WindowRoutingTest, APressedControlKeepsTheMouseUntilReleasedAndClicksOnlyOverItself) {
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  uitest::MoveMouse(scene.At(scene.a));
  uitest::MouseButton(false, true);
  ASSERT_TRUE(PumpUntil([&] { return scene.a->Count(ui::kEventButtonDown) == 1; }, kWaitMs));
  EXPECT_EQ(::GetCapture(), scene.hwnd);
  scene.a->Clear();
  uitest::MoveMouse(scene.At(scene.b));
  ASSERT_TRUE(PumpUntil([&] { return scene.a->Count(ui::kEventMouseMove) > 0; }, kWaitMs));
  uitest::MouseButton(false, false);
  ASSERT_TRUE(PumpUntil([&] { return scene.a->Count(ui::kEventButtonUp) == 1; }, kWaitMs));
  EXPECT_EQ(scene.a->clicks, 0) << "released outside it";
  EXPECT_EQ(scene.b->Count(ui::kEventMouseMove), 0) << "moves went to the captured control";
  EXPECT_EQ(scene.b->Count(ui::kEventButtonUp), 0);
  EXPECT_EQ(::GetCapture(), nullptr);

  // Captured no more: the next move goes to the control under the pointer.
  uitest::MoveMouse(scene.At(scene.b, 60, 30));
  EXPECT_TRUE(PumpUntil([&] { return scene.b->Count(ui::kEventMouseMove) > 0; }, kWaitMs));

  // Losing the focus while pressed releases the press.
  const POINT inC = {scene.c->GetPos().left + 5, scene.c->GetPos().top + 5};
  ::SendMessageW(scene.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inC.x, inC.y));
  ASSERT_EQ(::GetCapture(), scene.hwnd);
  ::SendMessageW(scene.hwnd, WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(scene.c->Count(ui::kEventButtonUp), 1);
  EXPECT_EQ(::GetCapture(), nullptr);
}

TEST(WindowRoutingTest, ACaptureTakenAwayFromAPressSendsTheMovesWhereThePointerIs) {
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  const RECT a = scene.a->GetPos();
  const RECT b = scene.b->GetPos();
  ::SendMessageW(scene.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(a.left + 5, a.top + 5));
  ASSERT_EQ(::GetCapture(), scene.hwnd);
  ::ReleaseCapture();  // As a menu or a message box opened from the press takes it.
  scene.a->Clear();
  ::SendMessageW(scene.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(b.left + 5, b.top + 5));
  EXPECT_EQ(scene.a->Count(ui::kEventMouseMove), 0);
  EXPECT_EQ(scene.b->Count(ui::kEventMouseMove), 1);
}

TEST(WindowRoutingTest, RightClickGivesDownUpAndTheContextMenuToOneControl) {
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  scene.a->SetContextMenuUsed(true);
  int menus = 0;
  LPARAM menuControl = 0;
  scene.a->AttachEvent(ui::kEventMenu, [&](const ui::EventArgs& args) {
    ++menus;
    menuControl = args.lParam;
    return true;
  });
  uitest::MoveMouse(scene.At(scene.a));
  ASSERT_TRUE(PumpUntil([&] { return scene.a->Count(ui::kEventMouseEnter) == 1; }, kWaitMs));
  scene.a->Clear();
  uitest::MouseButton(true, true);
  uitest::MouseButton(true, false);
  ASSERT_TRUE(PumpUntil([&] { return menus == 1; }, kWaitMs));
  // The internal menu event becomes the control's menu event (its context menu is in use).
  EXPECT_EQ(scene.a->Significant(), (std::vector<int>{ui::kEventRButtonDown, ui::kEventRButtonUp,
                                                      ui::kEventInternalMenu, ui::kEventMenu}));
  EXPECT_EQ(menuControl, reinterpret_cast<LPARAM>(static_cast<ui::Control*>(scene.a)));

  // Nothing is captured afterwards: a move over b is b's.
  scene.a->Clear();
  uitest::MoveMouse(scene.At(scene.b));
  ASSERT_TRUE(PumpUntil([&] { return scene.b->Count(ui::kEventMouseMove) > 0; }, kWaitMs));
  EXPECT_EQ(scene.a->Count(ui::kEventMouseMove), 0);
}

TEST(WindowRoutingTest, HoverEntersLeavesAndShowsTheTooltipUntilThePointerLeaves) {
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  scene.b->SetToolTipText(L"Tip of b");
  scene.a->SetCursorType(ui::kCursorHand);
  uitest::MoveMouse(scene.At(scene.a));
  ASSERT_TRUE(PumpUntil([&] { return scene.a->Count(ui::kEventMouseEnter) == 1; }, kWaitMs));
  EXPECT_EQ(scene.window->GetHoverControl(), scene.a);
  HCURSOR hand = ::LoadCursorW(nullptr, IDC_HAND);
  EXPECT_TRUE(PumpUntil([&] { return ::GetCursor() == hand; }, kWaitMs)) << "a asks for a hand";

  uitest::MoveMouse(scene.At(scene.b));
  ASSERT_TRUE(PumpUntil([&] { return scene.b->Count(ui::kEventMouseEnter) == 1; }, kWaitMs));
  EXPECT_EQ(scene.a->Count(ui::kEventMouseLeave), 1);
  // Resting on b: the hover event, then b's tooltip.
  HWND tip = nullptr;
  ASSERT_TRUE(PumpUntil(
      [&] { return (tip = uitest::FindVisibleToolTip(scene.hwnd)) != nullptr; }, kWaitMs));
  EXPECT_EQ(scene.b->Count(ui::kEventMouseHover), 1);
  TOOLINFOW info = {};
  info.cbSize = sizeof(info);
  info.hwnd = scene.hwnd;
  info.uId = reinterpret_cast<UINT_PTR>(scene.hwnd);
  wchar_t text[80] = {};
  info.lpszText = text;
  ::SendMessageW(tip, TTM_GETTEXTW, 80, reinterpret_cast<LPARAM>(&info));
  EXPECT_STREQ(text, L"Tip of b");

  // Out of the window: the leave reaches b through the synthetic move, and the tooltip goes.
  uitest::MoveMouse(POINT{kRect.right + 100, kRect.bottom + 100});
  ASSERT_TRUE(PumpUntil([&] { return scene.b->Count(ui::kEventMouseLeave) == 1; }, kWaitMs));
  EXPECT_EQ(scene.window->GetHoverControl(), nullptr);
  EXPECT_TRUE(PumpUntil([&] { return !uitest::FindVisibleToolTip(scene.hwnd); }, kWaitMs));
}

TEST(WindowRoutingTest, TabAndShiftTabWalkTheTabStopsAndWrap) {
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  auto* off = Place(scene.root, new LoggingControl(L"off", true), 20, 100, 50, 50);
  off->SetEnabled(false);  // Disabled: skipped.
  scene.window->SetFocus(scene.a);
  auto focusAfter = [&](bool shift) {
    ui::Control* before = scene.window->GetFocus();
    uitest::PressKey(VK_TAB, shift);
    PumpUntil([&] { return scene.window->GetFocus() != before; }, kWaitMs);
    return scene.window->GetFocus();
  };
  EXPECT_EQ(focusAfter(false), scene.b);
  EXPECT_EQ(focusAfter(false), scene.c);
  EXPECT_EQ(focusAfter(false), scene.a) << "Tab from the last wraps to the first";
  EXPECT_EQ(focusAfter(true), scene.c) << "Shift+Tab from the first wraps to the last";
  EXPECT_EQ(focusAfter(true), scene.b);
  EXPECT_EQ(scene.b->Count(ui::kEventSetFocus), 2);
  EXPECT_TRUE(scene.b->IsFocused());

  // While a layout is pending the move waits for the paint that lays the tree out.
  scene.a->SetFixedWidth(90);
  ASSERT_TRUE(scene.window->IsLayoutPending());
  bool handled = false;
  EXPECT_EQ(scene.window->RouteMessage(WM_KEYDOWN, VK_TAB, 0, &handled), 1);
  EXPECT_TRUE(handled);
  EXPECT_EQ(scene.window->GetFocus(), scene.b);
  ::UpdateWindow(scene.hwnd);
  EXPECT_FALSE(scene.window->IsLayoutPending());
  EXPECT_EQ(scene.window->GetFocus(), scene.c);
}

// ----- Touch and pointer, through replaced run-time functions ----------------------------------

std::vector<TOUCHINPUT> g_contacts;
int g_closed_inputs = 0;
BOOL WINAPI FakeGetTouchInputInfo(HTOUCHINPUT, UINT count, PTOUCHINPUT inputs, int size) {
  if (size != sizeof(TOUCHINPUT) || count > g_contacts.size()) return FALSE;
  for (UINT i = 0; i < count; ++i) inputs[i] = g_contacts[i];
  return TRUE;
}
BOOL WINAPI FakeCloseTouchInputHandle(HTOUCHINPUT) {
  ++g_closed_inputs;
  return TRUE;
}

POINTER_INPUT_TYPE g_pointer_type = PT_TOUCH;
POINT g_pointer_at = {};
UINT32 g_pressure = 0;
BOOL WINAPI FakeGetPointerType(UINT32, POINTER_INPUT_TYPE* type) {
  *type = g_pointer_type;
  return TRUE;
}
BOOL WINAPI FakeGetPointerTouchInfo(UINT32, POINTER_TOUCH_INFO* info) {
  *info = {};
  info->pointerInfo.ptPixelLocation = g_pointer_at;
  info->pressure = g_pressure;
  return TRUE;
}
BOOL WINAPI FakeGetPointerPenInfo(UINT32, POINTER_PEN_INFO* info) {
  *info = {};
  info->pointerInfo.ptPixelLocation = g_pointer_at;
  info->pressure = g_pressure;
  return TRUE;
}

class FakeInputApi {
 public:
  FakeInputApi() {
    api_.getTouchInputInfo = &FakeGetTouchInputInfo;
    api_.closeTouchInputHandle = &FakeCloseTouchInputHandle;
    api_.getPointerType = &FakeGetPointerType;
    api_.getPointerTouchInfo = &FakeGetPointerTouchInfo;
    api_.getPointerPenInfo = &FakeGetPointerPenInfo;
    ui::SetTouchInputApiForTesting(&api_);
  }
  ~FakeInputApi() { ui::SetTouchInputApiForTesting(nullptr); }

 private:
  ui::TouchInputApi api_;
};

TOUCHINPUT Contact(DWORD id, POINT screen, DWORD flags) {
  TOUCHINPUT contact = {};
  contact.dwID = id;
  contact.x = screen.x * 100;
  contact.y = screen.y * 100;
  contact.dwFlags = flags;
  return contact;
}

// Routes one WM_TOUCH of the given contacts.
void Touch(HWND hwnd, std::vector<TOUCHINPUT> contacts) {
  g_contacts = std::move(contacts);
  ::SendMessageW(hwnd, WM_TOUCH, MAKEWPARAM(g_contacts.size(), 0), 0x1234);
}

TEST(WindowRoutingTest, TouchFollowsTheFirstContactToTheControlItStartedOn) {
  FakeInputApi fake;
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  g_closed_inputs = 0;
  // A second finger in the same message is ignored.
  Touch(scene.hwnd, {Contact(7, scene.At(scene.a), TOUCHEVENTF_DOWN),
                     Contact(8, scene.At(scene.b), TOUCHEVENTF_DOWN)});
  EXPECT_EQ(scene.a->Significant(), std::vector<int>{ui::kEventTouchDown});
  EXPECT_EQ(scene.b->Count(ui::kEventTouchDown), 0);
  EXPECT_EQ(scene.a->events.back().mousePos.x, scene.a->GetPos().left + 50);
  // While a control is touched the mouse is ignored.
  LPARAM inB = MAKELPARAM(scene.b->GetPos().left + 5, scene.b->GetPos().top + 5);
  ::SendMessageW(scene.hwnd, WM_LBUTTONDOWN, MK_LBUTTON, inB);
  EXPECT_EQ(scene.b->Count(ui::kEventButtonDown), 0);

  Touch(scene.hwnd, {Contact(7, scene.At(scene.a, 60), TOUCHEVENTF_MOVE)});
  Touch(scene.hwnd, {Contact(7, scene.At(scene.a, 60), TOUCHEVENTF_MOVE)});  // Same point.
  EXPECT_EQ(scene.a->Count(ui::kEventTouchMove), 1);
  Touch(scene.hwnd, {Contact(7, scene.At(scene.b), TOUCHEVENTF_MOVE)});
  EXPECT_EQ(scene.a->Count(ui::kEventTouchMove), 2) << "the touched control follows the finger";
  Touch(scene.hwnd, {Contact(7, scene.At(scene.b), TOUCHEVENTF_UP)});
  EXPECT_EQ(scene.a->Count(ui::kEventTouchUp), 1);
  EXPECT_EQ(scene.b->Count(ui::kEventTouchUp), 0);
  EXPECT_EQ(g_closed_inputs, 5) << "every input handle is closed";

  // Nothing touched: moves and ups go nowhere; a contact without an id is ignored.
  scene.a->Clear();
  Touch(scene.hwnd, {Contact(7, scene.At(scene.a, 70), TOUCHEVENTF_MOVE)});
  Touch(scene.hwnd, {Contact(7, scene.At(scene.a), TOUCHEVENTF_UP)});
  Touch(scene.hwnd, {Contact(0, scene.At(scene.c), TOUCHEVENTF_DOWN)});
  EXPECT_EQ(scene.a->Count(ui::kEventTouchMove) + scene.a->Count(ui::kEventTouchUp), 0);
  EXPECT_EQ(scene.c->Count(ui::kEventTouchDown), 0);
}

// Routes one pointer message of the primary pointer at screen.
bool Pointer(TestWindow* window, UINT message, POINT screen, UINT32 pressure = 0) {
  g_pointer_at = screen;
  g_pressure = pressure;
  bool handled = false;
  window->RouteMessage(message, MAKEWPARAM(1, POINTER_MESSAGE_FLAG_PRIMARY), 0, &handled);
  return handled;
}

TEST(WindowRoutingTest, TouchAndPenPointersPressMoveAndReleaseWithTheirPressure) {
  FakeInputApi fake;
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  g_pointer_type = PT_TOUCH;
  EXPECT_TRUE(Pointer(scene.window, WM_POINTERDOWN, scene.At(scene.a), 512));
  ASSERT_EQ(scene.a->Count(ui::kEventPointerDown), 1);
  EXPECT_FLOAT_EQ(scene.a->events.back().pressure, 0.5f);
  EXPECT_EQ(scene.a->GetState(), ui::kControlStatePushed) << "a pointer press presses it";
  EXPECT_TRUE(Pointer(scene.window, WM_POINTERUPDATE, scene.At(scene.a, 70)));
  EXPECT_EQ(scene.a->Count(ui::kEventPointerMove), 1);
  EXPECT_TRUE(Pointer(scene.window, WM_POINTERUP, scene.At(scene.a, 70)));
  EXPECT_EQ(scene.a->Count(ui::kEventPointerUp), 1);
  EXPECT_EQ(scene.a->clicks, 1);
  // No pointer control any more: an up goes nowhere and is left to the default procedure.
  EXPECT_FALSE(Pointer(scene.window, WM_POINTERUP, scene.At(scene.a)));
  EXPECT_EQ(scene.a->Count(ui::kEventPointerUp), 1);

  // A pen on a control that does not take pointers: the control gets its event, and the
  // message still goes on to the default procedure.
  g_pointer_type = PT_PEN;
  scene.b->SetReceivePointer(false);
  EXPECT_FALSE(Pointer(scene.window, WM_POINTERDOWN, scene.At(scene.b), 1024));
  EXPECT_EQ(scene.b->Count(ui::kEventPointerDown), 1);
  EXPECT_FLOAT_EQ(scene.b->events.back().pressure, 1.0f);
  EXPECT_FALSE(Pointer(scene.window, WM_POINTERCAPTURECHANGED, scene.At(scene.b)));
  EXPECT_EQ(scene.b->Count(ui::kEventPointerUp), 1);

  // Mouse pointers, secondary pointers and a switched-off pointer input are not routed.
  g_pointer_type = PT_MOUSE;
  EXPECT_FALSE(Pointer(scene.window, WM_POINTERDOWN, scene.At(scene.c)));
  g_pointer_type = PT_TOUCH;
  bool handled = false;
  scene.window->RouteMessage(WM_POINTERDOWN, MAKEWPARAM(2, 0), 0, &handled);
  scene.window->SetPointerInputEnabled(false);
  EXPECT_FALSE(Pointer(scene.window, WM_POINTERDOWN, scene.At(scene.c)));
  EXPECT_EQ(scene.c->Count(ui::kEventPointerDown), 0);
}

TEST(WindowRoutingTest, MessagesWithNoControlToGoToDoNothing) {
  {
    ui::TouchInputApi none;  // The functions a system without touch has: none at all.
    ui::SetTouchInputApiForTesting(&none);
    Scene scene;
    ASSERT_TRUE(scene.hwnd);
    Touch(scene.hwnd, {Contact(7, scene.At(scene.a), TOUCHEVENTF_DOWN)});
    g_pointer_at = scene.At(scene.a);
    EXPECT_FALSE(Pointer(scene.window, WM_POINTERDOWN, scene.At(scene.a)));
    ui::SetTouchInputApiForTesting(nullptr);
    EXPECT_EQ(scene.a->Count(ui::kEventTouchDown) + scene.a->Count(ui::kEventPointerDown), 0);
  }
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  const LPARAM nowhere = MAKELPARAM(390, 290);
  POINT screenNowhere = ToScreen(scene.hwnd, POINT{390, 290});
  for (UINT message : {WM_KEYDOWN, WM_KEYUP, WM_CHAR, WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEHOVER,
                       WM_MOUSELEAVE, WM_LBUTTONDOWN, WM_MOUSEMOVE}) {
    ::SendMessageW(scene.hwnd, message, 0, nowhere);
  }
  ::SendMessageW(scene.hwnd, WM_CONTEXTMENU, 0, MAKELPARAM(screenNowhere.x, screenNowhere.y));
  ::SendMessageW(scene.hwnd, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA),
                 MAKELPARAM(screenNowhere.x, screenNowhere.y));
  ::SendMessageW(scene.hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(scene.hwnd)) << "WM_CLOSE is left to the default procedure";
  for (LoggingControl* control : {scene.a, scene.b, scene.c}) {
    EXPECT_EQ(control->Significant(), std::vector<int>{}) << control->GetUTF8Name();
  }

  // An attribute handler whose receiver is not in the window skips it.
  ui::EventCallback apply = ui::MakeApplyAttributeHandler(scene.a, L"missing", L"width=\"5\"");
  ui::EventArgs args;
  EXPECT_TRUE(apply(args));
}

// A filter that takes every key-down, and a finder that answers with one control everywhere.
class KeyFilter : public ui::IUIMessageFilter {
 public:
  LRESULT MessageFilter(UINT message, WPARAM, LPARAM, bool* handled) override {
    if (message == WM_KEYDOWN || message == WM_MOUSEMOVE) {
      ++seen;
      *handled = true;
    }
    return 42;
  }
  int seen = 0;
};

class FixedFinder : public ui::IRootFinder {
 public:
  explicit FixedFinder(ui::Control* control) : control_(control) {}
  ui::Control* FindControlAt(POINT) override { return control_; }

 private:
  ui::Control* control_;
};

TEST(WindowRoutingTest, FiltersFindersAndReflectionComeBeforeTheTree) {
  Scene scene;
  ASSERT_TRUE(scene.hwnd);
  KeyFilter filter;
  scene.window->AddMessageFilter(&filter);
  scene.window->SetFocus(scene.a);
  EXPECT_EQ(::SendMessageW(scene.hwnd, WM_KEYDOWN, 'Q', 0), 42);
  EXPECT_EQ(scene.a->Count(ui::kEventKeyDown), 0);
  // A mouse move is routed even when a filter handles it.
  ::SendMessageW(scene.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(scene.b->GetPos().left + 5, 30));
  EXPECT_EQ(filter.seen, 2);
  EXPECT_EQ(scene.b->Count(ui::kEventMouseEnter), 1);
  scene.window->RemoveMessageFilter(&filter);

  FixedFinder finder(scene.c);
  scene.window->AddRootFinder(&finder);
  EXPECT_EQ(scene.window->FindControlAt(POINT{30, 30}), scene.c);
  scene.window->RemoveRootFinder(&finder);
  EXPECT_EQ(scene.window->FindControlAt(POINT{30, 30}), scene.a);

  // A command from a child window comes back to that child, reflected.
  HWND child = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, scene.hwnd, nullptr,
                                 nullptr, nullptr);
  ASSERT_TRUE(child);
  UINT reflected = 0;
  ::SetWindowSubclass(
      child,
      [](HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
          -> LRESULT {
        if (message >= ui::Window::kReflectOffset) *reinterpret_cast<UINT*>(data) = message;
        return ::DefSubclassProc(hwnd, message, wParam, lParam);
      },
      1, reinterpret_cast<DWORD_PTR>(&reflected));
  ::SendMessageW(scene.hwnd, WM_COMMAND, MAKEWPARAM(5, BN_CLICKED),
                 reinterpret_cast<LPARAM>(child));
  EXPECT_EQ(reflected, WM_COMMAND + ui::Window::kReflectOffset);
}

}  // namespace
