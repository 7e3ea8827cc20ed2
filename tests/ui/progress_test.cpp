// Progress, Slider and CircleProgress as controls: attributes, the range repair at paint, slider
// presses, drags and the wheel driven by events the way a window sends them, the circle's
// indicator, and what each paints into a memory bitmap (saved as PNGs beside the test).
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/progress.h"
#include "ui/controls/slider.h"
#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/stack_layout.h"
#include "ui/core/scrollable_box.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace {

using ui::CircleProgress;
using ui::Control;
using ui::EventArgs;
using ui::Progress;
using ui::Slider;
using uitest::RgbAt;

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kGreen = 0x00FF00;
constexpr DWORD kBlue = 0x0000FF;

// A root that logs the events its children pass up.
class LoggingBox : public ui::VBox {
 public:
  void HandleEvent(const EventArgs& args) override {
    types.push_back(args.type);
    ui::VBox::HandleEvent(args);
  }
  int Count(int type) const {
    int count = 0;
    for (int t : types) count += t == type ? 1 : 0;
    return count;
  }
  std::vector<int> types;
};

// The DPI manager scaling by percent for one scope.
class ScopedDpiScale {
 public:
  explicit ScopedDpiScale(int percent) {
    ui::DpiManager::GetInstance()->SetAdaptDPI(true);
    ui::DpiManager::GetInstance()->SetScale(percent);
  }
  ~ScopedDpiScale() {
    ui::DpiManager::GetInstance()->SetScale(100);
    ui::DpiManager::GetInstance()->SetAdaptDPI(false);
  }
};

// Whether a pixel is mostly one primary colour (anti-aliased edges included).
bool IsMostly(DWORD rgb, DWORD primary) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  if (primary == kRed) return r > 140 && g < 90 && b < 90;
  if (primary == kGreen) return g > 140 && r < 90 && b < 90;
  return b > 140 && r < 90 && g < 90;
}

bool IsGray(DWORD rgb) {
  const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return r > 60 && std::abs(r - g) < 20 && std::abs(r - b) < 20;
}

class ProgressTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::GlobalManager::AddTextColor(L"pg_red", 0xFFFF0000);
    ui::GlobalManager::AddTextColor(L"pg_green", 0xFF00FF00);
    ui::GlobalManager::AddTextColor(L"pg_blue", 0xFF0000FF);
    ui::GlobalManager::AddTextColor(L"pg_gray", 0xFF808080);
  }

  void SetUp() override {
    window_.Init(nullptr);
    root_ = new LoggingBox();
    window_.AttachRoot(root_);
  }

  // A child of the root placed at pos (no layout pass runs).
  template <typename T>
  T* Add(const RECT& pos) {
    auto* control = new T();
    root_->Add(control);
    control->SetPos(pos);
    return control;
  }

  std::unique_ptr<ui::IRenderContext> Paint(Control* control, int width = 240, int height = 120) {
    auto canvas = uitest::MakeCanvas(width, height);
    control->Paint(canvas.get(), RECT{0, 0, width, height});
    return canvas;
  }

  // A width x height PNG in the temporary folder; column x has left's colour below split.
  std::wstring Png(const std::wstring& name, int width, int height, DWORD left, DWORD right,
                   int split) {
    std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) pixels[y * width + x] = x < split ? left : right;
    const std::wstring path = dir_.File(name);
    EXPECT_TRUE(uitest::WritePng(path, width, height, pixels));
    return path;
  }

  // The values of the value-change events slider raises.
  static void RecordValues(Slider* slider, std::vector<double>* values) {
    slider->AttachEvent(ui::kEventValueChange, [slider, values](const EventArgs& args) {
      EXPECT_EQ(args.sender, slider);
      values->push_back(slider->GetValue());
      return true;
    });
  }

  static void Send(Control* control, int type, POINT point, WPARAM wParam = 0) {
    control->SendEvent(type, wParam, 0, 0, point);
  }

  uitest::TempDir dir_;
  ui::Window window_;
  LoggingBox* root_ = nullptr;
};

