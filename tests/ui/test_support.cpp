#include "tests/ui/test_support.h"

#include <objidl.h>
#include <gdiplus.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <memory>

#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace uitest {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

const wchar_t kTestFontId[] = L"test_default";

namespace {

std::atomic<int> g_temp_counter{0};

// Brings the library up once for the test program (GDI+ included) with a private resource root,
// and registers a default font so text can be drawn and measured.
class UiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    root_ = std::make_unique<TempDir>();
    ui::GlobalManager::Startup(root_->path(), nullptr, false, L"themes\\default", L"lang\\en");
    ui::FontInfo font;
    font.faceName = L"Segoe UI";
    font.size = 14;
    font.font = ::CreateFontW(-14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                              0, 0, font.faceName.c_str());
    ui::GlobalManager::AddFont(kTestFontId, font);
    ui::GlobalManager::SetDefaultFontId(kTestFontId);
  }
  void TearDown() override {
    ui::GlobalManager::Shutdown();
    root_.reset();
  }

 private:
  std::unique_ptr<TempDir> root_;
};

::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new UiEnvironment);

bool GetEncoderClsid(const wchar_t* mimeType, CLSID* clsid) {
  UINT count = 0;
  UINT size = 0;
  if (GdipGetImageEncodersSize(&count, &size) != Ok || size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buffer.data());
  if (GdipGetImageEncoders(count, size, codecs) != Ok) return false;
  for (UINT i = 0; i < count; ++i) {
    if (wcscmp(codecs[i].MimeType, mimeType) == 0) {
      *clsid = codecs[i].Clsid;
      return true;
    }
  }
  return false;
}

// Packs variable-width codes LSB first, as GIF's LZW stream wants them.
class BitWriter {
 public:
  void Put(unsigned code, int bits) {
    for (int i = 0; i < bits; ++i) {
      if (code & (1u << i)) current_ |= static_cast<unsigned char>(1u << used_);
      if (++used_ == 8) Flush();
    }
  }
  std::string Finish() {
    if (used_ > 0) Flush();
    return bytes_;
  }

 private:
  void Flush() {
    bytes_.push_back(static_cast<char>(current_));
    current_ = 0;
    used_ = 0;
  }
  std::string bytes_;
  unsigned char current_ = 0;
  int used_ = 0;
};

void PutWord(std::string& out, int value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

}  // namespace

TempDir::TempDir() {
  wchar_t base[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, base);
  wchar_t name[64];
  swprintf(name, 64, L"fernhold-ui-%lu-%d\\", ::GetCurrentProcessId(), ++g_temp_counter);
  path_ = std::wstring(base) + name;
  ::CreateDirectoryW(path_.c_str(), nullptr);
}

TempDir::~TempDir() {
  std::wstring from = path_.substr(0, path_.size() - 1);
  from.push_back(L'\0');  // SHFileOperation wants a double-terminated list.
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  ::SHFileOperationW(&op);
}

DWORD PixelAt(ui::IRenderContext* context, int x, int y) {
  const BYTE* p = context->GetBits() + (static_cast<size_t>(y) * context->GetWidth() + x) * 4;
  return (static_cast<DWORD>(p[3]) << 24) | (static_cast<DWORD>(p[2]) << 16) |
         (static_cast<DWORD>(p[1]) << 8) | p[0];
}

DWORD RgbAt(ui::IRenderContext* context, int x, int y) {
  return PixelAt(context, x, y) & 0x00FFFFFF;
}

int CountRgb(ui::IRenderContext* context, const RECT& rect, DWORD rgb) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x)
      if (RgbAt(context, x, y) == (rgb & 0x00FFFFFF)) ++count;
  return count;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  while (!done()) {
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return false;
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - now), QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  return true;
}

