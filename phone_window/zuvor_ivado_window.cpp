// The window's life: construction, creation steps for the pool, the message dispatch, the close
// rules and the operations the session calls from its own thread.
#include "phone_window/zuvor_ivado_window.h"

#include <windowsx.h>

#include <cstdio>
#include <utility>

#include "phone_window/cascade.h"
#include "phone_window/dui_video_view.h"
#include "phone_window/phone_theme.h"
#include "phone_window/window_geometry.h"
#include "phone_window/window_pin.h"
#include "phone_window/window_thread_pool.h"
#include "ui/controls/label.h"

const wchar_t ZuvorIvadoWindow::kSkinFolder[] = L"fernhold";
const wchar_t ZuvorIvadoWindow::kLightSkin[] = L"cloud_phone_light.xml";
const wchar_t ZuvorIvadoWindow::kDarkSkin[] = L"cloud_phone_dark.xml";

static_assert(ZuvorIvadoWindow::kPinStateMessage == window_pin::kPinStateMessage);
static_assert(ZuvorIvadoWindow::kRotationMessage == window_pin::kRotationMessage);

namespace {

// Runs one message with the thread in the window's DPI awareness, so that the sizes the window
// reads and sets are its own pixels. The first message that needed the switch is logged once.
class ScopedWindowDpi {
 public:
  ScopedWindowDpi(HWND hwnd, UINT message, bool* warned) {
    if (!hwnd) return;
    DPI_AWARENESS_CONTEXT window = ::GetWindowDpiAwarenessContext(hwnd);
    if (!window) return;
    if (!::AreDpiAwarenessContextsEqual(window, ::GetThreadDpiAwarenessContext()) && !*warned) {
      *warned = true;
      char line[128];
      std::snprintf(line, sizeof(line),
                    "ZuvorIvadoWindow: thread DPI ctx != window DPI (msg 0x%04X, dpi %d)\r\n",
                    message, static_cast<int>(::GetDpiForWindow(hwnd)));
      ::OutputDebugStringA(line);
    }
    previous_ = ::SetThreadDpiAwarenessContext(window);
  }
  // Touches nothing of the window, which the message may have deleted.
  ~ScopedWindowDpi() {
    if (previous_) ::SetThreadDpiAwarenessContext(previous_);
  }
  ScopedWindowDpi(const ScopedWindowDpi&) = delete;
  ScopedWindowDpi& operator=(const ScopedWindowDpi&) = delete;

