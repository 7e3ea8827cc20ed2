#include "phone_window/dui_video_view.h"

#include <iostream>
#include <limits>

#include "swplay/sw_mutex.h"
#include "ui/core/global_manager.h"
#include "ui/core/window.h"
#include "ui/render/render_interfaces.h"

namespace ui {

namespace {

std::atomic<DuiVideoView::Clock> g_clock{nullptr};

// When a video control without a touch listener last had a repaint accepted, shared by all of
// them; kNever until the first.
constexpr int64_t kNever = std::numeric_limits<int64_t>::min();
std::atomic<int64_t> g_last_unlistened_repaint{kNever};

int64_t Now() {
  const DuiVideoView::Clock clock = g_clock.load(std::memory_order_acquire);
  return clock ? clock() : get_time_now_ms();
}

// Takes the process-wide repaint slot at now, unless the last one was taken less than the
// interval before.
bool AcceptUnlistenedRepaint(int64_t now) {
  int64_t last = g_last_unlistened_repaint.load(std::memory_order_relaxed);
  do {
    if (last != kNever && now - last < DuiVideoView::kUnlistenedRepaintIntervalMs) return false;
  } while (!g_last_unlistened_repaint.compare_exchange_weak(last, now, std::memory_order_relaxed));
  return true;
}

// The screen's scale in quarter steps above 96 DPI, truncated to whole numbers.
double ScreenScale() {
  int dpi = 96;
  if (HDC screen = ::GetDC(nullptr)) {
    dpi = (::GetDeviceCaps(screen, LOGPIXELSX) + ::GetDeviceCaps(screen, LOGPIXELSY)) / 2;
    ::ReleaseDC(nullptr, screen);
  }
  const double scale = static_cast<int>((dpi - 96) / 24 * 0.25 + 1);
  return scale < 1 ? 1 : scale;
}

// Holds the SDK's frame buffer still for one scope.
class FrameBufferLock {
 public:
  explicit FrameBufferLock(VideoDisplayWinBase& display) : display_(display) {
    display_.lockFrameBuffer();
  }
  ~FrameBufferLock() { display_.unlockFrameBuffer(); }
  FrameBufferLock(const FrameBufferLock&) = delete;
  FrameBufferLock& operator=(const FrameBufferLock&) = delete;