// ----- Progress ------------------------------------------------------------------------------

TEST_F(ProgressTest, ANewBarIsTwelveHighSizedFromItsTextAndCentresItOnOneLine) {
  auto* bar = Add<Progress>(RECT{0, 0, 0, 0});
  EXPECT_EQ(bar->GetTextStyle(), 0x21u);
  const SIZE size = bar->EstimateSize(SIZE{400, 400});
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, 12);

  const ScopedDpiScale scale(150);
  EXPECT_EQ(Progress().GetFixedHeight(), 18);
  Slider slider;
  slider.SetAttribute(L"thumbsize", L"16,16");
  EXPECT_EQ(slider.GetThumbSize().cx, 24);
  EXPECT_EQ(slider.GetThumbSize().cy, 24);
  slider.SetAttribute(L"thumbsize", L"-4,10");  // A thumb inside out is refused.
  EXPECT_EQ(slider.GetThumbSize().cx, 24);
  slider.SetAttribute(L"progressbarpadding", L"2,2,4,4");
  EXPECT_EQ(slider.GetProgressBarPadding().right, 6);
}

TEST_F(ProgressTest, AttributesSetTheRangeAndTheLookAndValuesThatAreNoNumberAreRefused) {
  auto* bar = Add<Progress>(RECT{0, 0, 200, 12});
  bar->SetAttribute(L"hor", L"false");
  bar->SetAttribute(L"isstretchfore", L"yes");  // Only "true" is true.
  bar->SetAttribute(L"progresscolor", L" \t pg_red");
  bar->SetAttribute(L"text", L"20 %");  // The label's.
  EXPECT_FALSE(bar->IsHorizontal());
  EXPECT_FALSE(bar->IsStretchForeImage());
  EXPECT_EQ(bar->GetProgressColor(), L"pg_red");
  EXPECT_EQ(bar->GetText(), L"20 %");
  bar->SetAttribute(L"value", L"lots");
  EXPECT_EQ(bar->GetValue(), 0.0);
  bar->SetValue(1e9);  // Stored as given; the paint repairs it.
  bar->SetValue(std::nan(""));
  bar->SetValue(INFINITY);
  EXPECT_EQ(bar->GetValue(), 1e9);
}

TEST_F(ProgressTest, PaintingRepairsTheRangeAndTheRepairStays) {
  auto* bar = Add<Progress>(RECT{0, 0, 200, 12});
  bar->SetAttribute(L"min", L"10");
  bar->SetAttribute(L"max", L"10");
  Paint(bar);
  EXPECT_EQ(bar->GetMaxValue(), 11);
  EXPECT_EQ(bar->GetValue(), 10.0);  // Pulled up to the minimum.

  bar->SetAttribute(L"max", L"100");
  bar->SetAttribute(L"value", L"150");
  EXPECT_EQ(bar->GetValue(), 150.0);  // Nothing clamps before the paint.
  Paint(bar);
  EXPECT_EQ(bar->GetValue(), 100.0);
  EXPECT_EQ(bar->GetMaxValue(), 100);
}

TEST_F(ProgressTest, BarsFillTheirShareWithTheColourFromTheLeftOrTheBottom) {
  auto* bar = Add<Progress>(RECT{10, 10, 210, 22});
  bar->SetAttribute(L"progresscolor", L"pg_red");
  bar->SetAttribute(L"value", L"25");
  auto* column = Add<Progress>(RECT{220, 10, 240, 110});
  column->SetAttribute(L"hor", L"false");
  column->SetAttribute(L"progresscolor", L"pg_blue");
  column->SetAttribute(L"value", L"25");
  auto* unknown = Add<Progress>(RECT{10, 40, 210, 52});
  unknown->SetAttribute(L"progresscolor", L"pg_not_registered");
  unknown->SetAttribute(L"value", L"100");

  auto canvas = uitest::MakeCanvas(250, 120);
  for (Control* control : {static_cast<Control*>(bar), static_cast<Control*>(column),
                           static_cast<Control*>(unknown)})
    control->Paint(canvas.get(), RECT{0, 0, 250, 120});
  uitest::SaveContextPng(canvas.get(), L"progress_bars.png");

  // (L, T, L + 50, B) filled.
  EXPECT_EQ(uitest::CountRgb(canvas.get(), RECT{10, 10, 60, 22}, kRed), 50 * 12);
  EXPECT_EQ(uitest::CountRgb(canvas.get(), RECT{60, 0, 250, 120}, kRed), 0);
  // From T + 75 to B.
  EXPECT_EQ(uitest::CountRgb(canvas.get(), RECT{220, 85, 240, 110}, kBlue), 20 * 25);
  EXPECT_EQ(uitest::CountRgb(canvas.get(), RECT{220, 0, 240, 85}, kBlue), 0);
  // An unknown colour fills nothing.
  EXPECT_EQ(RgbAt(canvas.get(), 100, 45), 0u);
}

