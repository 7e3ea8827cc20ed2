// What a session needs of its pop-out phone window, and how it gets one.
//
// The pop-out window lives on a window thread of its own and deletes itself after it closed. A
// session reaches it only through this narrow interface; the window calls the session back
// through PhoneWindowCallbacks on its window thread.
//
// Rules that keep the two sides free of deadlocks and dangling pointers:
//   - Called from another thread, a PhoneWindow operation never waits for the window thread: it
//     posts messages, reads rectangles or changes the z-order asynchronously. (The window thread
//     itself may be waiting for the session in a callback.)
//   - The pointer a factory returns stays valid until the window's close callback has returned,
//     or until the window's thread has processed the close that Close asked for. The session
//     serialises its calls with its handling of the close callback, so it never calls a window
//     that is gone.
//   - OpenPhoneWindow waits for the window thread: the session calls it holding no lock.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class VideoDisplay;

// The window's callback slots; each runs on the window thread and may be empty.
struct PhoneWindowCallbacks {
  std::function<void()> back;
  std::function<void(int action, int pointerCount, float fx, float fy, float pressure)> touch;
  std::function<void()> home;
  std::function<void()> menu;
  std::function<void()> screenshot;
  std::function<void()> camera;
  std::function<void(int rotation)> rotation;  // 1 or 2
  std::function<void()> volumeUp;
  std::function<void()> volumeDown;
  std::function<void(const char* bytes, int length)> picture;
  std::function<void()> keyboard;
  std::function<void()> restart;
  std::function<void(int quality)> quality;  // 0..3
  std::function<void(int action, int code)> key;
  std::function<void(const char* text, int length)> text;
  std::function<void(const char* text, int length)> paste;
  std::function<void()> close;
};

class PhoneWindow {
 public:
  virtual ~PhoneWindow() = default;

  // The native window; null when it could not be made or is gone.
  virtual HWND GetHandle() const = 0;
  // The window's video control, which the player renders into; null when the skin has none.
  virtual VideoDisplay* GetVideoDisplay() = 0;
  // Window thread only: turns the video control to `rotation` and resizes the window for it.
  virtual void ApplyRotation(int rotation) = 0;
  // Posts the new rotation to the window; nothing without a native window.
  virtual void PostRotation(int rotation) = 0;
  virtual void SetPinned(bool pinned) = 0;
  virtual bool IsPinned() const = 0;
  // Outer size for tiling and the invisible frame around the visible window, in physical pixels.
  virtual bool GetTileSize(int* width, int* height) = 0;
  virtual bool GetFrameInsets(int* left, int* top, int* right, int* bottom) = 0;
  // Asks the window to close on its thread; returns at once.
  virtual void Close() = 0;
};

class PhoneWindowFactory {
 public:
  virtual ~PhoneWindowFactory() = default;
  // Makes a window with `themeMode` (1 light, 0 as the system, others dark) and `callbacks`,
  // creates it on a window thread titled `titleUtf8`, and returns once it is shown; null when
  // none could be made. Called on the platform thread.
  virtual PhoneWindow* OpenPhoneWindow(int themeMode, const std::string& titleUtf8,
                                       PhoneWindowCallbacks callbacks) = 0;
};
