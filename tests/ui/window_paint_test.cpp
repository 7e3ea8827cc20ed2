// The paint cycle in real windows: a button-like control's state images on hover and press (on
// the screen, with a screenshot), a layered window with a shadow (the pixels handed to
// UpdateLayeredWindow: the X server shows only opaque and fully clear pixels of a layered window),
// the shadow on maximise and restore, a minimised window, a layered window partly off the screen,
// a root that sizes the window, and the show fade.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/screen_capture.h"
#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "tests/ui/window_test_support.h"
#include "ui/core/global_manager.h"
#include "ui/core/paint_request.h"
#include "ui/core/performance_clock.h"
#include "ui/core/shadow_box.h"
#include "ui/render/render_interfaces.h"

namespace {

using uitest::LoggingControl;
using uitest::Place;
using uitest::PumpUntil;
using uitest::RootBox;
using uitest::ScreenRgb;
using uitest::TestWindow;

constexpr DWORD kWaitMs = 20000;

// A solid PNG of width x height in argb, in dir.
std::wstring SolidPng(const uitest::TempDir& dir, const std::wstring& name, int width, int height,
                      DWORD argb) {
  const std::wstring path = dir.File(name);
  uitest::WritePng(path, width, height, std::vector<DWORD>(width * height, argb));
  return path;
}

BYTE AlphaAt(ui::IRenderContext* context, int x, int y) {
  return static_cast<BYTE>(uitest::PixelAt(context, x, y) >> 24);
}

TEST(WindowPaintTest, ButtonStateImagesFollowHoverAndPressOnTheScreen) {
  uitest::TempDir dir;
  ui::ManualClock clock;  // The hot fade runs on it.
  const DWORD normal = 0x2E5C8A, hot = 0x3FA34D, pushed = 0xC0392B;
  auto* root = new RootBox();
  root->SetBkColor(L"window_test_background");
  ui::GlobalManager::AddTextColor(L"window_test_background", 0xFFF0F0F0);
  auto* button = Place(root, new LoggingControl(L"button"), 40, 40, 120, 48);
  auto image = [&](const wchar_t* name, DWORD rgb) {
    return L"file='" + SolidPng(dir, name, 12, 12, 0xFF000000 | rgb) + L"'";
  };
  button->SetStateImage(ui::kControlStateNormal, image(L"normal.png", normal));
  button->SetStateImage(ui::kControlStateHot, image(L"hot.png", hot));
  button->SetStateImage(ui::kControlStatePushed, image(L"pushed.png", pushed));
  uitest::MoveMouse(POINT{700, 700});
  TestWindow window(root);
  const RECT rect = {100, 100, 300, 228};
  HWND hwnd = window.CreateShown(rect);
  ASSERT_TRUE(hwnd);
  const POINT centre = uitest::ToScreen(hwnd, POINT{100, 64});
  std::vector<test_support::ScreenCapture> frames;
  auto showsOnScreen = [&](DWORD rgb) {
    const bool shown = PumpUntil([&] { return ScreenRgb(centre) == rgb; }, kWaitMs);
    frames.push_back(test_support::CaptureScreen(rect));
    return shown;
  };

  EXPECT_TRUE(showsOnScreen(normal)) << std::hex << ScreenRgb(centre);
  uitest::MoveMouse(centre);
  ASSERT_TRUE(PumpUntil([&] { return button->Count(ui::kEventMouseEnter) == 1; }, kWaitMs));
  ASSERT_TRUE(uitest::AdvanceClock(clock, 260));  // The hot fade ends.
  EXPECT_TRUE(showsOnScreen(hot)) << std::hex << ScreenRgb(centre);
  uitest::MouseButton(false, true);
  ASSERT_TRUE(PumpUntil([&] { return button->GetState() == ui::kControlStatePushed; }, kWaitMs));
  EXPECT_TRUE(showsOnScreen(pushed)) << std::hex << ScreenRgb(centre);
  uitest::MouseButton(false, false);
  ASSERT_TRUE(PumpUntil([&] { return button->clicks == 1; }, kWaitMs));
  EXPECT_TRUE(showsOnScreen(hot)) << "released over it: hot again";

  // The four frames side by side: normal, hot, pushed, hot.
  EXPECT_TRUE(uitest::SaveFramesPng(frames, rect, L"window_button_states.png"));
}

// A window that wraps its skin in a shadow box on WM_CREATE, as the skinned window base does.
class ShadowWindow : public TestWindow {
 public:
  ShadowWindow(ui::Control* skin, const std::wstring& shadowImage)
      : skin_(skin), shadow_image_(shadowImage) {}
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_CREATE) return TestWindow::HandleMessage(message, wParam, lParam);
    Init(GetHWND());
    auto* box = new ui::ShadowBox();
    box->GetLayout()->SetPadding(GetShadowCorner(), false);
    box->SetBkImage(shadow_image_);
    skin_->SetBorderRound(SIZE{3, 3});
    box->Add(skin_);
    shadow_box_ = box;
    AttachRoot(box);
    return 0;
  }

 private:
  ui::Control* skin_;
  std::wstring shadow_image_;
};

