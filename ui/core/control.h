// Control: the interactive element of a native window, and the base of every widget.
//
// On top of the geometry of ui::PlaceHolder a control has the enabled, mouse, keyboard and focus
// flags, a state (normal, hot, pushed, disabled), tooltip, data id and user data, its event
// handlers, its look (background colour and image, state colours and images, border) with the
// fixed paint order, its animations, and the markup attributes that set all of it.
//
//   auto* button = new ui::Control();
//   button->SetAttribute(L"width", L"80");
//   button->SetAttribute(L"normalimage", L"file='btn.png' corner='4,4,4,4'");
//   button->SetAttribute(L"hotcolor", L"lighthover");     // also switches the hot fade on
//   button->AttachClick([](const ui::EventArgs&) { Save(); return true; });
//   box->Add(button);                                      // the box owns it from here
//
// Events (DispatchEvent): an event sent to a control runs, while each stage returns true and the
// control still exists: the handlers attached in code (the type's list, then the "all" list), the
// handlers from markup (the same way), and then the control's default handling (HandleEvent),
// which reacts to mouse, focus and cursor events and passes what it does not consume to the
// parent. A box adds its bubbled handlers before its default handling (see ui::Box). A handler
// may destroy the control: the dispatch then ends without touching it again.
//
// Painting (PaintWithClip, Paint): background colour, background image, state colour, state
// images, text, border, then the children; clipped to the position, shifted by the render
// offset, optionally through a bitmap of its own ("cache") or blended with the control's alpha.
//
// Ownership: a control is owned by its parent box, or by its window when it is the root. It owns
// its user data, images, maps and animation players. Destroying it first makes its window forget
// it (focus, hover, names), then cancels its timers and deferred calls.
//
// Thread affinity: the thread of the owning window; timers reach it there.
#ifndef UI_CORE_CONTROL_H_
#define UI_CORE_CONTROL_H_

#include <windows.h>

#include <memory>
#include <string>

#include "ui/core/animation_manager.h"
#include "ui/core/event_callbacks.h"
#include "ui/core/image.h"
#include "ui/core/placeholder.h"
#include "ui/core/state_color_map.h"
#include "ui/core/state_image_map.h"

namespace ui {

class Control;

// Owned data a caller keeps with a control (SetUserData).
class UserDataBase {
 public:
  virtual ~UserDataBase() = default;
};

// Visitor of FindControl: a control to stop the search with, or null to go on.
using FindControlProc = Control* (*)(Control* control, void* data);

class Control : public PlaceHolder {
 public:
  Control();
  ~Control() override;

  // ----- Geometry (overrides) -----------------------------------------------------------------
  // An auto side is measured from the background image (its "dest" size when given, else its
  // pixel size) and the text; the result is cached until the size must be measured again.
  SIZE EstimateSize(SIZE available) override;
  // Also sends kEventPositionChange (once, even when a handler moves the control again) and
  // repaints the union of the old and new position.
  void SetPos(RECT rect) override;

