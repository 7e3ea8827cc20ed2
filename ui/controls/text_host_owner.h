// ITextHostOwner: what the rich-edit text host asks of the control that owns it.
//
// The windowless text services ask their host for a window, a device context, scroll bars, a
// caret and a place to send notifications. ui::CTxtWinHost answers from its own state where it
// can, and for everything else calls back into its owner, the rich-edit control, through this
// narrow interface. The control keeps the window, the scroll bars and the caret drawing; the
// host keeps the formats, the property bits, the client rectangle and the text services' timers.
//
//   class RichEdit : public ScrollableBox, public ITextHostOwner {
//     HWND GetHostWindow() const override { return GetWindow() ? GetWindow()->GetHWND() : nullptr; }
//     void InvalidateHostRect(const RECT& rect) override { GetWindow()->Invalidate(rect); }
//     ...
//   };
//
// Units: rectangles and points are physical pixels in the window's client coordinates.
//
// Thread affinity: every call comes on the thread of the owner's window, while the owner forwards
// a message to the text services or paints, or from a timer of that thread.
#ifndef UI_CONTROLS_TEXT_HOST_OWNER_H_
#define UI_CONTROLS_TEXT_HOST_OWNER_H_

#include <windows.h>

#include <cstdint>

namespace ui {

// The owner's two scroll bars.
enum class TextScrollBar { kHorizontal, kVertical };

// Where the text sits vertically inside the client rectangle.
enum class TextVerAlign { kTop = 0, kCenter = 1, kBottom = 2 };

class ITextHostOwner {
 public:
  // ----- The window ----------------------------------------------------------------------------
  // The native window the owner is shown in; null while it has none.
  virtual HWND GetHostWindow() const = 0;
  // The device context the window keeps for its whole life (the host never releases it); null
  // while there is none.
  virtual HDC GetHostDC() const = 0;
  // Repaints rect of the window without erasing (a layered window is also posted WM_PAINT).
  virtual void InvalidateHostRect(const RECT& rect) = 0;
  // The scroll position of the nearest enclosing box that scrolls; (0, 0) when there is none.
  virtual SIZE GetHostScrollOffset() const = 0;
  // Takes the mouse capture for the window and marks the window as capturing (captured), or
  // releases the capture and clears that mark.
  virtual void SetHostCapture(bool captured) = 0;
  // Gives the owner the keyboard focus.
  virtual void SetHostFocus() = 0;

  // ----- Layout --------------------------------------------------------------------------------
  virtual TextVerAlign GetTextVerAlign() const = 0;
  // Lays the owner out again at its current rectangle (a scroll bar appeared or went away).
  virtual void ArrangeHost() = 0;

  // ----- Scroll bars ---------------------------------------------------------------------------
  // Whether the owner has that bar at all; the calls below are made only for bars it has.
  virtual bool HasScrollBar(TextScrollBar bar) const = 0;
  virtual int64_t GetScrollBarRange(TextScrollBar bar) const = 0;
  // The bar's own range setter: the position is lowered into the range, a range of 0 hides the
  // bar, and the bar lays its parts out again.
  virtual void SetScrollBarRange(TextScrollBar bar, int64_t range) = 0;
  // The bar's own position setter: clamped to the range, the parts laid out again, no scroll
  // event of the bar's own (the text services already moved).
  virtual void SetScrollBarPos(TextScrollBar bar, int64_t pos) = 0;

  // ----- Caret (the owner draws it) ------------------------------------------------------------
  virtual void SetCaretSize(int width, int height) = 0;
  virtual void SetCaretPos(int x, int y) = 0;
  // The caret blinks while nothing is selected; the host switches it as the caret moves, shows
  // or hides and the selection changes.
  virtual void SetCaretBlinking(bool blinking) = 0;

  // ----- Notifications -------------------------------------------------------------------------
  // Every notification of the text services (EN_CHANGE, EN_LINK, ...), after the host's own
  // handling; data is the services' record for code and lives only during the call.
  virtual void OnTxNotify(DWORD code, void* data) = 0;

 protected:
  ~ITextHostOwner() = default;
};

}  // namespace ui

#endif  // UI_CONTROLS_TEXT_HOST_OWNER_H_
