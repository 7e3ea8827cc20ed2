// Window: one native window that hosts a tree of controls.
//
// The window owns its root control (and through it the whole tree), keeps the routing state the
// controls rely on (keyboard focus, the control under the pointer, the last mouse point), sends
// events to its controls, runs the layout pass, turns repaint requests into invalidations of its
// native window, indexes its controls by name, and deletes controls that were removed during an
// event once that event is over.
//
//   ui::Window window;
//   window.Init(hwnd);                    // a native window made elsewhere
//   window.AttachRoot(root);              // the window owns root from here
//   window.ArrangeRoot(clientRect);       // before painting, when a layout is pending
//   root->PaintWithClip(window.GetRenderContext(), dirtyRect);
//
// What is here is what controls need. Creating the native window and its window procedures,
// routing Windows messages into events, painting to the screen, layered windows, the shadow box,
// tooltips and touch input belong to the rest of the window's code.
//
// Thread affinity: a window, its controls and its timers are used only on the thread that owns
// the native window.
#ifndef UI_CORE_WINDOW_H_
#define UI_CORE_WINDOW_H_

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "base/callback/weak_callback.h"

namespace ui {

class Control;
class IRenderContext;
struct FontInfo;

class Window : public virtual nbase::SupportWeakCallback {
 public:
  // Posted to the native window to delete the controls queued by AddDelayedCleanup.
  static constexpr UINT kDelayedCleanupMessage = WM_APP + 1;
  // The shadow's width on each side, in markup pixels.
  static constexpr int kDefaultShadowWidth = 14;

  Window();
  ~Window() override;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // ----- Native window -------------------------------------------------------------------------
  // Attaches a native window: its handle, its device context and a render context from the
  // global render factory (a previous one is replaced).
  void Init(HWND hwnd);
  HWND GetHWND() const { return hwnd_; }
  // Null before Init (or without a render factory).
  IRenderContext* GetRenderContext() const { return render_context_.get(); }
  bool IsLayeredWindow() const { return layered_; }
  // Handles the messages of the window's own (the delayed clean-up); everything else goes to the
  // default window procedure.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // ----- Controls ------------------------------------------------------------------------------
  // Makes control the root (the window owns it), indexes its names and marks a layout as due.
  // The old root is deleted after the current message. False, with nothing changed, for a
  // control that already has a parent; false for null (then there is no root).
  bool AttachRoot(Control* root);
  Control* GetRoot() const { return root_; }
  // Indexes the names of control's subtree (done when a subtree joins the window).
  void InitControls(Control* control);
  // The first control of the tree that took name; null when none.
  Control* FindControl(const std::wstring& name) const;
  // The topmost visible, mouse-enabled control under point; null when none.
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

  // ----- Routing state -------------------------------------------------------------------------
  Control* GetFocus() const { return focus_; }
  // Moves the keyboard focus: the old focus gets its kill-focus events, then control (when it
  // belongs to this window and is visible and enabled) its set-focus events. Null only clears.
  void SetFocus(Control* control);
  // The control under the pointer as of the last mouse move (already set while that move's
  // leave and enter events go out).
  Control* GetHoverControl() const { return hover_; }
  // The pointer is at point: the control it left gets kEventMouseLeave, the one it entered
  // kEventMouseEnter. False when the control there belongs to another window.
  bool HandleMouseEnterLeave(POINT point, WPARAM wParam, LPARAM lParam);
  POINT GetLastMousePos() const { return last_mouse_pos_; }
  // Sends an event to control with the last mouse point.
  bool SendEvent(Control* control, int type, WPARAM wParam = 0, LPARAM lParam = 0);

  // ----- Layout and repainting -----------------------------------------------------------------
  bool IsLayoutPending() const { return layout_pending_; }
  void SetLayoutPending(bool pending) { layout_pending_ = pending; }
  // The layout pass, when one is pending: the root is given clientRect when it needs arranging;
  // otherwise every control that needs arranging is placed again where it is. A control that
  // comes back needing arrangement after being placed ends the pass (no endless relayout).
  void ArrangeRoot(const RECT& clientRect);
  // Invalidates rect of the native window without erasing; a layered window is also posted
  // WM_PAINT, since it gets no paint message of its own.
  void Invalidate(const RECT& rect);

  // ----- Shadow, resources and classes ---------------------------------------------------------
  bool IsShadowAttached() const { return shadow_attached_; }
  void SetShadowAttached(bool attached) { shadow_attached_ = attached; }
  // The shadow's width on each side (physical pixels) while it is attached, else 0.
  RECT GetShadowCorner() const;
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
  bool IsShadowRoundCornerFix() const { return shadow_round_fix_; }
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

 private:
  // Deletes a FontInfo and its font handle.
  struct FontInfoDeleter {
    void operator()(FontInfo* info) const;
  };
  static std::unique_ptr<FontInfo, FontInfoDeleter> MakeDefaultFont();
  // Resizes the native window to the initial size (shadow included) without moving it.
  void ApplyInitSize();

  // The next control of the tree (root first) that needs arranging.
  Control* FindNeedArrange() const;

  HWND hwnd_ = nullptr;
  HDC dc_ = nullptr;  // GetDC of hwnd_, released with the window.
  bool layered_ = false;
  std::unique_ptr<IRenderContext> render_context_;

  Control* root_ = nullptr;  // Owned.
  Control* focus_ = nullptr;
  Control* hover_ = nullptr;        // Under the pointer now.
  Control* event_hover_ = nullptr;  // The one that got the last enter event.
  Control* key_down_ = nullptr;
  Control* captured_ = nullptr;
  Control* touch_ = nullptr;
  Control* pointer_ = nullptr;
  POINT last_mouse_pos_ = {0, 0};
  bool layout_pending_ = false;

  std::wstring resource_path_;
  std::map<std::wstring, Control*> names_;
  std::map<std::wstring, std::wstring> classes_;
  std::vector<Control*> delayed_cleanup_;  // Owned, detached.

  bool shadow_attached_ = true;
  RECT shadow_corner_ = {0, 0, 0, 0};  // DPI-scaled kDefaultShadowWidth on each side.

  // Builder settings, option groups and the default font.
  RECT size_box_ = {0, 0, 0, 0};
  RECT caption_rect_ = {0, 0, 0, 0};
  RECT alpha_fix_corner_ = {0, 0, 0, 0};
  SIZE round_corner_ = {0, 0};
  SIZE min_info_ = {0, 0};   // Without the shadow.
  SIZE max_info_ = {0, 0};   // Without the shadow.
  SIZE init_size_ = {0, 0};  // Without the shadow.
  double height_percent_ = 0.0;
  std::wstring shadow_image_ = L"file='../public/bk/bk_shadow.png' corner='30,30,30,30'";
  bool shadow_round_fix_ = true;
  RECT shadow_corner_unscaled_ = {kDefaultShadowWidth, kDefaultShadowWidth, kDefaultShadowWidth,
                                  kDefaultShadowWidth};
  std::map<std::wstring, std::vector<Control*>> option_groups_;  // Members not owned.
  std::unique_ptr<FontInfo, FontInfoDeleter> default_font_ = MakeDefaultFont();
};

}  // namespace ui

#endif  // UI_CORE_WINDOW_H_