 private:
  DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

// Whether a visible, enabled window of this thread is owned by `owner`. (Pop-ups live on their
// owner's thread; GW_ENABLEDPOPUP is not answered everywhere.)
bool HasVisiblePopup(HWND owner) {
  struct Search {
    HWND owner;
    bool found;
  } search = {owner, false};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND hwnd, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        if (hwnd != s->owner && ::GetWindow(hwnd, GW_OWNER) == s->owner &&
            ::IsWindowVisible(hwnd) && ::IsWindowEnabled(hwnd)) {
          s->found = true;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

}  // namespace

ZuvorIvadoWindow::ZuvorIvadoWindow(int themeMode, PhoneWindowCallbacks callbacks)
    : callbacks_(std::move(callbacks)),
      light_(phone_theme::IsLight(themeMode)),
      clipboard_(&clipboard_text::SystemClipboard()),
      pictures_(&picture_file::SystemPictureDialog()),
      scroll_([this](int action, float fx, float fy) {
        if (video_) video_->SendTouch(action, fx, fy);
      }) {}

ZuvorIvadoWindow::~ZuvorIvadoWindow() = default;

void ZuvorIvadoWindow::SetInputSources(clipboard_text::ClipboardSource* clipboard,
                                       picture_file::PictureDialog* pictures) {
  if (clipboard) clipboard_ = clipboard;
  if (pictures) pictures_ = pictures;
}

// ---------------------------------------------------------------------------------------------
// Creation steps (the pool thread)

HWND ZuvorIvadoWindow::CreateNativeWindow(const std::wstring& name, DWORD style, DWORD exStyle,
                                          bool layered) {
  HWND hwnd = Create(nullptr, name, style, exStyle, layered, RECT{0, 0, 0, 0});
  // A failed creation has deleted this object already: nothing of it may be touched.
  if (hwnd) handle_.store(hwnd);
  return hwnd;
}

void ZuvorIvadoWindow::SetTitle(const std::string& titleUtf8) {
  title_ = titleUtf8;
  if (!title_label_) return;
  title_label_->SetUTF8Text(titleUtf8);
  // A narrow window cuts the title with an ellipsis; the whole of it shows as the tooltip.
  title_label_->SetToolTipTextUtf8(titleUtf8);
}

void ZuvorIvadoWindow::CenterNativeWindow() { CenterWindow(); }

void ZuvorIvadoWindow::ShowNativeWindow() { ShowWindow(true, true); }

// ---------------------------------------------------------------------------------------------
// ui::WindowImplBase

std::wstring ZuvorIvadoWindow::GetWindowClassName() const { return kPhoneWindowClassName; }

std::wstring ZuvorIvadoWindow::GetSkinFolder() { return kSkinFolder; }

std::wstring ZuvorIvadoWindow::GetSkinFile() { return light_ ? kLightSkin : kDarkSkin; }

void ZuvorIvadoWindow::OnLastMessage(HWND hwnd) {
  ReleaseCascadeSlot(cascade_slot_);
  cascade_slot_ = -1;
  ui::WindowImplBase::OnLastMessage(hwnd);  // deletes this
}

LRESULT ZuvorIvadoWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  ScopedWindowDpi dpi(GetHWND(), message, &dpi_warning_given_);
  bool handled = true;
  const LRESULT result = HandleOwnMessage(message, wParam, lParam, &handled);
  if (handled) return result;
  return ui::WindowImplBase::HandleMessage(message, wParam, lParam);
}

LRESULT ZuvorIvadoWindow::HandleOwnMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                           bool* handled) {
  switch (message) {
    case kPinStateMessage:
      pinned_.store(wParam != 0);
      ShowPinImages();
      return 1;
    case kRotationMessage:
      ApplyRotation(static_cast<int>(wParam));
      return 1;
    case kChoosePictureMessage:
      ChoosePicture();  // may delete this
      return 0;
    case WM_KEYDOWN:
    case WM_CHAR:
      if (HandleKeyboard(message, wParam, lParam)) return 1;
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      return HitTest(lParam);
    case WM_MOUSEMOVE:
      FocusOnHover();
      break;
    case WM_NCMOUSEMOVE:
    case WM_NCMOUSEHOVER:
    case WM_NCMOUSELEAVE:
      RouteCaptionHover(message, wParam, lParam);
      break;
    case WM_MOUSELEAVE: {
      // The library's handling tracks the client area again, which ends the caption's tracking
      // when the pointer left the client for the caption.
      const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
      const LRESULT result = ui::WindowImplBase::HandleMessage(message, wParam, lParam);
      if (!alive.expired()) TrackCaptionUnderPointer();
      return result;
    }
    case WM_MOUSEWHEEL:
      if (!GetHWND()) break;
      ScrollWheel(wParam, lParam);
      return 1;
    case WM_SIZING:
      if (KeepAspectWhileSizing(wParam, reinterpret_cast<RECT*>(lParam))) return 1;
      break;
    case WM_SIZE:
      if (wParam == SIZE_MINIMIZED) break;
      FitToolbarTo(ToolbarHeightAt(RECT{0, 0, LOWORD(lParam), HIWORD(lParam)}));
      // A rotation that came while minimised, now that the window has its own size again.
      if (turn_on_restore_) {
        turn_on_restore_ = false;
        ::PostMessageW(GetHWND(), kRotationMessage, static_cast<WPARAM>(rotation_.load()), 0);
      }
      break;
    case WM_ENTERSIZEMOVE:
      if (video_) video_->SetResizing(true);
      break;
    case WM_EXITSIZEMOVE:
      if (video_) {
        video_->SetResizing(false);
        video_->Invalidate();
      }
      break;
    case WM_DESTROY:
      // Destroyed without a close (DestroyWindow alone, say): the session hears of it all the
      // same, while the window and its video control still exist.
      if (handle_.load()) CloseOnce();
      handle_.store(nullptr);
      break;
    default:
      break;
  }
  *handled = false;
  return 0;
}

LRESULT ZuvorIvadoWindow::OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (closed_) {
    *handled = true;
    return 0;
  }
  CloseOnce();
  return ui::WindowImplBase::OnClose(message, wParam, lParam, handled);
}

