// Control painting into a memory bitmap: the pixels drawn are compared, not the calls made.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

using ui::Box;
using ui::Control;
using uitest::RgbAt;

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kGreen = 0x00FF00;
constexpr DWORD kBlue = 0x0000FF;
constexpr DWORD kWhite = 0xFFFFFF;

// Draws a long text from its left edge, further than the control is wide.
class TextControl : public Control {
 public:
  void PaintText(ui::IRenderContext* context) override {
    const RECT pos = GetPos();
    context->DrawText(RECT{pos.left, pos.top, pos.left + 400, pos.bottom},
                      L"WWWWWWWWWWWWWWWWWWWW", 0xFF000000, L"", DT_SINGLELINE | DT_VCENTER);
  }
};

class ControlPaintTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::GlobalManager::AddTextColor(L"paint_red", 0xFFFF0000);
    ui::GlobalManager::AddTextColor(L"paint_white", 0xFFFFFFFF);
    ui::GlobalManager::AddTextColor(L"paint_half_red", 0x80FF0000);
  }

  void SetUp() override {
    green_ = Png(L"green.png", 0xFF00FF00);
    blue_ = Png(L"blue.png", 0xFF0000FF);
    canvas_ = uitest::MakeCanvas(100, 100);
    root_ = new Box();
    window_.AttachRoot(root_);
  }

  std::wstring Png(const std::wstring& name, DWORD argb) {
    const std::wstring path = dir_.File(name);
    EXPECT_TRUE(uitest::WritePng(path, 20, 20, std::vector<DWORD>(400, argb)));
    return path;
  }

  // A child of the root at (left, top), width x height.
  template <typename T = Control>
  T* AddChild(int left, int top, int width, int height) {
    auto* child = new T();
    child->SetFloat(true);
    child->SetFixedWidth(width);
    child->SetFixedHeight(height);
    child->SetMargin(RECT{left, top, 0, 0});
    root_->Add(child);
    return child;
  }

  void Paint(const RECT& area = RECT{0, 0, 100, 100}) {
    window_.SetLayoutPending(true);
    window_.ArrangeRoot(RECT{0, 0, 100, 100});
    root_->PaintWithClip(canvas_.get(), area);
  }

  int CountOutside(const RECT& inside, DWORD rgb) {
    int count = 0;
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 100; ++x)
        if (!(x >= inside.left && x < inside.right && y >= inside.top && y < inside.bottom) &&
            RgbAt(canvas_.get(), x, y) != rgb)
          ++count;
    return count;
  }

  uitest::TempDir dir_;
  std::wstring green_;
  std::wstring blue_;
  std::unique_ptr<ui::IRenderContext> canvas_;
  ui::Window window_;
  Box* root_ = nullptr;
};

TEST_F(ControlPaintTest, ABoxPaintsItsColourAndAChildItsStretchedImage) {
  root_->SetAttribute(L"bkcolor", L"paint_red");
  Control* child = AddChild(30, 30, 40, 40);
  child->SetBkImage(L"file='" + green_ + L"'");
  Paint();
  EXPECT_EQ(RgbAt(canvas_.get(), 10, 10), kRed);
  EXPECT_EQ(RgbAt(canvas_.get(), 29, 29), kRed);
  EXPECT_EQ(RgbAt(canvas_.get(), 30, 30), kGreen);
  EXPECT_EQ(RgbAt(canvas_.get(), 69, 69), kGreen);
  EXPECT_EQ(RgbAt(canvas_.get(), 70, 70), kRed);
  EXPECT_EQ(uitest::CountRgb(canvas_.get(), RECT{0, 0, 100, 100}, kGreen), 40 * 40);
}

TEST_F(ControlPaintTest, StateImagesFollowHotAndPushedAndAPressKeepsTheHotFade) {
  Control* button = AddChild(10, 10, 40, 40);
  button->SetAttribute(L"normalimage", L"file='" + green_ + L"'");
  button->SetAttribute(L"hotimage", L"file='" + blue_ + L"' fade='128'");
  Paint();
  EXPECT_EQ(RgbAt(canvas_.get(), 30, 30), kGreen);

  button->SetState(ui::kControlStateHot);  // Hot alpha 255: the hot image at its own fade.
  Paint();
  const DWORD hot = RgbAt(canvas_.get(), 30, 30);
  EXPECT_NEAR(static_cast<int>(hot & 0xFF), 128, 2);
  EXPECT_NEAR(static_cast<int>((hot >> 8) & 0xFF), 127, 2);

  button->SetState(ui::kControlStatePushed);  // No pushed image: the hot one, fully opaque.
  Paint();
  EXPECT_EQ(RgbAt(canvas_.get(), 30, 30), kBlue);
  const ui::Image& hotImage = button->GetStateImageMap()
                                  .GetStateImage(ui::kStateImageBk)
                                  .GetImage(ui::kControlStateHot);
  EXPECT_EQ(hotImage.GetAttribute().fade, 128);  // Not overwritten by the press.

  button->SetState(ui::kControlStateHot);
  Paint();
  EXPECT_NEAR(static_cast<int>(RgbAt(canvas_.get(), 30, 30) & 0xFF), 128, 2);
}

TEST_F(ControlPaintTest, AHotFadeOfOnePictureBlendsTheTwoFades) {
  Control* button = AddChild(10, 10, 40, 40);
  button->SetAttribute(L"normalimage", L"file='" + green_ + L"'");
  button->SetAttribute(L"hotimage", L"file='" + green_ + L"' fade='0'");
  const struct {
    int hotAlpha;
    int green;
  } cases[] = {{0, 255}, {51, 204}, {255, 0}};
  for (const auto& c : cases) {
    canvas_->Clear();
    button->SetHotAlpha(c.hotAlpha);
    Paint();
    EXPECT_NEAR(static_cast<int>((RgbAt(canvas_.get(), 30, 30) >> 8) & 0xFF), c.green, 1)
        << "hot alpha " << c.hotAlpha;
  }
}