  // ----- Overridable operations, in the order derived classes meet them -----------------------
  // The image an auto size is measured from: the background image when it has a file, else the
  // first of the normal, hot, pushed and disabled background state images that has one.
  virtual Image* GetEstimateImage();
  virtual int GetCursorType() const { return cursor_type_; }
  // The tooltip text, or the language string of the tooltip text id while the text is empty.
  virtual std::wstring GetToolTipText() const;
  virtual std::string GetToolTipTextUtf8() const;
  // Each "<n>" becomes a carriage return and line feed.
  virtual void SetToolTipText(const std::wstring& text);
  virtual void SetToolTipTextUtf8(const std::string& text);
  virtual void SetToolTipTextId(const std::wstring& id);
  virtual void SetToolTipTextIdUtf8(const std::string& id);
  // DPI-scaled.
  virtual void SetToolTipWidth(int width);
  virtual int GetToolTipWidth() const { return tooltip_width_; }
  virtual bool IsContextMenuUsed() const { return context_menu_used_; }
  virtual void SetContextMenuUsed(bool used) { context_menu_used_ = used; }
  virtual std::wstring GetDataId() const { return data_id_; }
  virtual std::string GetDataIdUtf8() const;
  virtual void SetDataId(const std::wstring& id) { data_id_ = id; }
  virtual void SetDataIdUtf8(const std::string& id);
  virtual UserDataBase* GetUserData() const { return user_data_.get(); }
  // Takes ownership and deletes the previous object; passing the object already held changes
  // nothing.
  virtual void SetUserData(UserDataBase* data);
  // Shows through the fade animations that are switched on (hides when the first of them ends);
  // without any, at once.
  virtual void SetFadeVisible(bool visible);
  // Visibility imposed by the parent chain; does not re-arrange.
  virtual void SetInternVisible(bool visible);
  virtual void SetVisible(bool visible);
  virtual bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  virtual bool IsMouseEnabled() const { return mouse_enabled_; }
  virtual void SetMouseEnabled(bool enabled) { mouse_enabled_ = enabled; }
  virtual bool IsKeyboardEnabled() const { return keyboard_enabled_; }
  virtual void SetKeyboardEnabled(bool enabled) { keyboard_enabled_ = enabled; }
  virtual bool IsFocused() const { return focused_; }
  // Asks the window for the keyboard focus (nothing with "nofocus").
  virtual void SetFocus();
  virtual bool IsTabStop() const { return true; }
  virtual bool IsMouseFocused() const { return mouse_focused_; }
  virtual void SetMouseFocused(bool focused) { mouse_focused_ = focused; }
  virtual bool IsActivatable() const { return IsVisible() && IsEnabled(); }
  // What a click or the keyboard does to the control; nothing in the base.
  virtual void Activate() {}
  // Visits this control (a box also its children) under the FindControlFlags; returns the first
  // non-null result of proc. With kFindHitTest, data is the POINT to test, in the coordinates of
  // this control's position (a box that scrolls moves it into its children's).
  virtual Control* FindControl(FindControlProc proc, void* data, UINT flags);
  virtual RECT GetMargin() const { return margin_; }
  // DPI-scaled when asked; a change re-arranges the ancestors.
  virtual void SetMargin(const RECT& margin, bool dpiScale = true);
  // The size of the control's text in the available space; (0, 0) in the base.
  virtual SIZE EstimateText(SIZE available);
  // Whether the point (window client coordinates, moved by the scroll offset into those of the
  // position) lies in the position.
  virtual bool IsPointInside(POINT point) const;
  virtual void DispatchEvent(const EventArgs& args);
  // A hot colour, or a hot image in any state-image set.
  virtual bool HasHotState() const;
  // Sets one markup attribute; names a class does not know go to its base. True only for the
  // text "true" as a boolean; numbers read their leading digits.
  virtual void SetAttribute(const std::wstring& name, const std::wstring& value);
  // Paints this control and its children into context, limited to area.
  virtual void PaintWithClip(IRenderContext* context, const RECT& area);
  // This control's own look, in the fixed order of the Paint* steps.
  virtual void Paint(IRenderContext* context, const RECT& area);
  virtual void PaintChildren(IRenderContext* context, const RECT& area) {}
  virtual void LoadBkImage();
  virtual void UnloadBkImage();
  // Releases the decoded images of every state-image set and of the background image.
  virtual void ClearImageCache();
  // Default reaction to an event; passes what it does not consume to the parent.
  virtual void HandleEvent(const EventArgs& args);
  virtual bool MouseEnter(const EventArgs& args);
  virtual bool MouseLeave(const EventArgs& args);
  virtual bool ButtonDown(const EventArgs& args);
  virtual bool ButtonUp(const EventArgs& args);
  virtual void PaintBkColor(IRenderContext* context);
  virtual void PaintBkImage(IRenderContext* context);
  virtual void PaintStateColor(IRenderContext* context);
  virtual void PaintStateImage(IRenderContext* context);
  virtual void PaintText(IRenderContext* context) {}
  virtual void PaintBorder(IRenderContext* context);