void PumpFor(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

bool ShowInFront(ui::Window* window, bool layered) {
  HWND hwnd = window->GetHWND();
  ::ShowWindow(hwnd, SW_SHOWNORMAL);
  if (layered) ::PostMessageW(hwnd, WM_PAINT, 0, 0);  // A layered window gets no first paint.
  ::UpdateWindow(hwnd);
  auto inFront = [&] { return ::GetForegroundWindow() == hwnd; };
  auto laidOut = [&] {
    RECT client = {};
    ::GetClientRect(hwnd, &client);
    return !window->IsLayoutPending() && window->GetRenderContext() &&
           window->GetRenderContext()->GetWidth() == client.right;
  };
  // On a busy machine the activation can be lost, so the window asks for the foreground again
  // each second until it has it.
  for (int second = 0; second < 20; ++second) {
    if (!inFront()) {
      ::SetForegroundWindow(hwnd);
      ::SetFocus(hwnd);
    }
    if (PumpUntil([&] { return inFront() && laidOut(); }, 1000)) return true;
  }
  ADD_FAILURE() << "the window " << (inFront() ? "" : "never became the foreground window; ")
                << (laidOut() ? "" : "was never laid out and painted at its size");
  return false;
}

bool WritePng(const std::wstring& path, int width, int height, const std::vector<DWORD>& argb) {
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                reinterpret_cast<BYTE*>(const_cast<DWORD*>(argb.data())),
                                &bitmap) != Ok)
    return false;
  CLSID png;
  const bool ok = GetEncoderClsid(L"image/png", &png) &&
                  GdipSaveImageToFile(bitmap, path.c_str(), &png, nullptr) == Ok;
  GdipDisposeImage(bitmap);
  return ok;
}

bool SaveContextPng(ui::IRenderContext* context, const std::wstring& path) {
  const int width = context->GetWidth();
  const int height = context->GetHeight();
  std::vector<DWORD> pixels(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[y * width + x] = PixelAt(context, x, y) | 0xFF000000;
  return WritePng(path, width, height, pixels);
}

bool WriteAnimatedGif(const std::wstring& path, int width, int height,
                      const std::vector<DWORD>& frameColors, const std::vector<int>& delays) {
  // A global table of up to four colours; frame f is filled with colour f modulo their number.
  if (frameColors.empty() || frameColors.size() > 4 || delays.empty()) return false;
  std::string gif = "GIF89a";
  PutWord(gif, width);
  PutWord(gif, height);
  gif.push_back(static_cast<char>(0x80 | 0x10 | 0x01));  // Global table of 4 entries.
  gif.push_back(0);
  gif.push_back(0);
  for (size_t i = 0; i < 4; ++i) {
    const DWORD c = i < frameColors.size() ? frameColors[i] : 0;
    gif.push_back(static_cast<char>((c >> 16) & 0xFF));
    gif.push_back(static_cast<char>((c >> 8) & 0xFF));
    gif.push_back(static_cast<char>(c & 0xFF));
  }
  gif += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  for (size_t f = 0; f < delays.size(); ++f) {
    gif += std::string("\x21\xF9\x04\x00", 4);
    PutWord(gif, delays[f]);
    gif += std::string("\x00\x00", 2);
    gif.push_back(0x2C);
    PutWord(gif, 0);
    PutWord(gif, 0);
    PutWord(gif, width);
    PutWord(gif, height);
    gif.push_back(0);
    // LZW with minimum code size 2: a clear code before every pixel keeps codes 3 bits wide.
    gif.push_back(2);
    BitWriter bits;
    for (int p = 0; p < width * height; ++p) {
      bits.Put(4, 3);
      bits.Put(static_cast<unsigned>(f % frameColors.size()), 3);
    }
    bits.Put(5, 3);
    const std::string data = bits.Finish();
    for (size_t pos = 0; pos < data.size(); pos += 255) {
      const size_t chunk = std::min<size_t>(255, data.size() - pos);
      gif.push_back(static_cast<char>(chunk));
      gif += data.substr(pos, chunk);
    }
    gif.push_back(0);
  }
  gif.push_back(0x3B);
  return WriteFileBytes(path, gif);
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  return written == bytes.size();
}

}  // namespace uitest