TEST_F(ProgressTest, AProgressImageIsStretchedIntoTheFillOrShownWhereItLiesUnderIt) {
  // 200 x 12: green on the left half, blue on the right.
  const std::wstring image = Png(L"fill.png", 200, 12, 0xFF00FF00, 0xFF0000FF, 100);
  auto* bar = Add<Progress>(RECT{0, 0, 200, 12});
  bar->SetAttribute(L"progressimage", L"file='" + image + L"'");
  bar->SetAttribute(L"value", L"75");  // 150 pixels filled.

  auto stretched = Paint(bar);
  EXPECT_EQ(RgbAt(stretched.get(), 70, 6), kGreen);
  EXPECT_EQ(RgbAt(stretched.get(), 80, 6), kBlue);  // The whole image squeezed into 150.
  EXPECT_EQ(RgbAt(stretched.get(), 149, 6), kBlue);
  EXPECT_EQ(RgbAt(stretched.get(), 151, 6), 0u);

  bar->SetAttribute(L"isstretchfore", L"false");
  auto cut = Paint(bar);
  EXPECT_EQ(RgbAt(cut.get(), 95, 6), kGreen);  // The image at its own size, cut at the fill.
  EXPECT_EQ(RgbAt(cut.get(), 105, 6), kBlue);
  EXPECT_EQ(RgbAt(cut.get(), 149, 6), kBlue);
  EXPECT_EQ(RgbAt(cut.get(), 151, 6), 0u);

  bar->ClearImageCache();  // Loaded again when drawn.
  EXPECT_EQ(RgbAt(Paint(bar).get(), 95, 6), kGreen);
}

// ----- Slider --------------------------------------------------------------------------------

TEST_F(ProgressTest, APressBesideTheThumbStartsNoDragAndItsReleaseSetsTheValueOnce) {
  auto* slider = Add<Slider>(RECT{0, 0, 110, 20});
  slider->SetValue(50);  // Thumb from x 50 to 60.
  std::vector<double> values;
  RecordValues(slider, &values);

  Send(slider, ui::kEventButtonDown, POINT{20, 10});
  EXPECT_FALSE(slider->IsMouseFocused());
  Send(slider, ui::kEventMouseMove, POINT{80, 10});
  EXPECT_EQ(slider->GetValue(), 50.0);
  Send(slider, ui::kEventButtonUp, POINT{30, 10});
  EXPECT_EQ(values, std::vector<double>{25.0});
  EXPECT_EQ(slider->GetState(), ui::kControlStateNormal);  // No pushed look.

  // The thumb is hot while the pointer is over it, until the pointer leaves.
  Send(slider, ui::kEventMouseMove, POINT{28, 10});
  EXPECT_EQ(slider->GetThumbState(), ui::kControlStateHot);
  Send(slider, ui::kEventMouseMove, POINT{80, 10});
  EXPECT_EQ(slider->GetThumbState(), ui::kControlStateNormal);
  Send(slider, ui::kEventMouseMove, POINT{28, 10});
  Send(slider, ui::kEventMouseLeave, POINT{200, 10});
  EXPECT_EQ(slider->GetThumbState(), ui::kControlStateNormal);
}

