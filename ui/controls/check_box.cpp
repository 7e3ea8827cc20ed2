#include "ui/controls/check_box.h"

#include "ui/core/window.h"

namespace ui {

namespace {

// The state a "selected<state>..." attribute names after the prefix; false for none.
bool StateFromWord(const std::wstring& word, ControlStateType* state) {
  if (word == L"normal") *state = kControlStateNormal;
  else if (word == L"hot") *state = kControlStateHot;
  else if (word == L"pushed") *state = kControlStatePushed;
  else if (word == L"disabled") *state = kControlStateDisabled;
  else return false;
  return true;
}

// "<prefix><state><suffix>": the state, when name has that form.
bool MatchStateAttribute(const std::wstring& name, const wchar_t* prefix, const wchar_t* suffix,
                         ControlStateType* state) {
  const std::wstring head(prefix);
  const std::wstring tail(suffix);
  if (name.size() <= head.size() + tail.size()) return false;
  if (name.compare(0, head.size(), head) != 0) return false;
  if (name.compare(name.size() - tail.size(), tail.size(), tail) != 0) return false;
  return StateFromWord(name.substr(head.size(), name.size() - head.size() - tail.size()), state);
}

}  // namespace

template <typename T>
void CheckBoxTemplate<T>::SetSelected(bool selected, bool triggerEvent) {
  if (selected_ == selected) return;
  selected_ = selected;
  const std::weak_ptr<nbase::WeakFlag> alive = this->GetWeakFlag();
  Window* window = this->GetWindow();
  if (window && triggerEvent) {
    window->SendEvent(this, selected ? kEventSelect : kEventUnSelect);
    if (alive.expired()) return;
  }
  this->Invalidate();
}

template <typename T>
Image* CheckBoxTemplate<T>::GetEstimateImage() {
  if (Image* image = ButtonTemplate<T>::GetEstimateImage()) return image;
  return this->GetStateImageMap().GetEstimateImage(kStateImageSelectedBk);
}

template <typename T>
void CheckBoxTemplate<T>::Activate() {
  if (!this->IsActivatable()) return;
  SetSelected(!selected_, true);
}

template <typename T>
bool CheckBoxTemplate<T>::HasHotState() const {
  return selected_colors_.HasHotColor() || ButtonTemplate<T>::HasHotState();
}

template <typename T>
void CheckBoxTemplate<T>::SetAttribute(const std::wstring& name, const std::wstring& value) {
  ControlStateType state = kControlStateNormal;
  if (name == L"selected") {
    SetSelected(value == L"true", true);
  } else if (MatchStateAttribute(name, L"selectedfore", L"image", &state)) {
    SetSelectedForeStateImage(state, value);
  } else if (MatchStateAttribute(name, L"selected", L"image", &state)) {
    SetSelectedStateImage(state, value);
  } else if (name == L"selectedtextcolor") {
    SetSelectedTextColor(value);
  } else if (MatchStateAttribute(name, L"selected", L"color", &state)) {
    SetSelectedStateColor(state, value);
  } else {
    ButtonTemplate<T>::SetAttribute(name, value);
  }
}

template <typename T>
void CheckBoxTemplate<T>::PaintStateColor(IRenderContext* context) {
  if (!selected_) {
    ButtonTemplate<T>::PaintStateColor(context);
    return;
  }
  selected_colors_.PaintStateColor(context, this->GetPaintRect(), this->GetState());
}

template <typename T>
void CheckBoxTemplate<T>::PaintStateImage(IRenderContext* context) {
  if (!selected_) {
    ButtonTemplate<T>::PaintStateImage(context);
    return;
  }
  StateImageMap& images = this->GetStateImageMap();
  images.PaintStateImage(context, kStateImageSelectedBk, this->GetState());
  images.PaintStateImage(context, kStateImageSelectedFore, this->GetState());
}

template <typename T>
void CheckBoxTemplate<T>::PaintText(IRenderContext* context) {
  if (!selected_) {
    ButtonTemplate<T>::PaintText(context);
    return;
  }
  if (!context || this->GetText().empty()) return;
  std::wstring colorName = selected_text_color_.empty()
                               ? this->text_colors_.GetStateColor(kControlStateNormal)
                               : selected_text_color_;
  if (!this->IsEnabled()) colorName = this->text_colors_.GetStateColor(kControlStateDisabled);
  this->DrawTextIn(context, this->GetTextRect(), colorName, this->text_style_, 255, false);
}

template <typename T>
void CheckBoxTemplate<T>::SetSelectedTextColor(const std::wstring& colorName) {
  selected_text_color_ = colorName;
  this->Invalidate();
}

template <typename T>
std::wstring CheckBoxTemplate<T>::GetSelectedStateColor(ControlStateType state) const {
  return selected_colors_.GetStateColor(state);
}

template <typename T>
void CheckBoxTemplate<T>::SetSelectedStateColor(ControlStateType state,
                                                const std::wstring& colorName) {
  selected_colors_.SetStateColor(state, colorName);
  this->Invalidate();
}

template <typename T>
void CheckBoxTemplate<T>::SetSelectedStateImage(ControlStateType state,
                                                const std::wstring& imageString) {
  this->GetStateImageMap().SetImage(kStateImageSelectedBk, state, imageString);
  this->ArrangeOrInvalidate();
}

template <typename T>
void CheckBoxTemplate<T>::SetSelectedForeStateImage(ControlStateType state,
                                                    const std::wstring& imageString) {
  this->GetStateImageMap().SetImage(kStateImageSelectedFore, state, imageString);
  this->ArrangeOrInvalidate();
}

template class CheckBoxTemplate<Control>;
template class CheckBoxTemplate<Box>;

}  // namespace ui