TEST(WindowPaintTest, LayeredWindowWithShadowHandsOverShadowAlphaAndAnOpaqueSkin) {
  uitest::TempDir dir;
  // The shadow: black at alpha 0x40 everywhere (a nine-grid with 30-pixel corners).
  const std::wstring shadow =
      L"file='" + SolidPng(dir, L"shadow.png", 90, 90, 0x40000000) + L"' corner='30,30,30,30'";
  ui::GlobalManager::AddTextColor(L"window_test_skin", 0xFF2060A0);
  auto* skin = new ui::VBox();
  skin->SetBkColor(L"window_test_skin");
  ShadowWindow window(skin, shadow);
  const RECT rect = {100, 100, 428, 328};  // 300 x 200 inside a shadow of 14 on each side.
  HWND hwnd = window.CreateShown(rect, true);
  ASSERT_TRUE(hwnd);
  ASSERT_EQ(skin->GetPos().left, 14);
  EXPECT_EQ(skin->GetPos().right, 314);
  ui::IRenderContext* dib = window.GetRenderContext();

  EXPECT_EQ(uitest::PixelAt(dib, 164, 114), 0xFF2060A0u) << "the skin is opaque";
  EXPECT_EQ(uitest::PixelAt(dib, 15, 15), 0xFF2060A0u);
  EXPECT_EQ(uitest::PixelAt(dib, 5, 114), 0x40000000u) << "the shadow keeps its alpha";
  EXPECT_EQ(uitest::PixelAt(dib, 0, 0), 0x40000000u);
  EXPECT_EQ(uitest::PixelAt(dib, 320, 220), 0x40000000u);
  // The skin's rounded corner: its corner pixel is left to the shadow, and is not made opaque.
  EXPECT_EQ(AlphaAt(dib, 14, 14), 0x40) << std::hex << uitest::PixelAt(dib, 14, 14);

  // UpdateLayeredWindow took it: the X server shows the opaque skin.
  EXPECT_TRUE(PumpUntil(
      [&] { return ScreenRgb(uitest::ToScreen(hwnd, POINT{164, 114})) == 0x2060A0; }, kWaitMs));
  uitest::SaveScreenPng(rect, L"window_layered_shadow.png");
}

// A layered window without a shadow, whose alpha-fix corner a test sets.
class FixedAlphaWindow : public TestWindow {
 public:
  explicit FixedAlphaWindow(ui::Control* root) : TestWindow(root) { SetShadowAttached(false); }
  void SetAlphaFixCorner(const RECT& corner) { alpha_fix_corner_ = corner; }
};

TEST(WindowPaintTest, LayeredWindowWithoutShadowIsOpaqueOnlyWhereTheAlphaFixCornerSays) {
  FixedAlphaWindow window(new ui::Control());  // Paints nothing: all clear.
  HWND hwnd = window.CreateShown(RECT{100, 100, 300, 200}, true);
  ASSERT_TRUE(hwnd);
  EXPECT_EQ(AlphaAt(window.GetRenderContext(), 100, 50), 0);

  window.SetAlphaFixCorner(RECT{10, 10, 10, 10});
  ::InvalidateRect(hwnd, nullptr, FALSE);
  ::SendMessageW(hwnd, WM_PAINT, 0, 0);
  EXPECT_EQ(AlphaAt(window.GetRenderContext(), 100, 50), 255);
  EXPECT_EQ(AlphaAt(window.GetRenderContext(), 5, 5), 0) << "outside the alpha-fix area";
  EXPECT_EQ(AlphaAt(window.GetRenderContext(), 195, 95), 0);
}