TEST_F(ProgressTest, DraggingTheThumbSendsNoEventUntilTheReleaseWhichSendsOne) {
  auto* slider = Add<Slider>(RECT{0, 0, 110, 20});
  slider->SetValue(50);
  std::vector<double> values;
  RecordValues(slider, &values);

  Send(slider, ui::kEventButtonDown, POINT{55, 10});
  EXPECT_TRUE(slider->IsMouseFocused());
  Send(slider, ui::kEventMouseMove, POINT{80, 10});
  EXPECT_EQ(slider->GetValue(), 75.0);
  Send(slider, ui::kEventMouseMove, POINT{200, 10});
  EXPECT_EQ(slider->GetValue(), 100.0);
  Send(slider, ui::kEventMouseMove, POINT{3, 10});
  EXPECT_EQ(slider->GetValue(), 0.0);
  EXPECT_TRUE(values.empty());
  Send(slider, ui::kEventButtonUp, POINT{55, 10});
  EXPECT_FALSE(slider->IsMouseFocused());
  EXPECT_EQ(values, std::vector<double>{50.0});

  // Pointer input drags the same way.
  Send(slider, ui::kEventPointerDown, POINT{52, 10});
  EXPECT_TRUE(slider->IsMouseFocused());
  Send(slider, ui::kEventPointerMove, POINT{105, 10});
  Send(slider, ui::kEventPointerUp, POINT{105, 10});
  EXPECT_EQ(values, (std::vector<double>{50.0, 100.0}));

  // A vertical slider gives max at its top and min at its bottom.
  slider->SetHorizontal(false);
  slider->SetPos(RECT{0, 0, 20, 110});
  Send(slider, ui::kEventButtonDown, POINT{10, 50});
  Send(slider, ui::kEventButtonUp, POINT{10, 2});
  EXPECT_EQ(slider->GetValue(), 100.0);
  Send(slider, ui::kEventButtonDown, POINT{10, 50});
  Send(slider, ui::kEventButtonUp, POINT{10, 108});
  EXPECT_EQ(slider->GetValue(), 0.0);
}

TEST_F(ProgressTest, TheWheelStepsWithinTheRangeAndOnlyWhileEnabled) {
  auto* slider = Add<Slider>(RECT{0, 0, 110, 20});
  slider->SetAttribute(L"step", L"10");
  slider->SetValue(95);
  std::vector<double> values;
  RecordValues(slider, &values);
  const WPARAM up = static_cast<WPARAM>(120);
  const WPARAM down = static_cast<WPARAM>(static_cast<INT_PTR>(-120));

  Send(slider, ui::kEventScrollWheel, POINT{50, 10}, up);
  EXPECT_EQ(slider->GetValue(), 100.0);  // Held at max, not 105.
  Send(slider, ui::kEventScrollWheel, POINT{50, 10}, up);
  EXPECT_EQ(values, std::vector<double>{100.0});  // Already at max: nothing to report.
  Send(slider, ui::kEventScrollWheel, POINT{50, 10}, down);
  EXPECT_EQ(slider->GetValue(), 90.0);
  slider->SetValue(3);
  Send(slider, ui::kEventScrollWheel, POINT{50, 10}, down);
  EXPECT_EQ(slider->GetValue(), 0.0);
  EXPECT_EQ(values, (std::vector<double>{100.0, 90.0, 0.0}));
  EXPECT_EQ(root_->Count(ui::kEventScrollWheel), 0);

  // A range that still needs its repair is repaired first.
  slider->SetMinValue(10);
  slider->SetMaxValue(10);
  Send(slider, ui::kEventScrollWheel, POINT{50, 10}, up);
  EXPECT_EQ(slider->GetMaxValue(), 11);
  EXPECT_EQ(slider->GetValue(), 11.0);

  // Disabled: the value stays and the wheel goes on to the parent.
  values.clear();
  slider->SetEnabled(false);
  Send(slider, ui::kEventScrollWheel, POINT{50, 10}, down);
  EXPECT_EQ(slider->GetValue(), 11.0);
  EXPECT_TRUE(values.empty());
  EXPECT_EQ(root_->Count(ui::kEventScrollWheel), 1);
}

