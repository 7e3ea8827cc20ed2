// A combo in a real window, driven by real input: the drop-down opens under the combo with the
// size of its items (or over it near the bottom of the work area), a click in it picks an item,
// the wheel steps with "scrollselect", a click elsewhere closes it, and the combo may go while it
// is open. Screenshots: combo_below.png, combo_above.png.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/screen_capture.h"
#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/controls/combo.h"
#include "ui/controls/combo_window.h"
#include "ui/controls/list_container_element.h"
#include "ui/core/global_manager.h"
#include "ui/render/render_interfaces.h"

namespace {

using uitest::PumpUntil;
using uitest::RootBox;
using uitest::TestWindow;
using uitest::ToScreen;

constexpr DWORD kWaitMs = 20000;
constexpr DWORD kListRgb = 0xE8F0FF;
constexpr DWORD kBorderRgb = 0x3050A0;
constexpr DWORD kSelectedRgb = 0xFFD080;

RECT WorkArea() {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
  return info.rcWork;
}

// A window at windowRect with a 160 x 30 combo at (20, 20) of its client area, holding count
// items of 30 pixels ("Item 0", "Item 1", ...). The log records the combo's click and select
// events.
struct ComboScene {
  ComboScene(const RECT& windowRect, int count, const std::wstring& dropBox = L"") {
    ui::GlobalManager::AddTextColor(L"combo_face", 0xFFFFFFFF);
    ui::GlobalManager::AddTextColor(L"combo_list", 0xFF000000 | kListRgb);
    ui::GlobalManager::AddTextColor(L"combo_border", 0xFF000000 | kBorderRgb);
    ui::GlobalManager::AddTextColor(L"combo_selected", 0xFF000000 | kSelectedRgb);
    ui::GlobalManager::AddTextColor(L"combo_window", 0xFFD8D8D8);
    ui::GlobalManager::AddTextColor(L"combo_text", 0xFF202020);
    uitest::MoveMouse(POINT{windowRect.right + 100, windowRect.bottom - 20});
    root->SetBkColor(L"combo_window");
    combo = new ui::Combo();
    combo->SetBkColor(L"combo_face");
    combo->SetBorderColor(L"combo_border");
    combo->SetBorderSize(1);
    combo->SetAttribute(L"dropbox",
                        L"bkcolor=\"combo_list\" bordercolor=\"combo_border\"" + dropBox);
    AddItems(count);
    uitest::Place(root, combo, 20, 20, 160, 30);
    for (int type : {ui::kEventClick, ui::kEventSelect}) {
      combo->AttachEvent(type, [this, type](const ui::EventArgs& args) {
        log.push_back(type == ui::kEventClick
                          ? std::wstring(L"click")
                          : L"select " + std::to_wstring(static_cast<int>(args.wParam)) + L" " +
                                std::to_wstring(static_cast<int>(args.lParam)));
        return true;
      });
    }
    window = new TestWindow(root);
    hwnd = window->CreateShown(windowRect);
  }
  ~ComboScene() { delete window; }

  void AddItems(int count) {
    for (int i = 0; i < count; ++i) {
      auto* item = new ui::ListContainerElement();
      item->SetText(L"Item " + std::to_wstring(combo->GetCount()));
      item->SetFixedHeight(30);
      item->SetAttribute(L"textpadding", L"8,0,0,0");
      item->SetAttribute(L"selectednormalcolor", L"combo_selected");
      item->SetAttribute(L"normaltextcolor", L"combo_text");
      combo->Add(item);
    }
  }

  // The combo on the screen.
  RECT ComboOnScreen() const {
    const RECT pos = combo->GetPos();
    const POINT topLeft = ToScreen(hwnd, POINT{pos.left, pos.top});
    const POINT bottomRight = ToScreen(hwnd, POINT{pos.right, pos.bottom});
    return RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  }

  // Clicks the combo and waits for the popup to show its items; its screen rectangle in *rect.
  HWND Open(RECT* rect) {
    const RECT pos = ComboOnScreen();
    uitest::Click(POINT{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2});
    ui::CComboWnd* popup = nullptr;
    const bool shown = PumpUntil(
        [&] {
          popup = combo->GetComboWnd();
          return popup && popup->GetHWND() && ::IsWindowVisible(popup->GetHWND()) &&
                 !popup->IsLayoutPending() && popup->GetRenderContext() &&
                 popup->GetRenderContext()->GetWidth() > 0;
        },
        kWaitMs);
    if (!shown) return nullptr;
    ::GetWindowRect(popup->GetHWND(), rect);
    return popup->GetHWND();
  }

  // Waits until the popup's native window is gone and the combo has forgotten it.
  bool Closed(HWND popup) const {
    return PumpUntil([&] { return !::IsWindow(popup) && !combo->GetComboWnd(); }, kWaitMs);
  }

