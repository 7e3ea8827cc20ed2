#include "ui/controls/option.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "ui/core/window.h"

namespace ui {

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

template class OptionTemplate<Control>;
template class OptionTemplate<Box>;

void UnselectOption(Control* control, bool triggerEvent) {
  // A group may hold options of both forms.
  if (auto* option = dynamic_cast<OptionTemplate<Control>*>(control))
    option->SetSelected(false, triggerEvent);
  else if (auto* optionBox = dynamic_cast<OptionTemplate<Box>*>(control))
    optionBox->SetSelected(false, triggerEvent);
}

}  // namespace ui
