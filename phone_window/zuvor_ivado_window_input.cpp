// The window's input for the phone: keys and typed text, the clipboard's text, picture files and
// the mouse wheel. The translation itself lives in the units (phone_keyboard.h, clipboard_text.h,
// picture_file.h, scroll_gesture.h); this file hands their results to the callbacks.
#include <cstdio>
#include <memory>
#include <vector>

#include "phone_window/dui_video_view.h"
#include "phone_window/zuvor_ivado_window.h"

bool ZuvorIvadoWindow::HandleKeyboard(UINT message, WPARAM wParam, LPARAM lParam) {
  const KeyboardOutput output =
      keyboard_.Translate(message, wParam, lParam, KeyModifiers::Current());
  SendKeys(output);
  if (!output.text.empty() && callbacks_.text) {
    callbacks_.text(output.text.c_str(), output.TextLength());
  }
  if (output.paste) Paste();
  return output.consumed;
}

void ZuvorIvadoWindow::SendKeys(const KeyboardOutput& output) {
  if (output.keys.empty() || !callbacks_.key) return;
  key_mutex_.lock();
  for (const KeyEvent& key : output.keys) callbacks_.key(key.action, key.code);
  key_mutex_.unlock();
}

void ZuvorIvadoWindow::Paste() {
  const std::string text = clipboard_text::ReadUtf8(*clipboard_.load(), GetHWND());
  if (!text.empty() && callbacks_.paste) {
    callbacks_.paste(text.c_str(), static_cast<int>(text.size()));
  }
}

void ZuvorIvadoWindow::ChoosePicture() {
  // The dialog pumps this thread's messages, so the window may be closed and deleted while it is
  // open (it runs from a posted message, not inside a control's click, for that reason).
  const std::weak_ptr<nbase::WeakFlag> alive = GetWeakFlag();
  const std::vector<char> bytes = picture_file::Choose(*pictures_.load(), GetHWND());
  if (alive.expired()) return;
  if (!bytes.empty() && callbacks_.picture) {
    callbacks_.picture(bytes.data(), static_cast<int>(bytes.size()));
  }
}

void ZuvorIvadoWindow::ScrollWheel(WPARAM wParam, LPARAM lParam) {
  WheelNotch notch;
  if (!ScrollGesture::ReadWheelNotch(GetHWND(), wParam, lParam, &notch)) return;
  if (!video_) {
    ::OutputDebugStringA("[Fernhold] scrollGesture: m_Display null\n");
    return;
  }
  float px = 0.5f, py = 0.5f;
  if (!video_->toTouchPercent(notch.point.x, notch.point.y, px, py)) {
    ::OutputDebugStringA("[Fernhold] scrollGesture: toTouchPercent failed\n");
    return;
  }
  scroll_.Swipe(px, py, notch.scrollUp);
}
