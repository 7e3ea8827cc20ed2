// The skinned window base in real windows: a skin that does not load (reported, the object gone),
// the shadow box around the skin's root, a root that sizes the window, hit-testing of the caption
// and the size box (inside the shadow), the caption buttons clicked by real input, the rounded
// window region, and the non-client and system-command defaults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/screen_capture.h"
#include "tests/ui/control_test_support.h"
#include "tests/ui/skin_window_test_support.h"
#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/layout.h"
#include "ui/core/shadow_box.h"
#include "ui/core/window_impl_base.h"
#include "ui/render/render_interfaces.h"

namespace {

using uitest::PumpUntil;
using uitest::SkinWindow;
using uitest::ToScreen;

constexpr DWORD kWaitMs = 20000;

TEST(WindowImplBaseTest, ASkinThatDoesNotLoadFailsCreationThroughTheReporter) {
  uitest::ReportedErrors reported;
  SkinWindow::Life life;
  auto* window = new SkinWindow(L"implbase", L"missing.xml", &life);
  EXPECT_EQ(window->Create(nullptr, L"missing", WS_POPUP, 0, false, RECT{0, 0, 100, 100}),
            nullptr);
  EXPECT_TRUE(life.deleted) << "the object goes with its native window";
  EXPECT_EQ(life.skin_loaded, 0);
  ASSERT_EQ(reported.texts.size(), 1u);
  EXPECT_EQ(reported.texts[0], L"Failed to load xml file implbase\\missing.xml");
  EXPECT_EQ(reported.captions[0], ui::WindowImplBase::kErrorCaption);

  // Markup that does not parse fails the same way.
  ASSERT_TRUE(
      uitest::WriteSkin(L"implbase", L"broken.xml", "<Window><VBox width=\"10\"></Window>"));
  auto* broken = new SkinWindow(L"implbase", L"broken.xml", &life);
  life = SkinWindow::Life();
  EXPECT_EQ(broken->Create(nullptr, L"broken", WS_POPUP, 0, false, RECT{0, 0, 100, 100}),
            nullptr);
  EXPECT_TRUE(life.deleted);
  EXPECT_EQ(reported.texts.size(), 2u);

  // A class that cannot be registered never reaches a native window: still deleted.
  class Nameless : public SkinWindow {
   public:
    using SkinWindow::SkinWindow;
    std::wstring GetWindowClassName() const override { return std::wstring(); }
  };
  life = SkinWindow::Life();
  auto* nameless = new Nameless(L"implbase", L"broken.xml", &life);
  EXPECT_EQ(nameless->Create(nullptr, L"", WS_POPUP, 0, false, RECT{0, 0, 100, 100}), nullptr);
  EXPECT_TRUE(life.deleted);
}

TEST(WindowImplBaseTest, ACloseListenerThatDeletesTheWindowLeavesNothingToDeleteAgain) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"plain.xml", "<Window><VBox/></Window>"));
  SkinWindow::Life life;
  auto* window = new uitest::KeptOnDelete<SkinWindow>(L"implbase", L"plain.xml", &life);
  HWND hwnd = window->Create(nullptr, L"plain", WS_POPUP, 0, false, RECT{0, 0, 100, 100});
  ASSERT_TRUE(hwnd);
  window->AttachWindowEvent(ui::kEventWindowClose, [window](const ui::EventArgs&) {
    delete window;
    return true;
  });
  // The last message straight to the window procedure: delivered by the system, a fault inside
  // it would be swallowed.
  const auto procedure = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
  procedure(hwnd, WM_NCDESTROY, 0, 0);
  EXPECT_TRUE(life.deleted);
  EXPECT_TRUE(uitest::DeletedObjectsUntouched());
  ::DestroyWindow(hwnd);
}

