#include "ui/controls/option.h"

namespace ui {

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
