// Boxes with real controls: adding, moving and removing children (and what is refused), delayed
// deletion, hit testing, estimates of auto-sized boxes, layout attributes, and the window's layout
// pass.
#include <gtest/gtest.h>

#include <memory>

#include "tests/ui/control_test_support.h"
#include "ui/core/box.h"
#include "ui/core/stack_layout.h"
#include "ui/core/tile_layout.h"
#include "ui/core/window.h"

namespace {

using ui::Box;
using ui::Control;
using uitest::FlaggedControl;

Control* Sized(int width, int height) {
  auto* control = new Control();
  control->SetFixedWidth(width);
  control->SetFixedHeight(height);
  return control;
}

Control* Hit(Control* control, void*) { return control; }

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(BoxTest, RefusesNullBadIndicesAndControlsThatAlreadyHaveAnOwner) {
  Box box;
  Box other;
  auto* child = new Control();
  EXPECT_FALSE(box.Add(nullptr));
  EXPECT_FALSE(box.AddAt(child, -1));
  EXPECT_FALSE(box.AddAt(child, 1));
  ASSERT_TRUE(box.AddAt(child, 0));
  EXPECT_FALSE(other.Add(child));  // Already box's child.
  EXPECT_FALSE(box.Add(child));
  EXPECT_EQ(box.GetCount(), 1);
  EXPECT_EQ(other.GetCount(), 0);

  // No loops: a box cannot take itself or one of its ancestors.
  auto* inner = new Box();
  box.Add(inner);
  EXPECT_FALSE(inner->Add(inner));
  EXPECT_FALSE(inner->Add(&box));

  // Nor another window's root.
  ui::Window window;
  auto* root = new Box();
  window.AttachRoot(root);
  EXPECT_FALSE(box.Add(root));
  EXPECT_EQ(window.GetRoot(), root);
}

TEST(BoxTest, MovesChildrenOnlyToIndicesInsideTheList) {
  Box box;
  Control* a = Sized(1, 1);
  Control* b = Sized(2, 2);
  Control* c = Sized(3, 3);
  box.Add(a);
  box.Add(b);
  box.Add(c);
  Control stranger;
  EXPECT_FALSE(box.SetItemIndex(a, -1));
  EXPECT_FALSE(box.SetItemIndex(a, 3));
  EXPECT_FALSE(box.SetItemIndex(&stranger, 0));
  EXPECT_TRUE(box.SetItemIndex(a, 2));
  EXPECT_EQ(box.GetItemAt(0), b);
  EXPECT_EQ(box.GetItemAt(2), a);
  EXPECT_EQ(box.GetItemIndex(c), 1);
  EXPECT_EQ(box.GetItemAt(-1), nullptr);
  EXPECT_EQ(box.GetItemAt(3), nullptr);
  EXPECT_FALSE(box.RemoveAt(5));
}

TEST(BoxTest, ARemovedChildLivesUntilTheWindowHandlesItsCleanUpMessage) {
  ui::Window window;
  window.Init(uitest::MakeTestWindow());
  auto* root = new Box();
  window.AttachRoot(root);
  bool deleted = false;
  auto* child = new FlaggedControl(&deleted);
  child->SetName(L"child");
  root->Add(child);
  ASSERT_EQ(window.FindControl(L"child"), child);

  MSG stale;
  while (::PeekMessageW(&stale, window.GetHWND(), ui::Window::kDelayedCleanupMessage,
                        ui::Window::kDelayedCleanupMessage, PM_REMOVE)) {
  }
  EXPECT_TRUE(root->Remove(child));
  EXPECT_FALSE(deleted);
  EXPECT_EQ(window.FindControl(L"child"), nullptr);  // Out of the window at once.
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, window.GetHWND(), ui::Window::kDelayedCleanupMessage,
                             ui::Window::kDelayedCleanupMessage, PM_REMOVE));
  window.HandleMessage(msg.message, msg.wParam, msg.lParam);
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(root->Remove(child));
}

