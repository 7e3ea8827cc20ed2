#include "ui/core/event_callbacks.h"

namespace ui {

namespace {

// Runs a copy of a list (taken by value), so that handlers may change the original while it runs.
// A null owner pointer means "no owner to watch".
bool RunList(EventCallbackList snapshot, const EventArgs& args,
             const std::weak_ptr<nbase::WeakFlag>* owner) {
  for (const EventCallback& callback : snapshot) {
    if (owner && owner->expired()) return false;
    if (callback && !callback(args)) return false;
  }
  return !(owner && owner->expired());
}

// A copy of the list of type in handlers; false when there is none.
bool CopyList(const EventMap& handlers, int type, EventCallbackList* list) {
  const auto it = handlers.find(type);
  if (it == handlers.end()) return false;
  *list = it->second;
  return true;
}

}  // namespace

bool InvokeEventCallbacks(const EventCallbackList& callbacks, const EventArgs& args) {
  return RunList(callbacks, args, nullptr);
}

bool InvokeEventCallbacks(const EventCallbackList& callbacks, const EventArgs& args,
                          const std::weak_ptr<nbase::WeakFlag>& owner) {
  return RunList(callbacks, args, &owner);
}

bool InvokeEventStage(const EventMap& handlers, const EventArgs& args,
                      const std::weak_ptr<nbase::WeakFlag>& owner) {
  if (owner.expired()) return false;
  if (handlers.empty()) return true;
  bool result = true;
  EventCallbackList list;
  if (CopyList(handlers, args.type, &list)) result = RunList(std::move(list), args, &owner);
  if (owner.expired()) return false;
  // The map is looked at again only now that the owner (and so the map) is known to live on.
  if (args.type != kEventAll && CopyList(handlers, kEventAll, &list))
    result = RunList(std::move(list), args, &owner);
  return result && !owner.expired();
}

bool AddEventCallback(EventMap* handlers, int type, EventCallback callback) {
  if (!handlers || !callback) return false;
  (*handlers)[type].push_back(std::move(callback));
  return true;
}

}  // namespace ui