TEST(WindowImplBaseTest, TheShadowBoxWrapsTheRootAndTheWholeWindowIsClientArea) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"shadow.xml",
                    "<Window size=\"300,200\" shadowattached=\"true\">"
                    "<VBox name=\"skin\" width=\"300\" height=\"200\" bkcolor=\"white\">"
                    "<TestPanel name=\"panel\"/><Unknown name=\"unknown\"/><Label/>"
                    "</VBox></Window>"));
  SkinWindow::Life life;
  auto* window = new SkinWindow(L"implbase", L"shadow.xml", &life);
  HWND hwnd = window->Create(nullptr, L"shadow", WS_OVERLAPPEDWINDOW, 0, true,
                             RECT{50, 50, 150, 150});
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(life.skin_loaded, 1);
  ui::ShadowBox* shadow = window->GetShadowBox();
  ASSERT_NE(shadow, nullptr);
  EXPECT_EQ(window->GetRoot(), shadow);
  EXPECT_EQ(shadow->GetFixedWidth(), 328);
  EXPECT_EQ(shadow->GetFixedHeight(), 228);
  ui::Control* skin = window->FindControl(L"skin");
  ASSERT_NE(skin, nullptr);
  EXPECT_EQ(skin->GetParent(), shadow);
  EXPECT_EQ(skin->GetBorderRound().cx, 3) << "the round-corner fix";
  EXPECT_EQ(shadow->GetLayout()->GetPadding().left, 14);
  // The window makes what the library does not know, and only that.
  EXPECT_NE(window->FindControl(L"panel"), nullptr);
  EXPECT_EQ(window->FindControl(L"unknown"), nullptr);
  EXPECT_EQ(life.asked, (std::vector<std::wstring>{L"TestPanel", L"Unknown"}));

  // Frameless: no caption, and no frame even for a sizing style.
  EXPECT_EQ(::GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CAPTION, 0);
  RECT outer = {};
  RECT client = {};
  ::GetWindowRect(hwnd, &outer);
  ::GetClientRect(hwnd, &client);
  EXPECT_EQ(outer.right - outer.left, 328) << "the skin's size with the shadow";
  EXPECT_EQ(client.right, 328);
  EXPECT_EQ(client.bottom, 228);
  EXPECT_EQ(::GetClassLongW(hwnd, GCL_STYLE) & CS_DBLCLKS, static_cast<DWORD>(CS_DBLCLKS));
  ::DestroyWindow(hwnd);
  EXPECT_TRUE(life.deleted);
}

TEST(WindowImplBaseTest, ALayeredSkinInItsShadowHandsOverShadowAlphaAndAnOpaqueBody) {
  // The shadow: black at alpha 0x40 everywhere, a nine-grid with 30-pixel corners.
  ASSERT_TRUE(uitest::WriteSkin(
      L"implbase", L"layered.xml",
      "<Window size=\"300,200\" shadowimage=\"file='shadow.png' corner='30,30,30,30'\">"
      "<VBox bkcolor=\"skin_blue\"><Control height=\"20\" bkcolor=\"white\"/></VBox>"
      "</Window>"));
  ASSERT_TRUE(uitest::WritePng(ui::GlobalManager::GetResourcePath() + L"implbase\\shadow.png", 90,
                               90, std::vector<DWORD>(90 * 90, 0x40000000)));
  auto* window = new SkinWindow(L"implbase", L"layered.xml", nullptr);
  const RECT rect = {100, 100, 428, 328};
  HWND hwnd = window->CreateShown(rect, true);
  ASSERT_TRUE(hwnd);
  EXPECT_FALSE(window->IsShadowRoundCornerFix()) << "a shadow image of its own";
  ui::IRenderContext* dib = window->GetRenderContext();
  ASSERT_EQ(dib->GetWidth(), 328);
  EXPECT_EQ(uitest::PixelAt(dib, 164, 114), 0xFF2060A0u) << "the skin is opaque";
  EXPECT_EQ(uitest::PixelAt(dib, 164, 20), 0xFFFFFFFFu);
  EXPECT_EQ(uitest::PixelAt(dib, 313, 213), 0xFF2060A0u);
  EXPECT_EQ(uitest::PixelAt(dib, 5, 114), 0x40000000u) << "the shadow keeps its alpha";
  EXPECT_EQ(uitest::PixelAt(dib, 0, 0), 0x40000000u);
  EXPECT_EQ(uitest::PixelAt(dib, 320, 220), 0x40000000u);
  // UpdateLayeredWindow took it: the X server shows the opaque skin.
  EXPECT_TRUE(PumpUntil(
      [&] {
        const test_support::ScreenCapture capture = test_support::CaptureScreen(
            RECT{rect.left + 164, rect.top + 114, rect.left + 165, rect.top + 115});
        return capture.width == 1 && capture.Rgb(0, 0) == 0x2060A0u;
      },
      kWaitMs));
  uitest::SaveScreenPng(rect, L"skin_window_layered_shadow.png");
  ::DestroyWindow(hwnd);
}

