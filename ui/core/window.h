// Window: one native window that hosts a tree of controls.
//
// The window registers its class (or a superclass of a system class), creates its native window
// and binds it to this object through the window procedure, owns its root control (and through
// it the whole tree), turns Windows messages into events for its controls (mouse with capture and
// hover tracking, keys, focus and the Tab order, tooltips, touch and pointer input), lays the tree
// out before it paints, paints it into an off-screen surface and copies that to the screen (with
// per-pixel alpha for a layered window, around which a shadow box may be drawn), and deletes
// controls removed during an event once that event is over.
//
//   class MainWindow : public ui::Window {
//     std::wstring GetWindowClassName() const override { return L"MainWindow"; }
//     LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
//       if (message == WM_CREATE) {
//         Init(GetHWND());                    // device and render contexts, touch input
//         AttachRoot(BuildTree());            // the window owns the tree from here
//         return 0;
//       }
//       return ui::Window::HandleMessage(message, wParam, lParam);
//     }
//     void OnLastMessage(HWND hwnd) override { ui::Window::OnLastMessage(hwnd); delete this; }
//   };
//   auto* window = new MainWindow();
//   if (!window->Create(nullptr, L"Main", WS_POPUP, 0, true, RECT{0, 0, 400, 300}))
//     return;                                 // a failed creation may have deleted the object
//   window->CenterWindow();
//   window->ShowWindow();
//   ...
//   window->Close();                          // fades the root out, closes 300 ms later
//
// Life cycle: Create binds the object to the native window on WM_NCCREATE. The native window's
// last message (WM_NCDESTROY) unbinds it, releases the device context, clears the handle and then
// calls OnLastMessage, where a derived class may delete the object. A creation whose WM_CREATE
// fails ends inside Create with that same last message, so after Create returns null the caller
// must not touch the object again. Deleting the object while its native window still exists
// unbinds and destroys the native window.
//
// Thread affinity: a window, its controls and its timers are used only on the thread that owns
// the native window.
#ifndef UI_CORE_WINDOW_H_
#define UI_CORE_WINDOW_H_

#include <windows.h>
#include <commctrl.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/callback/weak_callback.h"
#include "ui/core/event_callbacks.h"

namespace ui {

class Control;
class IRenderContext;
class PaintRequest;
class ShadowBox;

// Sees every message of a window before the window routes it (ui::Window::AddMessageFilter).
class IUIMessageFilter {
 public:
  virtual ~IUIMessageFilter() = default;
  // Setting *handled ends the routing with the result returned; a mouse move is routed all the
  // same. The default handles nothing.
  virtual LRESULT MessageFilter(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
    return 0;
  }
};

// Asked for the control at a point before the window's own tree (ui::Window::AddRootFinder).
class IRootFinder {
 public:
  virtual ~IRootFinder() = default;
  // The control at point (client coordinates), or null to let the next finder (or the tree)
  // answer.
  virtual Control* FindControlAt(POINT point) = 0;
};
struct FontInfo;

class Window : public virtual nbase::SupportWeakCallback {
 public:
  // Posted to the native window to delete the controls queued by AddDelayedCleanup.
  static constexpr UINT kDelayedCleanupMessage = WM_APP + 1;
  // Reflected messages (WM_NOTIFY, WM_COMMAND, ...) reach the child window that sent them as the
  // message plus this.
  static constexpr UINT kReflectOffset = 0x2000;
  // The shadow's width on each side, in markup pixels.
  static constexpr int kDefaultShadowWidth = 14;
  // How long Close lets the root fade out before the window closes.
  static constexpr UINT kCloseFadeMs = 300;
  // Hover time of the mouse tracking until a tooltip window exists to ask.
  static constexpr DWORD kDefaultHoverMs = 400;

