// Animation players: one integer moved from a start value to an end value over time.
//
// A player hands every new value to its value callback and calls its completion callback when the
// end is reached. AnimationPlayerBase keeps the timing, the callbacks and the step timer;
// AnimationPlayer adds the motion curve: uniform acceleration over the first share of the time
// (the speed-up ratio), constant speed, and uniform deceleration to rest over the last share (the
// slow-down ratio). The total time is given, or derived from a coefficient:
//
//   ui::AnimationPlayer fade;
//   fade.SetStartValue(0);
//   fade.SetEndValue(255);
//   fade.SetTotalMillSeconds(250);
//   fade.SetSpeedUpRatio(0.3);
//   fade.SetSlowDownRatio(0.7);
//   fade.SetCallback([this](int alpha) { SetAlpha(alpha); });
//   fade.PlayForward();    // 0 -> 255; PlayBackward() turns round from where it is
//
// A player steps on a repeating timer of the timer service (at least every millisecond, at most
// once per value) and measures time with the performance clock, so late timer ticks do not slow
// it down and a test can drive it with a ui::ManualClock.
//
// Thread affinity: the thread of the control or window that owns the player; its steps run there
// from the timer service. Destroying a player (or stopping it) turns pending steps into no-ops.
#ifndef UI_CORE_ANIMATION_PLAYER_H_
#define UI_CORE_ANIMATION_PLAYER_H_

#include <windows.h>

#include <functional>

#include "base/callback/weak_callback.h"

namespace ui {

class AnimationPlayerBase : public virtual nbase::SupportWeakCallback {
 public:
  using ValueCallback = std::function<void(int value)>;
  using CompleteCallback = std::function<void()>;

  AnimationPlayerBase() = default;
  ~AnimationPlayerBase() override;
  AnimationPlayerBase(const AnimationPlayerBase&) = delete;
  AnimationPlayerBase& operator=(const AnimationPlayerBase&) = delete;

  // Back to idle: no total time, start, end and current 0, nothing elapsed, not backward. The
  // callbacks stay.
  virtual void Reset();
  // From the beginning, forward.
  virtual void Restart();
  // Stops stepping where it is; the values stay.
  virtual void Stop();
  // Runs toward the configured end value. A player going backward turns round and keeps the
  // time already run.
  virtual void PlayForward();
  // Runs toward the configured start value (start and end swap); turns round like PlayForward.
  virtual void PlayBackward();
  // Runs from the current point: start equal to end completes at once; otherwise one step now
  // and then one per step interval until the end value is reached.
  virtual void Play();

  void SetStartValue(int value) { start_value_ = value; }
  int GetStartValue() const { return start_value_; }
  void SetEndValue(int value) { end_value_ = value; }
  int GetEndValue() const { return end_value_; }
  // Milliseconds; -1 lets AnimationPlayer derive it from its coefficients.
  void SetTotalMillSeconds(int ms) { total_ms_ = ms; }
  int GetTotalMillSeconds() const { return total_ms_; }
  void SetCallback(ValueCallback callback) { value_callback_ = std::move(callback); }
  void SetCompleteCallback(CompleteCallback callback) { complete_callback_ = std::move(callback); }

  // The value last handed out (the end value once complete).
  int GetValue() const { return current_value_; }
  double GetElapsedMillSeconds() const { return elapsed_ms_; }
  int GetStepInterval() const { return step_interval_ms_; }
  bool IsPlaying() const { return playing_; }
  bool IsBackward() const { return backward_; }

 protected:
  // The value at the elapsed time.
  virtual int GetCurrentValue() = 0;
  // Ends at once: the value callback gets the end value, then the completion callback runs.
  void CompleteAtOnce();

  int start_value_ = 0;
  int end_value_ = 0;
  int current_value_ = 0;
  int total_ms_ = -1;
  double elapsed_ms_ = 0;

 private:
  // Advances the elapsed time by the clock and hands out the new value.
  void Step();

  int step_interval_ms_ = 0;
  bool never_played_ = true;
  bool playing_ = false;
  bool backward_ = false;
  ValueCallback value_callback_;
  CompleteCallback complete_callback_;
  LONGLONG last_counter_ = 0;
  // The step timer is bound to it; cancelling it stops the timer.
  nbase::WeakCallbackFlag timer_flag_;
};

class AnimationPlayer : public AnimationPlayerBase {
 public:
  static constexpr int kDefaultMaxTotalMillSeconds = 1000000;

  AnimationPlayer() = default;
  ~AnimationPlayer() override = default;

  // Also clears the curve and restores the maximum total time.
  void Reset() override;
  // Derives the curve from the ratios, the coefficients and the total time, then plays. A
  // constant-speed player (both ratios 0) without a total time needs SetLinearSpeed; with no
  // speed to go by it completes at once.
  void Play() override;

  // Shares of the total time spent accelerating and decelerating (0 to 1).
  void SetSpeedUpRatio(double ratio) { speed_up_ratio_ = ratio; }
  void SetSlowDownRatio(double ratio) { slow_down_ratio_ = ratio; }
  // Acceleration (distance per ms squared); without a total time the time is derived from it.
  void SetSpeedUpCoefficient(double coefficient) { speed_up_coefficient_ = coefficient; }
  void SetSlowDownCoefficient(double coefficient) { slow_down_coefficient_ = coefficient; }
  // Distance per ms of a constant-speed player without a total time.
  void SetLinearSpeed(double speed) { constant_speed_ = speed; }
  // Caps a derived total time.
  void SetMaxTotalMillSeconds(int ms) { max_total_ms_ = ms; }

 protected:
  // The curve's value at the elapsed time: the end value once the total time has passed.
  int GetCurrentValue() override;

 private:
  // Fills the curve fields for this play; false when there is no speed to derive a time from.
  bool DeriveCurve();
  // The coefficient for the given total time (step 2 of the derivation).
  void CoefficientsForTime(double totalMs, double distance);
  // The peak-speed factor and the missing coefficient (step 3).
  double PeakFactor();

  double speed_up_ratio_ = 0;
  double slow_down_ratio_ = 0;
  double speed_up_time_ = 0;
  double constant_speed_ = 0;
  double constant_time_ = 0;
  double slow_down_time_ = 0;
  double speed_up_coefficient_ = 0;
  double slow_down_coefficient_ = 0;
  double slow_down_start_speed_ = 0;
  int max_total_ms_ = kDefaultMaxTotalMillSeconds;
};

}  // namespace ui

#endif  // UI_CORE_ANIMATION_PLAYER_H_
