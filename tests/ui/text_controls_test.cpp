// Label, Button, CheckBox and Option: text and its measuring and colours, the alignment words,
// activation by mouse and keys, selection with its events, and option groups, driven by events
// the way a window sends them.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/label.h"
#include "ui/controls/option.h"
#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/core/language_strings.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
#include "ui/render/render_interfaces.h"

namespace {

using ui::Box;
using ui::Control;
using ui::EventArgs;

constexpr DWORD kRed = 0xFF0000;
constexpr DWORD kBlue = 0x0000FF;

// Pixels of rect whose RGB lies within 40 of rgb on every channel.
int CountNear(ui::IRenderContext* context, const RECT& rect, DWORD rgb) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y) {
    for (int x = rect.left; x < rect.right; ++x) {
      const DWORD pixel = uitest::RgbAt(context, x, y);
      bool similar = true;
      for (int shift = 0; shift <= 16; shift += 8) {
        const int a = static_cast<int>((pixel >> shift) & 0xFF);
        const int b = static_cast<int>((rgb >> shift) & 0xFF);
        if (a - b > 40 || b - a > 40) similar = false;
      }
      if (similar && pixel != 0) ++count;
    }
  }
  return count;
}

// A window without a native one, with a render context for measuring, and a root box; children
// are placed by the next layout pass.
class TextControlsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::GlobalManager::AddTextColor(L"tc_red", 0xFFFF0000);
    ui::GlobalManager::AddTextColor(L"tc_blue", 0xFF0000FF);
    ui::FontInfo big;
    big.faceName = L"Tahoma";
    big.size = 36;
    big.font = ::CreateFontW(-36, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                             0, big.faceName.c_str());
    ui::GlobalManager::AddFont(L"tc_big", big);
  }

  void SetUp() override {
    window_.Init(nullptr);
    root_ = new ui::VBox();
    window_.AttachRoot(root_);
  }

  template <typename T>
  T* Add(int width = 120, int height = 40) {
    auto* control = new T();
    control->SetFixedWidth(width);
    control->SetFixedHeight(height);
    root_->Add(control);
    return control;
  }

  void Layout() {
    window_.SetLayoutPending(true);
    window_.ArrangeRoot(RECT{0, 0, 400, 400});
  }

  // Paints control alone into a fresh canvas.
  std::unique_ptr<ui::IRenderContext> Paint(Control* control) {
    auto canvas = uitest::MakeCanvas(400, 400);
    control->Paint(canvas.get(), RECT{0, 0, 400, 400});
    return canvas;
  }

  // Records the events of type that reach control (its own handlers).
  void Record(Control* control, int type, std::vector<std::wstring>* log) {
    control->AttachEvent(type, [control, type, log](const EventArgs&) {
      log->push_back(control->GetName() + (type == ui::kEventSelect     ? L"+"
                                           : type == ui::kEventUnSelect ? L"-"
                                                                        : L"!"));
      return true;
    });
  }

  ui::Window window_;
  Box* root_ = nullptr;
};

// ----- Label ---------------------------------------------------------------------------------

