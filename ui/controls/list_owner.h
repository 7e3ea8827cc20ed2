// IListOwner: how a list item reaches the list it belongs to.
//
// A ui::ListContainerElement knows its owner only through this interface, so one kind of item
// serves the list box, the tree view and the virtual list. The owner keeps the single selection;
// an item asks it to select the item, hands it the events the item does not handle itself, and
// asks it to keep a rectangle in view.
//
//   void MyItem::OnPicked() {
//     if (IListOwner* owner = GetOwner()) owner->SelectItem(GetIndex(), false, true);
//   }
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_LIST_OWNER_H_
#define UI_CONTROLS_LIST_OWNER_H_

#include <windows.h>

#include "ui/core/event_args.h"

namespace ui {

class IListOwner {
 public:
  virtual ~IListOwner() = default;

  // The selected item's index, -1 for none.
  virtual int GetCurSel() const = 0;
  // Selects the item at index (takeFocus: it also takes the keyboard focus; trigger: select
  // events are raised). The old selection goes first, so a refused index leaves none; false
  // then.
  virtual bool SelectItem(int index, bool takeFocus, bool trigger) = 0;
  // An item's event handed on to the list.
  virtual void DispatchEvent(const EventArgs& args) = 0;
  // Scrolls so that rect (content coordinates of the list) is in view.
  virtual void EnsureVisible(const RECT& rect) = 0;
  // Stops a smooth scroll of the list where it is.
  virtual void StopScroll() = 0;
};

}  // namespace ui

#endif  // UI_CONTROLS_LIST_OWNER_H_