TEST(WindowImplBaseTest, ARootOfAutoSizeSizesTheWindowToItsEstimateWithinItsLimits) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"auto.xml",
                    "<Window shadowattached=\"false\">"
                    "<VBox width=\"auto\" height=\"auto\" maxwidth=\"400\" minheight=\"100\">"
                    "<Control width=\"500\" height=\"40\"/><Control width=\"20\" height=\"30\"/>"
                    "</VBox></Window>"));
  SkinWindow::Life life;
  auto* window = new SkinWindow(L"implbase", L"auto.xml", &life);
  HWND hwnd = window->Create(nullptr, L"auto", WS_POPUP, 0, false, RECT{50, 60, 70, 80});
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(window->GetShadowBox(), nullptr);
  RECT where = {};
  ::GetWindowRect(hwnd, &where);
  EXPECT_EQ(where.left, 0);
  EXPECT_EQ(where.top, 0);
  EXPECT_EQ(where.right - where.left, 400) << "the estimate of 500 held to the maximum";
  EXPECT_EQ(where.bottom - where.top, 100) << "the estimate of 70 raised to the minimum";

  // Inside a shadow the shadow box sizes itself by the same rule, padding included.
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"auto_shadow.xml",
                    "<Window><VBox width=\"auto\" height=\"auto\">"
                    "<Control width=\"120\" height=\"40\"/></VBox></Window>"));
  auto* shadowed = new SkinWindow(L"implbase", L"auto_shadow.xml", nullptr);
  HWND other = shadowed->Create(nullptr, L"auto", WS_POPUP, 0, true, RECT{50, 60, 70, 80});
  ASSERT_TRUE(other);
  ::GetWindowRect(other, &where);
  EXPECT_EQ(where.right - where.left, 148);
  EXPECT_EQ(where.bottom - where.top, 68);
  ::DestroyWindow(other);
  ::DestroyWindow(hwnd);
  EXPECT_TRUE(life.deleted);
}

// A 300 x 200 skin in a shadow of 14, resizable by a 4-pixel box, with a caption 30 high
// holding a label, a free space and the caption buttons (the restore button hidden), each 30
// wide: minimise at 224, maximise (or restore) at 254, close at 284.
const char kCaptionSkin[] =
    "<Window size=\"300,200\" sizebox=\"4,4,4,4\" caption=\"0,0,0,30\">"
    "<VBox width=\"300\" height=\"200\" bkcolor=\"white\">"
    "<HBox height=\"30\">"
    "<Label name=\"title\" text=\"Title\" width=\"150\" height=\"30\"/>"
    "<Control width=\"stretch\"/>"
    "<Button name=\"minbtn\" width=\"30\" height=\"30\" bkcolor=\"skin_grey\"/>"
    "<Button name=\"maxbtn\" width=\"30\" height=\"30\" bkcolor=\"skin_green\"/>"
    "<Button name=\"restorebtn\" width=\"30\" height=\"30\" bkcolor=\"skin_green\" "
    "visible=\"false\"/>"
    "<Button name=\"closebtn\" width=\"30\" height=\"30\" bkcolor=\"skin_blue\"/>"
    "</HBox>"
    "<Control name=\"body\"/>"
    "</VBox></Window>";

LRESULT HitTest(HWND hwnd, int x, int y) {
  const POINT screen = ToScreen(hwnd, POINT{x, y});
  return ::SendMessageW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
}

