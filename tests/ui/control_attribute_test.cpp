// Markup attributes of controls and boxes, attribute lists, classes and the apply-attribute
// handler of markup events.
#include <gtest/gtest.h>

#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/core/stack_layout.h"
#include "ui/core/window.h"

namespace {

using ui::Box;
using ui::Control;

TEST(ControlAttributeTest, ColoursSizesAndFlagsReadAsMarkupWritesThem) {
  Control control;
  control.SetAttribute(L"bkcolor1", L"  first");
  EXPECT_EQ(control.GetBkColor(), L"first");  // Leading blanks skipped.
  control.SetAttribute(L"bkcolor", L"second");
  EXPECT_EQ(control.GetBkColor(), L"second");  // Both names set the one colour.

  control.SetAttribute(L"width", L"40");
  control.SetAttribute(L"width", L"-3");
  EXPECT_EQ(control.GetFixedWidth(), 40);
  control.SetAttribute(L"width", L"0");
  EXPECT_EQ(control.GetFixedWidth(), 0);
  control.SetAttribute(L"height", L"auto");
  EXPECT_EQ(control.GetFixedHeight(), ui::kSizeAuto);
  control.SetAttribute(L"width", L"stretch");
  EXPECT_EQ(control.GetFixedWidth(), ui::kSizeStretch);
  control.SetAttribute(L"width", L"12px");  // The leading digits count.
  EXPECT_EQ(control.GetFixedWidth(), 12);
  control.SetAttribute(L"minwidth", L"-4");
  EXPECT_EQ(control.GetMinWidth(), -1);
  control.SetAttribute(L"maxheight", L"auto");
  EXPECT_EQ(control.GetMaxHeight(), ui::kSizeAuto);

  control.SetAttribute(L"nofocus", L"false");  // Whatever the value.
  EXPECT_TRUE(control.IsNoFocus());
  control.SetAttribute(L"mouse", L"TRUE");  // Only "true" is true.
  EXPECT_FALSE(control.IsMouseEnabled());
  control.SetAttribute(L"halign", L"middle");  // Unknown values are ignored.
  EXPECT_EQ(control.GetHorAlignType(), ui::kHorAlignLeft);
  control.SetAttribute(L"halign", L"right");
  EXPECT_EQ(control.GetHorAlignType(), ui::kHorAlignRight);
  control.SetAttribute(L"alpha", L"300");  // Stored as given.
  EXPECT_EQ(control.GetAlpha(), 300);
  control.SetAttribute(L"state", L"hot");
  EXPECT_EQ(control.GetState(), ui::kControlStateHot);
  EXPECT_EQ(control.GetHotAlpha(), 255);
  control.SetAttribute(L"margin", L"1,2,3,4");
  EXPECT_EQ(control.GetMargin().bottom, 4);
  control.SetAttribute(L"unknown", L"x");  // Ignored.
}

TEST(ControlAttributeTest, ASingleBorderSizeClearsTheSidesAndFourSidesKeepTheSingleOne) {
  Control control;
  control.SetAttribute(L"leftbordersize", L"3");
  control.SetAttribute(L"bordersize", L"2");
  EXPECT_EQ(control.GetBorderSize(), 2);
  EXPECT_EQ(control.GetBorderSizes().left, 0);
  control.SetAttribute(L"bordersize", L"1,0,1,0");
  EXPECT_EQ(control.GetBorderSize(), 2);
  EXPECT_EQ(control.GetBorderSizes().left, 1);
  EXPECT_EQ(control.GetBorderSizes().right, 1);
}

TEST(ControlAttributeTest, HotLooksSwitchTheHotFadeOnAndImagesSetPlayback) {
  Control control;
  EXPECT_FALSE(control.HasHotState());
  control.SetAttribute(L"hotcolor", L"hover");
  EXPECT_TRUE(control.HasHotState());
  EXPECT_NE(control.GetAnimationManager().GetAnimationPlayer(ui::kAnimationHot), nullptr);
  control.SetAttribute(L"fadehot", L"false");
  EXPECT_EQ(control.GetAnimationManager().GetAnimationPlayer(ui::kAnimationHot), nullptr);
  control.SetAttribute(L"forehotimage", L"x.png");
  EXPECT_TRUE(control.HasHotState());
  EXPECT_EQ(control.GetStateImageMap().GetImageString(ui::kStateImageFore, ui::kControlStateHot),
            L"x.png");
  control.SetAttribute(L"fadeinoutyfrombottom", L"true");
  EXPECT_NE(control.GetAnimationManager().GetAnimationPlayer(ui::kAnimationInoutYFromBottom),
            nullptr);
}

TEST(ControlAttributeTest, AttributeListsStopAtTheFirstDeviation) {
  Control control;
  control.ApplyAttributeList(L"name=\"a\" width=\"10\"");
  EXPECT_EQ(control.GetName(), L"a");
  EXPECT_EQ(control.GetFixedWidth(), 10);
  control.ApplyAttributeList(L"name=\"b\"  width=\"20\"");  // Two blanks: only the first.
  EXPECT_EQ(control.GetName(), L"b");
  EXPECT_EQ(control.GetFixedWidth(), 10);
  control.ApplyAttributeList(L"name=c width=\"30\"");  // No quote.
  EXPECT_EQ(control.GetName(), L"b");
  control.ApplyAttributeList(L"name=\"d\",width=\"30\"");
  EXPECT_EQ(control.GetName(), L"d");
  EXPECT_EQ(control.GetFixedWidth(), 10);
  control.ApplyAttributeList(L"name=\"unterminated");
  EXPECT_EQ(control.GetName(), L"d");
}

TEST(ControlAttributeTest, GlobalClassesWinOverWindowClassesAndLoopingClassesEnd) {
  ui::GlobalManager::AddClass(L"attr_both", L"width=\"11\"");
  ui::GlobalManager::AddClass(L"attr_loop", L"class=\"attr_loop\" height=\"7\"");
  ui::Window window;
  window.AddClass(L"attr_both", L"width=\"22\" height=\"22\"");
  window.AddClass(L"attr_window", L"name=\"from window\"");
  auto* root = new Box();
  window.AttachRoot(root);
  root->SetAttribute(L"class", L"attr_both attr_window");
  EXPECT_EQ(root->GetFixedWidth(), 11);
  EXPECT_EQ(root->GetFixedHeight(), ui::kSizeStretch);  // The window's list was not applied.
  EXPECT_EQ(root->GetName(), L"from window");
  root->SetAttribute(L"class", L"attr_loop");  // Names itself: cut off, no stack overflow.
  EXPECT_EQ(root->GetFixedHeight(), 7);
}

TEST(ControlAttributeTest, BoxesGiveLayoutAttributesToTheirLayout) {
  ui::VBox box;
  box.SetAttribute(L"padding", L"1,2,3,4");
  box.SetAttribute(L"childmargin", L"6");
  box.SetAttribute(L"mousechild", L"false");
  box.SetAttribute(L"columns", L"3");  // Not a vertical layout's: goes to the control, ignored.
  EXPECT_EQ(box.GetLayout()->GetPadding().right, 3);
  EXPECT_EQ(box.GetLayout()->GetChildMargin(), 6);
  EXPECT_FALSE(box.IsMouseChildEnabled());
}

TEST(ControlAttributeTest, TheApplyAttributeHandlerFindsItsReceiverBelowItsOwnerOrByName) {
  ui::Window window;
  auto* root = new Box();
  auto* panel = new Box();
  auto* inner = new Control();
  auto* named = new Control();
  inner->SetName(L"inner");
  named->SetName(L"named");
  panel->Add(inner);
  root->Add(panel);
  root->Add(named);
  window.AttachRoot(root);

  ui::EventArgs args;
  EXPECT_TRUE(ui::MakeApplyAttributeHandler(panel, L"./inner", L"width=\"5\"")(args));
  EXPECT_EQ(inner->GetFixedWidth(), 5);
  EXPECT_TRUE(ui::MakeApplyAttributeHandler(panel, L".\\named", L"width=\"6\"")(args));
  EXPECT_EQ(named->GetFixedWidth(), ui::kSizeStretch);  // Not below panel.
  EXPECT_TRUE(ui::MakeApplyAttributeHandler(panel, L"named", L"width=\"7\"")(args));
  EXPECT_EQ(named->GetFixedWidth(), 7);
  EXPECT_TRUE(ui::MakeApplyAttributeHandler(panel, L"missing", L"width=\"8\"")(args));

  // Bound to its owner: once the owner is gone it does nothing.
  ui::EventCallback handler = ui::MakeApplyAttributeHandler(inner, L"named", L"width=\"9\"");
  panel->SetDelayedDestroy(false);
  panel->Remove(inner);
  handler(args);
  EXPECT_EQ(named->GetFixedWidth(), 7);
}

}  // namespace
