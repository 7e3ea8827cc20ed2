// A list of observers that tolerates changes made while it notifies.
//
// Observers are told in the order they were added. During a notification an observer may remove
// itself or any other observer (its slot is emptied and skipped; the list is compacted when the
// outermost notification ends) and may add observers, which are reached in that same pass.
//
//   observers_.ForEach([&](TaskObserver& o) { o.WillProcessTask(task); });
//
// Thread safety: none; a list belongs to one thread (a loop's or a pump's).
#ifndef BASE_MESSAGE_LOOP_OBSERVER_LIST_H_
#define BASE_MESSAGE_LOOP_OBSERVER_LIST_H_

#include <algorithm>
#include <cstddef>
#include <vector>

namespace nbase {

template <typename ObserverType>
class ObserverList {
 public:
  ObserverList() = default;
  ObserverList(const ObserverList&) = delete;
  ObserverList& operator=(const ObserverList&) = delete;

  // Adds |observer| unless it is null or already present.
  void AddObserver(ObserverType* observer) {
    if (observer && !HasObserver(observer)) observers_.push_back(observer);
  }

  void RemoveObserver(ObserverType* observer) {
    const auto it = std::find(observers_.begin(), observers_.end(), observer);
    if (it == observers_.end() || !observer) return;
    if (notify_depth_ > 0) {
      *it = nullptr;  // erased once no notification walks the vector any more
    } else {
      observers_.erase(it);
    }
  }

  bool HasObserver(const ObserverType* observer) const {
    return observer &&
           std::find(observers_.begin(), observers_.end(), observer) != observers_.end();
  }

  // Calls |notify|(ObserverType&) for every observer, in order.
  template <typename Notify>
  void ForEach(Notify&& notify) {
    NotifyScope scope(this);
    // By index: the vector may grow (and move) while observers run.
    for (std::size_t i = 0; i < observers_.size(); ++i) {
      if (ObserverType* observer = observers_[i]) notify(*observer);
    }
  }

 private:
  class NotifyScope {
   public:
    explicit NotifyScope(ObserverList* list) : list_(list) { ++list_->notify_depth_; }
    ~NotifyScope() {
      if (--list_->notify_depth_ == 0) list_->Compact();
    }
    NotifyScope(const NotifyScope&) = delete;
    NotifyScope& operator=(const NotifyScope&) = delete;

   private:
    ObserverList* const list_;
  };

  void Compact() {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), nullptr),
                     observers_.end());
  }

  int notify_depth_ = 0;
  std::vector<ObserverType*> observers_;  // not owned; null = removed during a notification
};

}  // namespace nbase

#endif  // BASE_MESSAGE_LOOP_OBSERVER_LIST_H_
