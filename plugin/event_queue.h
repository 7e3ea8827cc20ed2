// EventQueue: the plug-in's events on their way to the Dart side over "fernhold/swplay/events".
//
// Events may be raised on any thread; they wait here in the order they were raised until a flush
// on the platform thread sends them, each as a standard-codec success envelope
// {"event": name, "data": map}. The Dart side subscribes with "listen" and unsubscribes with
// "cancel"; while nobody listens the queue keeps growing and nothing is lost.
//
//   EventQueue events;
//   events.Attach(messenger, &flutter::StandardMethodCodec::GetInstance());
//   events.Append({"connected", EncodableValue(map)});  // any thread
//   events.Flush();                                     // platform thread: sends, if listened to
//
// Thread-safety: Append and SetObserverForTesting may be called from any thread (one mutex guards
// the queue, held for an append or a swap, never while sending). Attach, Flush and
// HandleChannelMessage run on the platform thread; Attach before events are raised.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

#include "flutter/binary_messenger.h"
#include "flutter/standard_method_codec.h"
#include "plugin/zuvor_ivado_event.h"

class EventQueue {
 public:
  EventQueue() = default;
  EventQueue(const EventQueue&) = delete;
  EventQueue& operator=(const EventQueue&) = delete;

  // Where events go; neither is owned. Until then every event is dropped.
  void Attach(flutter::BinaryMessenger* messenger, const flutter::StandardMethodCodec* codec);
  bool attached() const { return messenger_ != nullptr; }

  // Appends `event` at the back (dropped before Attach: nobody could ever receive it).
  void Append(ZuvorIvadoEvent event);
  // Sends everything queued, front to back, while the Dart side listens. An event appended
  // during a flush goes with the next one.
  void Flush();
  // The raw handler of the event channel: "listen" flushes and then answers success, "cancel"
  // answers success and keeps the queue; anything else (or undecodable bytes) gets an empty reply.
  void HandleChannelMessage(const uint8_t* message, size_t size, flutter::BinaryReply reply);

  // Tests: sees every event as it is appended, under the queue mutex (it must not call back).
  void SetObserverForTesting(std::function<void(const ZuvorIvadoEvent&)> observer);

 private:
  flutter::BinaryMessenger* messenger_ = nullptr;  // not owned; null before Attach
  const flutter::StandardMethodCodec* codec_ = nullptr;
  bool listening_ = false;  // platform thread

  std::mutex mutex_;  // guards the two below
  std::deque<ZuvorIvadoEvent> queue_;
  std::function<void(const ZuvorIvadoEvent&)> observer_;
};