TEST_F(ProgressTest, ADisabledSliderTakesNoPressAndAMouseDisabledOnePassesMouseEventsUp) {
  auto* slider = Add<Slider>(RECT{0, 0, 110, 20});
  slider->SetValue(50);
  std::vector<double> values;
  RecordValues(slider, &values);
  slider->SetEnabled(false);
  Send(slider, ui::kEventButtonDown, POINT{55, 10});
  EXPECT_FALSE(slider->IsMouseFocused());
  Send(slider, ui::kEventButtonUp, POINT{90, 10});

  // Disabled in the middle of a drag: the pointer no longer moves it, the release ends the drag.
  slider->SetEnabled(true);
  Send(slider, ui::kEventButtonDown, POINT{55, 10});
  slider->SetEnabled(false);
  Send(slider, ui::kEventMouseMove, POINT{90, 10});
  Send(slider, ui::kEventButtonUp, POINT{90, 10});
  EXPECT_FALSE(slider->IsMouseFocused());
  EXPECT_EQ(slider->GetValue(), 50.0);
  EXPECT_TRUE(values.empty());

  slider->SetEnabled(true);
  slider->SetMouseEnabled(false);
  Send(slider, ui::kEventButtonDown, POINT{55, 10});
  EXPECT_FALSE(slider->IsMouseFocused());
  EXPECT_EQ(root_->Count(ui::kEventButtonDown), 1);
}

TEST_F(ProgressTest, InAScrolledBoxTheThumbIsTakenWhereItIsSeen) {
  // A 150-high row, then the slider at (20, 170)-(130, 190) of the content: thumb (70, 175)-(80,
  // 185) at 50. Scrolled down by 100 it is seen at y 75 to 85.
  auto* box = new ui::ScrollableBox(new ui::VLayout());
  box->SetAttribute(L"vscrollbar", L"true");
  auto* row = new Control();
  row->SetFixedHeight(150);
  box->Add(row);
  auto* slider = new Slider();
  slider->SetFixedWidth(110);
  slider->SetFixedHeight(20);
  slider->SetValue(50);
  box->Add(slider);
  auto* rest = new Control();
  rest->SetFixedHeight(400);
  box->Add(rest);
  root_->Add(box);
  box->SetPos(RECT{20, 20, 220, 220});
  box->SetScrollPosY(100);
  ASSERT_EQ(slider->GetPos().top, 170);
  ASSERT_EQ(slider->GetScrollOffset().cy, 100);

  std::vector<double> values;
  RecordValues(slider, &values);
  Send(slider, ui::kEventButtonDown, POINT{75, 80});
  EXPECT_TRUE(slider->IsMouseFocused());
  Send(slider, ui::kEventMouseMove, POINT{100, 80});
  EXPECT_EQ(slider->GetValue(), 75.0);
  Send(slider, ui::kEventButtonUp, POINT{50, 80});
  EXPECT_EQ(values, std::vector<double>{25.0});
}