  Window();
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // ----- Class, creation and life cycle (window.cpp) -------------------------------------------
  // The class to register; empty (the default) fails Create.
  virtual std::wstring GetWindowClassName() const;
  // A system class (such as "EDIT") to superclass: its procedure handles what the window does
  // not. Empty by default.
  virtual std::wstring GetSuperClassName() const;
  virtual UINT GetClassStyle() const;
  // Registers the class (a class that exists already counts as registered) and creates the
  // native window at rect (position and size), with WS_EX_LAYERED added when layered. The
  // caption bits of the style are removed once it exists. Null on failure, in which case the
  // object may already be gone (see the life cycle above).
  virtual HWND Create(HWND parent, const std::wstring& windowName, DWORD style, DWORD exStyle,
                      bool layered = false, const RECT& rect = RECT{0, 0, 0, 0});
  // Posts WM_CLOSE with result: with a root (on Vista or later) after the root has faded out for
  // kCloseFadeMs on the timer service, else at once. Nothing without a native window.
  virtual void Close(UINT result = IDOK);
  // Hides, or shows with or without activating. Nothing without a native window.
  virtual void ShowWindow(bool show = true, bool takeFocus = true);
  // The native window's last message: hwnd (already cleared from the object) is about to go.
  // Unregisters touch input and fires kEventWindowClose to the window's listeners. A derived
  // class may delete the object here, after calling the base.
  virtual void OnLastMessage(HWND hwnd);
  // The routing (RouteMessage), then, for what it did not handle, the saved window procedure
  // (DefWindowProcW, or the superclassed class's procedure). Safe when the routing deletes the
  // object.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The window's show-with-fade, run by the first paint that lays the tree out: when the root
  // has an alpha fade, the window's alpha follows it from 0 (a layered window fades in); then
  // the root is shown with its fades.
  virtual void AnimateShow();

  // Centres the window on its owner, or on the work area of the nearest monitor when it has no
  // owner or the owner is minimised, kept inside that work area. Size, z-order and activation
  // stay.
  void CenterWindow();

  // Attaches a native window: its handle, its device context, a render context from the global
  // render factory (a previous one is replaced) and touch registration.
  void Init(HWND hwnd);
  // Null before Create or Init, and once the native window is gone.
  HWND GetHWND() const { return hwnd_; }
  // Null before Init (or without a render factory). The surface painting goes to: for a layered
  // window, the pixels UpdateLayeredWindow gets.
  IRenderContext* GetRenderContext() const { return render_context_.get(); }
  bool IsLayeredWindow() const { return layered_; }

  // Listeners of the window itself (kEventWindowClose, or kEventAll for every one), run in order
  // until one returns false.
  void AttachWindowEvent(int type, EventCallback callback);

  // ----- Controls (window.cpp) -----------------------------------------------------------------
  // Makes control the root (the window owns it), indexes its names and marks a layout as due.
  // The old root is deleted after the current message. False, with nothing changed, for a
  // control that already has a parent; false for null (then there is no root).
  bool AttachRoot(Control* root);
  Control* GetRoot() const { return root_; }
  // Indexes the names of control's subtree (done when a subtree joins the window).
  void InitControls(Control* control);
  // The first control of the tree that took name; null when none.
  Control* FindControl(const std::wstring& name) const;
  // A control of the tree that had oldName is known by its name now (unless another control has
  // it already). Run by the control's SetName.
  void RenameControl(Control* control, const std::wstring& oldName);
  // The control at point: the first answer of the root finders, else the topmost visible,
  // mouse-enabled control of the tree there; null when none.
  Control* FindControlAt(POINT point) const;
  // Forgets control: every routing pointer to it and its name entry. Run by the control's
  // destructor.
  void ReapControl(Control* control);
  // ReapControl for control and everything below it (a subtree leaving the window alive).
  void ForgetControls(Control* control);
  // Detaches control from the window and deletes it after the current message (when the window
  // handles kDelayedCleanupMessage, or when the window goes).
  void AddDelayedCleanup(Control* control);

  // Visitor for walking a tree: enters a named control in the name index unless the name is
  // taken (the first control of a name stays). Never stops the walk. window is the Window.
  static Control* IndexControlName(Control* control, void* window);

