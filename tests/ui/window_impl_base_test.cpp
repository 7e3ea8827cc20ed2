// The skinned window base in real windows: a skin that does not load (reported, the object gone),
// the shadow box around the skin's root, a root that sizes the window, hit-testing of the caption
// and the size box (inside the shadow), the caption buttons clicked by real input, the rounded
// window region, and the non-client and system-command defaults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/skin_window_test_support.h"
#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/core/shadow_box.h"
#include "ui/core/window_impl_base.h"

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
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"broken.xml", "<Window><VBox width=\"10\"></Window>"));
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

TEST(WindowImplBaseTest, TheShadowBoxWrapsTheRootAndTheWholeWindowIsClientArea) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"shadow.xml",
                    "<Window size=\"300,200\" shadowattached=\"true\">"
                    "<VBox name=\"skin\" width=\"300\" height=\"200\" bkcolor=\"white\"/>"
                    "</Window>"));
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
// holding a label and a close button.
const char kCaptionSkin[] =
    "<Window size=\"300,200\" sizebox=\"4,4,4,4\" caption=\"0,0,0,30\">"
    "<VBox width=\"300\" height=\"200\" bkcolor=\"white\">"
    "<HBox height=\"30\">"
    "<Label name=\"title\" text=\"Title\" width=\"200\" height=\"30\"/>"
    "<Control width=\"stretch\"/>"
    "<Button name=\"minbtn\" width=\"30\" height=\"30\" bkcolor=\"skin_grey\"/>"
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
      {230, 30, HTCAPTION},      {14 + 300 - 15, 30, HTCLIENT},  // the close button
      {14 + 300 - 45, 30, HTCLIENT},                                // the minimise button
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

TEST(WindowImplBaseTest, CaptionButtonsClickedByRealInputMinimiseAndClose) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"caption.xml", kCaptionSkin));
  SkinWindow::Life life;
  auto* window = new SkinWindow(L"implbase", L"caption.xml", &life);
  HWND hwnd = window->CreateShown(RECT{100, 100, 428, 328}, false);
  ASSERT_TRUE(hwnd);
  uitest::Click(ToScreen(hwnd, POINT{14 + 300 - 45, 28}));
  ASSERT_TRUE(PumpUntil([&] { return ::IsIconic(hwnd) != FALSE; }, kWaitMs));
  ::ShowWindow(hwnd, SW_RESTORE);
  window->BringToFront();
  ASSERT_TRUE(PumpUntil([&] { return !::IsIconic(hwnd) && !window->IsLayoutPending(); },
                        kWaitMs));

  uitest::Click(ToScreen(hwnd, POINT{14 + 300 - 15, 28}));
  ASSERT_TRUE(PumpUntil([&] { return life.deleted; }, kWaitMs)) << "closed after its fade";
  EXPECT_FALSE(::IsWindow(hwnd));
}

TEST(WindowImplBaseTest, TheRoundCornerShapesTheWindowRegionAfterEachSize) {
  ASSERT_TRUE(uitest::WriteSkin(L"implbase", L"round.xml",
                    "<Window size=\"200,100\" roundcorner=\"10,10\" shadowattached=\"false\">"
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

}  // namespace