TEST(WindowPaintTest, MaximisingDropsTheShadowAndItsRoundCornerAndRestoringBringsThemBack) {
  auto* skin = new ui::VBox();
  ShadowWindow window(skin, L"");
  HWND hwnd = window.CreateShown(RECT{100, 100, 428, 328});
  ASSERT_TRUE(hwnd);
  ui::ShadowBox* box = window.GetShadowBox();
  ASSERT_NE(box, nullptr);
  int sizeEvents = 0;
  skin->AttachEvent(ui::kEventWindowSize, [&](const ui::EventArgs&) {
    ++sizeEvents;
    return true;
  });
  window.SetFocus(skin);

  ::ShowWindow(hwnd, SW_MAXIMIZE);
  ASSERT_TRUE(::IsZoomed(hwnd));
  EXPECT_GE(sizeEvents, 1) << "the focus control hears of the new size";
  EXPECT_EQ(box->GetLayout()->GetPadding().left, 0);
  EXPECT_EQ(window.GetShadowCorner().right, 0);
  EXPECT_EQ(skin->GetBorderRound().cx, 0);
  ::UpdateWindow(hwnd);
  RECT client = {};
  ::GetClientRect(hwnd, &client);
  EXPECT_EQ(skin->GetPos().left, 0);
  EXPECT_EQ(skin->GetPos().right, client.right) << "the skin fills the screen";

  ::ShowWindow(hwnd, SW_RESTORE);
  EXPECT_EQ(box->GetLayout()->GetPadding().left, 14);
  EXPECT_EQ(window.GetShadowCorner().bottom, 14);
  EXPECT_EQ(skin->GetBorderRound().cx, 3);
  EXPECT_EQ(skin->GetBorderRound().cy, 3);
  ::UpdateWindow(hwnd);
  EXPECT_EQ(skin->GetPos().left, 14);
}

// Invalidations of a layered window while its thread is busy post one paint between them, not
// one each: posted paints would pile up towards the queue's limit, where posts start to fail.
TEST(WindowPaintTest, LayeredWindowHasAtMostOnePostedPaintOnItsWay) {
  TestWindow window(new RootBox());
  HWND hwnd = window.CreateShown(RECT{100, 100, 300, 200}, true);
  ASSERT_TRUE(hwnd);
  uitest::TakePostedPaints(hwnd);
  ::SendMessageW(hwnd, WM_PAINT, 0, 0);  // Whatever was on its way, this paint covers it.
  for (int i = 0; i < 100; ++i) window.Invalidate(RECT{0, 0, 10 + i, 10});
  EXPECT_EQ(uitest::TakePostedPaints(hwnd), 1);
}

ULONGLONG g_paint_clock = 0;
ULONGLONG WINAPI PaintClock() { return g_paint_clock; }

TEST(WindowPaintTest, APostedPaintThatNeverBeginsCountsAsLostAndIsPostedAgainOnce) {
  HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                                nullptr);
  ASSERT_TRUE(hwnd);
  g_paint_clock = 5000;
  ui::PaintRequest request(hwnd, &PaintClock);
  EXPECT_TRUE(request.Post());
  EXPECT_EQ(uitest::TakePostedPaints(hwnd), 1);  // Taken without a paint beginning: lost.
  g_paint_clock += ui::PaintRequest::kLostAfterMs - 1;
  EXPECT_TRUE(request.Post());
  EXPECT_EQ(uitest::TakePostedPaints(hwnd), 0) << "still on its way";
  g_paint_clock += 1;
  EXPECT_TRUE(request.Post());
  EXPECT_TRUE(request.Post());
  EXPECT_EQ(uitest::TakePostedPaints(hwnd), 1) << "lost, and posted again once";
  request.Began();
  EXPECT_TRUE(request.Post());
  EXPECT_EQ(uitest::TakePostedPaints(hwnd), 1) << "a paint began: the next request posts";
  ::DestroyWindow(hwnd);
}

TEST(WindowPaintTest, MinimisedWindowValidatesItsPaintWithoutDrawing) {
  auto* root = new ui::Control();
  ui::GlobalManager::AddTextColor(L"window_test_before", 0xFF102030);
  ui::GlobalManager::AddTextColor(L"window_test_after", 0xFF405060);
  root->SetBkColor(L"window_test_before");
  TestWindow window(root);
  HWND hwnd = window.CreateShown(RECT{100, 100, 300, 200});
  ASSERT_TRUE(hwnd);
  ::ShowWindow(hwnd, SW_MINIMIZE);
  ASSERT_TRUE(::IsIconic(hwnd));
  // A new root while minimised: its first layout is due, and so is a paint.
  auto* next = new ui::Control();
  next->SetBkColor(L"window_test_after");
  window.AttachRoot(next);
  ::InvalidateRect(hwnd, nullptr, FALSE);
  ::SendMessageW(hwnd, WM_PAINT, 0, 0);
  EXPECT_FALSE(::GetUpdateRect(hwnd, nullptr, FALSE)) << "the paint was validated";
  ui::IRenderContext* surface = window.GetRenderContext();
  EXPECT_EQ(surface->GetWidth(), 200) << "the surface was left as it was";
  EXPECT_EQ(uitest::RgbAt(surface, 100, 50), 0x102030u) << "nothing was drawn";
  EXPECT_TRUE(window.IsLayoutPending()) << "the layout waits for the window to come back";

  ::ShowWindow(hwnd, SW_RESTORE);
  EXPECT_TRUE(PumpUntil([&] { return uitest::RgbAt(surface, 100, 50) == 0x405060u; }, kWaitMs));
}

