// A progress bar, a slider and a circle progress built from markup into a real window: the slider
// dragged and wheeled through SendInput, with screenshots before and after.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/screen_capture.h"
#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/progress.h"
#include "ui/controls/slider.h"
#include "ui/core/global_manager.h"
#include "ui/core/window_builder.h"

namespace {

using uitest::PumpUntil;
using uitest::ScreenRgb;
using uitest::TestWindow;
using uitest::ToScreen;
using uitest::Wheel;

constexpr DWORD kWaitMs = 20000;
const RECT kRect = {100, 100, 460, 300};

TEST(ProgressWindowTest, ASliderBuiltFromMarkupIsDraggedAndWheeledByRealInput) {
  uitest::TempDir dir;
  const std::wstring thumb = dir.File(L"thumb.png");
  ASSERT_TRUE(uitest::WritePng(thumb, 10, 20, std::vector<DWORD>(200, 0xFFC0392B)));
  ui::GlobalManager::AddTextColor(L"pw_white", 0xFFFFFFFF);
  ui::GlobalManager::AddTextColor(L"pw_blue", 0xFF2E5C8A);
  ui::GlobalManager::AddTextColor(L"pw_green", 0xFF3FA34D);
  ui::GlobalManager::AddTextColor(L"pw_gray", 0xFFCCCCCC);
  ui::GlobalManager::AddTextColor(L"pw_black", 0xFF000000);

  // The slider at (20, 20)-(230, 40): a thumb of 10 x 20 that runs 200 pixels.
  const std::wstring markup =
      L"<Window><HBox bkcolor=\"pw_white\">"
      L"<Slider name=\"slider\" float=\"true\" margin=\"20,20,0,0\" width=\"210\" height=\"20\" "
      L"bkcolor=\"pw_gray\" progresscolor=\"pw_blue\" progressbarpadding=\"0,7,0,7\" "
      L"thumbsize=\"10,20\" thumbnormalimage=\"file='" + thumb + L"'\"/>"
      L"<Progress name=\"progress\" float=\"true\" margin=\"20,70,0,0\" width=\"210\" "
      L"height=\"16\" bkcolor=\"pw_gray\" progresscolor=\"pw_green\" value=\"60\" "
      L"text=\"60 %\" normaltextcolor=\"pw_black\"/>"
      L"<CircleProgress name=\"circle\" float=\"true\" margin=\"250,20,0,0\" width=\"90\" "
      L"height=\"90\" circlewidth=\"8\" bgcolor=\"pw_gray\" fgcolor=\"pw_blue\" "
      L"gradientcolor=\"pw_green\" value=\"70\"/>"
      L"</HBox></Window>";
  ui::WindowBuilder builder;
  ui::Control* root = builder.Create(markup.c_str(), nullptr, nullptr, nullptr);
  ASSERT_NE(root, nullptr);

  uitest::MoveMouse(POINT{kRect.right + 200, kRect.bottom + 200});  // Away from the window.
  auto* window = new TestWindow(root);
  const HWND hwnd = window->CreateShown(kRect);
  ASSERT_TRUE(hwnd);
  auto* slider = dynamic_cast<ui::Slider*>(window->FindControl(L"slider"));
  ASSERT_NE(slider, nullptr);
  ASSERT_NE(dynamic_cast<ui::CircleProgress*>(window->FindControl(L"circle")), nullptr);
  ASSERT_NE(dynamic_cast<ui::Progress*>(window->FindControl(L"progress")), nullptr);
  ASSERT_EQ(slider->GetPos().left, 20);
  ASSERT_EQ(slider->GetPos().right, 230);
  uitest::SaveScreenPng(kRect, L"slider_window_before.png");

  std::vector<double> changes;
  slider->AttachEvent(ui::kEventValueChange, [&](const ui::EventArgs&) {
    changes.push_back(slider->GetValue());
    return true;
  });

  // Press on the thumb (x 20 to 30 at value 0), drag to x 125 and let go: 50.
  uitest::MoveMouse(ToScreen(hwnd, POINT{25, 30}));
  uitest::MouseButton(false, true);
  ASSERT_TRUE(PumpUntil([&] { return slider->IsMouseFocused(); }, kWaitMs));
  uitest::MoveMouse(ToScreen(hwnd, POINT{90, 30}));
  uitest::MoveMouse(ToScreen(hwnd, POINT{125, 30}));
  ASSERT_TRUE(PumpUntil([&] { return slider->GetValue() == 50.0; }, kWaitMs));
  EXPECT_TRUE(changes.empty()) << "no event while dragging";
  uitest::MouseButton(false, false);
  ASSERT_TRUE(PumpUntil([&] { return !changes.empty(); }, kWaitMs));
  EXPECT_EQ(changes, std::vector<double>{50.0});
  EXPECT_FALSE(slider->IsMouseFocused());

  // One wheel notch up over the slider: one step.
  Wheel(WHEEL_DELTA);
  ASSERT_TRUE(PumpUntil([&] { return changes.size() == 2; }, kWaitMs));
  EXPECT_EQ(slider->GetValue(), 51.0);

  // On the screen: the thumb where the drag left it, the fill up to its middle.
  uitest::MoveMouse(POINT{kRect.right + 200, kRect.bottom + 200});
  ASSERT_TRUE(PumpUntil(
      [&] { return ScreenRgb(ToScreen(hwnd, POINT{127, 22})) == 0xC0392Bu; }, kWaitMs));
  EXPECT_EQ(ScreenRgb(ToScreen(hwnd, POINT{100, 30})), 0x2E5C8Au);
  EXPECT_EQ(ScreenRgb(ToScreen(hwnd, POINT{160, 30})), 0xCCCCCCu);
  uitest::SaveScreenPng(kRect, L"slider_window_after.png");
  delete window;
}

}  // namespace
