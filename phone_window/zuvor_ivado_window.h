// ZuvorIvadoWindow: the pop-out window that shows one cloud phone.
//
// A skinned top-level window ("cloud_phone_light.xml" or "cloud_phone_dark.xml" in the skin folder
// "fernhold") with the phone's video (a ui::DuiVideoView named "video_view"), a title label and a
// toolbar. It turns toolbar clicks, keys, the clipboard, picture files, the wheel and touches into
// calls of the session's callbacks; it never talks to the streaming SDK except through its video
// control, which the session binds to its player.
//
//   PhoneWindowCallbacks callbacks = ...;                 // filled by the session
//   auto* window = new ZuvorIvadoWindow(themeMode, std::move(callbacks));
//   if (!CreateWindowOnUiThread(window, "Phone 7")) window = nullptr;   // gone: forget it
//   player->changeDisplay(window->GetVideoDisplay());
//   ...
//   window->Close();                                      // from any thread
//
// (ZuvorIvadoWindowFactory, phone_window_factory.h, does the first three steps.)
//
// Life cycle: constructed on the session's thread, created on a window thread of the pool
// (window_thread_pool.h), skin built and wired in OnSkinLoaded, shown. The first WM_CLOSE calls the
// close callback once and empties every callback but touch; a window destroyed without WM_CLOSE
// still calls it once, while it is alive. The final message gives the cascade slot back and deletes
// the object, on the window thread.
//
// Thread-safety: everything runs on the window's thread except the PhoneWindow operations, which
// the session calls from its own thread: those only read rectangles and atomics, post messages or
// change the z-order asynchronously, and never wait for the window thread (which may itself be
// waiting for the session in a callback). ApplyRotation is the exception: window thread only.
#ifndef PHONE_WINDOW_ZUVOR_IVADO_WINDOW_H_
#define PHONE_WINDOW_ZUVOR_IVADO_WINDOW_H_

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "phone_window/clipboard_text.h"
#include "phone_window/phone_keyboard.h"
#include "phone_window/picture_file.h"
#include "phone_window/pooled_window.h"
#include "phone_window/scroll_gesture.h"
#include "phone_window/touch_event_listener.h"
#include "phone_window/window_geometry.h"
#include "plugin/phone_window_port.h"
#include "swplay/sw_mutex.h"
#include "ui/core/window_impl_base.h"

namespace ui {
class Box;
class Combo;
class Control;
class DuiVideoView;
template <typename T>
class ButtonTemplate;
template <typename T>
class LabelTemplate;
}  // namespace ui

