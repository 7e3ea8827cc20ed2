// The tab box: which page shows as pages are added, inserted and removed, its attributes, the fade
// switch (unselected pages kept but transparent and deaf), and pages that fade in and out on a
// clock the test drives.
#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/tab_box.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"

namespace {

using ui::Box;
using ui::Control;
using ui::TabBox;

bool IsShown(Control* page) {
  const Box* box = dynamic_cast<Box*>(page);
  return page->IsVisible() && page->IsMouseEnabled() && page->GetAlpha() == 255 &&
         (!box || box->IsMouseChildEnabled());
}

// Hidden without the fade switch: invisible, deaf, transparent.
bool IsHidden(Control* page) {
  const Box* box = dynamic_cast<Box*>(page);
  return !page->IsVisible() && !page->IsMouseEnabled() && page->GetAlpha() == 0 &&
         (!box || !box->IsMouseChildEnabled());
}

int CountVisible(const TabBox& tabs) {
  int visible = 0;
  for (int i = 0; i < tabs.GetCount(); ++i) visible += tabs.GetItemAt(i)->IsVisible() ? 1 : 0;
  return visible;
}

Control* Invisible() {
  auto* page = new Box();
  page->SetVisible(false);
  return page;
}

TEST(TabBoxTest, TheFirstVisiblePageIsSelectedAndEveryOtherHidden) {
  TabBox tabs;
  Control* hiddenFirst = Invisible();
  Control* first = new Box();
  Control* second = new Control();
  ASSERT_TRUE(tabs.Add(hiddenFirst));
  ASSERT_TRUE(tabs.Add(first));
  ASSERT_TRUE(tabs.Add(second));
  EXPECT_EQ(tabs.GetCurSel(), 1);
  EXPECT_TRUE(IsHidden(hiddenFirst));
  EXPECT_TRUE(IsShown(first));
  EXPECT_TRUE(IsHidden(second));
  EXPECT_FALSE(tabs.Add(nullptr));
  EXPECT_FALSE(tabs.Add(first));  // Already a page.
  EXPECT_EQ(tabs.GetCount(), 3);

  // Every page lies over the whole box.
  tabs.SetPos(RECT{0, 0, 120, 80});
  const RECT pos = first->GetPos();
  EXPECT_EQ(pos.right - pos.left, 120);
  EXPECT_EQ(pos.bottom - pos.top, 80);
}

TEST(TabBoxTest, SelectedIdNamesThePageThatShows) {
  TabBox tabs;
  tabs.SetAttribute(L"selectedid", L" +2");
  for (int i = 0; i < 4; ++i) tabs.Add(new Box());
  EXPECT_EQ(tabs.GetCurSel(), 2);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(IsShown(tabs.GetItemAt(i)), i == 2) << "page " << i;

  for (const wchar_t* outside : {L"4", L"-3"}) {
    TabBox none;
    none.SetAttribute(L"selectedid", outside);
    for (int i = 0; i < 4; ++i) none.Add(new Box());
    EXPECT_EQ(CountVisible(none), 0) << outside;
  }

  // Set afterwards it only changes the index.
  tabs.SetAttribute(L"selectedid", L"0");
  EXPECT_EQ(tabs.GetCurSel(), 0);
  EXPECT_TRUE(IsHidden(tabs.GetItemAt(0)));
  EXPECT_TRUE(IsShown(tabs.GetItemAt(2)));

  tabs.SetAttribute(L"fadeswitch", L"true");
  EXPECT_TRUE(tabs.IsFadeSwitch());
  tabs.SetAttribute(L"fadeswitch", L"1");
  EXPECT_FALSE(tabs.IsFadeSwitch());
  tabs.SetAttribute(L"width", L"50");  // The box's own.
  EXPECT_EQ(tabs.GetFixedWidth(), 50);
}

TEST(TabBoxTest, AnInvisibleTabBoxSelectsNoneAndShowsNoneLater) {
  TabBox tabs;
  tabs.SetVisible(false);
  tabs.SetAttribute(L"selectedid", L"1");
  tabs.Add(new Box());
  tabs.Add(new Box());
  tabs.Add(new Box());
  tabs.SetVisible(true);
  EXPECT_EQ(CountVisible(tabs), 0);

  TabBox unnamed;
  unnamed.SetVisible(false);
  unnamed.Add(new Box());
  unnamed.Add(new Box());
  EXPECT_EQ(unnamed.GetCurSel(), -1);
  unnamed.SetVisible(true);
  EXPECT_EQ(CountVisible(unnamed), 0);
}

TEST(TabBoxTest, InsertingAPageNeverShowsTwoPages) {
  TabBox tabs;
  Control* selected = new Box();
  Control* other = new Box();
  tabs.Add(selected);
  tabs.Add(other);
  ASSERT_EQ(tabs.GetCurSel(), 0);

  // Before the selection: the selection follows its page and the new page arrives hidden.
  Control* before = new Box();
  ASSERT_TRUE(tabs.AddAt(before, 0));
  EXPECT_EQ(tabs.GetCurSel(), 1);
  EXPECT_EQ(tabs.GetItemAt(1), selected);
  EXPECT_TRUE(IsHidden(before));
  EXPECT_TRUE(IsShown(selected));

  Control* at = new Box();
  ASSERT_TRUE(tabs.AddAt(at, 1));  // At the selection's index.
  EXPECT_EQ(tabs.GetCurSel(), 2);
  EXPECT_TRUE(IsHidden(at));
  Control* after = new Box();
  ASSERT_TRUE(tabs.AddAt(after, 4));
  EXPECT_TRUE(IsHidden(after));
  EXPECT_EQ(CountVisible(tabs), 1);
  Box refused;
  EXPECT_FALSE(tabs.AddAt(&refused, 9));  // Past the end: the box refuses it.
  EXPECT_EQ(tabs.GetCurSel(), 2);

  // Into an empty tab box: a visible page becomes the selection; an invisible one does not.
  TabBox empty;
  Control* lone = Invisible();
  ASSERT_TRUE(empty.AddAt(lone, 0));
  EXPECT_EQ(empty.GetCurSel(), -1);
  Control* first = new Box();
  ASSERT_TRUE(empty.AddAt(first, 0));
  EXPECT_EQ(empty.GetCurSel(), 0);
  EXPECT_TRUE(IsShown(first));
  EXPECT_TRUE(IsHidden(lone));

  // A "selectedid" naming a page still to come: the page inserted there shows.
  TabBox waiting;
  waiting.SetAttribute(L"selectedid", L"1");
  waiting.Add(new Box());
  Control* named = new Box();
  ASSERT_TRUE(waiting.AddAt(named, 1));
  EXPECT_EQ(waiting.GetCurSel(), 1);
  EXPECT_TRUE(IsShown(named));
  EXPECT_EQ(CountVisible(waiting), 1);
}

TEST(TabBoxTest, RemovingPagesKeepsTheSelectionOnAPage) {
  TabBox tabs;
  tabs.SetAttribute(L"selectedid", L"2");
  Control* pages[4];
  for (Control*& page : pages) {
    page = new Box();
    tabs.Add(page);
  }
  ASSERT_TRUE(tabs.Remove(pages[0]));  // Below the selection.
  EXPECT_EQ(tabs.GetCurSel(), 1);
  EXPECT_EQ(tabs.GetItemAt(1), pages[2]);

  ASSERT_TRUE(tabs.RemoveAt(1));  // The selected page: the first one left shows.
  EXPECT_EQ(tabs.GetCurSel(), 0);
  EXPECT_TRUE(IsShown(pages[1]));
  EXPECT_TRUE(IsHidden(pages[3]));

  EXPECT_FALSE(tabs.Remove(nullptr));
  EXPECT_FALSE(tabs.RemoveAt(5));
  Box stranger;
  Control* notAPage = new Box();
  stranger.Add(notAPage);
  EXPECT_FALSE(tabs.Remove(notAPage));
  EXPECT_EQ(tabs.GetCurSel(), 0);

  ASSERT_TRUE(tabs.Remove(pages[3]));  // Above the selection.
  EXPECT_EQ(tabs.GetCurSel(), 0);
  ASSERT_TRUE(tabs.Remove(pages[1]));  // The last page.
  EXPECT_EQ(tabs.GetCurSel(), -1);

  tabs.Add(new Box());
  tabs.Add(new Box());
  tabs.RemoveAll();
  EXPECT_EQ(tabs.GetCurSel(), -1);
  EXPECT_EQ(tabs.GetCount(), 0);
}

TEST(TabBoxTest, WithTheFadeSwitchUnselectedPagesStayButPaintNothingAndAreNotHit) {
  ui::GlobalManager::AddTextColor(L"tab_green", 0xFF00FF00);
  ui::GlobalManager::AddTextColor(L"tab_red", 0xFFFF0000);
  ui::Window window;
  auto* tabs = new TabBox();
  tabs->SetAttribute(L"fadeswitch", L"true");
  window.AttachRoot(tabs);
  auto* green = new Box();
  green->SetBkColor(L"tab_green");
  auto* red = new Box();  // Later, so on top.
  red->SetBkColor(L"tab_red");
  tabs->Add(green);
  tabs->Add(red);
  EXPECT_EQ(tabs->GetCurSel(), 0);
  EXPECT_TRUE(red->IsVisible());  // Kept in the layout...
  EXPECT_EQ(red->GetAlpha(), 0);  // ...but transparent...
  EXPECT_FALSE(red->IsMouseEnabled());  // ...and deaf.
  EXPECT_FALSE(red->IsMouseChildEnabled());

  window.SetLayoutPending(true);
  window.ArrangeRoot(RECT{0, 0, 60, 40});
  EXPECT_EQ(red->GetPos().right, 60);
  EXPECT_EQ(window.FindControlAt(POINT{30, 20}), green);
  std::unique_ptr<ui::IRenderContext> canvas = uitest::MakeCanvas(60, 40);
  tabs->PaintWithClip(canvas.get(), RECT{0, 0, 60, 40});
  EXPECT_EQ(uitest::CountRgb(canvas.get(), RECT{0, 0, 60, 40}, 0x00FF00), 60 * 40);

  ASSERT_TRUE(tabs->Remove(green));  // The red page is selected and shown now.
  EXPECT_TRUE(IsShown(red));
  EXPECT_EQ(window.FindControlAt(POINT{30, 20}), red);
}

TEST(TabBoxTest, PagesWithAnAlphaFadeFadeOutAndInOnTheClock) {
  ui::ManualClock clock;
  TabBox tabs;
  auto* first = new Box();
  auto* second = new Box();
  first->GetAnimationManager().SetFadeAlpha(true);
  second->GetAnimationManager().SetFadeAlpha(true);
  tabs.Add(first);
  tabs.Add(second);  // Fades out as it arrives.
  EXPECT_TRUE(second->IsVisible());
  ASSERT_TRUE(uitest::AdvanceClock(clock, 100));
  EXPECT_GT(second->GetAlpha(), 0);
  EXPECT_LT(second->GetAlpha(), 255);
  ASSERT_TRUE(uitest::AdvanceClock(clock, 200));
  EXPECT_TRUE(IsHidden(second));

  // The selected page goes: the other fades in from transparent, without a frame at full alpha
  // first.
  ASSERT_TRUE(tabs.Remove(first));
  EXPECT_TRUE(second->IsVisible());
  EXPECT_LT(second->GetAlpha(), 64);
  ASSERT_TRUE(uitest::AdvanceClock(clock, 100));
  EXPECT_GT(second->GetAlpha(), 64);
  EXPECT_LT(second->GetAlpha(), 255);
  ASSERT_TRUE(uitest::AdvanceClock(clock, 200));
  EXPECT_TRUE(IsShown(second));
}

}  // namespace