TEST_F(ProgressTest, ASliderPaintsItsBarInsideThePaddingAndTheThumbForItsState) {
  const std::wstring red = Png(L"thumb_red.png", 10, 10, 0xFFFF0000, 0xFFFF0000, 10);
  const std::wstring green = Png(L"thumb_green.png", 10, 10, 0xFF00FF00, 0xFF00FF00, 10);
  const std::wstring gray = Png(L"thumb_gray.png", 10, 10, 0xFF808080, 0xFF808080, 10);
  auto* slider = Add<Slider>(RECT{10, 10, 120, 30});
  slider->SetAttribute(L"progresscolor", L"pg_blue");
  slider->SetAttribute(L"progressbarpadding", L"0,7,0,7");
  slider->SetAttribute(L"thumbnormalimage", red);
  slider->SetAttribute(L"thumbpushedimage", green);
  slider->SetAttribute(L"thumbdisabledimage", gray);
  slider->SetAttribute(L"value", L"50");

  auto normal = Paint(slider, 130, 40);
  uitest::SaveContextPng(normal.get(), L"slider.png");
  // The fill reaches the middle of the thumb (x 55 of the control) inside the padding.
  EXPECT_EQ(RgbAt(normal.get(), 10 + 20, 20), kBlue);
  EXPECT_EQ(RgbAt(normal.get(), 10 + 20, 15), 0u);
  EXPECT_EQ(RgbAt(normal.get(), 10 + 49, 20), kBlue);
  EXPECT_EQ(RgbAt(normal.get(), 10 + 70, 20), 0u);
  // The thumb from x 50 to 60 and y 5 to 15 of the control.
  EXPECT_EQ(uitest::CountRgb(normal.get(), RECT{60, 15, 70, 25}, kRed), 100);
  EXPECT_EQ(uitest::CountRgb(normal.get(), RECT{0, 0, 130, 40}, kRed), 100);

  Send(slider, ui::kEventButtonDown, POINT{65, 20});
  auto pushed = Paint(slider, 130, 40);
  EXPECT_EQ(uitest::CountRgb(pushed.get(), RECT{60, 15, 70, 25}, kGreen), 100);
  Send(slider, ui::kEventButtonUp, POINT{65, 20});

  slider->SetEnabled(false);
  auto disabled = Paint(slider, 130, 40);
  EXPECT_EQ(uitest::CountRgb(disabled.get(), RECT{60, 15, 70, 25}, 0x808080), 100);

  // A padding wider than the control leaves no bar but still a thumb.
  slider->SetEnabled(true);
  slider->SetAttribute(L"progressbarpadding", L"100,30,100,30");
  auto squeezed = Paint(slider, 130, 40);
  EXPECT_EQ(uitest::CountRgb(squeezed.get(), RECT{0, 0, 130, 40}, kBlue), 0);
  EXPECT_EQ(uitest::CountRgb(squeezed.get(), RECT{60, 15, 70, 25}, kRed), 100);
}

// ----- CircleProgress ------------------------------------------------------------------------

class CircleProgressTest : public ProgressTest {
 protected:
  // A ring of 100 x 60 at (0, 0) with a 4-pixel grey ring and a red arc.
  CircleProgress* AddRing(const RECT& pos = RECT{0, 0, 100, 60}) {
    auto* ring = Add<CircleProgress>(pos);
    ring->SetAttribute(L"circlewidth", L"4");
    ring->SetAttribute(L"bgcolor", L"pg_gray");
    ring->SetAttribute(L"fgcolor", L"pg_red");
    return ring;
  }

  // The pixel on the ring's centre line (centre (50, 30), radius 27) at degrees clockwise from
  // the top.
  static DWORD OnRing(ui::IRenderContext* canvas, double degrees, int dx = 0) {
    const double radians = degrees * 3.14159265358979 / 180.0;
    const int x = dx + 50 + static_cast<int>(std::lround(27 * std::sin(radians)));
    const int y = 30 - static_cast<int>(std::lround(27 * std::cos(radians)));
    return RgbAt(canvas, x, y);
  }
};

TEST_F(CircleProgressTest, AttributesResolveColoursWhenSetAndRefuseANegativeWidth) {
  auto* ring = Add<CircleProgress>(RECT{0, 0, 100, 60});
  ring->SetAttribute(L"bgcolor", L"  pg_gray");
  ring->SetAttribute(L"gradientcolor", L"pg_unknown_colour");
  ring->SetAttribute(L"bkcolor", L"pg_blue");  // The control's own background.
  EXPECT_EQ(ring->GetBackgroundColor(), 0xFF808080u);
  EXPECT_EQ(ring->GetGradientColor(), 0u);
  EXPECT_EQ(ring->GetBkColor(), L"pg_blue");
  ring->SetAttribute(L"circlewidth", L"6");
  ring->SetAttribute(L"circlewidth", L"-3");
  EXPECT_EQ(ring->GetCircleWidth(), 6);
}