  // Filters and finders are not owned; each must be removed before it dies.
  void AddMessageFilter(IUIMessageFilter* filter);
  void RemoveMessageFilter(IUIMessageFilter* filter);
  void AddRootFinder(IRootFinder* finder);
  void RemoveRootFinder(IRootFinder* finder);

  // ----- Routing (window_routing.cpp) ----------------------------------------------------------
  // Turns a message into control events. *handled tells whether the default procedure must
  // still run. The object may be deleted when this returns (by an event handler): callers touch
  // nothing of it afterwards.
  LRESULT RouteMessage(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);

  // Takes the mouse capture for the native window and marks the window as holding it, so that
  // the release of the button, a focus loss or a closing window let it go; controls that capture
  // the mouse for parts without a window of their own (the rich edit's text services) take it
  // here. ReleaseCaptureIfHeld releases it when the mark is set, and clears the mark.
  void TakeCapture();
  void ReleaseCaptureIfHeld();

  Control* GetFocus() const { return focus_; }
  // Moves the keyboard focus: the old focus gets its kill-focus events, then control (when it
  // belongs to this window and is visible and enabled) its set-focus events. Null only clears.
  void SetFocus(Control* control);
  // Moves the focus to the next (or previous) tab stop, wrapping at the ends. A forward move
  // while a layout is pending waits for the paint that lays the tree out. Returns true.
  bool SetNextTabControl(bool forward = true);
  // The control under the pointer as of the last mouse move (already set while that move's
  // leave and enter events go out).
  Control* GetHoverControl() const { return hover_; }
  // The pointer is at point: the control it left gets kEventMouseLeave (and the tooltip goes),
  // the one it entered kEventMouseEnter. False when the control there belongs to another window.
  bool HandleMouseEnterLeave(POINT point, WPARAM wParam, LPARAM lParam);
  POINT GetLastMousePos() const { return last_mouse_pos_; }
  // Sends an event to control with the last mouse point; false for null.
  bool SendEvent(Control* control, int type, WPARAM wParam = 0, LPARAM lParam = 0);
  // Pointer (WM_POINTER*) routing; on from construction.
  bool IsPointerInputEnabled() const { return pointer_input_enabled_; }
  void SetPointerInputEnabled(bool enabled) { pointer_input_enabled_ = enabled; }

  // ----- Layout and painting (window_paint.cpp) ------------------------------------------------
  bool IsLayoutPending() const { return layout_pending_; }
  void SetLayoutPending(bool pending) { layout_pending_ = pending; }
  // The layout pass, when one is pending: the root is given clientRect when it needs arranging;
  // otherwise every control that needs arranging is placed again where it is. A control that
  // comes back needing arrangement after being placed ends the pass (no endless relayout).
  void ArrangeRoot(const RECT& clientRect);
  // Invalidates rect of the native window without erasing; a layered window is also posted
  // WM_PAINT, since it gets no paint message of its own, unless one is on its way already.
  void Invalidate(const RECT& rect);
  // How other threads ask this layered window for a paint after invalidating it themselves (see
  // ui::PaintRequest); they may keep it past the window. Null before Init.
  std::shared_ptr<PaintRequest> GetPaintRequest() const { return paint_request_; }
  // The constant alpha UpdateLayeredWindow applies (0 to 255); the show and close fades move it.
  int GetWindowAlpha() const { return window_alpha_; }
  // Where the tree is drawn relative to the surface (the whole tree slides by it).
  POINT GetRenderOffset() const { return render_offset_; }
  void SetRenderOffset(POINT offset);