TEST(BoxTest, WithoutAutoDestroyARemovedChildIsDetachedAndMayBeAddedElsewhere) {
  Box first;
  Box second;
  first.SetAutoDestroy(false);
  bool deleted = false;
  auto* child = new FlaggedControl(&deleted);
  first.Add(child);
  ASSERT_TRUE(first.Remove(child));
  EXPECT_FALSE(deleted);
  EXPECT_EQ(child->GetParent(), nullptr);
  EXPECT_TRUE(second.Add(child));

  // Let go by a hidden box, it shows in a shown one.
  Box hidden;
  hidden.SetAutoDestroy(false);
  hidden.SetVisible(false);
  Control* shown = Sized(10, 10);
  hidden.Add(shown);
  ASSERT_TRUE(hidden.Remove(shown));
  ASSERT_TRUE(second.Add(shown));
  EXPECT_TRUE(shown->IsVisible());

  second.RemoveAll();  // Auto-destroy, no window: at once.
  EXPECT_TRUE(deleted);
  EXPECT_EQ(second.GetCount(), 0);
}

TEST(BoxTest, KeepsItsLayoutWhenGivenNone) {
  Box box(new ui::VLayout());
  ui::Layout* layout = box.GetLayout();
  EXPECT_FALSE(box.SetLayout(nullptr));
  EXPECT_EQ(box.GetLayout(), layout);
  EXPECT_TRUE(box.SetLayout(layout));  // The one it holds: kept, not deleted.
  EXPECT_EQ(box.GetLayout(), layout);
  EXPECT_TRUE(box.SetLayout(new ui::TileLayout()));
  EXPECT_EQ(box.GetLayout()->GetOwner(), &box);
}

TEST(BoxTest, HitTestsFindTheTopChildOnlyWithMouseChildAndOnlyInsideThePadding) {
  Box box;
  box.SetAttribute(L"padding", L"10,10,10,10");
  Control* bottom = Sized(100, 100);
  Control* top = Sized(50, 50);
  Control* corner = Sized(8, 8);
  corner->SetFloat(true);
  box.Add(bottom);
  box.Add(top);
  box.Add(corner);
  box.SetPos(RECT{0, 0, 120, 120});
  ASSERT_TRUE(SameRect(top->GetPos(), RECT{10, 10, 60, 60}));
  ASSERT_TRUE(SameRect(corner->GetPos(), RECT{10, 10, 18, 18}));

  const UINT hit = ui::kFindVisible | ui::kFindHitTest | ui::kFindTopFirst;
  POINT point = {30, 30};
  EXPECT_EQ(box.FindControl(&Hit, &point, hit), top);
  EXPECT_EQ(box.FindControl(&Hit, &point, ui::kFindVisible | ui::kFindHitTest), bottom);
  point = POINT{12, 12};
  EXPECT_EQ(box.FindControl(&Hit, &point, hit), corner);
  point = POINT{5, 5};  // In the padding: the box itself.
  EXPECT_EQ(box.FindControl(&Hit, &point, hit), &box);
  point = POINT{30, 30};
  EXPECT_EQ(box.FindControl(&Hit, &point, hit | ui::kFindMeFirst), &box);
  box.SetMouseChildEnabled(false);
  EXPECT_EQ(box.FindControl(&Hit, &point, hit), &box);
  point = POINT{500, 5};
  EXPECT_EQ(box.FindControl(&Hit, &point, hit), nullptr);
}

TEST(BoxTest, AnAutoSizedBoxMeasuresItsChildrenAndAgainWhenOneChanges) {
  ui::VBox box;
  box.SetFixedWidth(ui::kSizeAuto);
  box.SetFixedHeight(ui::kSizeAuto);
  box.SetAttribute(L"padding", L"1,2,3,4");
  box.SetAttribute(L"childmargin", L"5");
  Control* a = Sized(30, 10);
  Control* b = Sized(20, 20);
  box.Add(a);
  box.Add(b);
  SIZE size = box.EstimateSize(SIZE{500, 500});
  EXPECT_EQ(size.cx, 30 + 4);
  EXPECT_EQ(size.cy, 10 + 5 + 20 + 6);
  EXPECT_FALSE(box.IsNeedEstimate());
  b->SetFixedHeight(40);  // Marks the box for measuring again.
  size = box.EstimateSize(SIZE{500, 500});
  EXPECT_EQ(size.cy, 10 + 5 + 40 + 6);
}