  // The screen shows rgb at point.
  static bool ShowsAt(POINT point, DWORD rgb) {
    return PumpUntil(
        [&] {
          return test_support::CaptureScreen(RECT{point.x, point.y, point.x + 1, point.y + 1})
                     .Rgb(0, 0) == rgb;
        },
        kWaitMs);
  }

  RootBox* root = new RootBox();
  ui::Combo* combo;
  TestWindow* window;
  HWND hwnd;
  std::vector<std::wstring> log;
};

using Log = std::vector<std::wstring>;

TEST(ComboWindowTest, ThePopupOpensBelowAsTallAsItsItemsUpToTheDropBoxHeight) {
  ComboScene scene(RECT{100, 100, 500, 400}, 4);
  ASSERT_TRUE(scene.hwnd);
  ASSERT_TRUE(scene.combo->SelectItem(1));
  const RECT combo = scene.ComboOnScreen();

  // Four items of 30 and the list's border: 122 high, one pixel under the combo, as wide.
  RECT rect = {};
  HWND popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  EXPECT_EQ(rect.left, combo.left);
  EXPECT_EQ(rect.top, combo.bottom + 1);
  EXPECT_EQ(rect.right, combo.right);
  EXPECT_EQ(rect.bottom - rect.top, 122);
  EXPECT_EQ(scene.log, (Log{L"click"}));
  EXPECT_EQ(::GetWindow(popup, GW_OWNER), scene.hwnd);
  // The list shows: its border, its background, the selected item's colour.
  EXPECT_TRUE(ComboScene::ShowsAt(POINT{rect.left, rect.top + 60}, kBorderRgb));
  EXPECT_TRUE(ComboScene::ShowsAt(POINT{rect.right - 20, rect.top + 1 + 15}, kListRgb));
  EXPECT_TRUE(ComboScene::ShowsAt(POINT{rect.right - 20, rect.top + 1 + 45}, kSelectedRgb));
  uitest::SaveScreenPng(RECT{100, 100, 500, 400}, L"combo_below.png");

  // A click elsewhere closes it; reopened with twenty items it stops at 150 and scrolls.
  uitest::Click(ToScreen(scene.hwnd, POINT{300, 250}));
  ASSERT_TRUE(scene.Closed(popup));
  scene.AddItems(16);
  popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  EXPECT_EQ(rect.bottom - rect.top, 150);
  EXPECT_EQ(rect.right - rect.left, 160);
  EXPECT_GT(scene.combo->GetListBox()->GetScrollRange().cy, 0);
  uitest::Click(ToScreen(scene.hwnd, POINT{300, 250}));
  ASSERT_TRUE(scene.Closed(popup));

  // "dropboxsize" 200 x 300: 200 wide, and at most 300 high.
  scene.combo->SetAttribute(L"dropboxsize", L"200,300");
  popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  EXPECT_EQ(rect.right - rect.left, 200);
  EXPECT_EQ(rect.bottom - rect.top, 300);
  EXPECT_EQ(rect.top, combo.bottom + 1);
  uitest::Click(ToScreen(scene.hwnd, POINT{300, 250}));
  ASSERT_TRUE(scene.Closed(popup));
}

TEST(ComboWindowTest, NearTheBottomOfTheWorkAreaThePopupOpensAbove) {
  const RECT work = WorkArea();
  // The combo's bottom 150 pixels above the work area's: the popup and its gap (123) fit below.
  const RECT windowRect = {100, work.bottom - 200, 500, work.bottom};
  ComboScene scene(windowRect, 4);
  ASSERT_TRUE(scene.hwnd);
  const RECT combo = scene.ComboOnScreen();
  ASSERT_EQ(combo.bottom, work.bottom - 150);
  RECT rect = {};
  HWND popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  EXPECT_EQ(rect.top, combo.bottom + 1) << "room enough below";
  uitest::Click(ToScreen(scene.hwnd, POINT{300, 150}));
  ASSERT_TRUE(scene.Closed(popup));

  // 100 pixels lower they do not.
  ::SetWindowPos(scene.hwnd, nullptr, windowRect.left, windowRect.top + 100, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
  const RECT lower = scene.ComboOnScreen();
  ASSERT_EQ(lower.bottom, work.bottom - 50);
  popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  EXPECT_EQ(rect.left, lower.left);
  EXPECT_EQ(rect.bottom, lower.top) << "directly above the combo";
  EXPECT_EQ(rect.top, lower.top - 122);
  EXPECT_EQ(rect.right, lower.right);
  EXPECT_TRUE(ComboScene::ShowsAt(POINT{rect.left, rect.top + 60}, kBorderRgb));
  uitest::SaveScreenPng(RECT{windowRect.left, lower.top - 140, windowRect.right, work.bottom},
                        L"combo_above.png");

  // "popuptop" opens above wherever the combo is.
  uitest::Click(ToScreen(scene.hwnd, POINT{300, 80}));
  ASSERT_TRUE(scene.Closed(popup));
  ::SetWindowPos(scene.hwnd, nullptr, 100, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  scene.combo->SetAttribute(L"popuptop", L"true");
  const RECT high = scene.ComboOnScreen();
  popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  EXPECT_EQ(rect.bottom, high.top);
}

TEST(ComboWindowTest, AClickPicksAnItemClosesThePopupAndRaisesSelect) {
  ComboScene scene(RECT{100, 100, 500, 400}, 4);
  ASSERT_TRUE(scene.hwnd);
  ASSERT_TRUE(scene.combo->SelectItem(0));
  RECT rect = {};
  HWND popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  uitest::Click(POINT{rect.left + 40, rect.top + 1 + 2 * 30 + 15});
  ASSERT_TRUE(scene.Closed(popup));
  EXPECT_EQ(scene.combo->GetCurSel(), 2);
  EXPECT_EQ(scene.log, (Log{L"click", L"select 2 -1"}));
  EXPECT_EQ(scene.combo->GetListBox()->GetWindow(), scene.window) << "the list came back";
  EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() == scene.hwnd; }, kWaitMs));
  EXPECT_EQ(scene.window->GetFocus(), scene.combo);