  // ----- Events --------------------------------------------------------------------------------
  // Sends an event from this control: a mousePos of (0, 0) means "none given" and takes the
  // window's last mouse point.
  void SendEvent(int type, WPARAM wParam = 0, LPARAM lParam = 0, WORD keyCode = 0,
                 POINT mousePos = POINT{0, 0}, float pressure = 0.0f);
  // Handlers attached in code, run before those from markup.
  void AttachEvent(int type, EventCallback callback);
  void AttachAllEvents(EventCallback callback) { AttachEvent(kEventAll, std::move(callback)); }
  void AttachClick(EventCallback callback) { AttachEvent(kEventClick, std::move(callback)); }
  // Removes every code handler of type.
  void DetachEvent(int type);
  // Handlers declared in markup (filled by the window builder).
  void AttachMarkupEvent(int type, EventCallback callback);
  // Runs when the background image's playback stops at its play count.
  void AttachBkImageStop(EventCallback callback);

  // ----- State ---------------------------------------------------------------------------------
  ControlStateType GetState() const { return state_; }
  // Sets the state and repaints; the hot alpha follows (0 for normal, 255 for hot).
  void SetState(ControlStateType state);
  bool IsNoFocus() const { return no_focus_; }
  void SetNoFocus() { no_focus_ = true; }
  void SetCursorType(CursorType type) { cursor_type_ = type; }
  bool IsReceivePointer() const { return receive_pointer_; }
  void SetReceivePointer(bool receive) { receive_pointer_ = receive; }
  // The size the last measuring of an auto side gave.
  SIZE GetEstimatedSize() const { return estimated_size_; }

  // ----- Look ----------------------------------------------------------------------------------
  const std::wstring& GetBkColor() const { return bk_color_; }
  void SetBkColor(const std::wstring& colorName);
  std::wstring GetStateColor(ControlStateType state) const;
  // The hot colour also switches the hot fade on.
  void SetStateColor(ControlStateType state, const std::wstring& colorName);
  std::wstring GetStateImage(ControlStateType state) const;
  // The hot image also switches the hot fade on.
  void SetStateImage(ControlStateType state, const std::wstring& imageString);
  void SetForeStateImage(ControlStateType state, const std::wstring& imageString);
  StateImageMap& GetStateImageMap() { return state_images_; }
  StateColorMap& GetStateColorMap() { return state_colors_; }
  std::wstring GetBkImage() const { return bk_image_.GetAttribute().attributeString; }
  void SetBkImage(const std::wstring& imageString);
  Image& GetBkImageObject() { return bk_image_; }
  int GetBorderSize() const { return border_size_; }
  void SetBorderSize(int size);
  RECT GetBorderSizes() const { return border_sizes_; }
  void SetBorderSizes(const RECT& sizes);
  const std::wstring& GetBorderColor() const { return border_color_; }
  void SetBorderColor(const std::wstring& colorName);
  SIZE GetBorderRound() const { return border_round_; }
  // DPI-scaled.
  void SetBorderRound(SIZE round);
  // 0 paints nothing, 255 is opaque; in between the control is blended.
  int GetAlpha() const { return alpha_; }
  void SetAlpha(int alpha);
  // How far the hot look is blended in (0 to 255).
  int GetHotAlpha() const { return hot_alpha_; }
  void SetHotAlpha(int alpha);
  POINT GetRenderOffset() const { return render_offset_; }
  void SetRenderOffset(POINT offset);
  void SetRenderOffsetX(int x);
  void SetRenderOffsetY(int y);
  bool IsClipToPosition() const { return clip_to_position_; }
  void SetClipToPosition(bool clip) { clip_to_position_ = clip; }
  // The part of the position the current paint covers.
  const RECT& GetPaintRect() const { return paint_rect_; }

