// ViewWindow: the engine's view, a child window that shows what the Dart UI draws.
//
// In place of a Dart UI it paints every registered texture's latest frame, tiled in id order over
// the client area (a near-square grid), each scaled into its tile with its aspect ratio kept and
// labelled with its id. The window is created as a child of the message-only windows' parent, so
// that it is a real child window from the start; the host re-parents it into its own window.
//
// Thread affinity: the platform thread (create, destroy, paint).
#ifndef FLUTTER_ENGINE_VIEW_WINDOW_H_
#define FLUTTER_ENGINE_VIEW_WINDOW_H_

#include <windows.h>

#include <cstddef>
#include <functional>
#include <vector>

#include "flutter/engine/texture_registry.h"

namespace flutter {
namespace engine {

class ViewWindow {
 public:
  // Background of the view, a dark slate.
  static constexpr COLORREF kBackground = RGB(15, 23, 42);

  // |registry| is not owned and must outlive the window. |on_resize| runs on the platform thread
  // when the client size changes.
  ViewWindow(int width, int height, TextureRegistry* registry, std::function<void()> on_resize);
  ~ViewWindow();
  ViewWindow(const ViewWindow&) = delete;
  ViewWindow& operator=(const ViewWindow&) = delete;

  // Null when creation failed, and once the window is destroyed (its host destroys it as a child).
  HWND hwnd() const { return hwnd_; }

  // Schedules a repaint.
  void Invalidate();

  // The tiles for |count| textures over |client|: a grid of ceil(sqrt(count)) columns, filled row
  // by row; every tile has the same size and the last row may be partly empty.
  static std::vector<RECT> TileRects(size_t count, const RECT& client);

  // The largest rectangle of |width|:|height| aspect that fits |tile|, centred in it.
  static RECT FitInto(size_t width, size_t height, const RECT& tile);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
  void Paint(HDC target, const RECT& client);

  TextureRegistry* registry_;  // Not owned.
  std::function<void()> on_resize_;
  HWND hwnd_ = nullptr;  // Owned.
};

}  // namespace engine
}  // namespace flutter

#endif  // FLUTTER_ENGINE_VIEW_WINDOW_H_
