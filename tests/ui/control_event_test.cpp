// Events of the control tree: the stages a dispatch runs, bubbling to the parents, the stop
// rules, handler changes and destruction during a dispatch, and the default handling of mouse,
// focus and position events.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "ui/core/box.h"
#include "ui/core/window.h"

namespace {

using ui::Box;
using ui::Control;
using ui::EventArgs;
using uitest::FlaggedControl;

// Appends name to log and answers result.
ui::EventCallback Log(std::vector<std::string>* log, std::string name, bool result = true) {
  return [log, name, result](const EventArgs&) {
    log->push_back(name);
    return result;
  };
}

class Activatable : public Control {
 public:
  void Activate() override { ++activations; }
  int activations = 0;
};

// A window with a root box and one child placed at (10, 10, 60, 40).
struct Tree {
  Tree() {
    root->SetName(L"root");
    root->Add(child);
    window.AttachRoot(root);
    child->SetFixedWidth(50);
    child->SetFixedHeight(30);
    child->SetMargin(RECT{10, 10, 0, 0});
    window.ArrangeRoot(RECT{0, 0, 200, 200});
  }
  ui::Window window;
  Box* root = new Box();
  Control* child = new Control();
};

TEST(ControlEventTest, StagesRunInOrderAndUnhandledEventsBubbleUpEveryParent) {
  std::vector<std::string> log;
  Tree tree;
  auto* middle = new Box();
  tree.root->Add(middle);
  auto* leaf = new Control();
  middle->Add(leaf);

  leaf->AttachEvent(ui::kEventClick, Log(&log, "leaf code"));
  leaf->AttachAllEvents(Log(&log, "leaf code all"));
  leaf->AttachMarkupEvent(ui::kEventClick, Log(&log, "leaf markup"));
  leaf->AttachMarkupEvent(ui::kEventAll, Log(&log, "leaf markup all"));
  middle->AttachEvent(ui::kEventClick, Log(&log, "middle own"));  // Only for its own events.
  middle->AttachBubbledEvent(ui::kEventClick, Log(&log, "middle bubbled"));
  middle->AttachBubbledEvent(ui::kEventAll, Log(&log, "middle bubbled all"));
  middle->AttachMarkupBubbledEvent(ui::kEventClick, Log(&log, "middle markup bubbled"));
  tree.root->AttachBubbledEvent(ui::kEventClick, Log(&log, "root bubbled"));

  leaf->SendEvent(ui::kEventClick);
  const std::vector<std::string> expected = {
      "leaf code",      "leaf code all",      "leaf markup",           "leaf markup all",
      "middle bubbled", "middle bubbled all", "middle markup bubbled", "root bubbled"};
  EXPECT_EQ(log, expected);

  log.clear();
  middle->SendEvent(ui::kEventClick);  // A box's own event: its own maps, then its bubbled ones.
  const std::vector<std::string> own = {"middle own", "middle bubbled", "middle bubbled all",
                                        "middle markup bubbled", "root bubbled"};
  EXPECT_EQ(log, own);
}

TEST(ControlEventTest, AFalseStopsItsListAndTheLaterStagesUnlessTheAllListAnswersTrue) {
  std::vector<std::string> log;
  Tree tree;
  tree.root->AttachBubbledEvent(ui::kEventClick, Log(&log, "parent"));

  tree.child->AttachEvent(ui::kEventClick, Log(&log, "first", false));
  tree.child->AttachEvent(ui::kEventClick, Log(&log, "second"));
  tree.child->SendEvent(ui::kEventClick);
  EXPECT_EQ(log, (std::vector<std::string>{"first"}));

  // With an all-events list that answers true, the type list's false no longer stops anything.
  log.clear();
  tree.child->AttachAllEvents(Log(&log, "all"));
  tree.child->AttachMarkupEvent(ui::kEventClick, Log(&log, "markup"));
  tree.child->SendEvent(ui::kEventClick);
  EXPECT_EQ(log, (std::vector<std::string>{"first", "all", "markup", "parent"}));

  // An all list that answers false stops the markup handlers and the default handling.
  log.clear();
  tree.child->DetachEvent(ui::kEventAll);
  tree.child->AttachAllEvents(Log(&log, "all says no", false));
  tree.child->SendEvent(ui::kEventClick);
  EXPECT_EQ(log, (std::vector<std::string>{"first", "all says no"}));
}

TEST(ControlEventTest, InvokeRuleEmptyAndCompletedListsAreTrue) {
  EventArgs args;
  std::vector<std::string> log;
  EXPECT_TRUE(ui::InvokeEventCallbacks({}, args));
  EXPECT_TRUE(ui::InvokeEventCallbacks({Log(&log, "a"), nullptr, Log(&log, "b")}, args));
  EXPECT_FALSE(ui::InvokeEventCallbacks({Log(&log, "c", false), Log(&log, "d")}, args));
  EXPECT_EQ(log, (std::vector<std::string>{"a", "b", "c"}));
}

TEST(ControlEventTest, HandlersChangedDuringADispatchTakeEffectFromTheNextOne) {
  std::vector<std::string> log;
  Tree tree;
  Control* child = tree.child;
  child->AttachEvent(ui::kEventClick, [&](const EventArgs&) {
    log.push_back("replacer");
    child->DetachEvent(ui::kEventClick);  // Removes itself and "later" ...
    child->AttachEvent(ui::kEventClick, Log(&log, "new"));
    return true;
  });
  child->AttachEvent(ui::kEventClick, Log(&log, "later"));
  child->SendEvent(ui::kEventClick);
  EXPECT_EQ(log, (std::vector<std::string>{"replacer", "later"}));  // ... but it still runs now.
  log.clear();
  child->SendEvent(ui::kEventClick);
  EXPECT_EQ(log, (std::vector<std::string>{"new"}));
}

TEST(ControlEventTest, AHandlerThatDestroysTheSenderEndsTheDispatch) {
  std::vector<std::string> log;
  Tree tree;
  tree.root->SetDelayedDestroy(false);  // Removing deletes at once.
  bool deleted = false;
  auto* doomed = new FlaggedControl(&deleted);
  tree.root->Add(doomed);
  tree.root->AttachBubbledEvent(ui::kEventClick, Log(&log, "parent"));
  doomed->AttachEvent(ui::kEventClick, [&](const EventArgs&) {
    log.push_back("remover");
    tree.root->Remove(doomed);
    return true;
  });
  doomed->AttachEvent(ui::kEventClick, Log(&log, "after"));
  doomed->AttachAllEvents(Log(&log, "all"));
  doomed->AttachMarkupEvent(ui::kEventClick, Log(&log, "markup"));
  doomed->SendEvent(ui::kEventClick);
  EXPECT_TRUE(deleted);
  EXPECT_EQ(log, (std::vector<std::string>{"remover"}));
}

TEST(ControlEventTest, InternalEventsNeverReachHandlers) {
  std::vector<std::string> log;
  Tree tree;
  tree.child->AttachAllEvents(Log(&log, "all"));
  tree.root->AttachBubbledEvent(ui::kEventAll, Log(&log, "bubbled"));
  tree.child->SendEvent(ui::kEventInternalSetFocus);
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(tree.child->IsFocused());
  EXPECT_EQ(tree.child->GetState(), ui::kControlStateHot);
  tree.child->SendEvent(ui::kEventInternalKillFocus);
  EXPECT_FALSE(tree.child->IsFocused());
  EXPECT_EQ(tree.child->GetState(), ui::kControlStateNormal);
}

TEST(ControlEventTest, AMouseDisabledControlPassesMouseEventsButKeepsFocusAndMenu) {
  std::vector<std::string> log;
  Tree tree;
  tree.root->AttachBubbledEvent(ui::kEventButtonDown, Log(&log, "parent down"));
  tree.root->AttachBubbledEvent(ui::kEventMenu, Log(&log, "parent menu"));
  tree.child->SetMouseEnabled(false);
  tree.child->SetContextMenuUsed(true);
  tree.child->SendEvent(ui::kEventButtonDown);
  EXPECT_EQ(tree.child->GetState(), ui::kControlStateNormal);  // Not pushed.
  EXPECT_EQ(log, (std::vector<std::string>{"parent down"}));

  tree.child->SendEvent(ui::kEventInternalMenu);  // Becomes a menu event of the child.
  EXPECT_EQ(log.back(), "parent menu");
  tree.child->SendEvent(ui::kEventInternalSetFocus);
  EXPECT_TRUE(tree.child->IsFocused());
}

TEST(ControlEventTest, ButtonUpInsideActivatesAndOutsideDoesNot) {
  Tree tree;
  auto* button = new Activatable();
  button->SetFixedWidth(40);
  button->SetFixedHeight(20);
  button->SetFloat(true);
  tree.root->Add(button);
  tree.window.SetLayoutPending(true);
  tree.window.ArrangeRoot(RECT{0, 0, 200, 200});
  ASSERT_EQ(button->GetPos().right, 40);

  button->SendEvent(ui::kEventButtonDown, 0, 0, 0, POINT{5, 5});
  EXPECT_EQ(button->GetState(), ui::kControlStatePushed);
  button->SendEvent(ui::kEventButtonUp, 0, 0, 0, POINT{150, 150});
  EXPECT_EQ(button->GetState(), ui::kControlStateNormal);
  EXPECT_EQ(button->activations, 0);

  button->SendEvent(ui::kEventButtonDown, 0, 0, 0, POINT{5, 5});
  button->SendEvent(ui::kEventButtonUp, 0, 0, 0, POINT{6, 6});
  EXPECT_EQ(button->GetState(), ui::kControlStateHot);
  EXPECT_EQ(button->GetHotAlpha(), 255);
  EXPECT_EQ(button->activations, 1);

  button->SendEvent(ui::kEventPointerDown, 0, 0, 0, POINT{5, 5});
  button->SendEvent(ui::kEventPointerUp, 0, 0, 0, POINT{6, 6});
  EXPECT_EQ(button->GetState(), ui::kControlStateNormal);  // A pointer leaves no hover behind.
  EXPECT_EQ(button->activations, 2);

  button->SendEvent(ui::kEventButtonUp, 0, 0, 0, POINT{6, 6});  // No press before: nothing.
  EXPECT_EQ(button->activations, 2);
}

TEST(ControlEventTest, EnterAndLeaveFollowThePointerThroughTheTree) {
  Tree tree;
  auto* other = new Control();
  other->SetFixedWidth(50);
  other->SetFixedHeight(30);
  other->SetMargin(RECT{100, 10, 0, 0});
  other->SetFloat(true);
  tree.root->Add(other);
  tree.window.SetLayoutPending(true);
  tree.window.ArrangeRoot(RECT{0, 0, 200, 200});
  tree.root->SetStateColor(ui::kControlStateHot, L"x");  // Gives the root a hot look.

  ASSERT_TRUE(tree.window.HandleMouseEnterLeave(POINT{20, 20}, 0, 0));
  EXPECT_EQ(tree.window.GetHoverControl(), tree.child);
  EXPECT_EQ(tree.child->GetState(), ui::kControlStateHot);
  EXPECT_EQ(tree.root->GetState(), ui::kControlStateHot);  // The enter bubbled up.

  // To a sibling: the child leaves, the root stays hot (the pointer is still inside it).
  tree.window.HandleMouseEnterLeave(POINT{120, 20}, 0, 0);
  EXPECT_EQ(tree.child->GetState(), ui::kControlStateNormal);
  EXPECT_EQ(other->GetState(), ui::kControlStateHot);
  EXPECT_EQ(tree.root->GetState(), ui::kControlStateHot);

  // Out of everything: the root leaves too.
  tree.window.HandleMouseEnterLeave(POINT{500, 500}, 0, 0);
  EXPECT_EQ(other->GetState(), ui::kControlStateNormal);
  EXPECT_EQ(tree.root->GetState(), ui::kControlStateNormal);
  EXPECT_EQ(tree.window.GetHoverControl(), nullptr);
}

TEST(ControlEventTest, AHotLookMakesMouseEnterRepaintAndFadeWithoutOneOnlyTheStateChanges) {
  ui::Window window;
  window.Init(uitest::MakeTestWindow());
  auto* root = new Box();
  auto* plain = new Control();
  auto* hot = new Control();
  root->Add(plain);
  root->Add(hot);
  window.AttachRoot(root);
  window.ArrangeRoot(RECT{0, 0, 200, 200});
  hot->SetStateColor(ui::kControlStateHot, L"hover");
  uitest::TakeUpdateRegion(window.GetHWND());

  EXPECT_TRUE(plain->MouseEnter(EventArgs()));
  EXPECT_EQ(plain->GetState(), ui::kControlStateHot);
  EXPECT_FALSE(uitest::TakeUpdateRegion(window.GetHWND()));
  EXPECT_EQ(plain->GetAnimationManager().GetAnimationPlayer(ui::kAnimationHot), nullptr);

  EXPECT_TRUE(hot->MouseEnter(EventArgs()));
  EXPECT_TRUE(uitest::TakeUpdateRegion(window.GetHWND()));
  ui::AnimationPlayer* fade = hot->GetAnimationManager().GetAnimationPlayer(ui::kAnimationHot);
  ASSERT_NE(fade, nullptr);
  EXPECT_TRUE(fade->IsPlaying());
  EXPECT_FALSE(hot->MouseEnter(EventArgs()));  // Only from the normal state.
}

TEST(ControlEventTest, PositionChangeIsSentOncePerMoveAndNotAgainFromItsOwnHandler) {
  Tree tree;
  int changes = 0;
  bool moveAgain = true;
  Control* child = tree.child;
  child->AttachEvent(ui::kEventPositionChange, [&](const EventArgs&) {
    ++changes;
    if (moveAgain) child->SetPos(RECT{1, 1, 5, 5});  // Moves it again inside the handler.
    return true;
  });
  child->SetPos(RECT{0, 0, 10, 10});
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(child->GetPos().right, 5);
  moveAgain = false;
  child->SetPos(RECT{0, 0, 20, 20});
  child->SetPos(RECT{0, 0, 20, 20});  // Unchanged: no event.
  EXPECT_EQ(changes, 2);
  child->SetPos(RECT{50, 50, 40, 40});  // Right and bottom before left and top.
  EXPECT_EQ(child->GetPos().right, 50);
  EXPECT_EQ(child->GetPos().bottom, 50);
}

TEST(ControlEventTest, FocusMovesWithItsEventsAndAHiddenControlLosesIt) {
  std::vector<std::string> log;
  Tree tree;
  auto* second = new Control();
  tree.root->Add(second);
  tree.child->AttachEvent(ui::kEventSetFocus, Log(&log, "child set"));
  tree.child->AttachEvent(ui::kEventKillFocus, Log(&log, "child kill"));
  second->AttachEvent(ui::kEventSetFocus, Log(&log, "second set"));

  tree.child->SetFocus();
  EXPECT_EQ(tree.window.GetFocus(), tree.child);
  EXPECT_TRUE(tree.child->IsFocused());
  second->SetFocus();
  EXPECT_EQ(log, (std::vector<std::string>{"child set", "child kill", "second set"}));
  EXPECT_FALSE(tree.child->IsFocused());

  second->SetVisible(false);
  EXPECT_EQ(tree.window.GetFocus(), nullptr);
  tree.child->SetNoFocus();
  tree.child->SetFocus();
  EXPECT_EQ(tree.window.GetFocus(), nullptr);
  tree.child->SetEnabled(false);
  tree.window.SetFocus(tree.child);  // A disabled control does not take it.
  EXPECT_EQ(tree.window.GetFocus(), nullptr);
}

// Deletes the window it belongs to (when given one) or else itself as it loses the focus, as a
// control whose text services report the change to a handler might.
class DeletedOnBlur : public Control {
 public:
  void HandleEvent(const EventArgs& args) override {
    if (args.type != ui::kEventInternalKillFocus) {
      Control::HandleEvent(args);
      return;
    }
    if (doomed_window)
      delete doomed_window;
    else
      delete this;
  }
  ui::Window* doomed_window = nullptr;
};

TEST(ControlEventTest, AFocusChangeEndsWhenLosingTheFocusDeletesTheWindowOrTheControl) {
  auto* window = new uitest::KeptOnDelete<ui::Window>();
  DeletedOnBlur outside;  // Of the window but not in its tree: it outlives the window.
  outside.SetWindow(window);
  outside.doomed_window = window;
  window->SetFocus(&outside);
  ASSERT_EQ(window->GetFocus(), &outside);
  window->SetFocus(nullptr);
  outside.SetWindow(nullptr);
  EXPECT_TRUE(uitest::DeletedObjectsUntouched());

  Tree tree;
  auto* doomed = new uitest::KeptOnDelete<DeletedOnBlur>();
  tree.root->Add(doomed);
  tree.window.SetFocus(doomed);
  tree.window.SetFocus(tree.child);
  EXPECT_EQ(tree.window.GetFocus(), tree.child);
  EXPECT_TRUE(uitest::DeletedObjectsUntouched());
}

TEST(ControlEventTest, HidingTheRootRepaintsWhereItWas) {
  ui::Window window;
  window.Init(uitest::MakeTestWindow());
  window.AttachRoot(new Box());
  window.ArrangeRoot(RECT{0, 0, 200, 200});
  uitest::TakeUpdateRegion(window.GetHWND());
  window.GetRoot()->SetVisible(false);
  EXPECT_TRUE(uitest::TakeUpdateRegion(window.GetHWND()));
}

TEST(ControlEventTest, ADeletedControlIsForgottenByItsWindow) {
  Tree tree;
  tree.child->SetName(L"child");
  tree.window.InitControls(tree.child);
  tree.child->SetFocus();
  tree.window.HandleMouseEnterLeave(POINT{20, 20}, 0, 0);
  ASSERT_EQ(tree.window.FindControl(L"child"), tree.child);
  ASSERT_EQ(tree.window.GetHoverControl(), tree.child);

  delete tree.child;  // Even bypassing the box: the box and the window let go of it.
  EXPECT_EQ(tree.window.GetFocus(), nullptr);
  EXPECT_EQ(tree.window.GetHoverControl(), nullptr);
  EXPECT_EQ(tree.window.FindControl(L"child"), nullptr);
  EXPECT_EQ(tree.root->GetCount(), 0);
}

TEST(ControlEventTest, TheNameIndexFollowsRenamesAndForgetsTheRenamedWhenTheyGo) {
  Tree tree;
  auto* named = new Control();
  named->SetName(L"old");
  tree.root->Add(named);
  named->SetName(L"new");
  EXPECT_EQ(tree.window.FindControl(L"new"), named);
  EXPECT_EQ(tree.window.FindControl(L"old"), nullptr);
  tree.child->ApplyAttributeList(L"name=\"markup\"");  // What a markup event applies.
  EXPECT_EQ(tree.window.FindControl(L"markup"), tree.child);

  delete named;
  EXPECT_EQ(tree.window.FindControl(L"new"), nullptr);
  EXPECT_EQ(tree.window.FindControl(L"old"), nullptr);
}

TEST(ControlEventTest, TooltipTextDataIdAndUserData) {
  Control control;
  control.SetToolTipText(L"a<n>b<n>");
  EXPECT_EQ(control.GetToolTipText(), L"a\r\nb\r\n");
  control.SetToolTipTextUtf8("\xE4\xBD\xA0");  // One CJK character.
  EXPECT_EQ(control.GetToolTipText(), std::wstring(1, L'\x4F60'));
  control.SetToolTipTextUtf8(std::string("\xC3", 1));  // Malformed: clears.
  EXPECT_EQ(control.GetToolTipText(), L"");
  control.SetDataIdUtf8("pad-7");
  EXPECT_EQ(control.GetDataId(), L"pad-7");

  struct Data : ui::UserDataBase {
    explicit Data(int* deletions) : deletions_(deletions) {}
    ~Data() override { ++*deletions_; }
    int* deletions_;
  };
  int deletions = 0;
  auto* data = new Data(&deletions);
  control.SetUserData(data);
  control.SetUserData(data);  // The object already held: nothing is deleted.
  EXPECT_EQ(deletions, 0);
  EXPECT_EQ(control.GetUserData(), data);
  control.SetUserData(new Data(&deletions));
  EXPECT_EQ(deletions, 1);
}

TEST(ControlEventTest, AnAutoSizedControlMeasuresImageAndTextOrItsImageDest) {
  Control empty;
  empty.SetFixedWidth(ui::kSizeAuto);
  const SIZE size = empty.EstimateSize(SIZE{100, 100});
  EXPECT_EQ(size.cx, 0);
  EXPECT_EQ(size.cy, ui::kSizeStretch);  // The other side is returned as it is.
  EXPECT_FALSE(empty.IsNeedEstimate());

  Control sized;
  sized.SetFixedWidth(ui::kSizeAuto);
  sized.SetFixedHeight(ui::kSizeAuto);
  sized.SetBkImage(L"file='missing.png' dest='0,0,24,16'");
  const SIZE fromDest = sized.EstimateSize(SIZE{100, 100});
  EXPECT_EQ(fromDest.cx, 24);
  EXPECT_EQ(fromDest.cy, 16);
  EXPECT_EQ(sized.GetFixedWidth(), 24);
  EXPECT_TRUE(sized.IsNeedEstimate());
}

}  // namespace