TEST(BoxTest, TileAttributesColumnsZeroIsIgnoredAndItemSizeWins) {
  ui::TileBox box;
  auto* tiles = static_cast<ui::TileLayout*>(box.GetLayout());
  box.SetAttribute(L"columns", L"4");
  box.SetAttribute(L"columns", L"0");
  EXPECT_EQ(tiles->GetColumns(), 4);
  for (int i = 0; i < 6; ++i) box.Add(Sized(10, 10));
  box.SetPos(RECT{0, 0, 100, 100});
  EXPECT_EQ(box.GetItemAt(4)->GetPos().top, 10);  // Four columns: the fifth starts row 2.

  box.SetAttribute(L"itemsize", L"50,20");
  box.SetPos(RECT{0, 0, 101, 100});
  EXPECT_EQ(box.GetItemAt(2)->GetPos().top, 10);  // 101 / 50 = 2 columns.
  EXPECT_EQ(box.GetItemAt(1)->GetPos().left, 51 + 20);
}

TEST(BoxTest, VisibilityAndEnabledReachTheChildren) {
  Box box;
  Control* child = Sized(10, 10);
  box.Add(child);
  box.SetVisible(false);
  EXPECT_FALSE(child->IsVisible());
  EXPECT_FALSE(child->IsInternVisible());
  box.SetVisible(true);
  EXPECT_TRUE(child->IsVisible());
  box.SetEnabled(false);
  EXPECT_FALSE(child->IsEnabled());
  EXPECT_EQ(child->GetState(), ui::kControlStateDisabled);

  Box hidden;
  hidden.SetVisible(false);
  Control* late = Sized(10, 10);
  hidden.Add(late);  // Joining a hidden box hides it too.
  EXPECT_FALSE(late->IsVisible());
}

TEST(BoxTest, TheWindowsLayoutPassPlacesTheTreeAndEndsWhenAControlKeepsComingBack) {
  ui::Window window;
  auto* root = new ui::VBox();
  auto* nested = new ui::VBox();
  Control* a = Sized(ui::kSizeStretch, 20);
  Control* b = Sized(ui::kSizeStretch, ui::kSizeStretch);
  nested->Add(a);
  root->Add(nested);
  root->Add(b);
  nested->SetFixedHeight(50);
  window.AttachRoot(root);
  window.ArrangeRoot(RECT{0, 0, 100, 100});
  EXPECT_TRUE(SameRect(b->GetPos(), RECT{0, 50, 100, 100}));
  EXPECT_FALSE(window.IsLayoutPending());

  // Every placement of a changes its height, which marks its box for arranging again: placing
  // the box places a anew, for ever, unless the pass stops at the box's return.
  int placements = 0;
  a->AttachEvent(ui::kEventPositionChange, [&](const ui::EventArgs&) {
    ++placements;
    a->SetFixedHeight(a->GetFixedHeight() == 20 ? 30 : 20);
    return true;
  });
  a->SetFixedHeight(30);
  ASSERT_TRUE(nested->IsNeedArrange());
  ASSERT_FALSE(root->IsNeedArrange());
  window.ArrangeRoot(RECT{0, 0, 100, 100});
  EXPECT_EQ(placements, 1);
  EXPECT_TRUE(nested->IsNeedArrange());  // Still wants more: left for the next pass.
  EXPECT_TRUE(window.IsLayoutPending());
}

TEST(BoxTest, AChildRemovedByASiblingsPositionHandlerStopsThePlacingSafely) {
  ui::Window window;
  auto* root = new ui::VBox();
  root->SetDelayedDestroy(false);  // Deleted at once, while the layout is placing.
  Control* a = Sized(ui::kSizeStretch, 20);
  bool deleted = false;
  auto* b = new FlaggedControl(&deleted);
  b->SetFixedHeight(20);
  root->Add(a);
  root->Add(b);
  window.AttachRoot(root);
  a->AttachEvent(ui::kEventPositionChange, [&](const ui::EventArgs&) {
    root->Remove(b);
    return true;
  });
  window.ArrangeRoot(RECT{0, 0, 100, 100});
  EXPECT_TRUE(deleted);
  EXPECT_EQ(root->GetCount(), 1);
  EXPECT_TRUE(window.IsLayoutPending());  // The rest waits for the next pass.
}

}  // namespace
