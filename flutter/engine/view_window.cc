#include "flutter/engine/view_window.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "flutter/engine/this_module.h"

namespace flutter {
namespace engine {

namespace {

constexpr wchar_t kViewClass[] = L"FlutterDesktopView";
constexpr int kTileGap = 4;  // Pixels between tiles.

void RegisterClassOnce(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = ThisModule();
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.lpszClassName = name;
  // A second registration in the same process fails harmlessly.
  RegisterClassExW(&window_class);
}

// RAII for a memory DC with a bitmap selected into it.
class BackBuffer {
 public:
  BackBuffer(HDC target, int width, int height)
      : dc_(CreateCompatibleDC(target)), bitmap_(CreateCompatibleBitmap(target, width, height)) {
    if (dc_ && bitmap_) old_ = SelectObject(dc_, bitmap_);
  }
  ~BackBuffer() {
    if (old_) SelectObject(dc_, old_);
    if (bitmap_) DeleteObject(bitmap_);
    if (dc_) DeleteDC(dc_);
  }
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;

  bool valid() const { return old_ != nullptr; }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_ = nullptr;
};

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void DrawFrame(HDC dc, const TextureFrame& frame, const RECT& target) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = static_cast<LONG>(frame.width);
  info.bmiHeader.biHeight = -static_cast<LONG>(frame.height);  // Top-down rows.
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, target.left, target.top, target.right - target.left,
                target.bottom - target.top, 0, 0, static_cast<int>(frame.width),
                static_cast<int>(frame.height), frame.bgra.data(), &info, DIB_RGB_COLORS,
                SRCCOPY);
}

void DrawLabel(HDC dc, const RECT& tile, const std::wstring& text) {
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(148, 163, 184));
  RECT area = tile;
  InflateRect(&area, -6, -4);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

}  // namespace

ViewWindow::ViewWindow(int width, int height, TextureRegistry* registry,
                       std::function<void()> on_resize)
    : registry_(registry), on_resize_(std::move(on_resize)) {
  RegisterClassOnce(kViewClass, WindowProc);
  // Parked below the message-only windows until the host takes it in: a real child window from
  // the start, without a top-level window of its own for the window system to make and unmake.
  // No parent notifications: the parent of the message-only windows belongs to the desktop's
  // process, and each would be a wait for that process; the host has no use for them either.
  hwnd_ = CreateWindowExW(WS_EX_NOPARENTNOTIFY, kViewClass, L"",
                          WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, std::max(width, 0),
                          std::max(height, 0), HWND_MESSAGE, nullptr, ThisModule(), this);
}

ViewWindow::~ViewWindow() {
  if (hwnd_) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

void ViewWindow::Invalidate() {
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

std::vector<RECT> ViewWindow::TileRects(size_t count, const RECT& client) {
  std::vector<RECT> tiles;
  if (count == 0) return tiles;
  const size_t columns = static_cast<size_t>(std::ceil(std::sqrt(static_cast<double>(count))));
  const size_t rows = (count + columns - 1) / columns;
  const LONG width = client.right - client.left;
  const LONG height = client.bottom - client.top;
  const LONG tile_width = width / static_cast<LONG>(columns);
  const LONG tile_height = height / static_cast<LONG>(rows);
  tiles.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const LONG column = static_cast<LONG>(i % columns);
    const LONG row = static_cast<LONG>(i / columns);
    RECT tile = {client.left + column * tile_width, client.top + row * tile_height,
                 client.left + (column + 1) * tile_width, client.top + (row + 1) * tile_height};
    tiles.push_back(tile);
  }
  return tiles;
}

RECT ViewWindow::FitInto(size_t width, size_t height, const RECT& tile) {
  const LONG tile_width = std::max<LONG>(tile.right - tile.left, 0);
  const LONG tile_height = std::max<LONG>(tile.bottom - tile.top, 0);
  if (width == 0 || height == 0 || tile_width == 0 || tile_height == 0) {
    return RECT{tile.left, tile.top, tile.left, tile.top};
  }
  // Compare width/height with tile_width/tile_height without floating point.
  LONG fit_width = tile_width;
  LONG fit_height = tile_height;
  if (static_cast<uint64_t>(width) * tile_height > static_cast<uint64_t>(height) * tile_width) {
    fit_height = static_cast<LONG>(static_cast<uint64_t>(tile_width) * height / width);
  } else {
    fit_width = static_cast<LONG>(static_cast<uint64_t>(tile_height) * width / height);
  }
  const LONG left = tile.left + (tile_width - fit_width) / 2;
  const LONG top = tile.top + (tile_height - fit_height) / 2;
  return RECT{left, top, left + fit_width, top + fit_height};
}

LRESULT CALLBACK ViewWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  ViewWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<ViewWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<ViewWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self && message == WM_NCDESTROY) {
    // The window can go before this object: with its host window, which destroys its children.
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self = nullptr;
  }
  if (self) return self->HandleMessage(message, wparam, lparam);
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

LRESULT ViewWindow::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers every pixel.
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(hwnd_, &paint);
      RECT client;
      GetClientRect(hwnd_, &client);
      Paint(dc, client);
      EndPaint(hwnd_, &paint);
      return 0;
    }
    case WM_PRINTCLIENT: {
      // Paints into the caller's DC, so tests and tools can read the view's pixels without the
      // screen (where other windows may cover it).
      RECT client;
      GetClientRect(hwnd_, &client);
      Paint(reinterpret_cast<HDC>(wparam), client);
      return 0;
    }
    case WM_SIZE:
      Invalidate();
      if (on_resize_) on_resize_();
      return 0;
    default:
      return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

void ViewWindow::Paint(HDC target, const RECT& client) {
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  if (width <= 0 || height <= 0) return;
  BackBuffer buffer(target, width, height);
  HDC dc = buffer.valid() ? buffer.dc() : target;

  FillSolid(dc, client, kBackground);
  const auto textures = registry_->Snapshot();
  const std::vector<RECT> tiles = TileRects(textures.size(), client);
  if (!tiles.empty()) {
    registry_->SetRequestedSize(static_cast<size_t>(tiles[0].right - tiles[0].left),
                                static_cast<size_t>(tiles[0].bottom - tiles[0].top));
  }
  for (size_t i = 0; i < textures.size(); ++i) {
    RECT tile = tiles[i];
    InflateRect(&tile, -kTileGap / 2, -kTileGap / 2);
    const auto& [id, frame] = textures[i];
    if (frame) {
      DrawFrame(dc, *frame, FitInto(frame->width, frame->height, tile));
    } else {
      FillSolid(dc, tile, RGB(30, 41, 59));
    }
    DrawLabel(dc, tile, L"texture " + std::to_wstring(id));
  }

  if (buffer.valid()) BitBlt(target, 0, 0, width, height, dc, 0, 0, SRCCOPY);
}

}  // namespace engine
}  // namespace flutter
