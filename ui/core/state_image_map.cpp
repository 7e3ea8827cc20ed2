#include "ui/core/state_image_map.h"

#include "ui/core/control.h"

namespace ui {

namespace {

bool IsValidState(ControlStateType state) { return state >= 0 && state < kControlStateCount; }
bool IsValidType(StateImageType type) { return type >= 0 && type < kStateImageTypeCount; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// StateImage

Image& StateImage::GetImage(ControlStateType state) {
  if (!IsValidState(state)) state = kControlStateNormal;
  std::unique_ptr<Image>& image = images_[state];
  if (!image) image = std::make_unique<Image>();
  return *image;
}

const Image* StateImage::FindImage(ControlStateType state) const {
  return IsValidState(state) ? images_[state].get() : nullptr;
}

bool StateImage::HasImage(ControlStateType state) const {
  const Image* image = FindImage(state);
  return image && image->IsSet();
}

bool StateImage::HasAnyImage() const {
  for (const auto& image : images_)
    if (image && image->IsSet()) return true;
  return false;
}

bool StateImage::PaintStateImage(IRenderContext* context, ControlStateType state,
                                 const std::wstring& modify) {
  if (!control_ || !IsValidState(state)) return false;

  const bool hotFade = control_->GetAnimationManager().GetAnimationPlayer(kAnimationHot) &&
                       (state == kControlStateNormal || state == kControlStateHot);
  if (hotFade) {
    // Fades are blended by the hot alpha h (0 to 255); the products are exact before the one
    // division, so whole results are never truncated to one less.
    const int h = control_->GetHotAlpha();
    Image& normalImage = GetImage(kControlStateNormal);
    const Image* hotImage = FindImage(kControlStateHot);
    if (!hotImage) {
      control_->DrawImage(context, normalImage, modify);
      return false;
    }
    Image& hotOne = GetImage(kControlStateHot);
    const ImageAttribute& normal = normalImage.GetAttribute();
    const ImageAttribute& hotAttribute = hotOne.GetAttribute();
    const bool sameSource = normal.source.left == hotAttribute.source.left &&
                            normal.source.top == hotAttribute.source.top &&
                            normal.source.right == hotAttribute.source.right &&
                            normal.source.bottom == hotAttribute.source.bottom;
    if (!normal.file.empty() && normal.file == hotAttribute.file && sameSource) {
      // One picture: blend the two fades.
      const int fade = static_cast<int>(((255.0 - h) * normal.fade + h * hotAttribute.fade) / 255);
      return control_->DrawImage(context, hotOne, modify, fade);
    }
    control_->DrawImage(context, normalImage, modify);
    return control_->DrawImage(context, hotOne, modify,
                               static_cast<int>(hotAttribute.fade * static_cast<double>(h) / 255));
  }

  // A press without a pushed image shows the hot image fully opaque, for this draw only: the hot
  // image keeps the fade it was given.
  int fade = -1;
  if (state == kControlStatePushed && !HasImage(kControlStatePushed)) {
    state = kControlStateHot;
    fade = 255;
  }
  if (state == kControlStateHot && !HasImage(kControlStateHot)) {
    state = kControlStateNormal;
    fade = -1;
  }
  if (state == kControlStateDisabled && !HasImage(kControlStateDisabled))
    state = kControlStateNormal;
  return control_->DrawImage(context, GetImage(state), modify, fade);
}

Image* StateImage::GetEstimateImage() {
  for (int state = kControlStateNormal; state < kControlStateCount; ++state) {
    Image* image = images_[state].get();
    if (image && !image->GetAttribute().file.empty()) return image;
  }
  return nullptr;
}

void StateImage::ClearCache() {
  for (auto& image : images_)
    if (image) image->ClearCache();
}

// ---------------------------------------------------------------------------------------------
// StateImageMap

void StateImageMap::SetControl(Control* control) {
  for (StateImage& set : sets_) set.SetControl(control);
}

void StateImageMap::SetImage(StateImageType type, ControlStateType state,
                             const std::wstring& imageString) {
  if (!IsValidType(type) || !IsValidState(state)) return;
  sets_[type].GetImage(state).SetImageString(imageString);
}

std::wstring StateImageMap::GetImageString(StateImageType type, ControlStateType state) const {
  if (!IsValidType(type)) return std::wstring();
  const Image* image = sets_[type].FindImage(state);
  return image ? image->GetAttribute().attributeString : std::wstring();
}

StateImage& StateImageMap::GetStateImage(StateImageType type) {
  return sets_[IsValidType(type) ? type : kStateImageBk];
}

bool StateImageMap::HasHotImage() const {
  for (const StateImage& set : sets_)
    if (set.HasImage(kControlStateHot)) return true;
  return false;
}

bool StateImageMap::PaintStateImage(IRenderContext* context, StateImageType type,
                                    ControlStateType state, const std::wstring& modify) {
  if (!IsValidType(type)) return false;
  return sets_[type].PaintStateImage(context, state, modify);
}

Image* StateImageMap::GetEstimateImage(StateImageType type) {
  return IsValidType(type) ? sets_[type].GetEstimateImage() : nullptr;
}

void StateImageMap::ClearCache() {
  for (StateImage& set : sets_) set.ClearCache();
}

}  // namespace ui
