// VirtualListBox: a list of many rows shown with a small pool of item controls.
//
// The rows come from a ui::IVirtualListProvider. InitElement asks it for at most a maximum number
// of item controls, the pool; every row is element-height pixels tall, and the scroll range
// covers all rows. As the view scrolls, the pool is moved to where the view is (in content
// coordinates) and its controls are filled with the rows they now stand for, so a million rows
// cost as much as a few dozen. The pool is moved only when it no longer covers the view: after a
// downward placement it covers the view and what follows; after a full placement (the first
// one, a resize, a Refresh, or scrolling up past its top) it also keeps the rows just above.
// While the pool holds every row (a short list), the ordinary vertical layout places it.
//
//   auto* list = new ui::VirtualListBox();                // markup: <VirtualListBox .../>
//   list->SetAttribute(L"vscrollbar", L"true");
//   list->SetDataProvider(&contacts);                     // outlives the list
//   list->SetElementHeight(30);                           // before InitElement
//   list->InitElement(40);                                // a pool of at most 40 controls
//   ...
//   contacts.Load(...);
//   list->Refresh();                                      // the rows changed
//
// Keys: Home and End scroll to the start and the end; Up and Down call OnArrowKeyDown and
// OnArrowKeyUp, which do nothing here (a subclass decides), and do not move the selection. The
// list box's selection, and everything else, applies to the pool's controls as they are.
//
// Markup name: "VirtualListBox". It takes the list box's attributes; the provider, the element
// height and the pool are set in code.
//
// Thread affinity: the thread of the owning window; the provider is called there.
#ifndef UI_CONTROLS_VIRTUAL_LIST_BOX_H_
#define UI_CONTROLS_VIRTUAL_LIST_BOX_H_

#include <vector>

#include "ui/controls/list_box.h"
#include "ui/controls/virtual_list_arithmetic.h"
#include "ui/controls/virtual_list_provider.h"
#include "ui/core/stack_layout.h"

namespace ui {

// The layout of a virtual list: while the pool holds fewer controls than there are rows, the
// content is as tall as all rows and the list places the pool itself; otherwise the ordinary
// vertical layout places the controls. In a box that is not a virtual list it is a VLayout.
class VirtualLayout : public VLayout {
 public:
  SIZE ArrangeChildren(const std::vector<Control*>& items, RECT rect) override;
};

class VirtualListBox : public ListBox {
 public:
  // Made with a ui::VirtualLayout.
  VirtualListBox();

  // ----- Virtual list --------------------------------------------------------------------------
  // Not owned; null means no rows.
  virtual void SetDataProvider(IVirtualListProvider* provider);
  IVirtualListProvider* GetDataProvider() const { return provider_; }
  // The height of every row in physical pixels. A height below 1 is refused (the previous one
  // stays); until one is set, nothing is placed and the content has no height.
  virtual void SetElementHeight(int height);
  int GetElementHeight() const { return element_height_; }
  // Makes the pool: the earlier pool goes (as RemoveAll), then as many controls as there are rows,
  // at most maxCount (negative: none), each filled with its row from the first.
  virtual void InitElement(int maxCount);
  int GetMaxElementCount() const { return max_element_count_; }
  // Follows the provider's rows after they changed: the pool shrinks from the front to the row
  // count or grows to the maximum, and every control shows its row again.
  virtual void Refresh();
  // Up or Down pressed or released; nothing here.
  virtual void OnArrowKeyDown(int virtualKey) {}
  virtual void OnArrowKeyUp(int virtualKey) {}

  // Places the pool for the current scroll position: a full placement when force is set, the
  // first time, or while the force-full-arrange flag is on; otherwise only when the pool no longer
  // covers the view (see the header). Nothing while the pool holds every row, without a provider
  // or element height, or when the view has no height.
  void ReArrangeChild(bool force);

  // The provider's row count (0 without a provider, for a negative count).
  int GetElementCount() const;

  // ----- Overrides -----------------------------------------------------------------------------
  // The scrollable box's placement, then a full placement of the pool when the rectangle changed.
  void SetPos(RECT rect) override;
  void HandleEvent(const EventArgs& args) override;
  // Remembers the position scrolled from, scrolls, then places the pool where needed.
  void SetScrollPos(SIZE position) override;
  // No selection, no controls, the view back at the top, both placement flags off.
  void RemoveAll() override;

 protected:
  // While on, every placement is a full one. Off by default and after RemoveAll.
  bool IsForceFullArrange() const { return force_full_arrange_; }
  void SetForceFullArrange(bool force) { force_full_arrange_ = force; }

 private:
  // The view the pool is placed in: inside the padding, less a vertical bar that takes room.
  RECT GetViewRect() const;
  // Asks the provider to show row in control; false when the list went away meanwhile.
  bool Fill(Control* control, int row);
  // Moves control i to slots_[i] in view and fills it; false when the list went away.
  bool ApplySlots(const RECT& view);

  IVirtualListProvider* provider_ = nullptr;  // Not owned.
  int element_height_ = 0;
  int max_element_count_ = 0;
  int previous_scroll_pos_ = 0;
  bool first_arrange_done_ = false;
  bool force_full_arrange_ = false;
  std::vector<VirtualSlot> slots_;  // Reused by every placement.
};

}  // namespace ui

#endif  // UI_CONTROLS_VIRTUAL_LIST_BOX_H_