  // ----- Shadow, resources and classes (window.cpp, window_paint.cpp) --------------------------
  bool IsShadowAttached() const { return shadow_attached_; }
  void SetShadowAttached(bool attached) { shadow_attached_ = attached; }
  // The shadow's width on each side (physical pixels) while it is attached, else 0. It is 0
  // while the window is maximised.
  RECT GetShadowCorner() const;
  // The box the shadow is painted in (the root, around the skin's root), or null.
  ShadowBox* GetShadowBox() const { return shadow_box_; }
  // The folder below the global resource path that relative image names are read from; always
  // ends with a separator once set.
  const std::wstring& GetResourcePath() const { return resource_path_; }
  void SetResourcePath(const std::wstring& path);
  // Attribute classes of this window (markup "Class" under "Window").
  void AddClass(const std::wstring& name, const std::wstring& attributes);
  std::wstring GetClassAttributes(const std::wstring& name) const;

  // ----- Builder settings, option groups and the default font --------------------------------
  // What the markup's "Window" attributes set (see ui::WindowBuilder). Sizes are physical pixels;
  // the setters scale markup values by the DPI manager where noted.
  //
  // Resize border widths, stored as given (not scaled).
  RECT GetSizeBox() const { return size_box_; }
  void SetSizeBox(const RECT& sizeBox) { size_box_ = sizeBox; }
  // The drag area: left and right are insets from the window's sides, top and bottom the area's
  // upper and lower edges measured from the window's top. DPI-scaled.
  RECT GetCaptionRect() const { return caption_rect_; }
  void SetCaptionRect(const RECT& captionRect);
  // Size of the window region's rounded corners; (0, 0) keeps the window rectangular. DPI-scaled.
  SIZE GetRoundCorner() const { return round_corner_; }
  void SetRoundCorner(int cx, int cy);
  // The part of a layered window whose alpha is made opaque after painting, as insets from the
  // root's padded rectangle. DPI-scaled.
  RECT GetAlphaFixCorner() const { return alpha_fix_corner_; }
  void SetAlphaFixCorner(const RECT& rect);
  // Sets the native window's title to the language string of id (only once the window exists).
  void SetTextId(const std::wstring& id);
  // The shadow's image attribute string. Setting one also turns the round-corner fix off (the
  // image's own corners are used).
  const std::wstring& GetShadowImage() const { return shadow_image_; }
  void SetShadowImage(const std::wstring& image);
  bool IsShadowRoundCornerFix() const { return shadow_round_corner_fix_; }
  // The shadow's widths around the window, in markup pixels; stored as given and DPI-scaled
  // (GetShadowCorner gives the scaled widths).
  void SetShadowCorner(const RECT& padding);
  RECT GetShadowCornerUnscaled() const { return shadow_corner_unscaled_; }
  // Minimum and maximum track sizes (0 = no limit in that dimension), DPI-scaled when set. With
  // containShadow and the shadow attached, the shadow's widths are added to each set dimension.
  SIZE GetMinInfo(bool containShadow = false) const;
  void SetMinInfo(int cx, int cy);
  SIZE GetMaxInfo(bool containShadow = false) const;
  void SetMaxInfo(int cx, int cy);
  // The size the window starts with, without the shadow. SetInitSize scales it when asked and
  // resizes the native window (shadow included, no move, no activation) once it exists.
  SIZE GetInitSize(bool containShadow = false) const;
  void SetInitSize(int cx, int cy, bool dpiScale = true);
  // The window's height as a fraction of its monitor's work area, kept within the minimum and
  // maximum heights; the width stays the initial width. Applied like SetInitSize, unscaled.
  double GetHeightPercent() const { return height_percent_; }
  void SetHeightPercent(double fraction);

  // Option groups: the options of a named group, of which at most one is selected. Adding a
  // control creates its group when missing (a control already in it is not added twice); removing
  // the last control erases the group.
  void AddOptionInGroup(const std::wstring& groupName, Control* control);
  void RemoveOptionFromGroup(const std::wstring& groupName, Control* control);
  // The members of groupName, or null when there is no such group. Callers that may run event
  // handlers while walking it walk a copy.
  const std::vector<Control*>* GetOptionGroup(const std::wstring& groupName) const;

  // The stock GUI font's description in the face of the global default font (when there is
  // one), made with the window and deleted with it.
  const FontInfo& GetDefaultFontInfo() const { return *default_font_; }

