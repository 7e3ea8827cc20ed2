// Event handler lists and the rule by which they run.
//
// A control keeps its handlers in maps from event type to a list, one map per source (attached in
// code, declared in markup, bubbled from children). Dispatch runs the lists in stages, and every
// list runs by one rule:
//
//   - the handlers are called in the order they were added;
//   - the first that returns false stops the list, and the list's result is false;
//   - an empty or completed list yields true.
//
// A stage runs the list for the event's type and then the list for kEventAll; when the kEventAll
// list exists, its result replaces the type list's.
//
//   ui::EventMap handlers;
//   ui::AddEventCallback(&handlers, ui::kEventClick, [](const ui::EventArgs&) { return true; });
//   bool goOn = ui::InvokeEventStage(handlers, args, control->GetWeakFlag());
//
// Changes while a list runs: a dispatch runs the handlers that were in the list when the list
// started. Handlers added or removed meanwhile take effect from the next dispatch, and a handler
// that destroys the owner of the list (and the list with it) is safe: the dispatch stops as soon
// as the owner's weak flag is gone, and nothing touches the destroyed list.
//
// Thread affinity: the thread of the window that owns the handlers.
#ifndef UI_CORE_EVENT_CALLBACKS_H_
#define UI_CORE_EVENT_CALLBACKS_H_

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "base/callback/weak_callback.h"
#include "ui/core/event_args.h"

namespace ui {

// Returns false to stop the handlers after it.
using EventCallback = std::function<bool(const EventArgs&)>;
using EventCallbackList = std::vector<EventCallback>;
// Event type (ui::EventType, kEventAll for every type) to its handlers.
using EventMap = std::map<int, EventCallbackList>;

// Runs callbacks by the rule above. Empty callables in the list are skipped.
bool InvokeEventCallbacks(const EventCallbackList& callbacks, const EventArgs& args);

// The same, stopping as soon as owner is gone (the result is then false). Use it when callbacks
// may destroy the object the list belongs to.
bool InvokeEventCallbacks(const EventCallbackList& callbacks, const EventArgs& args,
                          const std::weak_ptr<nbase::WeakFlag>& owner);

// One stage: the list for args.type, then the list for kEventAll (whose result, when the list
// exists, replaces the first). The map is looked up afresh for each list and not at all once
// owner is gone, so callbacks may destroy the map's owner. False when owner is gone.
bool InvokeEventStage(const EventMap& handlers, const EventArgs& args,
                      const std::weak_ptr<nbase::WeakFlag>& owner);

// Appends callback to the list of type; an empty callback is refused (false).
bool AddEventCallback(EventMap* handlers, int type, EventCallback callback);

}  // namespace ui

#endif  // UI_CORE_EVENT_CALLBACKS_H_
