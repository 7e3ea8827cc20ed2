#include "tests/phone_window/video_test_support.h"

#include <sstream>

#include "swplay/swplay_sim.h"
#include "ui/core/control.h"
#include "ui/render/render_interfaces.h"

namespace videotest {

namespace {

std::string UniqueToken(const std::string& script) {
  static std::atomic<int> counter{0};
  return "video" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(++counter) +
         ";" + script;
}

std::atomic<int64_t> g_clock_ms{0};
std::atomic<int64_t> g_next_clock_base{int64_t(1) << 40};

const wchar_t kPaintingWindowClass[] = L"FernholdVideoTestWindow";

}  // namespace

// ---------------------------------------------------------------------------------------------
// StreamRig

StreamRig::StreamRig(const std::string& script) : token(UniqueToken(script)) {
  source = std::make_shared<SWDataSource>(SWRuntime::getInstance()->obtainID(), &listener_);
  source->setServerToken(token.c_str(), "", 0, nullptr, 0, nullptr);
  player = std::make_shared<SWPlayer>();
  player->setDataSource(source);
}

StreamRig::~StreamRig() {
  player->stop();
  player->setDisplay(nullptr);
}

void StreamRig::Play(VideoDisplay* display) {
  player->setDisplay(display);
  player->start();
  source->start();
}

std::vector<std::string> StreamRig::Touches() const {
  std::vector<std::string> touches;
  for (const std::string& line : swsim::TokenLog(token)) {
    const size_t at = line.find("onTouchEvent(");
    if (at != std::string::npos) touches.push_back(line.substr(at));
  }
  return touches;
}

// ---------------------------------------------------------------------------------------------
// ProbeView

void ProbeView::onFrameReady() {
  DuiVideoView::onFrameReady();
  std::lock_guard<std::mutex> lock(mutex_);
  ++frames_;
  frame_threads_.push_back(::GetCurrentThreadId());
  cv_.notify_all();
}

void ProbeView::Paint(ui::IRenderContext* context, const RECT& area) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    paint_threads_.push_back(::GetCurrentThreadId());
  }
  DuiVideoView::Paint(context, area);
}

int ProbeView::frames() {
  std::lock_guard<std::mutex> lock(mutex_);
  return frames_;
}

bool ProbeView::WaitFrames(int count, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return cv_.wait_for(lock, timeout, [&] { return frames_ >= count; });
}

bool ProbeView::WaitFrameSize(int width, int height, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const int seen = frames();
    lockFrameBuffer();
    const bool match = frameData() && frameWidth() == width && frameHeight() == height;
    unlockFrameBuffer();
    if (match) return true;
    const auto left = deadline - std::chrono::steady_clock::now();
    if (left <= std::chrono::steady_clock::duration::zero()) return false;
    if (!WaitFrames(seen + 1, std::chrono::duration_cast<std::chrono::milliseconds>(left)))
      return false;
  }
}

int ProbeView::paints() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(paint_threads_.size());
}

std::vector<DWORD> ProbeView::paint_threads() {
  std::lock_guard<std::mutex> lock(mutex_);
  return paint_threads_;
}

std::vector<DWORD> ProbeView::frame_threads() {
  std::lock_guard<std::mutex> lock(mutex_);
  return frame_threads_;
}

// ---------------------------------------------------------------------------------------------
// TestClock

TestClock::TestClock() {
  g_clock_ms.store(g_next_clock_base.fetch_add(int64_t(1) << 30));
  ui::DuiVideoView::SetClockForTesting(&TestClock::Read);
}

TestClock::~TestClock() { ui::DuiVideoView::SetClockForTesting(nullptr); }

void TestClock::AdvanceMs(int64_t ms) { g_clock_ms.fetch_add(ms); }

int64_t TestClock::NowMs() const { return g_clock_ms.load(); }

int64_t TestClock::Read() { return g_clock_ms.load(); }

// ---------------------------------------------------------------------------------------------
// PaintingWindow

PaintingWindow::PaintingWindow(const RECT& screenRect, ui::Control* root) {
  static const ATOM atom = [] {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = &PaintingWindow::WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPaintingWindowClass;
    return ::RegisterClassW(&windowClass);
  }();
  (void)atom;
  hwnd_ = ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE | WS_EX_TOPMOST,
                            kPaintingWindowClass, L"", WS_POPUP, screenRect.left, screenRect.top,
                            screenRect.right - screenRect.left, screenRect.bottom - screenRect.top,
                            nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  window_.Init(hwnd_);
  window_.AttachRoot(root);
  ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
}

PaintingWindow::~PaintingWindow() {
  // The ui::Window destroys the native window; nothing reaches this object meanwhile.
  if (hwnd_) ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
}

LRESULT CALLBACK PaintingWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = reinterpret_cast<PaintingWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && message == WM_PAINT) {
    self->OnPaint();
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

void PaintingWindow::OnPaint() {
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(hwnd_, &paint);
  RECT client;
  ::GetClientRect(hwnd_, &client);
  ui::IRenderContext* context = window_.GetRenderContext();
  if (dc && context && window_.GetRoot()) {
    if (context->Resize(client.right, client.bottom)) window_.SetLayoutPending(true);
    window_.ArrangeRoot(client);
    window_.GetRoot()->PaintWithClip(context, paint.rcPaint);
    ::BitBlt(dc, paint.rcPaint.left, paint.rcPaint.top, paint.rcPaint.right - paint.rcPaint.left,
             paint.rcPaint.bottom - paint.rcPaint.top, context->GetDC(), paint.rcPaint.left,
             paint.rcPaint.top, SRCCOPY);
  }
  ::EndPaint(hwnd_, &paint);
  ++paints_;
  if (after_paint) after_paint();
}

uint32_t RgbAt(ui::IRenderContext* context, int x, int y) {
  const auto* pixels = reinterpret_cast<const uint32_t*>(context->GetBits());
  return pixels[static_cast<size_t>(y) * context->GetWidth() + x] & 0xFFFFFF;
}

}  // namespace videotest
