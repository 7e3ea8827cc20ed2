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

#include <algorithm>
#include <utility>
#include <vector>

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

template <typename T>
OptionTemplate<T>::~OptionTemplate() {
  if (Window* window = this->GetWindow()) {
    if (!group_name_.empty()) window->RemoveOptionFromGroup(group_name_, this);
  }
}

template <typename T>
void OptionTemplate<T>::SetWindowAndParent(Window* window, Box* parent, bool init) {
  Window* old = this->GetWindow();
  if (old && old != window && !group_name_.empty()) old->RemoveOptionFromGroup(group_name_, this);
  CheckBoxTemplate<T>::SetWindowAndParent(window, parent, init);
  if (init && window && !group_name_.empty()) window->AddOptionInGroup(group_name_, this);
}

template <typename T>
void OptionTemplate<T>::SetAttribute(const std::wstring& name, const std::wstring& value) {
  if (name == L"group")
    SetGroup(value);
  else
    CheckBoxTemplate<T>::SetAttribute(name, value);
}

template <typename T>
void OptionTemplate<T>::Activate() {
  if (!this->IsActivatable()) return;
  if (this->GetWindow()) {
    const std::weak_ptr<nbase::WeakFlag> alive = this->GetWeakFlag();
    this->SendEvent(kEventClick);
    if (alive.expired()) return;
  }
  if (this->IsActivatable()) SetSelected(true, true);
}

template <typename T>
void OptionTemplate<T>::SetSelected(bool selected, bool triggerEvent) {
  this->selected_ = selected;
  Window* window = this->GetWindow();
  if (!window) {
    this->Invalidate();
    return;
  }
  const std::weak_ptr<nbase::WeakFlag> alive = this->GetWeakFlag();
  if (selected) {
    const std::vector<Control*>* group =
        group_name_.empty() ? nullptr : window->GetOptionGroup(group_name_);
    if (group) {
      // The others' unselect handlers may change the group or delete its members: walk a copy,
      // and skip members that are gone or have left the group meanwhile.
      std::vector<std::pair<Control*, std::weak_ptr<nbase::WeakFlag>>> others;
      for (Control* member : *group)
        if (member != this) others.emplace_back(member, member->GetWeakFlag());
      const std::wstring groupName = group_name_;
      for (const auto& other : others) {
        if (alive.expired()) return;
        if (other.second.expired()) continue;
        const std::vector<Control*>* now = window->GetOptionGroup(groupName);
        if (!now || std::find(now->begin(), now->end(), other.first) == now->end()) continue;
        UnselectOption(other.first, triggerEvent);
      }
      if (alive.expired()) return;
    }
    if (!triggerEvent) {
      this->Invalidate();
      return;
    }
    this->SendEvent(kEventSelect);
  } else {
    this->SendEvent(kEventUnSelect);
  }
  if (!alive.expired()) this->Invalidate();
}

template <typename T>
void OptionTemplate<T>::SetGroup(const std::wstring& groupName) {
  if (!groupName.empty() && groupName == group_name_) return;
  Window* window = this->GetWindow();
  if (!groupName.empty()) {
    if (!group_name_.empty() && window) window->RemoveOptionFromGroup(group_name_, this);
    group_name_ = groupName;
  } else {
    if (group_name_.empty()) return;
    if (window) window->RemoveOptionFromGroup(group_name_, this);
    group_name_.clear();
  }
  if (window && !group_name_.empty()) window->AddOptionInGroup(group_name_, this);
  SetSelected(this->selected_, true);
}

extern template class OptionTemplate<Control>;
extern template class OptionTemplate<Box>;

using Option = OptionTemplate<Control>;
using OptionBox = OptionTemplate<Box>;

}  // namespace ui

#endif  // UI_CONTROLS_OPTION_H_
