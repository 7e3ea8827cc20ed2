// State images: an image for each control state, in four sets per control.
//
// A control keeps a StateImageMap of four StateImage sets (background, foreground, selected and
// selected foreground; ui::StateImageType), each holding one ui::Image per control state. The
// control paints the set it wants for its current state:
//
//   images.SetImage(ui::kStateImageBk, ui::kControlStateNormal, L"file='btn.png' corner='4,4,4,4'");
//   images.SetImage(ui::kStateImageBk, ui::kControlStateHot, L"file='btn_hot.png'");
//   images.PaintStateImage(context, ui::kStateImageBk, control->GetState());
//
// A state without an image falls back: pushed to hot (drawn fully opaque, whatever fade the hot
// image has), hot to normal, disabled to normal. While the owner control has a hot fade, normal
// and hot are drawn together so the hot look fades in by the owner's hot alpha: one image of the
// same file and source at a fade between the two fades, or the normal image with the hot image
// over it. Images are drawn through the owner's DrawImage, that is through the image's own draw
// path, which holds the decoded image's lock.
//
// Thread affinity: the owner control's thread.
#ifndef UI_CORE_STATE_IMAGE_MAP_H_
#define UI_CORE_STATE_IMAGE_MAP_H_

#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "ui/core/control_types.h"
#include "ui/core/image.h"

namespace ui {

class Control;
class IRenderContext;

class StateImage {
 public:
  void SetControl(Control* control) { control_ = control; }

  // The image of state, made with the defaults when missing.
  Image& GetImage(ControlStateType state);
  // The image of state, or null when none was made.
  const Image* FindImage(ControlStateType state) const;
  // Whether state has an image (its attribute string is not empty).
  bool HasImage(ControlStateType state) const;
  // Whether any state has an image.
  bool HasAnyImage() const;

  // Draws the image of state (see the fallbacks above); the result of the last draw.
  bool PaintStateImage(IRenderContext* context, ControlStateType state,
                       const std::wstring& modify = L"");
  // The first of normal, hot, pushed, disabled whose file is set; null when none.
  Image* GetEstimateImage();
  // Releases the decoded image of every state that has one.
  void ClearCache();

 private:
  Control* control_ = nullptr;  // Not owned.
  std::array<std::unique_ptr<Image>, kControlStateCount> images_;
};

class StateImageMap {
 public:
  // Makes control the owner of all four sets.
  void SetControl(Control* control);

  void SetImage(StateImageType type, ControlStateType state, const std::wstring& imageString);
  // The attribute string of an image; empty when there is none.
  std::wstring GetImageString(StateImageType type, ControlStateType state) const;
  StateImage& GetStateImage(StateImageType type);

  bool HasHotImage() const;
  bool PaintStateImage(IRenderContext* context, StateImageType type, ControlStateType state,
                       const std::wstring& modify = L"");
  Image* GetEstimateImage(StateImageType type);
  void ClearCache();

 private:
  std::array<StateImage, kStateImageTypeCount> sets_;
};

}  // namespace ui

#endif  // UI_CORE_STATE_IMAGE_MAP_H_