  // The item already selected, picked again: closed, and select again with its index.
  scene.log.clear();
  popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  uitest::Click(POINT{rect.left + 40, rect.top + 1 + 2 * 30 + 15});
  ASSERT_TRUE(scene.Closed(popup));
  EXPECT_EQ(scene.log, (Log{L"click", L"select 2 -1"}));
}

TEST(ComboWindowTest, TheWheelStepsTheSelectionWithScrollSelect) {
  ComboScene scene(RECT{100, 100, 500, 400}, 4, L" scrollselect=\"true\"");
  ASSERT_TRUE(scene.hwnd);
  ASSERT_TRUE(scene.combo->SelectItem(1));
  RECT rect = {};
  HWND popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  uitest::MoveMouse(POINT{rect.left + 40, rect.top + 20});
  uitest::Wheel(-WHEEL_DELTA);
  ASSERT_TRUE(scene.Closed(popup));
  EXPECT_EQ(scene.combo->GetCurSel(), 2);
  EXPECT_EQ(scene.log, (Log{L"click", L"select 2 -1"}));
}

TEST(ComboWindowTest, LosingTheFocusClosesThePopupWithoutAPick) {
  ComboScene scene(RECT{100, 100, 500, 400}, 4);
  ASSERT_TRUE(scene.hwnd);
  ASSERT_TRUE(scene.combo->SelectItem(3));
  RECT rect = {};
  HWND popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  EXPECT_EQ(::GetFocus(), popup);
  uitest::Click(ToScreen(scene.hwnd, POINT{300, 250}));
  ASSERT_TRUE(scene.Closed(popup));
  EXPECT_EQ(scene.combo->GetCurSel(), 3);
  EXPECT_EQ(scene.log, (Log{L"click"}));
  EXPECT_TRUE(ComboScene::ShowsAt(POINT{rect.left + 80, rect.top + 60}, 0xD8D8D8))
      << "the window shows where the popup was";
}

TEST(ComboWindowTest, AComboDestroyedWhileOpenDetachesAndThePopupCloses) {
  ComboScene scene(RECT{100, 100, 500, 400}, 4);
  ASSERT_TRUE(scene.hwnd);
  RECT rect = {};
  HWND popup = scene.Open(&rect);
  ASSERT_TRUE(popup);
  ui::CComboWnd* window = scene.combo->GetComboWnd();
  scene.root->SetDelayedDestroy(false);
  ASSERT_TRUE(scene.root->Remove(scene.combo));  // Deleted at once, list and items with it.
  EXPECT_EQ(window->GetCombo(), nullptr);
  EXPECT_EQ(window->GetRoot() ? dynamic_cast<ui::Box*>(window->GetRoot())->GetCount() : 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return !::IsWindow(popup); }, kWaitMs));

  // And a window closed with its combo's popup open takes the popup with it.
  ComboScene other(RECT{100, 100, 500, 400}, 4);
  ASSERT_TRUE(other.hwnd);
  popup = other.Open(&rect);
  ASSERT_TRUE(popup);
  delete other.window;
  other.window = nullptr;
  EXPECT_FALSE(::IsWindow(popup));
}

}  // namespace
