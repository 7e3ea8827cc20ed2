// WindowImplBase: a frameless, skinned top-level window built from a markup file.
//
// On WM_CREATE the window builds its control tree from the skin file that the derived class
// names (GetSkinFolder below the global resource path, GetSkinFile inside it), wraps it in a
// shadow box when the skin keeps the shadow attached, sizes itself to a root that sizes itself,
// and wires the standard caption buttons ("closebtn", "minbtn", "maxbtn", "restorebtn"). From then
// on every window message goes to one virtual handler per message; the defaults remove the system
// frame (the whole window is client area), give the skin's caption area and size box to the
// system's move and size loops, keep maximised windows on their monitor's work area and round the
// window's corners.
//
//   class SettingsWindow : public ui::WindowImplBase {
//     std::wstring GetWindowClassName() const override { return L"SettingsWindow"; }
//     std::wstring GetSkinFolder() override { return L"settings"; }
//     std::wstring GetSkinFile() override { return L"settings.xml"; }
//     void OnSkinLoaded() override { FindControl(L"save")->AttachClick(...); }
//   };
//   auto* window = new SettingsWindow();     // always on the heap: it deletes itself
//   if (!window->Create(nullptr, L"Settings", WS_POPUP, 0, true)) return;  // already gone
//   window->CenterWindow();
//   window->ShowWindow();
//
// Life cycle: the object deletes itself at its native window's last message. Create returning
// null means the object is gone as well (a skin that fails to load ends the native window inside
// CreateWindowExW, and any other failure deletes the object before Create returns), so the caller
// touches it no more.
//
// A skin that cannot be loaded is reported through the error reporter (a message box without
// owner by default; tests install their own so that nothing waits for a click).
//
// Thread affinity: the thread that created the native window, like every ui::Window. The error
// reporter may be replaced from any thread.
#ifndef UI_CORE_WINDOW_IMPL_BASE_H_
#define UI_CORE_WINDOW_IMPL_BASE_H_

#include <windows.h>

#include <functional>
#include <string>

#include "base/callback/weak_callback.h"
#include "ui/core/event_args.h"
#include "ui/core/window.h"

namespace ui {

class Control;

class WindowImplBase : public Window, public virtual nbase::SupportWeakCallback,
                       public IUIMessageFilter {
 public:
  // Told about a failure the user should see: the text and a caption.
  using ErrorReporter = std::function<void(const std::wstring& text, const std::wstring& caption)>;
  // The caption of the reports.
  static constexpr wchar_t kErrorCaption[] = L"Error";
  // The rounded corners the skin's root gets inside the shadow (markup pixels).
  static constexpr SIZE kShadowRootCorner = {3, 3};

  WindowImplBase() = default;
  ~WindowImplBase() override = default;

  // Replaces the reporter of every window; an empty one puts back the default (MessageBoxW
  // without owner, MB_ICONERROR). Returns the one it replaced.
  static ErrorReporter SetErrorReporter(ErrorReporter reporter);

  // ----- ui::Window ----------------------------------------------------------------------------
  // CS_DBLCLKS.
  UINT GetClassStyle() const override;
  // As ui::Window::Create; a null result means the object has been deleted.
  HWND Create(HWND parent, const std::wstring& windowName, DWORD style, DWORD exStyle,
              bool layered = false, const RECT& rect = RECT{0, 0, 0, 0}) override;
  // ui::Window's handling, then the object deletes itself (unless a close listener did).
  void OnLastMessage(HWND hwnd) override;
  // WM_CREATE builds the skin; the messages with a handler below go to it first, and what it
  // leaves unhandled (and every other message) goes to ui::Window's routing and then the saved
  // window procedure.
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  // ----- Hooks of the skinned window -----------------------------------------------------------
  // After the skin is built and attached. Nothing by default.
  virtual void OnSkinLoaded();
  // The style WM_CREATE gives the window: by default its current style without WS_CAPTION.
  virtual LONG GetStyle();
  // Empty by default.
  virtual std::wstring GetResourceName() const;
  // Makes the controls of the skin that neither the library nor the application's factory
  // knows, by markup class name; null (the default) skips the element.
  virtual Control* CreateControl(const std::wstring& className);

  // Message handlers: each sets *handled (true on entry) to false to pass the message on.
  virtual LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnDestroy(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // Answers 1 (keep the active look) for a deactivation and 0 otherwise, without painting a
  // frame; a minimised window leaves it to the default procedure.
  virtual LRESULT OnNcActivate(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // The whole window is client area.
  virtual LRESULT OnNcCalcSize(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // A maximised window on a monitor other than the primary one takes that monitor's work area.
  virtual LRESULT OnWindowPosChanging(UINT message, WPARAM wParam, LPARAM lParam,
                                      bool* handled);
  // No system frame is painted.
  virtual LRESULT OnNcPaint(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // A double click on the caption does nothing.
  virtual LRESULT OnNcLButtonDbClick(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // The size box's bands (inside the shadow) size the window, the caption area moves it except
  // over buttons and rich edits; everything else is client.
  virtual LRESULT OnNcHitTest(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // Maximised: the nearest monitor's work area. Track sizes: the skin's minimum and maximum
  // sizes (shadow included), where set.
  virtual LRESULT OnGetMinMaxInfo(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnMouseWheel(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnMouseHover(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // With DPI adaptation on, the scale follows the new DPI and the shadow's widths with it.
  virtual LRESULT OnDpiChanged(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // Rounds the window's corners (round corner of the skin) unless minimised.
  virtual LRESULT OnSize(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // SC_CLOSE becomes WM_CLOSE; other commands go to the routing, then the saved procedure.
  virtual LRESULT OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnKeyDown(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnKillFocus(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnSetFocus(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnLButtonDown(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnLButtonUp(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  virtual LRESULT OnMouseMove(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);

  // Restores a minimised window, shows a hidden one, and brings it to the foreground.
  virtual void BringToFront();
  virtual void SetWindowTitle(const std::wstring& title);
  // The skin's folder below the global resource path (the window's resource path) and the
  // markup file inside it.
  virtual std::wstring GetSkinFolder() = 0;
  virtual std::wstring GetSkinFile() = 0;

 private:
  // WM_CREATE: builds and attaches the skin; -1 (creation fails) when it does not load.
  LRESULT OnCreate();
  // Puts root inside a shadow box sized and padded for the shadow; returns the shadow box.
  Control* WrapInShadow(Control* root);
  // A root that sizes itself (an auto side) gives the window its estimated size.
  void SizeToRoot();
  void AttachCaptionButtons();
  bool OnCaptionButtonClick(const EventArgs& args);
  // Runs the handler of message, if it has one; true when that handler handled it.
  bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  static void ReportError(const std::wstring& text);
};

}  // namespace ui

#endif  // UI_CORE_WINDOW_IMPL_BASE_H_