class ZuvorIvadoWindow : public ui::WindowImplBase,
                         public ui::TouchEventListener,
                         public PooledWindow,
                         public PhoneWindow {
 public:
  // Posted to the window: wParam 1 pinned, 0 not / wParam the new rotation.
  static constexpr UINT kPinStateMessage = 0x8010;
  static constexpr UINT kRotationMessage = 0x8011;
  // Posted by the picture button's click: the open-file dialog runs when the click is over.
  static constexpr UINT kChoosePictureMessage = 0x8012;
  // The skin folder under the resource root and the two skins.
  static const wchar_t kSkinFolder[];
  static const wchar_t kLightSkin[];
  static const wchar_t kDarkSkin[];
  // Resize border of the hit test, on each side of the client rectangle.
  static constexpr int kResizeBorder = 16;
  // The caption's right end (combo, pin and caption buttons) is not a drag area.
  static constexpr int kCaptionButtonsHeight = 36;
  static constexpr int kCaptionButtonsWidth = 180;

  // themeMode: 1 light, 0 as the system's app theme, any other dark.
  explicit ZuvorIvadoWindow(int themeMode, PhoneWindowCallbacks callbacks = {});
  ~ZuvorIvadoWindow() override;

  bool IsLightTheme() const { return light_; }
  int GetRotation() const { return rotation_.load(); }
  double GetAspectRatio() const { return aspect_.load(); }
  bool IsKeyboardMode() const { return keyboard_.keyboard_mode(); }
  const std::string& GetTitle() const { return title_; }
  ui::DuiVideoView* GetVideoView() const { return video_; }

  // Where the clipboard's text and the picture files come from; the system's by default (null
  // keeps the current one). Not owned; they must outlive the window. Any thread (for tests).
  void SetInputSources(clipboard_text::ClipboardSource* clipboard,
                       picture_file::PictureDialog* pictures);

  // The quality the quality button shows next is shared by every window of the process.
  static int NextSharedQuality();

  // ----- PhoneWindow ---------------------------------------------------------------------------
  HWND GetHandle() const override { return handle_.load(); }
  VideoDisplay* GetVideoDisplay() override;
  void ApplyRotation(int rotation) override;
  void PostRotation(int rotation) override;
  void SetPinned(bool pinned) override;
  bool IsPinned() const override { return pinned_.load(); }
  bool GetTileSize(int* width, int* height) override;
  bool GetFrameInsets(int* left, int* top, int* right, int* bottom) override;
  void Close() override;

  // ----- PooledWindow --------------------------------------------------------------------------
  HWND CreateNativeWindow(const std::wstring& name, DWORD style, DWORD exStyle,
                          bool layered) override;
  void SetTitle(const std::string& titleUtf8) override;
  void CenterNativeWindow() override;
  void ShowNativeWindow() override;
  int GetCascadeSlot() const override { return cascade_slot_; }
  void SetCascadeSlot(int slot) override { cascade_slot_ = slot; }

  // ----- ui::TouchEventListener ----------------------------------------------------------------
  void OnTouch(int action, int pointerCount, float fx, float fy, float pressure) override;

  // ----- ui::WindowImplBase --------------------------------------------------------------------
  std::wstring GetWindowClassName() const override;
  void OnLastMessage(HWND hwnd) override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnSkinLoaded() override;
  LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;
  std::wstring GetSkinFolder() override;
  std::wstring GetSkinFile() override;

 private:
  using Button = ui::ButtonTemplate<ui::Control>;

  // ----- zuvor_ivado_window.cpp -----
  // The messages of this window, before the base's handling; *handled false passes it on.
  LRESULT HandleOwnMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // WM_MOUSEMOVE: takes the focus unless a pop-up of the window is open.
  void FocusOnHover();
  // WM_NCMOUSEMOVE, WM_NCMOUSEHOVER, WM_NCMOUSELEAVE: the caption is no client area, so the
  // library would see no pointer over the controls there; they get their hover (and with it the
  // title its tooltip) from these.
  void RouteCaptionHover(UINT message, WPARAM hitTest, LPARAM lParam);
  // Asks for the caption's hover and leave messages while the pointer is over the caption.
  void TrackCaptionUnderPointer();
  // Calls the close callback the first time; empties the callbacks but touch.
  void CloseOnce();

  // ----- zuvor_ivado_window_toolbar.cpp -----
  void FindControls();
  void FillQualityCombo();
  void WireToolbar();
  // Attaches `action` as the click of `button` (when it exists), guarded by the window's flag.
  template <typename Action>
  void OnClick(Button* button, Action action);
  void ClickRotation();
  void ClickKeyboard();
  void ClickPin();
  void ClickQualityButton();
  void ShowKeyboardImages();
  void ShowPinImages();
  // The toolbar (a tile box named "toolbar") holds its buttons in as many columns as its height
  // needs (window_geometry::FitToolbar). The width it takes for `available` pixels of height, 0
  // without a toolbar; and the height it has as the window is laid out for `client`.
  void FindToolbar();
  window_geometry::ToolbarGrid ToolbarGridFor(int available) const;
  int ToolbarWidthFor(int available) const;
  int ToolbarHeightAt(const RECT& client);
  // Lays the toolbar out for `available` pixels of height.
  void FitToolbarTo(int available);

  // ----- zuvor_ivado_window_input.cpp -----
  // WM_KEYDOWN and WM_CHAR; true when the message was consumed.
  bool HandleKeyboard(UINT message, WPARAM wParam, LPARAM lParam);
  void SendKeys(const KeyboardOutput& output);
  void Paste();
  void ChoosePicture();
  // WM_MOUSEWHEEL.
  void ScrollWheel(WPARAM wParam, LPARAM lParam);

  // ----- zuvor_ivado_window_geometry.cpp -----
  // WM_NCHITTEST.
  LRESULT HitTest(LPARAM lParam);
  // WM_SIZING; true when the rectangle was kept to the aspect ratio.
  bool KeepAspectWhileSizing(WPARAM edge, RECT* proposed);
  void ResizeForRotation(int rotation);
  void ReadAspectFromWindow();

  // Seventeen slots, called on the window thread.
  PhoneWindowCallbacks callbacks_;
  // Serialises the key sends.
  Mutex key_mutex_;
  bool closed_ = false;
  const bool light_;  // The theme mode, resolved once at construction.
  std::string title_;
  // Window width / height, read by the session's thread for tiling.
  std::atomic<double> aspect_{1.0};
  std::atomic<int> rotation_{1};
  // A rotation came while the window was minimised: it is applied when the window is restored.
  bool turn_on_restore_ = false;
  int cascade_slot_ = -1;
  // The native window while it exists; read from any thread.
  std::atomic<HWND> handle_{nullptr};

  // Controls of the skin; null when the skin has none of the name and class.
  ui::DuiVideoView* video_ = nullptr;
  ui::LabelTemplate<ui::Control>* title_label_ = nullptr;
  Button* back_ = nullptr;
  Button* home_ = nullptr;
  Button* menu_ = nullptr;
  Button* screenshot_ = nullptr;
  Button* rotation_button_ = nullptr;
  Button* camera_ = nullptr;
  Button* volume_up_ = nullptr;
  Button* volume_down_ = nullptr;
  Button* qrcode_ = nullptr;
  Button* keyboard_button_ = nullptr;
  Button* pin_ = nullptr;
  Button* restart_ = nullptr;
  Button* quality_ = nullptr;
  ui::Combo* quality_combo_ = nullptr;
  // The toolbar: its buttons and dividers as the skin gives them; its cell width and the full
  // height of a button, read when the skin was built.
  ui::Box* toolbar_ = nullptr;
  std::vector<ui::Control*> toolbar_buttons_;
  std::vector<ui::Control*> toolbar_dividers_;
  int toolbar_cell_width_ = 0;
  int toolbar_button_height_ = 0;
  int toolbar_dividers_height_ = 0;

  std::atomic<bool> pinned_{false};
  bool dpi_warning_given_ = false;
  PhoneKeyboard keyboard_;
  std::atomic<clipboard_text::ClipboardSource*> clipboard_;  // Not owned.
  std::atomic<picture_file::PictureDialog*> pictures_;       // Not owned.
  // The wheel's swipes; holds its own weak flag, so nothing of a swipe runs once the window goes.
  ScrollGesture scroll_;
};

#endif  // PHONE_WINDOW_ZUVOR_IVADO_WINDOW_H_
