// OptionTemplate: a check box in a named group, of which at most one member is selected.
//
// The window keeps the groups (ui::Window::AddOptionInGroup). Selecting an option unselects every
// other member of its group, each of which is sent kEventUnSelect; the selected one is sent
// kEventSelect when events are asked for. Activating an option clicks it and selects it; it stays
// selected when activated again.
//
//   auto* small = new ui::Option();
//   small->SetAttribute(L"group", L"size");     // joins the group once it is in a window
//   small->SetAttribute(L"selected", L"true");
//
// An option leaves its group when it is destroyed, when its group changes and when it leaves its
// window (its box lets it go, or it moves to another window), so a group never keeps a control
// that is gone. Unselecting the others walks a copy of the group: their handlers may change the
// group or delete its members.
//
// Markup attributes: "group"; anything else goes to the check box.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_OPTION_H_
#define UI_CONTROLS_OPTION_H_

#include <string>

#include "ui/controls/check_box.h"

namespace ui {

template <typename T = Control>
class OptionTemplate : public CheckBoxTemplate<T> {
 public:
  OptionTemplate() = default;
  ~OptionTemplate() override;

  // Leaves the group of the window it leaves; joins its group in the new window when init.
  void SetWindowAndParent(Window* window, Box* parent, bool init) override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // Clicks, then selects (with events).
  void Activate() override;
  // Stores the flag even when unchanged. Selecting unselects the other members of the group;
  // kEventSelect follows only with triggerEvent, kEventUnSelect always.
  void SetSelected(bool selected, bool triggerEvent) override;

  virtual std::wstring GetGroup() const { return group_name_; }
  // Moves the option to groupName (empty: no group), then selects it again as it is, so a
  // selected option that joins a group unselects the others there.
  virtual void SetGroup(const std::wstring& groupName);

 private:
  std::wstring group_name_;
};

// Unselects control when it is an option of either form; other controls are left alone.
void UnselectOption(Control* control, bool triggerEvent);

extern template class OptionTemplate<Control>;
extern template class OptionTemplate<Box>;

using Option = OptionTemplate<Control>;
using OptionBox = OptionTemplate<Box>;

}  // namespace ui

#endif  // UI_CONTROLS_OPTION_H_