TEST_F(CircleProgressTest, TheArcGrowsFromTheTopInItsDirectionOverTheFullRing) {
  auto* ring = AddRing();
  ring->SetAttribute(L"value", L"25");
  auto clockwise = Paint(ring);
  uitest::SaveContextPng(clockwise.get(), L"circle_progress.png");
  EXPECT_TRUE(IsMostly(OnRing(clockwise.get(), 45), kRed));
  for (double degrees : {135.0, 225.0, 315.0}) EXPECT_TRUE(IsGray(OnRing(clockwise.get(), degrees)));
  // The ring lies in the square of side 60 centred in the control: nothing beyond it.
  EXPECT_EQ(uitest::CountRgb(clockwise.get(), RECT{0, 0, 18, 60}, 0), 18 * 60);
  EXPECT_EQ(uitest::CountRgb(clockwise.get(), RECT{82, 0, 100, 60}, 0), 18 * 60);

  ring->SetAttribute(L"clockwise", L"false");
  auto counter = Paint(ring);
  EXPECT_TRUE(IsMostly(OnRing(counter.get(), 315), kRed));
  EXPECT_TRUE(IsGray(OnRing(counter.get(), 45)));

  ring->SetAttribute(L"value", L"0");
  auto empty = Paint(ring);
  for (double degrees : {10.0, 90.0, 180.0, 270.0, 350.0}) EXPECT_TRUE(IsGray(OnRing(empty.get(), degrees)));
  ring->SetAttribute(L"value", L"100");
  auto full = Paint(ring);
  for (double degrees : {10.0, 90.0, 180.0, 270.0, 350.0})
    EXPECT_TRUE(IsMostly(OnRing(full.get(), degrees), kRed));

  ring->SetAttribute(L"circular", L"false");
  EXPECT_EQ(uitest::CountRgb(Paint(ring).get(), RECT{0, 0, 100, 60}, 0), 100 * 60);
}

TEST_F(CircleProgressTest, AGradientArcRunsFromTheForegroundAtTheTopToTheGradientColour) {
  auto* ring = AddRing();
  ring->SetAttribute(L"gradientcolor", L"pg_blue");
  ring->SetAttribute(L"value", L"100");
  auto canvas = Paint(ring);
  uitest::SaveContextPng(canvas.get(), L"circle_progress_gradient.png");
  EXPECT_TRUE(IsMostly(OnRing(canvas.get(), 0), kRed));
  EXPECT_TRUE(IsMostly(OnRing(canvas.get(), 180), kBlue));
}

TEST_F(CircleProgressTest, TheIndicatorRidesOnTheEndOfTheArcTurnedForTheDirection) {
  // 6 wide, 10 high: green on top, blue below. Loaded turned a quarter clockwise: 10 x 6, blue
  // on the left and green on the right.
  std::vector<DWORD> pixels(60);
  for (int i = 0; i < 60; ++i) pixels[i] = i < 30 ? 0xFF00FF00 : 0xFF0000FF;
  const std::wstring dot = dir_.File(L"dot.png");
  ASSERT_TRUE(uitest::WritePng(dot, 6, 10, pixels));

  auto* ring = AddRing();
  ring->SetAttribute(L"indicator", dot);
  ASSERT_NE(ring->GetIndicatorImage(), nullptr);
  EXPECT_EQ(ring->GetIndicatorImage()->GetWidth(), 10);
  EXPECT_EQ(ring->GetIndicatorImage()->GetHeight(), 6);

  // The arc is inset by the indicator's width: rectangle (26, 6, 48, 48); the indicator is drawn
  // at (45, 3), 10 x 6, centred on the top of the arc.
  auto atTop = Paint(ring);
  EXPECT_EQ(RgbAt(atTop.get(), 47, 6), kBlue);
  EXPECT_EQ(RgbAt(atTop.get(), 53, 6), kGreen);

  // A quarter of the range turns it a quarter round the centre (50, 30), to the right side.
  ring->SetAttribute(L"value", L"25");
  auto atRight = Paint(ring);
  EXPECT_EQ(RgbAt(atRight.get(), 74, 27), kBlue);
  EXPECT_EQ(RgbAt(atRight.get(), 74, 33), kGreen);
  EXPECT_NE(RgbAt(atRight.get(), 53, 6), kGreen);
  uitest::SaveContextPng(atRight.get(), L"circle_progress_indicator.png");

  // Turning the direction turns the picture half round; turning it back restores it; setting the
  // current direction again does nothing.
  ring->SetAttribute(L"value", L"0");
  ring->SetAttribute(L"clockwise", L"false");
  auto turned = Paint(ring);
  EXPECT_EQ(RgbAt(turned.get(), 47, 6), kGreen);
  EXPECT_EQ(RgbAt(turned.get(), 53, 6), kBlue);
  ring->SetAttribute(L"clockwise", L"false");
  EXPECT_EQ(RgbAt(Paint(ring).get(), 47, 6), kGreen);
  ring->SetAttribute(L"clockwise", L"true");
  EXPECT_EQ(RgbAt(Paint(ring).get(), 47, 6), kBlue);
}