 private:
  VideoDisplayWinBase& display_;
};

}  // namespace

DuiVideoView::DuiVideoView() : Box(nullptr) {
  std::cout << "dDpi = " << ScreenScale() << std::endl;
}

DuiVideoView::~DuiVideoView() {
  std::lock_guard<std::mutex> gate(frame_gate_);
  closed_ = true;
}

void DuiVideoView::SetClockForTesting(Clock clock) {
  g_clock.store(clock, std::memory_order_release);
}

// ---------------------------------------------------------------------------------------------
// Touches

bool DuiVideoView::Connect(TouchEventListener* listener) {
  AttachEvent(kEventMouseMove,
              ToWeakCallback([this](const EventArgs& args) { return OnMouseMove(args); }));
  AttachEvent(kEventButtonDown,
              ToWeakCallback([this](const EventArgs& args) { return OnButtonDown(args); }));
  AttachEvent(kEventButtonUp,
              ToWeakCallback([this](const EventArgs& args) { return OnButtonUp(args); }));
  listener_ = listener;
  has_listener_.store(listener != nullptr, std::memory_order_release);
  return true;
}

RECT DuiVideoView::GetPictureRect() const {
  const int phoneWidth = phone_width_.load(std::memory_order_relaxed);
  const int phoneHeight = phone_height_.load(std::memory_order_relaxed);
  if (rotation_ & 1) return FitPicture(GetPos(), phoneWidth, phoneHeight);
  return FitPicture(GetPos(), phoneHeight, phoneWidth);
}

bool DuiVideoView::toTouchPercent(int x, int y, float& fx, float& fy) const {
  const RECT pos = GetPictureRect();
  const int width = pos.right - pos.left;
  const int height = pos.bottom - pos.top;
  if (width < 1 || height < 1) return false;
  if (rotation_ & 1) {
    fx = static_cast<float>(x - pos.left) / width;
    fy = static_cast<float>(y - pos.top) / height;
  } else {
    fx = static_cast<float>(pos.bottom - y) / height;
    fy = static_cast<float>(x - pos.left) / width;
  }
  return true;
}

void DuiVideoView::SendTouch(int action, float fx, float fy) {
  int x = -1, y = -1;
  if (action != kTouchUp) {
    x = static_cast<int>(phone_width_.load(std::memory_order_relaxed) * fx);
    y = static_cast<int>(phone_height_.load(std::memory_order_relaxed) * fy);
  }
  const float pressure = 0.0f;
  OnTouchEvent(action, 1, &x, &y, &pressure);
  if (listener_) listener_->OnTouch(action, 1, fx, fy, 0.0f);
}

bool DuiVideoView::OnButtonDown(const EventArgs& args) {
  float fx = 0, fy = 0;
  if (!toTouchPercent(args.mousePos.x, args.mousePos.y, fx, fy)) return true;
  // A press on the band beside the picture touches nothing.
  if (fx < 0.0f || fx > 1.0f || fy < 0.0f || fy > 1.0f) return true;
  SendTouch(kTouchDown, fx, fy);
  button_state_ = 0;
  return true;
}

bool DuiVideoView::OnMouseMove(const EventArgs& args) {
  const int64_t now = Now();
  if (now - last_move_time_ <= kMoveIntervalMs) return true;
  // Also a move that is ignored below starts the next interval.
  last_move_time_ = now;
  if (button_state_ != 0) return true;
  const RECT pos = GetPos();
  if (args.mousePos.x > pos.right || args.mousePos.y > pos.bottom) return false;
  float fx = 0, fy = 0;
  if (!toTouchPercent(args.mousePos.x, args.mousePos.y, fx, fy)) return true;
  SendTouch(kTouchMove, fx, fy);
  return true;
}

bool DuiVideoView::OnButtonUp(const EventArgs& args) {
  SendTouch(kTouchUp, 0.0f, 0.0f);
  button_state_ = 1;
  return true;
}

// ---------------------------------------------------------------------------------------------
// Placement

void DuiVideoView::SetWindowAndParent(Window* window, Box* parent, bool init) {
  Box::SetWindowAndParent(window, parent, init);
  PublishRepaintTarget();
}

void DuiVideoView::SetPos(RECT rect) {
  Box::SetPos(rect);
  PublishRepaintTarget();
}

void DuiVideoView::SetVisible(bool visible) {
  Box::SetVisible(visible);
  PublishRepaintTarget();
}

void DuiVideoView::SetInternVisible(bool visible) {
  Box::SetInternVisible(visible);
  PublishRepaintTarget();
}

void DuiVideoView::PublishRepaintTarget() {
  RepaintTarget target;
  Window* window = GetWindow();
  if (window && window->GetHWND() && IsVisible()) {
    target.hwnd = window->GetHWND();
    target.rect = ToWindowRect(GetPos());
    if (window->IsLayeredWindow()) target.paint = window->GetPaintRequest();
  }
  std::lock_guard<std::mutex> lock(target_mutex_);
  target_ = target;
}

// ---------------------------------------------------------------------------------------------
// Frames

void DuiVideoView::render(const VideoFrame& frame) {
  std::lock_guard<std::mutex> gate(frame_gate_);
  if (closed_) return;
  phone_width_.store(frame.width, std::memory_order_relaxed);
  phone_height_.store(frame.height, std::memory_order_relaxed);
  VideoDisplayWinBase::render(frame);  // Fills the frame buffer, then calls onFrameReady().
}

void DuiVideoView::onFrameReady() {
  if (!has_listener_.load(std::memory_order_acquire) && !AcceptUnlistenedRepaint(Now())) return;
  RequestRepaint();
}

void DuiVideoView::RequestRepaint() {
  RepaintTarget target;
  {
    std::lock_guard<std::mutex> lock(target_mutex_);
    target = target_;
  }
  if (!target.hwnd) return;
  // Neither call waits for the window's thread: the paint happens there, later. Frames that
  // come while a paint is on its way join it.
  ::InvalidateRect(target.hwnd, &target.rect, FALSE);
  if (target.paint) target.paint->Post();
}

bool DuiVideoView::FollowPictureSize(int width, int height) {
  if (width == last_width_ && height == last_height_) return false;
  // During an interactive resize the SDK keeps the old size; the new one is asked for at the
  // first paint after the resize ended.
  if (!resizing_) {
    last_width_ = width;
    last_height_ = height;
    if (rotation_ & 1)
      setDstFormat(-1, width, height, 0);
    else
      setDstFormat(-1, height, width, 0);
  }
  return true;
}

void DuiVideoView::PaintBands(IRenderContext* context, const RECT& control, const RECT& picture,
                              const RECT& area) {
  if (GetBkColor().empty() || ::EqualRect(&control, &picture)) return;
  const DWORD color = GlobalManager::GetTextColor(GetBkColor());
  if (color == 0) return;
  const RECT bands[] = {{control.left, control.top, control.right, picture.top},
                        {control.left, picture.bottom, control.right, control.bottom},
                        {control.left, picture.top, picture.left, picture.bottom},
                        {picture.right, picture.top, control.right, picture.bottom}};
  for (const RECT& band : bands) {
    RECT part;
    if (::IntersectRect(&part, &band, &area)) context->FillRect(part, color, 255);
  }
}

void DuiVideoView::Paint(IRenderContext* context, const RECT& area) {
  const RECT pos = GetPos();
  RECT paint;
  if (!context || !::IntersectRect(&paint, &area, &pos)) return;
  PublishRepaintTarget();
  RECT picture = GetPictureRect();
  const bool sizeChanged =
      FollowPictureSize(picture.right - picture.left, picture.bottom - picture.top);
  if (phone_width_.load(std::memory_order_relaxed) <= 0 ||
      phone_height_.load(std::memory_order_relaxed) <= 0)
    return;

  PaintBands(context, pos, picture, paint);

  BYTE* bits = context->GetBits();
  if (!bits) return;
  const PixelSurface surface{reinterpret_cast<uint32_t*>(bits), context->GetWidth(),
                             context->GetHeight()};
  const POINT origin = context->GetWindowOrg();
  ::OffsetRect(&picture, -origin.x, -origin.y);
  ::OffsetRect(&paint, -origin.x, -origin.y);
  ::GdiFlush();  // GDI work still batched for this surface lands before the pixels are written.

  FrameBufferLock lock(*this);
  const VideoFrameView frame{reinterpret_cast<const uint32_t*>(frameData()), frameWidth(),
                             frameHeight()};
  if (!frame.pixels || frame.width <= 0 || frame.height <= 0) return;
  // A turned frame that does not fit the rotation buffer is skipped; the last one stays.
  PaintVideoFrame(frame, (rotation_ & 1) == 0, resizing_ && sizeChanged, picture, paint,
                  &rotation_buffer_, surface);
}

}  // namespace ui