TEST(WindowPaintTest, LayeredWindowPartlyOffTheScreenPaintsItsHiddenPartToo) {
  ui::GlobalManager::AddTextColor(L"window_test_red", 0xFFD02020);
  ui::GlobalManager::AddTextColor(L"window_test_green", 0xFF20A040);
  auto* root = new ui::Control();
  root->SetBkColor(L"window_test_red");
  FixedAlphaWindow window(root);
  HWND hwnd = window.CreateShown(RECT{-100, 100, 200, 300}, true);  // 100 pixels off the left.
  ASSERT_TRUE(hwnd);
  ui::IRenderContext* surface = window.GetRenderContext();
  ASSERT_EQ(uitest::RgbAt(surface, 50, 100), 0xD02020u);

  // The update rectangle ends at the screen's edge (client x 100): the paint widens it to the
  // window's edge, so the part beyond the screen is current when the window comes back.
  root->SetBkColor(L"window_test_green");
  ::ValidateRect(hwnd, nullptr);
  RECT visible = {100, 0, 300, 200};
  ::InvalidateRect(hwnd, &visible, FALSE);
  ::SendMessageW(hwnd, WM_PAINT, 0, 0);
  EXPECT_EQ(uitest::RgbAt(surface, 150, 100), 0x20A040u);
  EXPECT_EQ(uitest::RgbAt(surface, 50, 100), 0x20A040u) << "the hidden half was not painted";
}

TEST(WindowPaintTest, RootOfAutoSizeSizesTheWindowWithinItsLimitsBeforeItsFirstLayout) {
  auto* root = new ui::VBox();
  root->SetFixedWidth(ui::kSizeAuto);
  root->SetFixedHeight(ui::kSizeAuto);
  root->SetMaxWidth(150);
  auto* child = new ui::Control();
  child->SetFixedWidth(200);
  child->SetFixedHeight(100);
  root->Add(child);
  TestWindow window(root);
  HWND hwnd = window.Create(nullptr, L"", WS_POPUP, 0, false, RECT{100, 100, 150, 150});
  ASSERT_TRUE(hwnd);
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(PumpUntil([&] { return root->GetPos().bottom == 100; }, kWaitMs));
  RECT where = {};
  ::GetWindowRect(hwnd, &where);
  EXPECT_EQ(where.left, 100) << "resized where it was";
  EXPECT_EQ(where.right - where.left, 150) << "the estimate of 200 is held to the maximum";
  EXPECT_EQ(where.bottom - where.top, 100);
  EXPECT_EQ(root->GetPos().right, 150);

  // A side that stretches keeps the window's size on that side.
  auto* tall = new ui::VBox();
  tall->SetFixedHeight(ui::kSizeAuto);
  auto* row = new ui::Control();
  row->SetFixedHeight(60);
  tall->Add(row);
  TestWindow stretching(tall);
  HWND other = stretching.Create(nullptr, L"", WS_POPUP, 0, false, RECT{300, 100, 420, 150});
  ASSERT_TRUE(other);
  ::ShowWindow(other, SW_SHOWNOACTIVATE);
  ASSERT_TRUE(PumpUntil([&] { return tall->GetPos().bottom == 60; }, kWaitMs));
  ::GetWindowRect(other, &where);
  EXPECT_EQ(where.right - where.left, 120);
  EXPECT_EQ(where.bottom - where.top, 60);
}

TEST(WindowPaintTest, ShowFadeMovesTheWindowAlphaOnlyForARootWithAnAlphaFade) {
  ui::ManualClock clock;
  TestWindow plain(new ui::Control());
  ASSERT_TRUE(plain.CreateShown(RECT{100, 100, 200, 200}, true));
  EXPECT_EQ(plain.GetWindowAlpha(), 255) << "a root without a fade shows at once";

  auto* root = new ui::Control();
  root->GetAnimationManager().SetFadeAlpha(true);
  TestWindow fading(root);
  ASSERT_TRUE(fading.CreateShown(RECT{300, 100, 400, 200}, true));
  EXPECT_LT(fading.GetWindowAlpha(), 255);
  ASSERT_TRUE(uitest::AdvanceClock(clock, 125));
  EXPECT_GT(fading.GetWindowAlpha(), 0);
  EXPECT_LT(fading.GetWindowAlpha(), 255);
  EXPECT_EQ(root->GetAlpha(), 255) << "the window fades, not the root";
  ASSERT_TRUE(uitest::AdvanceClock(clock, 130));
  EXPECT_EQ(fading.GetWindowAlpha(), 255);
}

}  // namespace