TEST_F(CircleProgressTest, TheIndicatorIsLoadedAgainAfterTheImageCacheIsCleared) {
  window_.SetResourcePath(L"skin");
  const std::wstring folder = ui::GlobalManager::GetResourcePath() + L"skin";
  ::SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  std::vector<DWORD> green(36, 0xFF00FF00);
  ASSERT_TRUE(uitest::WritePng(folder + L"\\ring_dot.png", 6, 6, green));

  // Set before the control has a window: looked for again at the first paint.
  auto* ring = new CircleProgress();
  ring->SetAttribute(L"indicator", L"ring_dot.png");
  EXPECT_EQ(ring->GetIndicatorImage(), nullptr);
  root_->Add(ring);
  ring->SetPos(RECT{0, 0, 100, 60});
  Paint(ring);
  ASSERT_NE(ring->GetIndicatorImage(), nullptr);

  ring->ClearImageCache();
  EXPECT_EQ(ring->GetIndicatorImage(), nullptr);
  auto again = Paint(ring);
  ASSERT_NE(ring->GetIndicatorImage(), nullptr);
  EXPECT_EQ(RgbAt(again.get(), 50, 5), kGreen);

  // The same path again keeps the picture; a file that is nowhere leaves none, and so does one
  // that does not decode, and the ring is still drawn.
  ring->SetAttribute(L"indicator", L"ring_dot.png");
  EXPECT_NE(ring->GetIndicatorImage(), nullptr);
  ring->SetAttribute(L"indicator", L"no_such_dot.png");
  EXPECT_EQ(ring->GetIndicatorImage(), nullptr);
  ASSERT_TRUE(uitest::WriteFileBytes(folder + L"\\broken.png", "not a picture"));
  ring->SetAttribute(L"indicator", L"broken.png");
  EXPECT_EQ(ring->GetIndicatorImage(), nullptr);
  ring->SetAttribute(L"bgcolor", L"pg_gray");
  ring->SetAttribute(L"circlewidth", L"4");
  EXPECT_TRUE(IsGray(OnRing(Paint(ring).get(), 180)));
  EXPECT_EQ(ring->GetIndicatorImage(), nullptr);
}

TEST_F(CircleProgressTest, RingsWithoutRoomPaintNothingAndDoNotFail) {
  for (const RECT pos : {RECT{0, 0, 1, 1}, RECT{0, 0, 3, 3}, RECT{0, 0, 100, 2}}) {
    auto* ring = AddRing(pos);
    ring->SetAttribute(L"circlewidth", L"1000");
    ring->SetAttribute(L"value", L"50");
    ring->SetAttribute(L"min", L"50");
    ring->SetAttribute(L"max", L"50");
    EXPECT_EQ(uitest::CountRgb(Paint(ring).get(), RECT{0, 0, 240, 120}, 0), 240 * 120);
    EXPECT_EQ(ring->GetMaxValue(), 51);
  }
}

}  // namespace