TEST(WindowImplBaseTest, HitTestingGivesTheSizeBandsInsideTheShadowAndTheCaptionOverLabels) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"caption.xml", kCaptionSkin));
  SkinWindow::Life life;
  auto* window = new SkinWindow(L"implbase", L"caption.xml", &life);
  HWND hwnd = window->CreateShown(RECT{100, 100, 428, 328}, false);
  ASSERT_TRUE(hwnd);

  // The skin spans 14..314 x 14..214; the bands are 4 wide at its edges.
  struct Case {
    int x, y;
    LRESULT expected;
  };
  const Case cases[] = {
      {5, 5, HTCLIENT},          {14, 14, HTTOPLEFT},      {17, 17, HTTOPLEFT},
      {100, 14, HTTOP},          {313, 15, HTTOPRIGHT},    {320, 15, HTTOP},
      {14, 100, HTLEFT},         {5, 100, HTCLIENT},       {313, 100, HTRIGHT},
      {320, 100, HTCLIENT},      {14, 212, HTBOTTOMLEFT},  {100, 212, HTBOTTOM},
      {313, 212, HTBOTTOMRIGHT}, {100, 220, HTCLIENT},     {60, 30, HTCAPTION},
      {200, 30, HTCAPTION},      {14 + 300 - 15, 30, HTCLIENT},  // the close button
      {14 + 300 - 45, 30, HTCLIENT},                                // the maximise button
      {14 + 300 - 75, 30, HTCLIENT},                                // the minimise button
      {60, 43, HTCAPTION},       {60, 44, HTCLIENT},       {60, 120, HTCLIENT},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HitTest(hwnd, c.x, c.y), c.expected) << "at " << c.x << "," << c.y;
  }

  // Maximised: no sizing bands, the shadow collapses, the caption still moves the window.
  ::ShowWindow(hwnd, SW_MAXIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return ::IsZoomed(hwnd) && !window->IsLayoutPending(); }, kWaitMs));
  EXPECT_EQ(HitTest(hwnd, 1, 100), HTCLIENT);
  EXPECT_EQ(HitTest(hwnd, 1, 1), HTCAPTION);
  ::DestroyWindow(hwnd);
  EXPECT_TRUE(life.deleted);
}

POINT CentreOf(HWND hwnd, ui::Control* control) {
  const RECT pos = control->GetPos();
  return ToScreen(hwnd, POINT{(pos.left + pos.right) / 2, (pos.top + pos.bottom) / 2});
}

TEST(WindowImplBaseTest, CaptionButtonsClickedByRealInputMaximiseRestoreMinimiseAndClose) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"caption.xml", kCaptionSkin));
  SkinWindow::Life life;
  auto* window = new SkinWindow(L"implbase", L"caption.xml", &life);
  HWND hwnd = window->CreateShown(RECT{100, 100, 428, 328}, false);
  ASSERT_TRUE(hwnd);
  ui::Control* maxButton = window->FindControl(L"maxbtn");
  ui::Control* restoreButton = window->FindControl(L"restorebtn");
  ASSERT_TRUE(maxButton && restoreButton);

  // Maximise: the restore button takes the maximise button's place.
  uitest::Click(CentreOf(hwnd, maxButton));
  ASSERT_TRUE(PumpUntil([&] { return ::IsZoomed(hwnd) && !window->IsLayoutPending(); }, kWaitMs));
  EXPECT_FALSE(maxButton->IsVisible());
  EXPECT_TRUE(restoreButton->IsVisible());
  uitest::Click(CentreOf(hwnd, restoreButton));
  ASSERT_TRUE(PumpUntil([&] { return !::IsZoomed(hwnd) && !window->IsLayoutPending(); },
                        kWaitMs));
  EXPECT_TRUE(maxButton->IsVisible());
  EXPECT_FALSE(restoreButton->IsVisible());
  RECT where = {};
  ::GetWindowRect(hwnd, &where);
  EXPECT_EQ(where.right - where.left, 328) << "back to its size";

  uitest::Click(CentreOf(hwnd, window->FindControl(L"minbtn")));
  ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(hwnd) != FALSE; }, kWaitMs));
  window->BringToFront();  // Restores a minimised window.
  ASSERT_TRUE(PumpUntil([&] { return !::IsIconic(hwnd) && !window->IsLayoutPending(); },
                        kWaitMs));
  window->BringToFront();  // Brings it to the front.
  ASSERT_TRUE(PumpUntil([&] { return ::GetForegroundWindow() == hwnd; }, kWaitMs));

  uitest::Click(CentreOf(hwnd, window->FindControl(L"closebtn")));
  ASSERT_TRUE(PumpUntil([&] { return life.deleted; }, kWaitMs)) << "closed after its fade";
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(WindowImplBaseTest, TheRoundCornerShapesTheWindowRegionAfterEachSize) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"round.xml",
                    "<Window shadowattached=\"false\" size=\"200,100\" roundcorner=\"10,10\">"
                    "<VBox bkcolor=\"white\"/></Window>"));
  auto* window = new SkinWindow(L"implbase", L"round.xml", nullptr);
  HWND hwnd = window->Create(nullptr, L"round", WS_POPUP, 0, false, RECT{100, 100, 150, 150});
  ASSERT_TRUE(hwnd);
  ::SetWindowPos(hwnd, nullptr, 0, 0, 300, 160, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  HRGN region = ::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(::GetWindowRgn(hwnd, region), ERROR);
  RECT box = {};
  ::GetRgnBox(region, &box);
  EXPECT_EQ(box.right, 300);
  EXPECT_EQ(box.bottom, 160);
  EXPECT_FALSE(::PtInRegion(region, 0, 0)) << "the corner is cut";
  EXPECT_FALSE(::PtInRegion(region, 299, 159));
  EXPECT_TRUE(::PtInRegion(region, 150, 0));
  EXPECT_TRUE(::PtInRegion(region, 299, 80));
  ::DeleteObject(region);

  // Minimised, the region is left as it was.
  ::ShowWindow(hwnd, SW_SHOWMINNOACTIVE);
  HRGN after = ::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(::GetWindowRgn(hwnd, after), ERROR);
  ::GetRgnBox(after, &box);
  EXPECT_EQ(box.right, 300);
  ::DeleteObject(after);
  ::DestroyWindow(hwnd);
}

