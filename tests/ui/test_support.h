// Helpers shared by the UI library's tests: a private temporary folder, pixel access to a render
// context, a pumped wait with a deadline, and writers for PNG and animated GIF test files.
#ifndef TESTS_UI_TEST_SUPPORT_H_
#define TESTS_UI_TEST_SUPPORT_H_

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace ui {
class IRenderContext;
class Window;
}  // namespace ui

namespace uitest {

// A folder of this process's own under %TEMP%, deleted with its contents on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Ends with a backslash.
  const std::wstring& path() const { return path_; }
  std::wstring File(const std::wstring& name) const { return path_ + name; }

 private:
  std::wstring path_;
};

// The font id every test registers as the default ("Segoe UI" maps to Tahoma in the test prefix).
extern const wchar_t kTestFontId[];

// The pixel at (x, y) of a top-down context as 0xAARRGGBB.
DWORD PixelAt(ui::IRenderContext* context, int x, int y);
// Red, green and blue only (GDI paths leave alpha 0).
DWORD RgbAt(ui::IRenderContext* context, int x, int y);
// Counts pixels of rect whose RGB equals rgb.
int CountRgb(ui::IRenderContext* context, const RECT& rect, DWORD rgb);

// Pumps this thread's messages until done() or the deadline; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Pumps messages for the given time (to see that something does NOT happen).
void PumpFor(DWORD ms);

// Shows the created window in front with the keyboard focus and waits for its first layout and
// a paint surface as wide as its client area. False when that does not come.
bool ShowInFront(ui::Window* window, bool layered);

// Writes a 32-bit ARGB image (pixels row by row, top first) as PNG through GDI+.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<DWORD>& argb);
// Writes a context's pixels as PNG (for looking at what a test drew).
bool SaveContextPng(ui::IRenderContext* context, const std::wstring& path);

// Writes a looping GIF with one frame per delay (1/100 s units); frame f is a solid fill of
// frameColors[f % size] (0xRRGGBB, at most four colours).
bool WriteAnimatedGif(const std::wstring& path, int width, int height,
                      const std::vector<DWORD>& frameColors, const std::vector<int>& delays);

bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace uitest

#endif  // TESTS_UI_TEST_SUPPORT_H_