 protected:
  // The procedure of the class that was superclassed (DefWindowProcW without one), for derived
  // windows that pass messages on themselves.
  LRESULT CallSavedWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  // Shadow settings. The skinned window base makes the shadow box and the markup sets the rest.
  bool shadow_attached_ = true;
  // The skin's root gets rounded corners (3, 3) inside the shadow, square ones while maximised.
  bool shadow_round_corner_fix_ = true;
  RECT shadow_corner_ = {0, 0, 0, 0};           // DPI-scaled; 0 while maximised.
  RECT shadow_corner_unscaled_ = {0, 0, 0, 0};  // As markup gives it, what restoring scales.
  ShadowBox* shadow_box_ = nullptr;             // Part of the tree; forgotten with it.
  // Of a layered window without a shadow: the root's padded rectangle shrunk by it is made
  // opaque after each paint (when any side is positive).
  RECT alpha_fix_corner_ = {0, 0, 0, 0};

 private:
  // ----- window.cpp ----------------------------------------------------------------------------
  bool RegisterWindowClass();
  bool RegisterSuperClass();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept;
  static LRESULT CALLBACK SuperClassProc(HWND hwnd, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept;
  // WM_NCDESTROY once the object is unbound: the saved procedure, then the object lets go of the
  // native window and OnLastMessage runs (which may delete the object).
  LRESULT FinishNativeWindow(HWND hwnd, WPARAM wParam, LPARAM lParam);
  // Deletes the queued controls, and those their destructors queue, until none is left.
  void DeleteDelayedCleanup();

  // ----- window_routing.cpp --------------------------------------------------------------------
  // The control at point when it belongs to this window, else null.
  Control* OwnControlAt(POINT point) const;
  bool SendEventAt(Control* control, int type, POINT point, WPARAM wParam, LPARAM lParam,
                   WORD keyCode = 0, float pressure = 0.0f);
  void ArmHoverTracking();
  LRESULT RouteMouseMove(WPARAM wParam, LPARAM lParam);
  LRESULT RouteButtonDown(int type, WPARAM wParam, LPARAM lParam);
  LRESULT RouteKeyDown(WPARAM wParam, LPARAM lParam, bool* handled);
  LRESULT RouteMouseHover(WPARAM wParam, LPARAM lParam);
  LRESULT RouteMouseLeave();
  LRESULT RouteContextMenu(LPARAM lParam);
  LRESULT RouteReflected(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  // Up events to the captured, touch and pointer controls, all cleared first.
  void ReleasePressedControls();
  LRESULT RouteClose();
  LRESULT RouteTouch(WPARAM wParam, LPARAM lParam);
  void TouchDown(POINT point);
  void TouchMove(POINT point);
  void TouchUp(POINT point);
  LRESULT RoutePointer(UINT message, WPARAM wParam, LPARAM lParam, bool* handled);
  void ShowToolTip(Control* control);
  void HideToolTip();

  // ----- window_paint.cpp ----------------------------------------------------------------------
  // WM_PAINT.
  void Paint();
  // A root with an auto side sizes the window to its estimate.
  void ResizeToRoot();
  // For a layered window partly off the virtual screen: an update rectangle ending at the
  // screen's edge is widened to the client's edge, so the hidden part is painted too.
  void WidenOffscreenUpdate(RECT* update);
  // The virtual screen (screen pixels), read once and again after a display change: the query
  // is slow on some systems (a round trip per side), and a layered window needs it every paint.
  RECT VirtualScreen();
  // Makes the opaque part of a layered window's surface opaque again after painting.
  void RestoreOpaqueAlpha(const RECT& update);
  // Hands the surface to UpdateLayeredWindow: the update rectangle alone when the screen holds
  // the rest already (the same size and constant alpha as the last push), else all of it.
  void UpdateLayered(const RECT& update);
  // The shadow collapses while the window is maximised and comes back when it is restored.
  void MaximizedOrRestored(bool maximized);

  // Deletes a FontInfo and its font handle.
  struct FontInfoDeleter {
    void operator()(FontInfo* info) const;
  };
  static std::unique_ptr<FontInfo, FontInfoDeleter> MakeDefaultFont();
  // Resizes the native window to the initial size (shadow included) without moving it.
  void ApplyInitSize();

  // The next control of the tree (root first) that needs arranging.
  Control* FindNeedArrange() const;

  // Native window.
  HWND hwnd_ = nullptr;
  HDC dc_ = nullptr;  // GetDC of hwnd_, released with the native window.
  WNDPROC saved_window_proc_ = ::DefWindowProcW;
  bool layered_ = false;
  std::unique_ptr<IRenderContext> render_context_;
  std::shared_ptr<PaintRequest> paint_request_;  // Made by Init for the native window.
  int window_alpha_ = 255;
  // What the last UpdateLayeredWindow left on the screen: its size and constant alpha (-1 when
  // nothing, or when the push failed).
  SIZE pushed_size_ = {0, 0};
  int pushed_alpha_ = -1;
  RECT virtual_screen_ = {0, 0, 0, 0};
  bool virtual_screen_known_ = false;  // Cleared by WM_DISPLAYCHANGE.
  POINT render_offset_ = {0, 0};
  EventMap window_events_;

  // Routing state. Every control pointer is cleared when its control leaves the window.
  Control* root_ = nullptr;  // Owned.
  Control* focus_ = nullptr;
  Control* hover_ = nullptr;        // Under the pointer now.
  Control* event_hover_ = nullptr;  // The one that got the last enter event.
  Control* key_down_ = nullptr;
  Control* captured_ = nullptr;  // Pressed by a mouse button.
  Control* touch_ = nullptr;     // Touched (WM_TOUCH).
  Control* pointer_ = nullptr;   // Pressed by a touch or pen pointer (WM_POINTER*).
  POINT last_mouse_pos_ = {0, 0};
  POINT last_touch_pos_ = {0, 0};
  bool mouse_tracking_ = false;  // TrackMouseEvent is armed.
  bool mouse_captured_ = false;  // This window holds the mouse capture.
  bool pointer_input_enabled_ = true;
  bool layout_pending_ = false;
  bool first_layout_ = false;  // The next layout is the root's first: the show fade follows.
  bool focus_pending_ = false;  // A Tab waits for the next layout.
  HWND tooltip_ = nullptr;      // Owned by the native window (destroyed with it).
  TOOLINFOW tool_info_ = {};
  std::wstring tooltip_text_;   // What tool_info_ points at.
  std::vector<IUIMessageFilter*> message_filters_;
  std::vector<IRootFinder*> root_finders_;

  std::wstring resource_path_;
  std::map<std::wstring, Control*> names_;
  std::map<std::wstring, std::wstring> classes_;
  std::vector<Control*> delayed_cleanup_;  // Owned, detached.

  // Builder settings, option groups and the default font.
  RECT size_box_ = {0, 0, 0, 0};
  RECT caption_rect_ = {0, 0, 0, 0};
  SIZE round_corner_ = {0, 0};
  SIZE min_info_ = {0, 0};   // Without the shadow.
  SIZE max_info_ = {0, 0};   // Without the shadow.
  SIZE init_size_ = {0, 0};  // Without the shadow.
  double height_percent_ = 0.0;
  std::wstring shadow_image_ = L"file='../public/bk/bk_shadow.png' corner='30,30,30,30'";
  std::map<std::wstring, std::vector<Control*>> option_groups_;  // Members not owned.
  std::unique_ptr<FontInfo, FontInfoDeleter> default_font_ = MakeDefaultFont();

  // Guards the window's deferred calls (the close timer, the show fade's steps). Last member, so
  // it goes first.
  nbase::WeakCallbackFlag deferred_flag_;
};

}  // namespace ui

#endif  // UI_CORE_WINDOW_H_
