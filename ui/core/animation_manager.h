// AnimationManager: a control's fade animations, one player per kind.
//
// Each kind drives one property of its control: the alpha fade its alpha, the hot fade how far
// the hot look is blended in, the width and height fades its fixed size, the in-out fades its
// render offset (the control slides in from one side). Markup switches them on ("fadealpha",
// "fadehot", ...); a hot colour or image switches the hot fade on by itself. The control plays
// them when it is shown or hidden with SetFadeVisible (Appear, Disappear) and on mouse enter and
// leave (the hot fade).
//
//   control->GetAnimationManager().SetFadeAlpha(true);
//   control->SetFadeVisible(false);    // fades out over 250 ms, then hides
//
// Thread affinity: the owner control's thread. Values reach the control through callbacks bound
// to its weak flag.
#ifndef UI_CORE_ANIMATION_MANAGER_H_
#define UI_CORE_ANIMATION_MANAGER_H_

#include <map>
#include <memory>

#include "ui/core/animation_player.h"

namespace ui {

class Control;

enum AnimationType {
  kAnimationNone = 0,
  kAnimationAlpha = 1,
  kAnimationHeight = 2,
  kAnimationWidth = 3,
  kAnimationHot = 4,
  kAnimationInoutXFromLeft = 5,
  kAnimationInoutXFromRight = 6,
  kAnimationInoutYFromTop = 7,
  kAnimationInoutYFromBottom = 8,
};

class AnimationManager {
 public:
  explicit AnimationManager(Control* control) : control_(control) {}
  AnimationManager(const AnimationManager&) = delete;
  AnimationManager& operator=(const AnimationManager&) = delete;

  // The player of type, or null when that fade is off.
  AnimationPlayer* GetAnimationPlayer(AnimationType type) const;

  // Switches the fade of type on (a new player, replacing any of the same kind) or off (the
  // player is deleted). On returns the new player; off, or a type that is no fade, null. Sizes
  // are measured as the fade is switched on, with the control's EstimateSize.
  AnimationPlayer* SetFade(AnimationType type, bool on);
  // 0 -> 255 in 250 ms into the alpha.
  AnimationPlayer* SetFadeAlpha(bool on);
  // 0 -> 255 in 250 ms into the hot alpha.
  AnimationPlayer* SetFadeHot(bool on);
  // 0 -> the width (or height) the control asks for, into its fixed size; a stretch or auto
  // size counts as 0 (the fade ends at once).
  AnimationPlayer* SetFadeWidth(bool on);
  AnimationPlayer* SetFadeHeight(bool on);
  // From the control's width (height) away to 0 into the render offset; from the left or top the
  // offset starts positive, from the right or bottom negative.
  AnimationPlayer* SetFadeInOutX(bool on, bool fromRight);
  AnimationPlayer* SetFadeInOutY(bool on, bool fromBottom);

  // Plays every fade that is on forward (the control has just been made visible).
  void Appear();
  // Plays every fade that is on backward; the first to finish hides the control. False when no
  // fade is on (the caller hides at once).
  bool Disappear();

  void Clear() { players_.clear(); }

 private:
  Control* control_;  // The owner; not owned.
  std::map<int, std::unique_ptr<AnimationPlayer>> players_;
};

}  // namespace ui

#endif  // UI_CORE_ANIMATION_MANAGER_H_