TEST(WindowImplBaseTest, NcActivateKeepsTheLookAndSysCommandCloseClosesThroughWmClose) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"caption.xml", kCaptionSkin));
  SkinWindow::Life life;
  auto* window = new SkinWindow(L"implbase", L"caption.xml", &life);
  HWND hwnd =
      window->CreateShown(RECT{100, 100, 428, 328}, false, WS_POPUP | WS_MAXIMIZEBOX);
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, FALSE, 0), TRUE);
  EXPECT_EQ(::SendMessageW(hwnd, WM_NCACTIVATE, TRUE, 0), FALSE);
  EXPECT_EQ(::SendMessageW(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, 0), 0);
  EXPECT_FALSE(::IsZoomed(hwnd)) << "a double click on the caption does nothing";

  window->SetWindowTitle(L"Renamed");
  wchar_t title[32] = {};
  ::GetWindowTextW(hwnd, title, 32);
  EXPECT_STREQ(title, L"Renamed");

  EXPECT_EQ(life.closes, 0);
  ::SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(life.closes, 1) << "through WM_CLOSE";
  EXPECT_TRUE(life.deleted);
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(WindowImplBaseTest, TrackSizesCarryTheShadowAndADpiChangeScalesItAgain) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"limits.xml",
                                "<Window size=\"300,200\" mininfo=\"200,100\" "
                                "maxinfo=\"600,0\"><VBox bkcolor=\"white\"/></Window>"));
  auto* window = new SkinWindow(L"implbase", L"limits.xml", nullptr);
  HWND hwnd = window->Create(nullptr, L"limits", WS_POPUP, 0, true, RECT{100, 100, 150, 150});
  ASSERT_TRUE(hwnd);
  MINMAXINFO info = {};
  info.ptMaxTrackSize = POINT{5000, 5000};
  ::SendMessageW(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 228);
  EXPECT_EQ(info.ptMinTrackSize.y, 128);
  EXPECT_EQ(info.ptMaxTrackSize.x, 628);
  EXPECT_EQ(info.ptMaxTrackSize.y, 5000) << "a limit of 0 is no limit";
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  ::GetMonitorInfoW(::MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &monitor);
  EXPECT_EQ(info.ptMaxSize.x, monitor.rcWork.right - monitor.rcWork.left);
  EXPECT_EQ(info.ptMaxPosition.x, monitor.rcWork.left - monitor.rcMonitor.left);

  // With DPI adaptation on, a move to a 144-DPI monitor scales the shadow to 21; back at 96 it is
  // 14 again. Without adaptation nothing changes.
  ui::DpiManager* dpi = ui::DpiManager::GetInstance();
  ::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
  EXPECT_EQ(dpi->GetScale(), 100);
  dpi->SetAdaptDPI(true);
  ::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(144, 144), 0);
  EXPECT_EQ(dpi->GetScale(), 150);
  EXPECT_EQ(window->GetShadowBox()->GetLayout()->GetPadding().left, 21);
  EXPECT_EQ(window->GetShadowCorner().bottom, 21);
  ::SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(96, 96), 0);
  dpi->SetAdaptDPI(false);
  EXPECT_EQ(dpi->GetScale(), 100);
  EXPECT_EQ(window->GetShadowBox()->GetLayout()->GetPadding().left, 14);
  ::DestroyWindow(hwnd);
}

}  // namespace
