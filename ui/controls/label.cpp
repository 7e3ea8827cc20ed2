#include "ui/controls/label.h"

namespace ui {

template class LabelTemplate<Control>;
template class LabelTemplate<Box>;

}  // namespace ui
