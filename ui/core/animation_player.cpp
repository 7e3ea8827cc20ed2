#include "ui/core/animation_player.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "ui/core/performance_clock.h"
#include "ui/core/timer_manager.h"

namespace ui {

// ---------------------------------------------------------------------------------------------
// AnimationPlayerBase

AnimationPlayerBase::~AnimationPlayerBase() { timer_flag_.Cancel(); }

void AnimationPlayerBase::Reset() {
  timer_flag_.Cancel();
  total_ms_ = -1;
  start_value_ = end_value_ = current_value_ = 0;
  elapsed_ms_ = 0;
  step_interval_ms_ = 0;
  last_counter_ = 0;
  playing_ = false;
  backward_ = false;
}

void AnimationPlayerBase::Restart() {
  timer_flag_.Cancel();
  elapsed_ms_ = 0;
  backward_ = false;
  Play();
}

void AnimationPlayerBase::Stop() {
  timer_flag_.Cancel();
  playing_ = false;
}

void AnimationPlayerBase::PlayForward() {
  timer_flag_.Cancel();
  if (backward_) {
    // Turn round: run back toward the configured end from where the backward run stands, taking
    // as long as it has run so far.
    std::swap(start_value_, end_value_);
    current_value_ = start_value_;
    elapsed_ms_ = std::max(0.0, total_ms_ - elapsed_ms_);
  }
  backward_ = false;
  never_played_ = false;
  Play();  // Its first step may delete this player: nothing is touched afterwards.
}

void AnimationPlayerBase::PlayBackward() {
  timer_flag_.Cancel();
  if (!backward_) {
    std::swap(start_value_, end_value_);
    current_value_ = start_value_;
    elapsed_ms_ = std::max(0.0, total_ms_ - elapsed_ms_);
  }
  if (never_played_) elapsed_ms_ = 0;
  backward_ = true;
  never_played_ = false;
  Play();  // Its first step may delete this player: nothing is touched afterwards.
}

void AnimationPlayerBase::Play() {
  timer_flag_.Cancel();
  last_counter_ = PerformanceClock::Now();
  playing_ = true;
  if (start_value_ == end_value_) {
    playing_ = false;
    current_value_ = end_value_;
    if (complete_callback_) {
      CompleteCallback complete = complete_callback_;
      complete();
    }
    return;
  }

  const double distance = std::fabs(static_cast<double>(end_value_) - start_value_);
  step_interval_ms_ = std::max(1, static_cast<int>(total_ms_ / distance));
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  Step();
  if (alive.expired() || !playing_) return;
  TimerManager* timers = TimerManager::GetInstance();
  const bool stepping =
      timers && timers->AddCancelableTimer(timer_flag_.GetWeakFlag(), [this] { Step(); },
                                           static_cast<UINT>(step_interval_ms_),
                                           TimerManager::kRepeatForever);
  // Without a timer the animation could never move: show its end instead.
  if (!stepping) CompleteAtOnce();
}

void AnimationPlayerBase::Step() {
  const LONGLONG now = PerformanceClock::Now();
  elapsed_ms_ += static_cast<double>(now - last_counter_) * 1000.0 / PerformanceClock::Frequency();
  last_counter_ = now;
  const int value = GetCurrentValue();
  const bool rising = start_value_ < end_value_;
  // The end is detected whether or not anyone listens for values.
  if (rising ? value >= end_value_ : value <= end_value_) {
    CompleteAtOnce();
    return;
  }
  if (value == current_value_) return;
  current_value_ = value;
  if (value_callback_) {
    ValueCallback callback = value_callback_;  // It may replace itself while it runs.
    callback(value);
  }
}

void AnimationPlayerBase::CompleteAtOnce() {
  // Idle before the callbacks run, so that a callback may start the player again.
  timer_flag_.Cancel();
  playing_ = false;
  current_value_ = end_value_;
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  if (value_callback_) {
    ValueCallback callback = value_callback_;
    callback(end_value_);
  }
  if (alive.expired() || !complete_callback_) return;
  CompleteCallback complete = complete_callback_;
  complete();
}

// ---------------------------------------------------------------------------------------------
// AnimationPlayer

void AnimationPlayer::Reset() {
  AnimationPlayerBase::Reset();
  speed_up_ratio_ = slow_down_ratio_ = 0;
  speed_up_time_ = constant_speed_ = constant_time_ = slow_down_time_ = 0;
  speed_up_coefficient_ = slow_down_coefficient_ = slow_down_start_speed_ = 0;
  max_total_ms_ = kDefaultMaxTotalMillSeconds;
}

void AnimationPlayer::Play() {
  if (start_value_ != end_value_ && !DeriveCurve()) {
    CompleteAtOnce();
    return;
  }
  AnimationPlayerBase::Play();
}

void AnimationPlayer::CoefficientsForTime(double totalMs, double distance) {
  const double a = speed_up_ratio_, f = slow_down_ratio_;
  const double t2 = totalMs * totalMs;
  if (t2 <= 0) return;  // A total time of 0 ends at the first step; no curve is needed.
  if (a != 0)
    speed_up_coefficient_ = distance / ((2 * (1 - a - f) * a + a * a + a * f) * t2);
  else if (f != 0)
    slow_down_coefficient_ = -distance / ((2 * (1 - a - f) * f + f * f + a * f) * t2);
}

double AnimationPlayer::PeakFactor() {
  const double a = speed_up_ratio_, f = slow_down_ratio_;
  if (speed_up_coefficient_ != 0 && a != 0) {
    const double e = speed_up_coefficient_ * a;
    if (f != 0) slow_down_coefficient_ = -speed_up_coefficient_ * a / f;
    return e;
  }
  if (slow_down_coefficient_ != 0 && f != 0) {
    const double e = -slow_down_coefficient_ * f;
    if (a != 0) speed_up_coefficient_ = e / a;
    return e;
  }
  return 0;
}

bool AnimationPlayer::DeriveCurve() {
  const double a = speed_up_ratio_, f = slow_down_ratio_;
  const double distance = std::fabs(static_cast<double>(end_value_) - start_value_);

  // 1. No acceleration: constant speed over the whole time.
  if (a == 0 && f == 0) {
    if (total_ms_ < 0) {
      if (!(constant_speed_ > 0)) return false;  // No speed: nothing to derive a time from.
      total_ms_ = static_cast<int>(std::min<double>(distance / constant_speed_, max_total_ms_));
    } else {
      constant_speed_ = total_ms_ > 0 ? distance / total_ms_ : 0;
    }
    speed_up_time_ = slow_down_time_ = 0;
    constant_time_ = total_ms_;
    return true;
  }

  // 2. and 3. The coefficients for a given time, then the peak-speed factor.
  if (total_ms_ >= 0) CoefficientsForTime(total_ms_, distance);
  double e = PeakFactor();

  // 4. Without a time, the time that covers the distance with these coefficients (capped).
  if (total_ms_ < 0) {
    const double denominator = speed_up_coefficient_ * a * a + 2 * (1 - a - f) * e -
                               f * slow_down_coefficient_ * f;
    double total = std::sqrt(distance / denominator);
    if (!(total <= max_total_ms_)) {  // Too long, or no usable coefficient at all.
      total = max_total_ms_;
      CoefficientsForTime(total, distance);
      e = PeakFactor();
    }
    total_ms_ = static_cast<int>(total);
  }

  // 5. The phases.
  const double total = total_ms_;
  speed_up_time_ = a * total;
  constant_speed_ = slow_down_start_speed_ = 2 * e * total;
  slow_down_time_ = f * total;
  constant_time_ = total - speed_up_time_ - slow_down_time_;
  return true;
}

int AnimationPlayer::GetCurrentValue() {
  const double t = elapsed_ms_;
  if (t >= total_ms_) return end_value_;
  const double t1 = speed_up_time_, t2 = constant_time_;
  const double a1 = speed_up_coefficient_;
  double distance;
  if (t <= t1) {
    distance = a1 * t * t;
  } else if (t <= t1 + t2) {
    distance = (t - t1) * constant_speed_ + a1 * t1 * t1;
  } else {
    const double u = t - t1 - t2;
    distance = a1 * t1 * t1 + t2 * constant_speed_ + slow_down_coefficient_ * u * u +
               slow_down_start_speed_ * u;
  }
  // The curve stays within the distance; the bounds only keep rounding from overshooting (and
  // nonsensical ratios, which give no number, from moving anything).
  if (std::isnan(distance)) distance = 0;
  const double full = std::fabs(static_cast<double>(end_value_) - start_value_);
  const int moved = static_cast<int>(std::clamp(distance, 0.0, full));
  return start_value_ < end_value_ ? start_value_ + moved : start_value_ - moved;
}

}  // namespace ui