void ZuvorIvadoWindow::CloseOnce() {
  if (closed_) return;
  closed_ = true;
  if (callbacks_.close) callbacks_.close();
  // The touch slot stays until the object goes: the video control may still report a touch.
  PhoneWindowCallbacks emptied;
  emptied.touch = std::move(callbacks_.touch);
  callbacks_ = std::move(emptied);
}

void ZuvorIvadoWindow::RouteCaptionHover(UINT message, WPARAM hitTest, LPARAM lParam) {
  HWND hwnd = GetHWND();
  if (!hwnd) return;
  POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ScreenToClient(hwnd, &point);
  const LPARAM clientPoint = MAKELPARAM(point.x, point.y);
  bool handled = false;
  if (message == WM_NCMOUSELEAVE) {
    RouteMessage(WM_MOUSELEAVE, 0, 0, &handled);
    return;
  }
  if (hitTest != HTCAPTION) return;
  HandleMouseEnterLeave(point, 0, clientPoint);
  if (message == WM_NCMOUSEMOVE) {
    TrackCaptionUnderPointer();
  } else {
    RouteMessage(WM_MOUSEHOVER, 0, clientPoint, &handled);  // may show the tooltip
  }
}

void ZuvorIvadoWindow::TrackCaptionUnderPointer() {
  HWND hwnd = GetHWND();
  POINT cursor = {0, 0};
  if (!hwnd || !::GetCursorPos(&cursor) ||
      HitTest(MAKELPARAM(cursor.x, cursor.y)) != HTCAPTION) {
    return;
  }
  TRACKMOUSEEVENT track = {sizeof(track), TME_HOVER | TME_LEAVE | TME_NONCLIENT, hwnd,
                           HOVER_DEFAULT};
  ::TrackMouseEvent(&track);
}

void ZuvorIvadoWindow::FocusOnHover() {
  HWND hwnd = GetHWND();
  if (!hwnd || ::GetFocus() == hwnd) return;
  // An open pop-up of the window (the quality combo's list, a dialog) keeps the focus.
  if (HasVisiblePopup(hwnd)) return;
  ::SetFocus(hwnd);
}

// ---------------------------------------------------------------------------------------------
// ui::TouchEventListener

void ZuvorIvadoWindow::OnTouch(int action, int pointerCount, float fx, float fy, float pressure) {
  if (callbacks_.touch) callbacks_.touch(action, pointerCount, fx, fy, pressure);
}

// ---------------------------------------------------------------------------------------------
// PhoneWindow (any thread but where said)

VideoDisplay* ZuvorIvadoWindow::GetVideoDisplay() { return video_; }

void ZuvorIvadoWindow::ApplyRotation(int rotation) {
  if (video_) video_->SetRotation(rotation);
  ResizeForRotation(rotation);
}

void ZuvorIvadoWindow::PostRotation(int rotation) {
  window_pin::PostRotation(GetHandle(), rotation);
}

void ZuvorIvadoWindow::SetPinned(bool pinned) {
  pinned_.store(pinned);
  window_pin::SetPinned(GetHandle(), pinned);
}

bool ZuvorIvadoWindow::GetTileSize(int* width, int* height) {
  window_geometry::WindowFrame frame;
  SIZE size;
  if (!window_geometry::ReadWindowFrame(GetHandle(), &frame) ||
      !window_geometry::MinimumWindowSize(frame, rotation_.load(), aspect_.load(), &size)) {
    return false;
  }
  *width = size.cx;
  *height = size.cy;
  return true;
}

bool ZuvorIvadoWindow::GetFrameInsets(int* left, int* top, int* right, int* bottom) {
  window_geometry::WindowFrame frame;
  if (!window_geometry::ReadWindowFrame(GetHandle(), &frame)) return false;
  const RECT insets = window_geometry::FrameInsets(frame);
  *left = insets.left;
  *top = insets.top;
  *right = insets.right;
  *bottom = insets.bottom;
  return true;
}

void ZuvorIvadoWindow::Close() {
  // Posted: the window thread may be waiting for the caller.
  if (HWND hwnd = GetHandle()) ::PostMessageW(hwnd, WM_CLOSE, 0, 0);
}
