// A skinned window built from a form of our own markup (boxes, labels, buttons with state images,
// a check box and an option group) and driven by real input: clicks and keys reach the controls
// they are meant for, Tab walks the form in tree order, hovering shows the tooltip of the markup,
// and the button's state images follow the pointer on the screen. Screenshots along the way.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/screen_capture.h"
#include "tests/ui/skin_window_test_support.h"
#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/controls/check_box.h"
#include "ui/controls/option.h"
#include "ui/core/global_manager.h"

namespace {

using uitest::PumpUntil;
using uitest::SkinWindow;
using uitest::ToScreen;

constexpr DWORD kWaitMs = 20000;
constexpr DWORD kNormal = 0x2E5C8A, kHot = 0x3FA34D, kPushed = 0xC0392B;

const char kForm[] =
    "<Window shadowattached=\"false\" size=\"360,240\" caption=\"0,0,0,32\" "
    "sizebox=\"4,4,4,4\">"
    "<VBox bkcolor=\"white\">"
    "  <HBox height=\"32\" bkcolor=\"skin_grey\">"
    "    <Label name=\"title\" text=\"Form\" width=\"200\" height=\"32\" "
    "normaltextcolor=\"black\"/>"
    "    <Control/>"
    "    <Button name=\"closebtn\" width=\"32\" height=\"32\" bkcolor=\"skin_blue\"/>"
    "  </HBox>"
    "  <VBox padding=\"10,10,10,10\" childmargin=\"8\">"
    "    <HBox height=\"40\" childmargin=\"10\">"
    "      <Button name=\"ok\" text=\"OK\" width=\"100\" height=\"40\" tooltiptext=\"Confirm\" "
    "normaltextcolor=\"white\" normalimage=\"normal.png\" hotimage=\"hot.png\" "
    "pushedimage=\"pushed.png\"/>"
    "      <Button name=\"cancel\" text=\"Cancel\" width=\"100\" height=\"40\" "
    "bkcolor=\"skin_grey\" normaltextcolor=\"black\"/>"
    "    </HBox>"
    "    <CheckBox name=\"remember\" text=\"Remember\" width=\"140\" height=\"24\" "
    "normaltextcolor=\"black\" selectednormalcolor=\"skin_green\"/>"
    "    <HBox height=\"24\" childmargin=\"10\">"
    "      <Option name=\"small\" group=\"size\" text=\"Small\" width=\"100\" height=\"24\" "
    "selected=\"true\" normaltextcolor=\"black\" selectednormalcolor=\"skin_green\"/>"
    "      <Option name=\"large\" group=\"size\" text=\"Large\" width=\"100\" height=\"24\" "
    "normaltextcolor=\"black\" selectednormalcolor=\"skin_green\"/>"
    "    </HBox>"
    "  </VBox>"
    "</VBox></Window>";

DWORD ScreenRgb(POINT screen) {
  const test_support::ScreenCapture capture =
      test_support::CaptureScreen(RECT{screen.x, screen.y, screen.x + 1, screen.y + 1});
  return capture.width == 1 ? capture.Rgb(0, 0) : 0xFFFFFFFFu;
}

POINT CentreOf(HWND hwnd, ui::Control* control) {
  const RECT pos = control->GetPos();
  return ToScreen(hwnd, POINT{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2});
}

bool WriteSolidPng(const std::wstring& folder, const std::wstring& name, DWORD rgb) {
  return uitest::WritePng(ui::GlobalManager::GetResourcePath() + folder + L"\\" + name, 12, 12,
                          std::vector<DWORD>(12 * 12, 0xFF000000u | rgb));
}

TEST(SkinnedFormTest, RealInputReachesTheControlsOfAFormBuiltFromMarkup) {
  ASSERT_TRUE(uitest::WriteSkin(L"form", L"form.xml", kForm));
  ASSERT_TRUE(WriteSolidPng(L"form", L"normal.png", kNormal));
  ASSERT_TRUE(WriteSolidPng(L"form", L"hot.png", kHot));
  ASSERT_TRUE(WriteSolidPng(L"form", L"pushed.png", kPushed));
  uitest::MoveMouse(POINT{900, 900});  // Away from where the window comes.
  SkinWindow::Life life;
  auto* window = new SkinWindow(L"form", L"form.xml", &life);
  const RECT rect = {100, 100, 460, 340};
  HWND hwnd = window->CreateShown(rect, false);
  ASSERT_TRUE(hwnd);
  ui::Control* ok = window->FindControl(L"ok");
  ui::Control* cancel = window->FindControl(L"cancel");
  auto* remember =
      dynamic_cast<ui::CheckBoxTemplate<ui::Control>*>(window->FindControl(L"remember"));
  auto* small = dynamic_cast<ui::OptionTemplate<ui::Control>*>(window->FindControl(L"small"));
  auto* large = dynamic_cast<ui::OptionTemplate<ui::Control>*>(window->FindControl(L"large"));
  ASSERT_TRUE(ok && cancel && remember && small && large);
  int okClicks = 0, cancelClicks = 0;
  ok->AttachClick([&](const ui::EventArgs&) { return ++okClicks, true; });
  cancel->AttachClick([&](const ui::EventArgs&) { return ++cancelClicks, true; });
  EXPECT_TRUE(small->IsSelected());
  EXPECT_EQ(ok->GetPos().top, 42) << "the caption row, then the form's padding";

  // The OK button's state images on the screen: normal, hot under the pointer, pushed while
  // held, and hot again after the click.
  // The probe is beside the button's text, on its image.
  const POINT okCentre = CentreOf(hwnd, ok);
  const POINT imageProbe = {okCentre.x - 30, okCentre.y};
  std::vector<test_support::ScreenCapture> frames;
  auto imageShows = [&](DWORD rgb) {
    const bool shown = PumpUntil([&] { return ScreenRgb(imageProbe) == rgb; }, kWaitMs);
    frames.push_back(test_support::CaptureScreen(rect));
    return shown;
  };
  EXPECT_TRUE(imageShows(kNormal)) << std::hex << ScreenRgb(imageProbe);
  uitest::MoveMouse(imageProbe);
  EXPECT_TRUE(imageShows(kHot)) << std::hex << ScreenRgb(imageProbe);
  // Hovering on: the markup's tooltip.
  EXPECT_TRUE(PumpUntil([&] { return uitest::FindVisibleToolTip(hwnd) != nullptr; }, kWaitMs));
  uitest::MouseButton(false, true);
  EXPECT_TRUE(imageShows(kPushed)) << std::hex << ScreenRgb(imageProbe);
  uitest::MouseButton(false, false);
  ASSERT_TRUE(PumpUntil([&] { return okClicks == 1; }, kWaitMs));
  EXPECT_TRUE(imageShows(kHot));
  EXPECT_EQ(cancelClicks, 0);

  // Clicks on the check box and on the other option.
  uitest::Click(CentreOf(hwnd, remember));
  ASSERT_TRUE(PumpUntil([&] { return remember->IsSelected(); }, kWaitMs));
  uitest::Click(CentreOf(hwnd, large));
  ASSERT_TRUE(PumpUntil([&] { return large->IsSelected(); }, kWaitMs));
  EXPECT_FALSE(small->IsSelected()) << "one option of a group";
  uitest::MoveMouse(POINT{900, 900});
  ASSERT_TRUE(PumpUntil(
      [&] { return ScreenRgb(CentreOf(hwnd, large)) != ScreenRgb(CentreOf(hwnd, small)); },
      kWaitMs));
  uitest::SaveScreenPng(rect, L"skinned_form_clicked.png");

  // Keys: Tab walks the form in tree order from the focus and wraps; Shift+Tab goes back;
  // Space and Return reach the focused control.
  window->SetFocus(ok);
  std::vector<std::wstring> named;  // The named controls the focus passes, in order.
  for (int press = 0; press < 16 && named.size() < 6; ++press) {
    ui::Control* before = window->GetFocus();
    uitest::PressKey(VK_TAB);
    ASSERT_TRUE(PumpUntil([&] { return window->GetFocus() != before; }, kWaitMs));
    const std::wstring& name = window->GetFocus()->GetName();
    if (!name.empty()) named.push_back(name);
  }
  const std::vector<std::wstring> order = {L"cancel", L"remember", L"small",
                                           L"large",  L"title",    L"closebtn"};
  EXPECT_EQ(named, order);
  window->SetFocus(cancel);
  uitest::PressKey(VK_TAB, true);
  ASSERT_TRUE(PumpUntil([&] { return window->GetFocus() == ok; }, kWaitMs));
  uitest::PressKey(VK_RETURN);
  ASSERT_TRUE(PumpUntil([&] { return okClicks == 2; }, kWaitMs));
  window->SetFocus(remember);
  uitest::PressKey(VK_SPACE);
  ASSERT_TRUE(PumpUntil([&] { return !remember->IsSelected(); }, kWaitMs));
  EXPECT_EQ(cancelClicks, 0);

  // Frames: normal, hot, pushed, hot.
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  std::vector<DWORD> strip(static_cast<size_t>(width) * frames.size() * height);
  for (size_t f = 0; f < frames.size(); ++f) {
    for (int y = 0; y < height && y < frames[f].height; ++y) {
      for (int x = 0; x < width && x < frames[f].width; ++x)
        strip[y * width * frames.size() + f * width + x] = 0xFF000000u | frames[f].Rgb(x, y);
    }
  }
  wchar_t folder[MAX_PATH] = {};
  ::GetCurrentDirectoryW(MAX_PATH, folder);
  const std::wstring png = std::wstring(folder) + L"\\skinned_form_button_states.png";
  EXPECT_TRUE(uitest::WritePng(png, width * static_cast<int>(frames.size()), height, strip));
  std::printf("screenshot: %ls\n", png.c_str());

  // The close button of the caption closes the window, and with it the object.
  uitest::Click(CentreOf(hwnd, window->FindControl(L"closebtn")));
  EXPECT_TRUE(PumpUntil([&] { return life.deleted; }, kWaitMs));
}

}  // namespace
