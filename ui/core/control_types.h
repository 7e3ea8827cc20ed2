// Values shared by controls, boxes, layouts and the state maps: size codes, alignments, control
// states, state-image types, cursor types and the flags of a control-tree search.
//
// Sizes are physical pixels. A fixed width or height of kSizeStretch takes what the layout
// offers, kSizeAuto sizes the control from its content (image, text, children).
//
// Thread affinity: none (constants).
#ifndef UI_CORE_CONTROL_TYPES_H_
#define UI_CORE_CONTROL_TYPES_H_

#include <windows.h>

namespace ui {

constexpr int kSizeStretch = -1;
constexpr int kSizeAuto = -2;
// The largest size a control may have by default (its max width and height).
constexpr int kMaxControlSize = 9999999;

enum HorAlignType { kHorAlignLeft = 0, kHorAlignCenter = 1, kHorAlignRight = 2 };
enum VerAlignType { kVerAlignTop = 0, kVerAlignCenter = 1, kVerAlignBottom = 2 };

enum ControlStateType {
  kControlStateNormal = 0,
  kControlStateHot = 1,
  kControlStatePushed = 2,
  kControlStateDisabled = 3,
};
constexpr int kControlStateCount = 4;

// The image sets of a control's state images.
enum StateImageType {
  kStateImageBk = 0,
  kStateImageFore = 1,
  kStateImageSelectedBk = 2,
  kStateImageSelectedFore = 3,
};
constexpr int kStateImageTypeCount = 4;

enum CursorType { kCursorArrow = 0, kCursorHand = 1, kCursorIBeam = 2 };

// Flags of ui::Control::FindControl.
enum FindControlFlags : UINT {
  kFindAll = 0x00000000,
  kFindVisible = 0x00000001,  // Only visible controls.
  kFindEnabled = 0x00000002,  // Only enabled controls.
  kFindHitTest = 0x00000004,  // The data is a POINT that must lie in the control.
  kFindTopFirst = 0x00000008, // Children last to first (the one painted on top first).
  kFindMeFirst = 0x80000000,  // A box tries itself before its children.
};

}  // namespace ui

#endif  // UI_CORE_CONTROL_TYPES_H_
