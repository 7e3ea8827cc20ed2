// ListContainerElement: one item of a list box (or of a tree or virtual list).
//
// An item is an option box (ui::OptionBox): it has a text and may hold children of its own, such
// as an icon beside a label. The list that adds it becomes its owner and tells it its index; the
// item never selects itself, it asks the owner, which keeps the one selection of the list. So a
// click, Space or a context menu on the item selects it through the list, and the list raises
// kEventSelect on itself. Deselecting goes through the list too: SetSelected(false, ...) on an
// item does nothing, and an item that is hidden (or fades out) or disabled while selected leaves
// the list with no selection: the selection is always a visible, enabled item.
//
//   auto* row = new ui::ListContainerElement();
//   row->SetText(L"High definition");
//   row->SetFixedHeight(30);
//   list->Add(row);                      // owner = list, index = its position
//   row->AttachEvent(ui::kEventReturn, OnRowChosen);
//
// Events an item raises on itself: kEventDoubleClick, kEventReturn (Return while it has the
// focus), kEventMenu (context menu). Its text is left-aligned and vertically centred.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_LIST_CONTAINER_ELEMENT_H_
#define UI_CONTROLS_LIST_CONTAINER_ELEMENT_H_

#include "ui/controls/list_owner.h"
#include "ui/controls/option.h"

namespace ui {

class ListContainerElement : public OptionTemplate<Box> {
 public:
  // DT_SINGLELINE | DT_VCENTER | DT_NOCLIP | DT_END_ELLIPSIS.
  static constexpr UINT kItemTextStyle = 0x8124;

  ListContainerElement();

  // ----- Overrides -----------------------------------------------------------------------------
  // Hidden while selected (at once, or when a fade-out ends), or disabled on its own while
  // selected: the owner is left with no selection. Disabled together with its list, the item
  // keeps the selection.
  void SetVisible(bool visible) override;
  void SetEnabled(bool enabled) override;
  // Selecting asks the owner to select this item (without focus); deselecting does nothing.
  void SetSelected(bool selected, bool triggerEvent) override;
  void HandleEvent(const EventArgs& args) override;

  // ----- Owner ---------------------------------------------------------------------------------
  // Null until a list adds the item.
  IListOwner* GetOwner() const { return owner_; }
  void SetOwner(IListOwner* owner) { owner_ = owner; }
  // The position among the owner's children; -1 until added.
  int GetIndex() const { return index_; }
  void SetIndex(int index) { index_ = index; }

  // For owners: the option's own selection (its group is cleared of other selections; with
  // triggerEvent the item is sent kEventSelect).
  void SelectAsOption(bool triggerEvent);
  // For owners: clears the selected flag without any event.
  void ClearSelectedFlag();

 private:
  // Asks the owner to let go of its selection when it is this item and the item can no longer
  // be selected.
  void LeaveSelectionIfUnselectable();

  int index_ = -1;
  IListOwner* owner_ = nullptr;  // Not owned; the owner owns the item.
};

}  // namespace ui

#endif  // UI_CONTROLS_LIST_CONTAINER_ELEMENT_H_
