// ZuvorIvadoCallbacks: what a session reports to the plug-in that owns it.
//
// Each callable is optional (skipped when empty) and runs on the thread that fires it: SDK
// threads, the session's worker threads, window threads or the platform thread. The first
// argument is always the session's pad code. Some are fired with the session's lock held, so a
// callback must not wait for another thread that needs that lock, nor for the plug-in's
// session-map mutex (the lock order puts it before a session's lock).
#pragma once

#include <functional>
#include <string>

struct ZuvorIvadoCallbacks {
  std::function<void(const std::string& padCode)> windowClosed;
  std::function<void(const std::string& padCode, const std::string& filePath)> screenshot;
  std::function<void(const std::string& padCode, int width, int height)> connected;
  std::function<void(const std::string& padCode, int errorCode)> disconnected;
  std::function<void(const std::string& padCode, int attempt)> reconnecting;
  std::function<void(const std::string& padCode, int errorCode)> connectFailed;
  std::function<void(const std::string& padCode, int errorCode)> connectTimeout;
  // Input forwarders of the sync group: repeat this phone's input on the other synced phones.
  std::function<void(const std::string& padCode, int action, int pointerCount, float fx, float fy,
                     float pressure)>
      touch;
  std::function<void(const std::string& padCode, int action, int code)> key;
  std::function<void(const std::string& padCode, const char* text, int length)> text;
  std::function<void(const std::string& padCode, const char* text, int length)> clipboard;
};
