// ZuvorIvadoEvent: one event waiting in the plug-in's queue for the Dart side.
#pragma once

#include <string>

#include "flutter/encodable_value.h"

struct ZuvorIvadoEvent {
  std::string name;              // "connected", "disconnected", ... (UTF-8)
  flutter::EncodableValue data;  // always a map with string keys, possibly empty
};