  // Makes sure image holds its decoded picture (read below the window's resource folder when
  // its file name is relative); false when it cannot be loaded.
  bool LoadImage(Image& image);
  // Draws image at the position (or its "dest"), limited to the paint rectangle: modify is an
  // image attribute string for this draw only, fade (0-255) replaces the image's own unless -1.
  // An image that cannot be loaded is reset to empty and false is returned. While the background
  // image is an animated image whose playback has not started, the first call starts it instead
  // of drawing.
  bool DrawImage(IRenderContext* context, Image& image, const std::wstring& modify = L"",
                 int fade = -1);

  // Background-image playback of a multi-frame image.
  bool IsBkImagePlaying() const { return bk_image_.IsPlaying(); }
  // Stops playback and shows frame index (-1 keeps the current frame, 65535 the last; others are
  // clamped to the frames there are).
  void SetBkImageFrame(int index);
  // Stops playback on the last frame and runs the stop handlers.
  void StopBkImageAnimation();

  // ----- Attributes ----------------------------------------------------------------------------
  // Applies the attribute lists of the named classes (global classes before window classes).
  void SetClass(const std::wstring& classNames);
  // Applies name="value" pairs joined by single blanks; stops at the first deviation.
  void ApplyAttributeList(const std::wstring& list);

  AnimationManager& GetAnimationManager() { return animation_manager_; }

 protected:
  // The window's resource folder for loading images (empty without a window).
  std::wstring GetResourcePath() const;
  // Hands the event to the parent's dispatch (it keeps this control as its sender).
  void PassToParent(const EventArgs& args);
  void SetEstimatedSize(SIZE size) { estimated_size_ = size; }

  EventMap markup_events_;
  EventMap code_events_;

 private:
  // One step of the background image's frame playback (also its start).
  void AdvanceBkImageFrame();
  // Stops a multi-frame background image's playback and repaints.
  void StopBkImagePlayback();
  // The draws of one PaintWithClip path.
  void PaintDirect(IRenderContext* context, const RECT& area);
  void PaintIntoCache(const RECT& area);

  EventCallbackList bk_image_stop_callbacks_;
  std::unique_ptr<UserDataBase> user_data_;
  bool context_menu_used_ = false;
  bool enabled_ = true;
  bool mouse_enabled_ = true;
  bool keyboard_enabled_ = true;
  bool focused_ = false;
  bool mouse_focused_ = false;
  bool position_change_guard_ = false;
  bool no_focus_ = false;
  bool clip_to_position_ = true;
  bool bk_auto_play_ = true;
  bool receive_pointer_ = true;
  int border_size_ = 0;
  int tooltip_width_ = 300;
  int alpha_ = 255;
  int hot_alpha_ = 0;
  SIZE estimated_size_ = {0, 0};
  POINT render_offset_ = {0, 0};
  SIZE border_round_ = {0, 0};
  RECT margin_ = {0, 0, 0, 0};
  RECT paint_rect_ = {0, 0, 0, 0};
  RECT border_sizes_ = {0, 0, 0, 0};
  int cursor_type_ = kCursorArrow;
  ControlStateType state_ = kControlStateNormal;
  std::wstring tooltip_text_;
  std::wstring tooltip_text_id_;
  std::wstring data_id_;
  std::wstring bk_color_;
  StateColorMap state_colors_;
  Image bk_image_;
  StateImageMap state_images_;
  std::wstring border_color_;
  // Guards the background image's playback timer.
  nbase::WeakCallbackFlag bk_play_flag_;
  AnimationManager animation_manager_;
  // Guards other deferred calls of the control (a background image is not loaded while it has
  // live calls; UnloadBkImage cancels them).
  nbase::WeakCallbackFlag deferred_flag_;
};

// A handler for markup "Event" elements with "receiver" and "applyattribute": when it runs it
// applies attributeList to the receiver, found below owner when its name starts with "./" or
// ".\", else by name in owner's window. A missing receiver is skipped; the handler returns true so
// later handlers still run. It is bound to owner's weak flag.
EventCallback MakeApplyAttributeHandler(Control* owner, const std::wstring& receiver,
                                        const std::wstring& attributeList);

}  // namespace ui

#endif  // UI_CORE_CONTROL_H_
