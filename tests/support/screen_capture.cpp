#include "tests/support/screen_capture.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace test_support {

ScreenCapture CaptureScreen(RECT rect) {
  rect.left = std::max<LONG>(rect.left, 0);
  rect.top = std::max<LONG>(rect.top, 0);
  rect.right = std::min<LONG>(rect.right, ::GetSystemMetrics(SM_CXSCREEN));
  rect.bottom = std::min<LONG>(rect.bottom, ::GetSystemMetrics(SM_CYSCREEN));
  ScreenCapture capture;
  if (rect.right <= rect.left || rect.bottom <= rect.top) return capture;
  capture.width = rect.right - rect.left;
  capture.height = rect.bottom - rect.top;
  capture.pixels.resize(static_cast<size_t>(capture.width) * capture.height);

  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = capture.width;
  info.bmiHeader.biHeight = -capture.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ::BitBlt(memory, 0, 0, capture.width, capture.height, screen, rect.left, rect.top, SRCCOPY);
    ::GdiFlush();
    std::memcpy(capture.pixels.data(), bits, capture.pixels.size() * sizeof(capture.pixels[0]));
    ::SelectObject(memory, old);
    ::DeleteObject(bitmap);
  }
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return capture;
}

ScreenCapture CaptureScreen() {
  return CaptureScreen(RECT{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)});
}

bool SaveBitmap(const ScreenCapture& capture, const std::wstring& path) {
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = capture.width;
  header.biHeight = -capture.height;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  const DWORD pixel_bytes = static_cast<DWORD>(capture.pixels.size() * sizeof(capture.pixels[0]));
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(file) + sizeof(header);
  file.bfSize = file.bfOffBits + pixel_bytes;
  std::ofstream out(std::filesystem::path(path), std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&header), sizeof(header));
  out.write(reinterpret_cast<const char*>(capture.pixels.data()), pixel_bytes);
  return static_cast<bool>(out);
}

}  // namespace test_support
