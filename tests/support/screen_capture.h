// Pixels read off the screen, for the tests that look at what a running program shows.
//
// The capture holds top-down rows of 32-bit B, G, R, X pixels, as a 32-bit DIB section keeps them.
// Tests that capture the screen run on a display of their own (tools/wine/own-display) or look
// again when a window of another test may have passed over theirs.
#ifndef TESTS_SUPPORT_SCREEN_CAPTURE_H_
#define TESTS_SUPPORT_SCREEN_CAPTURE_H_

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace test_support {

struct ScreenCapture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height, top row first

  // The pixel at (x, y) as 0xRRGGBB.
  std::uint32_t Rgb(int x, int y) const {
    return pixels[static_cast<size_t>(y) * width + x] & 0xFFFFFF;
  }
  // The pixel at (x, y) as a GDI colour.
  COLORREF ColorRef(int x, int y) const {
    const std::uint32_t rgb = Rgb(x, y);
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
  }
};

// The screen under |rect| (screen pixels), clipped to the screen.
ScreenCapture CaptureScreen(RECT rect);
// The whole screen.
ScreenCapture CaptureScreen();

// Writes |capture| as a 32-bit top-down BMP file; false when the file cannot be written.
bool SaveBitmap(const ScreenCapture& capture, const std::wstring& path);

}  // namespace test_support

#endif  // TESTS_SUPPORT_SCREEN_CAPTURE_H_