TEST_F(TextControlsTest, LabelShowsItsTextOrElseTheStringOfItsTextId) {
  auto* label = new ui::Label();
  root_->Add(label);
  EXPECT_EQ(label->EstimateSize(SIZE{400, 400}).cx, 0);
  EXPECT_EQ(label->EstimateSize(SIZE{400, 400}).cy, 0);
  Layout();
  EXPECT_EQ(CountNear(Paint(label).get(), RECT{0, 0, 400, 400}, 0), 0);

  ui::LanguageStringTable::GetInstance()->LoadLines({L"STRID_TC_LABEL = From the table"});
  label->SetTextId(L"STRID_TC_LABEL");
  EXPECT_EQ(label->GetText(), L"From the table");
  EXPECT_TRUE(window_.IsLayoutPending());  // Auto-sized: the ancestors re-arrange.
  const SIZE fromId = label->EstimateSize(SIZE{400, 400});
  EXPECT_GT(fromId.cx, 40);
  EXPECT_GT(fromId.cy, 8);

  label->SetText(L"Own");
  EXPECT_EQ(label->GetText(), L"Own");
  EXPECT_EQ(label->GetUTF8Text(), "Own");
  Layout();
  EXPECT_FALSE(window_.IsLayoutPending());
  label->SetText(L"Own");  // The same text again changes nothing.
  EXPECT_FALSE(window_.IsLayoutPending());
  label->SetUTF8Text("\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(label->GetText(), L"\u00e9t\u00e9");
}

TEST_F(TextControlsTest, AlignWordsApplyTheirRulesInOrder) {
  auto style = [](const wchar_t* attribute, const wchar_t* value, bool button = false) {
    std::unique_ptr<ui::Label> label(button ? new ui::Button() : new ui::Label());
    label->SetAttribute(attribute, value);
    return label->GetTextStyle();
  };
  EXPECT_EQ(style(L"text", L"x"), 0x8120u);
  EXPECT_EQ(style(L"text", L"x", true), 0x8125u);
  EXPECT_EQ(style(L"align", L"vcenter"), 0x8125u);     // "center" as well: both ways.
  EXPECT_EQ(style(L"align", L"right"), 0x8102u);
  EXPECT_EQ(style(L"align", L"bottom"), 0x8128u);
  EXPECT_EQ(style(L"align", L"left", true), 0x8100u);
  EXPECT_EQ(style(L"align", L"center left"), 0x8101u);  // "center" comes after "left".
  ui::Label label;
  label.SetAttribute(L"align", L"center");
  label.SetAttribute(L"align", L"left");                // ...but a later "left" wins.
  EXPECT_EQ(label.GetTextStyle() & DT_CENTER, 0u);
  EXPECT_EQ(style(L"endellipsis", L"false", true), 0x0125u);
  EXPECT_EQ(style(L"endellipsis", L"true"), 0x8120u);
}

TEST_F(TextControlsTest, LabelSizeIsItsTextPlusThePaddingAndWrapsWithinTheWidthOffered) {
  auto* plain = new ui::Label();
  auto* padded = new ui::Label();
  root_->Add(plain);
  root_->Add(padded);
  plain->SetText(L"Hello there");
  padded->SetText(L"Hello there");
  padded->SetAttribute(L"textpadding", L"4,2,6,8");
  EXPECT_EQ(padded->GetTextPadding().right, 6);
  const SIZE a = plain->EstimateSize(SIZE{400, 400});
  const SIZE b = padded->EstimateSize(SIZE{400, 400});
  EXPECT_EQ(b.cx, a.cx + 10);
  EXPECT_EQ(b.cy, a.cy + 10);

  auto* wrapping = new ui::Label();
  root_->Add(wrapping);
  wrapping->SetAttribute(L"singleline", L"false");
  wrapping->SetAttribute(L"maxwidth", L"stretch");
  wrapping->SetText(L"one two three four five six seven eight nine ten eleven twelve");
  const SIZE wide = wrapping->EstimateSize(SIZE{2000, 400});
  const SIZE narrow = wrapping->EstimateSize(SIZE{100, 400});
  EXPECT_EQ(narrow.cx, 100);
  EXPECT_GT(narrow.cy, 2 * wide.cy);
  EXPECT_TRUE(wrapping->IsNeedEstimate());  // Measured again when the width changes.
}

TEST_F(TextControlsTest, TextColourFollowsTheStateWithFallbacks) {
  auto* label = Add<ui::Label>(300, 60);
  label->SetText(L"MMMM");
  label->SetFont(L"tc_big");
  label->SetStateTextColor(ui::kControlStateNormal, L"tc_blue");
  label->SetStateTextColor(ui::kControlStateHot, L"tc_red");
  Layout();
  const RECT all = {0, 0, 400, 400};
  EXPECT_GT(CountNear(Paint(label).get(), all, kBlue), 20);
  label->SetState(ui::kControlStatePushed);  // No pushed colour: the hot one.
  auto pushed = Paint(label);
  EXPECT_GT(CountNear(pushed.get(), all, kRed), 20);
  EXPECT_EQ(CountNear(pushed.get(), all, kBlue), 0);
  label->SetStateTextColor(ui::kControlStateHot, L"");  // Nor a hot one: the normal one.
  EXPECT_GT(CountNear(Paint(label).get(), all, kBlue), 20);
  EXPECT_FALSE(label->HasHotState());
  label->SetAttribute(L"hottextcolor", L"tc_red");
  EXPECT_TRUE(label->HasHotState());
  EXPECT_NE(label->GetAnimationManager().GetAnimationPlayer(ui::kAnimationHot), nullptr);
}

// ----- Button --------------------------------------------------------------------------------

TEST_F(TextControlsTest, ButtonIsActivatedByAClickOrBySpaceAndReturn) {
  auto* button = Add<ui::Button>();
  button->SetName(L"b");
  std::vector<std::wstring> log;
  Record(button, ui::kEventClick, &log);
  Layout();

  button->Activate();
  EventArgs args;
  args.sender = button;
  args.mousePos = POINT{10, 10};
  args.type = ui::kEventButtonDown;
  button->DispatchEvent(args);
  EXPECT_EQ(button->GetState(), ui::kControlStatePushed);
  args.type = ui::kEventButtonUp;
  button->DispatchEvent(args);
  args.type = ui::kEventKeyDown;
  for (WORD key : {WORD{VK_SPACE}, WORD{VK_RETURN}, WORD{'A'}}) {
    args.keyCode = key;
    button->DispatchEvent(args);
  }
  EXPECT_EQ(log.size(), 4u);  // Activate, the click, Space and Return; not "A".

  EXPECT_TRUE(button->IsTabStop());
  button->SetKeyboardEnabled(false);
  EXPECT_FALSE(button->IsTabStop());
  args.keyCode = VK_SPACE;
  button->DispatchEvent(args);
  button->SetEnabled(false);
  button->Activate();
  EXPECT_EQ(log.size(), 4u);

  ui::Button loose;  // Not in a window: nothing to click.
  loose.AttachClick([&log](const EventArgs&) {
    log.push_back(L"loose");
    return true;
  });
  loose.Activate();
  EXPECT_EQ(log.size(), 4u);
}

TEST_F(TextControlsTest, AMouseDisabledButtonPassesMouseEventsToItsParent) {
  auto* button = Add<ui::Button>();
  int reachedParent = 0;
  root_->AttachBubbledEvent(ui::kEventButtonDown, [&reachedParent](const EventArgs&) {
    ++reachedParent;
    return true;
  });
  button->SetMouseEnabled(false);
  button->SendEvent(ui::kEventButtonDown);
  EXPECT_EQ(reachedParent, 1);
  EXPECT_EQ(button->GetState(), ui::kControlStateNormal);

  std::vector<std::wstring> menus;
  Record(button, ui::kEventMenu, &menus);
  root_->AttachBubbledEvent(ui::kEventMenu, [&menus](const EventArgs&) {
    menus.push_back(L"parent");
    return true;
  });
  button->SendEvent(ui::kEventInternalMenu);  // Without "menu": ends at the button.
  EXPECT_TRUE(menus.empty());
  button->SetAttribute(L"menu", L"true");
  button->SendEvent(ui::kEventInternalMenu);
  EXPECT_EQ(menus, (std::vector<std::wstring>{L"!", L"parent"}));
}

// ----- CheckBox ------------------------------------------------------------------------------

TEST_F(TextControlsTest, CheckBoxTogglesWithSelectEventsAndNoClick) {
  auto* check = Add<ui::CheckBox>();
  check->SetName(L"c");
  std::vector<std::wstring> log;
  for (int type : {ui::kEventSelect, ui::kEventUnSelect, ui::kEventClick})
    Record(check, type, &log);
  check->Activate();
  EXPECT_TRUE(check->IsSelected());
  check->Activate();
  EXPECT_FALSE(check->IsSelected());
  check->SetSelected(false, true);  // Unchanged: nothing.
  check->SetSelected(true, false);  // Without events.
  EXPECT_TRUE(check->IsSelected());
  check->SetAttribute(L"selected", L"false");
  EXPECT_EQ(log, (std::vector<std::wstring>{L"c+", L"c-", L"c-"}));
}

TEST_F(TextControlsTest, ASelectedCheckBoxPaintsItsSelectedLook) {
  uitest::TempDir dir;
  const std::wstring image = dir.File(L"check.png");
  ASSERT_TRUE(uitest::WritePng(image, 24, 16, std::vector<DWORD>(24 * 16, 0xFF00FF00)));
  const std::wstring placed = L"file='" + image + L"' dest='0,0,24,16'";
  auto* check = Add<ui::CheckBox>(200, 60);
  check->SetAttribute(L"normalcolor", L"tc_blue");
  check->SetAttribute(L"selectednormalcolor", L"tc_red");
  check->SetAttribute(L"selectednormalimage", placed);
  EXPECT_EQ(check->GetStateImageMap().GetImageString(ui::kStateImageSelectedBk,
                                                     ui::kControlStateNormal),
            placed);
  EXPECT_FALSE(check->HasHotState());
  check->SetAttribute(L"selectedhotcolor", L"tc_blue");
  EXPECT_TRUE(check->HasHotState());

  auto* texty = Add<ui::CheckBox>(200, 60);
  texty->SetAttribute(L"text", L"MMMM");
  texty->SetAttribute(L"font", L"tc_big");
  texty->SetAttribute(L"normaltextcolor", L"tc_blue");
  texty->SetAttribute(L"selectedtextcolor", L"tc_red");
  Layout();

  auto off = Paint(check);
  EXPECT_EQ(uitest::RgbAt(off.get(), 2, 2), kBlue);  // No image while unselected.
  check->SetSelected(true, false);
  auto on = Paint(check);
  EXPECT_EQ(uitest::RgbAt(on.get(), 100, 50), kRed);   // The selected colour...
  EXPECT_EQ(uitest::RgbAt(on.get(), 2, 2), 0x00FF00u);  // ...under the selected image.

  const RECT textArea = texty->GetPos();
  auto plain = Paint(texty);
  EXPECT_GT(CountNear(plain.get(), textArea, kBlue), 20);
  EXPECT_EQ(CountNear(plain.get(), textArea, kRed), 0);
  texty->SetSelected(true, false);
  auto selected = Paint(texty);
  EXPECT_GT(CountNear(selected.get(), textArea, kRed), 20);
  EXPECT_EQ(CountNear(selected.get(), textArea, kBlue), 0);

  // Sized from the selected image when it has no other.
  std::unique_ptr<ui::CheckBox> sized(new ui::CheckBox());
  sized->SetAttribute(L"selectednormalimage", image);
  ASSERT_NE(sized->GetEstimateImage(), nullptr);
  EXPECT_EQ(sized->GetEstimateImage()->GetAttribute().file, image);
}

// ----- Option --------------------------------------------------------------------------------

class OptionGroupTest : public TextControlsTest {
 protected:
  void SetUp() override {
    TextControlsTest::SetUp();
    for (const wchar_t* name : {L"a", L"b", L"c"}) {
      auto* option = Add<ui::Option>();
      option->SetName(name);
      option->SetGroup(L"g");
      Record(option, ui::kEventSelect, &log_);
      Record(option, ui::kEventUnSelect, &log_);
      Record(option, ui::kEventClick, &log_);
      options_.push_back(option);
    }
  }
  const std::vector<Control*>& Group() { return *window_.GetOptionGroup(L"g"); }

  std::vector<ui::Option*> options_;
  std::vector<std::wstring> log_;
};

TEST_F(OptionGroupTest, SelectingAnOptionUnselectsTheOthersEachWithItsEvent) {
  ASSERT_EQ(Group().size(), 3u);
  options_[0]->SetSelected(true, true);
  log_.clear();
  options_[1]->SetSelected(true, false);  // No select event, but the others' unselect events.
  EXPECT_EQ(log_, (std::vector<std::wstring>{L"a-", L"c-"}));
  EXPECT_FALSE(options_[0]->IsSelected());
  EXPECT_TRUE(options_[1]->IsSelected());
  log_.clear();
  options_[1]->SetSelected(true, true);  // Again: the select event again.
  EXPECT_EQ(log_, (std::vector<std::wstring>{L"a-", L"c-", L"b+"}));

  log_.clear();
  options_[2]->Activate();  // Clicked, then selected.
  options_[2]->Activate();  // Stays selected.
  EXPECT_EQ(log_, (std::vector<std::wstring>{L"c!", L"a-", L"b-", L"c+", L"c!", L"a-", L"b-",
                                             L"c+"}));
  EXPECT_TRUE(options_[2]->IsSelected());
}

TEST_F(OptionGroupTest, AnOptionOutOfItsGroupIsNoLongerTouched) {
  options_[0]->SetSelected(true, false);
  options_[0]->SetGroup(L"");
  EXPECT_EQ(Group().size(), 2u);
  options_[1]->SetSelected(true, false);
  EXPECT_TRUE(options_[0]->IsSelected());

  options_[1]->SetGroup(L"h");  // Moves, and unselects nothing in "g" (the other is alone).
  EXPECT_EQ(Group().size(), 1u);
  ASSERT_NE(window_.GetOptionGroup(L"h"), nullptr);

  // A box letting the last member go: the group goes with it.
  root_->Remove(options_[2]);
  EXPECT_EQ(window_.GetOptionGroup(L"g"), nullptr);
  window_.HandleMessage(ui::Window::kDelayedCleanupMessage, 0, 0);  // Now it is deleted.
  EXPECT_EQ(window_.GetOptionGroup(L"g"), nullptr);
  delete options_[0];  // Destroyed directly: leaves nothing behind either.
  root_->Remove(options_[1]);
  EXPECT_EQ(window_.GetOptionGroup(L"h"), nullptr);
}

TEST_F(OptionGroupTest, UnselectHandlersMayDeleteOrMoveOtherMembers) {
  root_->SetDelayedDestroy(false);
  ui::Option* b = options_[1];
  ui::Option* c = options_[2];
  c->SetSelected(true, false);
  // From now on "a" deletes "b" and moves "c" to another group when it is unselected.
  options_[0]->AttachEvent(ui::kEventUnSelect, [this, b, c](const EventArgs&) {
    root_->Remove(b);
    c->SetGroup(L"elsewhere");
    return true;
  });
  log_.clear();
  auto* d = Add<ui::OptionBox>();  // Both forms share a group.
  d->SetName(L"d");
  Record(d, ui::kEventUnSelect, &log_);
  d->SetGroup(L"g");
  log_.clear();
  d->SetSelected(true, true);
  // "a" is unselected (and "c" selects itself in its new group); "b" is gone, "c" has left.
  EXPECT_EQ(log_, (std::vector<std::wstring>{L"a-", L"c+"}));
  EXPECT_TRUE(c->IsSelected());
  ASSERT_NE(window_.GetOptionGroup(L"g"), nullptr);
  EXPECT_EQ(Group().size(), 2u);

  options_[0]->SetSelected(true, false);  // The box form is unselected as well.
  EXPECT_FALSE(d->IsSelected());
}

TEST_F(TextControlsTest, MarkupOptionsFormAGroupThatClicksMove) {
  ui::WindowBuilder builder;
  builder.Create(
      L"<Window><HBox name=\"bar\">"
      L"  <Option name=\"one\" group=\"size\" selected=\"true\" width=\"50\" height=\"20\"/>"
      L"  <Option name=\"two\" group=\"size\" width=\"50\" height=\"20\"/>"
      L"  <OptionBox name=\"three\" group=\"size\" width=\"50\" height=\"20\"><Label/></OptionBox>"
      L"</HBox></Window>",
      nullptr, &window_, root_);
  Layout();
  auto* one = dynamic_cast<ui::Option*>(window_.FindControl(L"one"));
  auto* three = dynamic_cast<ui::OptionBox*>(window_.FindControl(L"three"));
  ASSERT_TRUE(one && three);
  ASSERT_EQ(window_.GetOptionGroup(L"size")->size(), 3u);
  EXPECT_TRUE(one->IsSelected());

  // A press and release over the third, as the window routes them.
  const RECT pos = three->GetPos();
  EventArgs args;
  args.sender = three;
  args.mousePos = POINT{pos.left + 5, pos.top + 5};
  args.type = ui::kEventButtonDown;
  three->DispatchEvent(args);
  args.type = ui::kEventButtonUp;
  three->DispatchEvent(args);
  EXPECT_TRUE(three->IsSelected());
  EXPECT_FALSE(one->IsSelected());
}

}  // namespace
