// Weak callbacks: deferred work that quietly does nothing once its owner is gone.
//
// Work that outlives the call that asked for it (a task posted to another thread, a timer, an
// event handler, the quit task of a thread) is bound to the object that asked for it. When that
// object is destroyed before the work runs, running the work must be a no-op. Three pieces make
// this so:
//
//   WeakFlag             carries no data; what matters is its shared-ownership record. The owner
//                        holds the only strong reference, every callback a weak one.
//   SupportWeakCallback  a base class that hands out weak references to a flag it owns, creating
//                        the flag on first demand. Its destruction kills every callback.
//   WeakCallbackFlag     a member object that owns a flag of its own, so that one group of
//                        deferred calls (a timer, a fade, a delayed close) can be cut off with
//                        Cancel() without destroying the owner.
//   WeakCallback<F>      a callable that checks the flag and then calls F.
//
// Example:
//
//   class Fader : public nbase::SupportWeakCallback {
//    public:
//     void Start() {
//       timer_service.Add(fade_flag_.ToWeakCallback([this] { Step(); }), 16);
//     }
//     void Stop() { fade_flag_.Cancel(); }  // pending steps become no-ops
//    private:
//     void Step();
//     nbase::WeakCallbackFlag fade_flag_;
//   };
//
// Thread safety: a WeakCallback may be copied, moved and destroyed on any thread (the counts are
// the atomic counts of std::shared_ptr). The liveness test and the call are two steps, so a weak
// callback only protects against an owner destroyed *before* the call starts. Run each callback,
// and destroy its owner, on the owner's thread. GetWeakFlag() and Cancel() mutate the owner and
// belong to the owner's thread; concurrent GetWeakFlag() calls are safe only once a flag exists.
#ifndef BASE_CALLBACK_WEAK_CALLBACK_H_
#define BASE_CALLBACK_WEAK_CALLBACK_H_

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

namespace nbase {

// The flag whose shared-ownership record tells whether an owner is alive.
class WeakFlag {};

template <typename F>
class WeakCallback;

// Base of every object that hands out weak callbacks. Allocates nothing until the first
// GetWeakFlag(). Copying an object does not copy its flag: callbacks bound to the original keep
// following the original.
class SupportWeakCallback {
 public:
  SupportWeakCallback() = default;
  SupportWeakCallback(const SupportWeakCallback&) noexcept {}
  SupportWeakCallback& operator=(const SupportWeakCallback&) noexcept { return *this; }
  virtual ~SupportWeakCallback() = default;

  // Returns a weak reference to this object's flag, making the flag when there is none.
  std::weak_ptr<WeakFlag> GetWeakFlag();

  // Binds |callable| to this object's flag.
  template <typename F>
  WeakCallback<std::decay_t<F>> ToWeakCallback(F&& callable) {
    return WeakCallback<std::decay_t<F>>(GetWeakFlag(), std::forward<F>(callable));
  }

 protected:
  // Releases the flag: every callback made so far becomes a no-op. The next GetWeakFlag() makes
  // a fresh flag, so callbacks made afterwards work again.
  void ReleaseWeakFlag() noexcept { weak_flag_.reset(); }
  bool HasWeakFlag() const noexcept { return weak_flag_ != nullptr; }

 private:
  // The only strong reference; empty until first asked for.
  std::shared_ptr<WeakFlag> weak_flag_;
};

// A resettable flag, used as a member to guard one group of an owner's deferred calls.
class WeakCallbackFlag final : public SupportWeakCallback {
 public:
  // Kills every callback made from this flag so far.
  void Cancel() noexcept { ReleaseWeakFlag(); }

  // Whether a flag is alive (callbacks were made since construction or the last Cancel).
  bool HasUsed() const noexcept { return HasWeakFlag(); }
};

// A callable bound to a weak flag. Invoking it calls |callable| while the flag is alive and
// otherwise returns a value-initialised result (nothing, false, null, 0). Copies share the same
// weak reference.
template <typename F>
class WeakCallback {
 public:
  WeakCallback(std::weak_ptr<WeakFlag> flag, F callable)
      : flag_(std::move(flag)), callable_(std::move(callable)) {}

  // True once the flag this callback was made from is gone.
  bool Expired() const noexcept { return flag_.expired(); }

  template <typename... Args>
  auto operator()(Args&&... args) const -> std::invoke_result_t<const F&, Args...> {
    return Invoke(callable_, std::forward<Args>(args)...);
  }

  template <typename... Args>
  auto operator()(Args&&... args) -> std::invoke_result_t<F&, Args...> {
    return Invoke(callable_, std::forward<Args>(args)...);
  }

 private:
  template <typename G, typename... Args>
  auto Invoke(G& callable, Args&&... args) const -> std::invoke_result_t<G&, Args...> {
    using Result = std::invoke_result_t<G&, Args...>;
    if (flag_.expired()) {
      if constexpr (std::is_void_v<Result>) {
        return;
      } else {
        return Result();
      }
    }
    return std::invoke(callable, std::forward<Args>(args)...);
  }

  std::weak_ptr<WeakFlag> flag_;
  F callable_;
};

// Binds |callable| to |flag|, for owners that keep the flag elsewhere.
template <typename F>
WeakCallback<std::decay_t<F>> MakeWeakCallback(std::weak_ptr<WeakFlag> flag, F&& callable) {
  return WeakCallback<std::decay_t<F>>(std::move(flag), std::forward<F>(callable));
}

}  // namespace nbase

#endif  // BASE_CALLBACK_WEAK_CALLBACK_H_
