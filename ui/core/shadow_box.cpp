#include "ui/core/shadow_box.h"

namespace ui {

void ShadowBox::Paint(IRenderContext* context, const RECT& area) {
  const RECT content = GetPaddingPos();
  const bool inside = area.left >= content.left && area.top >= content.top &&
                      area.right <= content.right && area.bottom <= content.bottom;
  if (!inside) Box::Paint(context, area);
}

}  // namespace ui
