#include "ui/core/animation_manager.h"

#include "ui/core/control.h"

namespace ui {

namespace {

constexpr int kFadeMillSeconds = 250;
constexpr double kSizeFadeCoefficient = 0.00084;
constexpr double kInOutFadeCoefficient = 0.006;
// In-out fades of a control that measures less than a pixel slide this far.
constexpr int kDefaultInOutDistance = 100;
// The space an in-out fade measures its control in: as much as it likes.
constexpr SIZE kUnboundedSpace = {999999, 999999};

// The order in which showing and hiding look at the fades.
constexpr AnimationType kVisibilityOrder[] = {
    kAnimationAlpha,          kAnimationWidth,          kAnimationHeight,
    kAnimationInoutXFromLeft, kAnimationInoutXFromRight, kAnimationInoutYFromTop,
    kAnimationInoutYFromBottom};

}  // namespace

AnimationPlayer* AnimationManager::GetAnimationPlayer(AnimationType type) const {
  const auto it = players_.find(type);
  return it == players_.end() ? nullptr : it->second.get();
}

AnimationPlayer* AnimationManager::MakePlayer(AnimationType type) {
  auto player = std::make_unique<AnimationPlayer>();
  player->SetSpeedUpRatio(0.3);
  player->SetSlowDownRatio(0.7);
  AnimationPlayer* raw = player.get();
  players_[type] = std::move(player);
  return raw;
}

AnimationPlayer* AnimationManager::SetFadeAlpha(bool on) {
  if (!on) {
    players_.erase(kAnimationAlpha);
    return nullptr;
  }
  AnimationPlayer* player = MakePlayer(kAnimationAlpha);
  player->SetStartValue(0);
  player->SetEndValue(255);
  player->SetTotalMillSeconds(kFadeMillSeconds);
  Control* control = control_;
  player->SetCallback(control->ToWeakCallback([control](int value) { control->SetAlpha(value); }));
  return player;
}

AnimationPlayer* AnimationManager::SetFadeHot(bool on) {
  if (!on) {
    players_.erase(kAnimationHot);
    return nullptr;
  }
  AnimationPlayer* player = MakePlayer(kAnimationHot);
  player->SetStartValue(0);
  player->SetEndValue(255);
  player->SetTotalMillSeconds(kFadeMillSeconds);
  Control* control = control_;
  player->SetCallback(
      control->ToWeakCallback([control](int value) { control->SetHotAlpha(value); }));
  return player;
}

AnimationPlayer* AnimationManager::SetFadeWidth(bool on) {
  if (!on) {
    players_.erase(kAnimationWidth);
    return nullptr;
  }
  AnimationPlayer* player = MakePlayer(kAnimationWidth);
  player->SetStartValue(0);
  player->SetEndValue(control_->GetEstimatedSize().cx);
  player->SetSpeedUpCoefficient(kSizeFadeCoefficient);
  Control* control = control_;
  player->SetCallback(control->ToWeakCallback(
      [control](int value) { control->SetFixedWidth(value, true, false); }));
  return player;
}

AnimationPlayer* AnimationManager::SetFadeHeight(bool on) {
  if (!on) {
    players_.erase(kAnimationHeight);
    return nullptr;
  }
  AnimationPlayer* player = MakePlayer(kAnimationHeight);
  player->SetStartValue(0);
  player->SetEndValue(control_->GetEstimatedSize().cy);
  player->SetSpeedUpCoefficient(kSizeFadeCoefficient);
  Control* control = control_;
  player->SetCallback(
      control->ToWeakCallback([control](int value) { control->SetFixedHeight(value, false); }));
  return player;
}

AnimationPlayer* AnimationManager::SetFadeInOutX(bool on, bool fromRight) {
  const AnimationType type = fromRight ? kAnimationInoutXFromRight : kAnimationInoutXFromLeft;
  if (!on) {
    players_.erase(type);
    return nullptr;
  }
  int width = control_->EstimateSize(kUnboundedSpace).cx;
  if (width < 1) width = kDefaultInOutDistance;
  AnimationPlayer* player = MakePlayer(type);
  player->SetStartValue(fromRight ? -width : width);
  player->SetEndValue(0);
  player->SetSpeedUpCoefficient(kInOutFadeCoefficient);
  Control* control = control_;
  player->SetCallback(
      control->ToWeakCallback([control](int value) { control->SetRenderOffsetX(value); }));
  return player;
}

AnimationPlayer* AnimationManager::SetFadeInOutY(bool on, bool fromBottom) {
  const AnimationType type = fromBottom ? kAnimationInoutYFromBottom : kAnimationInoutYFromTop;
  if (!on) {
    players_.erase(type);
    return nullptr;
  }
  int height = control_->EstimateSize(kUnboundedSpace).cy;
  if (height < 1) height = kDefaultInOutDistance;
  AnimationPlayer* player = MakePlayer(type);
  player->SetStartValue(fromBottom ? -height : height);
  player->SetEndValue(0);
  player->SetSpeedUpCoefficient(kInOutFadeCoefficient);
  Control* control = control_;
  player->SetCallback(
      control->ToWeakCallback([control](int value) { control->SetRenderOffsetY(value); }));
  return player;
}

void AnimationManager::Appear() {
  // Players are looked up afresh each time: a callback may switch fades on or off, or destroy
  // the control and this manager with it.
  const std::weak_ptr<nbase::WeakFlag> alive = control_->GetWeakFlag();
  for (AnimationType type : kVisibilityOrder) {
    if (alive.expired()) break;
    if (AnimationPlayer* player = GetAnimationPlayer(type)) {
      player->SetCompleteCallback(nullptr);
      player->PlayForward();
    }
  }
}

bool AnimationManager::Disappear() {
  const std::weak_ptr<nbase::WeakFlag> alive = control_->GetWeakFlag();
  bool any = false;
  for (AnimationType type : kVisibilityOrder) {
    if (alive.expired()) break;  // A callback destroyed the control, and this manager with it.
    AnimationPlayer* player = GetAnimationPlayer(type);
    if (!player) continue;
    any = true;
    Control* control = control_;
    player->SetCompleteCallback(
        control->ToWeakCallback([control] { control->SetVisible(false); }));
    player->PlayBackward();
  }
  return any;
}

}  // namespace ui