TEST_F(ControlPaintTest, TextIsClippedToItsControl) {
  root_->SetAttribute(L"bkcolor", L"paint_white");
  auto* label = AddChild<TextControl>(10, 10, 30, 40);
  Paint();
  const RECT inside = {10, 10, 40, 50};
  EXPECT_GT(30 * 40 - uitest::CountRgb(canvas_.get(), inside, kWhite), 20);  // Some text drawn.
  EXPECT_EQ(CountOutside(inside, kWhite), 0);

  label->SetClipToPosition(false);  // The clip is what held it in.
  Paint();
  EXPECT_GT(CountOutside(inside, kWhite), 20);
}

TEST_F(ControlPaintTest, BordersOutlineThePositionOrDrawSingleSides) {
  Control* framed = AddChild(10, 10, 40, 30);
  framed->SetAttribute(L"bordercolor", L"paint_red");
  framed->SetAttribute(L"bordersize", L"2");
  Paint();
  for (int x : {10, 11, 48, 49}) EXPECT_EQ(RgbAt(canvas_.get(), x, 25), kRed) << x;
  for (int y : {10, 11, 38, 39}) EXPECT_EQ(RgbAt(canvas_.get(), 30, y), kRed) << y;
  EXPECT_EQ(RgbAt(canvas_.get(), 12, 25), 0u);
  EXPECT_EQ(RgbAt(canvas_.get(), 50, 25), 0u);
  EXPECT_EQ(RgbAt(canvas_.get(), 30, 40), 0u);

  canvas_->Clear();
  framed->SetAttribute(L"bordersize", L"1,0,1,0");  // Left and right lines only.
  Paint();
  EXPECT_EQ(RgbAt(canvas_.get(), 10, 25), kRed);
  EXPECT_EQ(RgbAt(canvas_.get(), 10, 39), kRed);
  EXPECT_EQ(RgbAt(canvas_.get(), 49, 25), kRed);
  EXPECT_EQ(RgbAt(canvas_.get(), 11, 25), 0u);
  EXPECT_EQ(RgbAt(canvas_.get(), 30, 10), 0u);
  EXPECT_EQ(uitest::CountRgb(canvas_.get(), RECT{0, 0, 100, 100}, kRed), 2 * 30);
}

TEST_F(ControlPaintTest, AlphaZeroHidesTheControlAndItsChildrenWithoutChangingLayout) {
  auto* box = AddChild<Box>(0, 0, 100, 100);
  box->SetAttribute(L"bkcolor", L"paint_red");
  auto* inner = new Control();
  inner->SetAttribute(L"bkcolor", L"paint_white");
  box->Add(inner);
  box->SetAttribute(L"alpha", L"0");
  Paint();
  EXPECT_EQ(uitest::CountRgb(canvas_.get(), RECT{0, 0, 100, 100}, 0), 100 * 100);
  EXPECT_TRUE(box->IsVisible());
  EXPECT_EQ(inner->GetPos().right, 100);
}

TEST_F(ControlPaintTest, ATranslucentColourCoversTheWholeControlAndAlphaBlendsIt) {
  Control* glass = AddChild(0, 0, 100, 100);
  glass->SetAttribute(L"bkcolor", L"paint_half_red");
  Paint(RECT{0, 0, 50, 50});  // Only a corner is repainted, yet all of it is laid.
  EXPECT_GT(uitest::PixelAt(canvas_.get(), 75, 75) >> 24, 0u);

  canvas_->FillRect(RECT{0, 0, 100, 100}, 0xFFFFFFFF);
  glass->SetAttribute(L"bkcolor", L"paint_red");
  glass->SetAttribute(L"alpha", L"128");
  Paint();
  const DWORD pink = RgbAt(canvas_.get(), 50, 50);
  EXPECT_EQ(pink >> 16, 0xFFu);
  EXPECT_NEAR(static_cast<int>((pink >> 8) & 0xFF), 127, 2);
}

TEST_F(ControlPaintTest, ACachedControlPaintsWhatItPaintsDirectly) {
  Control* direct = AddChild(5, 5, 40, 40);
  direct->SetAttribute(L"bkcolor", L"paint_red");
  direct->SetAttribute(L"bordercolor", L"paint_white");
  direct->SetAttribute(L"bordersize", L"3");
  direct->SetAttribute(L"normalimage", L"file='" + green_ + L"' dest='10,10,30,30'");
  Paint();
  std::vector<DWORD> expected;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x) expected.push_back(RgbAt(canvas_.get(), x, y));

  canvas_->Clear();
  direct->SetAttribute(L"cache", L"true");
  Paint();
  Paint();  // The second paint blends the kept bitmap.
  int differing = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 50; ++x)
      if (RgbAt(canvas_.get(), x, y) != expected[y * 50 + x]) ++differing;
  EXPECT_EQ(differing, 0);
}

TEST_F(ControlPaintTest, TheRenderOffsetShiftsTheLookInsideTheClip) {
  Control* moved = AddChild(20, 20, 20, 20);
  moved->SetAttribute(L"bkcolor", L"paint_red");
  moved->SetAttribute(L"renderoffset", L"5,0");  // Content moves left by 5, clipped.
  Paint();
  EXPECT_EQ(RgbAt(canvas_.get(), 20, 30), kRed);
  EXPECT_EQ(RgbAt(canvas_.get(), 34, 30), kRed);
  EXPECT_EQ(RgbAt(canvas_.get(), 35, 30), 0u);
  EXPECT_EQ(RgbAt(canvas_.get(), 17, 30), 0u);
}

}  // namespace
