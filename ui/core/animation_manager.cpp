#include "ui/core/animation_manager.h"

#include <algorithm>

#include "ui/core/control.h"

namespace ui {

namespace {

// Every fade accelerates over the first 30 % of its time and decelerates over the rest.
constexpr double kFadeSpeedUpRatio = 0.3;
constexpr double kFadeSlowDownRatio = 0.7;
constexpr int kFadeMillSeconds = 250;
constexpr double kSizeFadeCoefficient = 0.00084;
constexpr double kInOutFadeCoefficient = 0.006;
// In-out fades of a control that measures less than a pixel slide this far.
constexpr int kDefaultInOutDistance = 100;
// The space a fade measures its control in: as much as it likes.
constexpr SIZE kUnboundedSpace = {999999, 999999};

// The order in which showing and hiding look at the fades.
constexpr AnimationType kVisibilityOrder[] = {
    kAnimationAlpha,          kAnimationWidth,          kAnimationHeight,
    kAnimationInoutXFromLeft, kAnimationInoutXFromRight, kAnimationInoutYFromTop,
    kAnimationInoutYFromBottom};

// What a fade's distance is.
enum class Measure {
  kOpacity,      // 255.
  kWidth,        // The width the control asks for; nothing (0) for stretch or auto.
  kHeight,       // The same for the height.
  kSlideWidth,   // The width it asks for, or kDefaultInOutDistance when that is below 1.
  kSlideHeight,  // The same for the height.
};

// One kind of fade: it runs from start x d to end x d, d being its measured distance, in a given
// time or at a given acceleration, and hands each value to apply.
struct FadeKind {
  AnimationType type;
  Measure measure;
  int start;
  int end;
  int totalMs;         // -1: derived from the coefficient.
  double coefficient;  // Speed-up coefficient of a fade without a time.
  void (*apply)(Control* control, int value);
};

constexpr FadeKind kFadeKinds[] = {
    {kAnimationAlpha, Measure::kOpacity, 0, 1, kFadeMillSeconds, 0,
     [](Control* control, int value) { control->SetAlpha(value); }},
    {kAnimationHot, Measure::kOpacity, 0, 1, kFadeMillSeconds, 0,
     [](Control* control, int value) { control->SetHotAlpha(value); }},
    {kAnimationWidth, Measure::kWidth, 0, 1, -1, kSizeFadeCoefficient,
     [](Control* control, int value) { control->SetFixedWidth(value, true, false); }},
    {kAnimationHeight, Measure::kHeight, 0, 1, -1, kSizeFadeCoefficient,
     [](Control* control, int value) { control->SetFixedHeight(value, false); }},
    {kAnimationInoutXFromLeft, Measure::kSlideWidth, 1, 0, -1, kInOutFadeCoefficient,
     [](Control* control, int value) { control->SetRenderOffsetX(value); }},
    {kAnimationInoutXFromRight, Measure::kSlideWidth, -1, 0, -1, kInOutFadeCoefficient,
     [](Control* control, int value) { control->SetRenderOffsetX(value); }},
    {kAnimationInoutYFromTop, Measure::kSlideHeight, 1, 0, -1, kInOutFadeCoefficient,
     [](Control* control, int value) { control->SetRenderOffsetY(value); }},
    {kAnimationInoutYFromBottom, Measure::kSlideHeight, -1, 0, -1, kInOutFadeCoefficient,
     [](Control* control, int value) { control->SetRenderOffsetY(value); }},
};

const FadeKind* FindFadeKind(AnimationType type) {
  for (const FadeKind& kind : kFadeKinds)
    if (kind.type == type) return &kind;
  return nullptr;
}

// The distance of a fade of control, measured now (EstimateSize in unbounded space).
int MeasureDistance(Measure measure, Control* control) {
  if (measure == Measure::kOpacity) return 255;
  const SIZE size = control->EstimateSize(kUnboundedSpace);
  const bool across = measure == Measure::kWidth || measure == Measure::kSlideWidth;
  const int extent = across ? size.cx : size.cy;
  if (measure == Measure::kWidth || measure == Measure::kHeight) return std::max(extent, 0);
  return extent < 1 ? kDefaultInOutDistance : extent;
}

}  // namespace

AnimationPlayer* AnimationManager::GetAnimationPlayer(AnimationType type) const {
  const auto it = players_.find(type);
  return it == players_.end() ? nullptr : it->second.get();
}

AnimationPlayer* AnimationManager::SetFade(AnimationType type, bool on) {
  const FadeKind* kind = FindFadeKind(type);
  if (!kind) return nullptr;
  if (!on) {
    players_.erase(type);
    return nullptr;
  }
  const int distance = MeasureDistance(kind->measure, control_);
  auto player = std::make_unique<AnimationPlayer>();
  player->SetSpeedUpRatio(kFadeSpeedUpRatio);
  player->SetSlowDownRatio(kFadeSlowDownRatio);
  player->SetStartValue(kind->start * distance);
  player->SetEndValue(kind->end * distance);
  if (kind->totalMs >= 0)
    player->SetTotalMillSeconds(kind->totalMs);
  else
    player->SetSpeedUpCoefficient(kind->coefficient);
  Control* control = control_;
  const auto apply = kind->apply;
  player->SetCallback(
      control->ToWeakCallback([control, apply](int value) { apply(control, value); }));
  AnimationPlayer* raw = player.get();
  players_[type] = std::move(player);
  return raw;
}

AnimationPlayer* AnimationManager::SetFadeAlpha(bool on) { return SetFade(kAnimationAlpha, on); }

AnimationPlayer* AnimationManager::SetFadeHot(bool on) { return SetFade(kAnimationHot, on); }

AnimationPlayer* AnimationManager::SetFadeWidth(bool on) { return SetFade(kAnimationWidth, on); }

AnimationPlayer* AnimationManager::SetFadeHeight(bool on) { return SetFade(kAnimationHeight, on); }

AnimationPlayer* AnimationManager::SetFadeInOutX(bool on, bool fromRight) {
  return SetFade(fromRight ? kAnimationInoutXFromRight : kAnimationInoutXFromLeft, on);
}

AnimationPlayer* AnimationManager::SetFadeInOutY(bool on, bool fromBottom) {
  return SetFade(fromBottom ? kAnimationInoutYFromBottom : kAnimationInoutYFromTop, on);
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
