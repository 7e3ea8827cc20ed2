// CTxtWinHost: the host of the windowless rich-edit text services for a control without a window
// handle of its own.
//
// The rich-edit control has no native window, so it cannot use the system's edit window. It runs
// the windowless text services of "msftedit.dll" instead and lends them this host: an ITextHost
// that answers for the window (device context, client rectangle, invalidation, mouse capture),
// the default character and paragraph formats, the property bits, scroll bars, the caret, timers
// and notifications. What belongs to the control (its window, scroll bars, caret drawing, events)
// is reached through ITextHostOwner.
//
//   ui::TextHostConfig config;
//   config.style = ES_MULTILINE | ES_AUTOVSCROLL;
//   config.font = ui::GlobalManager::GetFont(fontId);
//   config.text = L"hello";
//   ui::CTxtWinHost::Ptr host = ui::CTxtWinHost::Create(this, config);
//   if (host) host->TxSendMessage(WM_CHAR, L'x', 0, nullptr);
//
// Creation can fail: without "msftedit.dll", without its "CreateTextServices", or when the text
// services refuse the first text, Create gives null and the control goes on without text.
//
// Lifetime: a COM object with a reference count. The owner keeps the one reference through Ptr;
// dropping it deactivates and releases the text services first (they may hold references to the
// host of their own), so host and services always go together, and the owner is never called
// again. Timers the services asked for die with the host. An owner may be destroyed while the
// text services are running one of its calls (a text-change handler that deletes the control):
// the host then lets go of the owner at once and releases the services only once that call has
// returned into the host.
//
// Thread affinity: the thread of the owner's window. Every ITextHost call comes from the text
// services while the owner forwards a message, paints or lays out, or from a timer of that thread.
#ifndef UI_CONTROLS_TEXT_HOST_H_
#define UI_CONTROLS_TEXT_HOST_H_

#include <windows.h>
#include <ole2.h>
#include <richedit.h>
#include <textserv.h>

#include <map>
#include <memory>
#include <string>

#include "base/callback/weak_callback.h"
#include "ui/controls/text_host_owner.h"

namespace ui {

// The control's settings that the text services start from.
struct TextHostConfig {
  // Edit style bits: ES_CENTER, ES_RIGHT, ES_MULTILINE, ES_PASSWORD, ES_AUTOVSCROLL,
  // ES_AUTOHSCROLL, ES_NOHIDESEL, ES_READONLY, ES_NUMBER (= ES_DISABLENOSCROLL), WS_HSCROLL,
  // WS_VSCROLL.
  DWORD style = ES_MULTILINE;
  bool richText = false;
  // In characters; typing and pasting stop there.
  LONG maxLength = 32767;
  // The font of the default character format; null leaves the face and size empty.
  HFONT font = nullptr;
  // ARGB.
  DWORD textColor = 0xFF000000;
  // What ES_PASSWORD shows for each character; 0 for none. Some text services read it only
  // when they are made.
  wchar_t passwordChar = 0;
  std::wstring text;
};

// Where the text services come from: a library and its creation function. Only tests name
// another.
struct TextServicesSource {
  const wchar_t* library = L"msftedit.dll";
  const char* function = "CreateTextServices";
};

class CTxtWinHost : public ITextHost {
 public:
  // Drops the owner's reference: the text services are deactivated and released first.
  struct Deleter {
    void operator()(CTxtWinHost* host) const;
  };
  using Ptr = std::unique_ptr<CTxtWinHost, Deleter>;

  // Host flag bits.
  static constexpr DWORD kFlagAutoWordSel = 1u << 0;
  static constexpr DWORD kFlagWordWrap = 1u << 1;
  static constexpr DWORD kFlagAllowBeep = 1u << 2;
  static constexpr DWORD kFlagRichText = 1u << 3;
  static constexpr DWORD kFlagSaveSelection = 1u << 4;
  static constexpr DWORD kFlagInPlaceActive = 1u << 5;
  static constexpr DWORD kFlagTransparent = 1u << 6;
  static constexpr DWORD kFlagTimer = 1u << 7;
  static constexpr DWORD kFlagCaptured = 1u << 8;

  // The host with its text services, made for owner (which must outlive the returned pointer);
  // null when the text services cannot be had or refuse config.text.
  static Ptr Create(ITextHostOwner* owner, const TextHostConfig& config,
                    const TextServicesSource& source = TextServicesSource());

  // Hosts alive in this process (for leak checks).
  static int GetLiveCount();

  CTxtWinHost(const CTxtWinHost&) = delete;
  CTxtWinHost& operator=(const CTxtWinHost&) = delete;

  // ----- Operations of the owner ---------------------------------------------------------------
  // The text services, for tests; the owner calls them through the operations below, which keep
  // them alive while they run.
  ITextServices* GetTextServices() const { return text_services_; }
  // Passes a message to the text services; S_FALSE, with *result untouched, without them.
  HRESULT TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) const;
  // The text services draw the text into dc at bounds, limited to update (logical coordinates of
  // dc, which is the owner's render surface).
  HRESULT Draw(HDC dc, const RECT& bounds, const RECT& update);
  // The size of the content laid out at *width (or *height): both in, both out. False without
  // the text services or when they cannot tell.
  bool GetNaturalSize(LONG* width, LONG* height);
  // The text services set the cursor for a pointer at point (window client pixels).
  void SetCursorAt(POINT point);
  // Typing and pasting stop at length characters (told to the text services both ways, since
  // some read only the message).
  void SetMaxLength(LONG length);
  // The default character format takes font (face, size, character set, bold, italic and
  // underline: effects of an earlier font do not stay). Nothing for null.
  void SetFont(HFONT font);
  // ARGB.
  void SetTextColor(DWORD argb);
  void SetRichText(bool rich);
  // Shows passwordChar for each character (the password style), or the text itself for 0.
  void SetPasswordChar(wchar_t passwordChar);
  // Typing and pasting are refused while read-only; the owner still sets the text.
  void SetReadOnly(bool readOnly);
  // The client rectangle (window client pixels; the owner's rectangle less padding and scroll
  // bars) and the extent that follows from it.
  void SetClientRect(const RECT& rect);
  const RECT& GetClientRect() const { return client_rect_; }
  // The client rectangle moved down for the owner's vertical alignment of the content.
  void GetControlRect(RECT* rect);
  // The selected text, read into a buffer sized from the selection.
  std::wstring GetSelectedText() const;
  // A click on a link: selects range, and sends the window WM_NOTIFY with wParam EN_LINK and
  // lParam the selected text (valid during the send only).
  void NotifyLinkClick(const CHARRANGE& range);
  // Sends the window WM_NOTIFY with its control id for a notification whose record starts with
  // an NMHDR, which is filled with the window's handle, that id and code first.
  void NotifyWindow(DWORD code, NMHDR* header);

  DWORD GetStyle() const { return style_; }
  DWORD GetHostFlags() const { return flags_; }
  LONG GetMaxLength() const { return max_length_; }
  const CHARFORMAT2W& GetCharFormat() const { return char_format_; }
  const PARAFORMAT2& GetParaFormat() const { return para_format_; }
  SIZEL GetExtent() const { return extent_; }

  // ----- IUnknown ------------------------------------------------------------------------------
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // ----- ITextHost -----------------------------------------------------------------------------
  HDC TxGetDC() override;
  INT TxReleaseDC(HDC dc) override;
  BOOL TxShowScrollBar(INT bar, BOOL show) override;
  BOOL TxEnableScrollBar(INT bars, INT arrows) override;
  BOOL TxSetScrollRange(INT bar, LONG minPos, INT maxPos, BOOL redraw) override;
  BOOL TxSetScrollPos(INT bar, INT pos, BOOL redraw) override;
  void TxInvalidateRect(LPCRECT rect, BOOL mode) override;
  void TxViewChange(BOOL update) override;
  BOOL TxCreateCaret(HBITMAP bitmap, INT width, INT height) override;
  BOOL TxShowCaret(BOOL show) override;
  BOOL TxSetCaretPos(INT x, INT y) override;
  BOOL TxSetTimer(UINT id, UINT timeoutMs) override;
  void TxKillTimer(UINT id) override;
  void TxScrollWindowEx(INT dx, INT dy, LPCRECT scroll, LPCRECT clip, HRGN updateRegion,
                        LPRECT updateRect, UINT flags) override;
  void TxSetCapture(BOOL capture) override;
  void TxSetFocus() override;
  void TxSetCursor(HCURSOR cursor, BOOL text) override;
  BOOL TxScreenToClient(LPPOINT point) override;
  BOOL TxClientToScreen(LPPOINT point) override;
  HRESULT TxActivate(LONG* oldState) override;
  HRESULT TxDeactivate(LONG newState) override;
  HRESULT TxGetClientRect(LPRECT rect) override;
  HRESULT TxGetViewInset(LPRECT rect) override;
  HRESULT TxGetCharFormat(const CHARFORMATW** format) override;
  HRESULT TxGetParaFormat(const PARAFORMAT** format) override;
  COLORREF TxGetSysColor(int index) override;
  HRESULT TxGetBackStyle(TXTBACKSTYLE* style) override;
  HRESULT TxGetMaxLength(DWORD* length) override;
  HRESULT TxGetScrollBars(DWORD* scrollBars) override;
  HRESULT TxGetPasswordChar(TCHAR* passwordChar) override;
  HRESULT TxGetAcceleratorPos(LONG* position) override;
  HRESULT TxGetExtent(LPSIZEL extent) override;
  HRESULT OnTxCharFormatChange(const CHARFORMATW* format) override;
  HRESULT OnTxParaFormatChange(const PARAFORMAT* format) override;
  HRESULT TxGetPropertyBits(DWORD mask, DWORD* bits) override;
  HRESULT TxNotify(DWORD code, void* data) override;
  HIMC TxImmGetContext() override;
  void TxImmReleaseContext(HIMC context) override;
  HRESULT TxGetSelectionBarWidth(LONG* width) override;

 private:
  // Counts the calls into the text services that are running: the services are not released
  // under a running call.
  class CallScope {
   public:
    explicit CallScope(const CTxtWinHost* host);
    ~CallScope();
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

   private:
    CTxtWinHost* host_;
  };

  CTxtWinHost(ITextHostOwner* owner, const TextHostConfig& config);
  // Deletes through Release only.
  virtual ~CTxtWinHost();

  // The owner lets go of its reference: at once, or, while a call into the text services runs,
  // when the outermost one returns (the owner is forgotten at once either way).
  void ReleaseByOwner();

  // Loads the library, makes the text services and gives them the first text.
  bool CreateTextServices(const TextServicesSource& source, const std::wstring& text);
  // Deactivates and releases the text services and forgets the owner (the owner's reference is
  // going).
  void Shutdown();
  // Height, effects, character set, pitch and face of the character format from font.
  void ApplyFont(HFONT font);
  // Pixels per inch of the window's device context, 96 when there is none.
  int GetPixelsPerInch(int index) const;
  void UpdateExtent();

  ITextHostOwner* owner_;  // Not owned; null once the owner let go.
  ITextServices* text_services_ = nullptr;  // One reference.
  HMODULE library_ = nullptr;  // One reference, freed after the text services.
  ULONG ref_count_ = 1;
  DWORD style_ = 0;
  DWORD flags_ = 0;
  LONG selection_bar_width_ = 0;
  LONG max_length_ = 32767;
  RECT client_rect_ = {0, 0, 0, 0};
  SIZEL extent_ = {0, 0};  // HIMETRIC (0.01 mm).
  CHARFORMAT2W char_format_ = {};
  PARAFORMAT2 para_format_ = {};
  LONG accelerator_pos_ = -1;
  wchar_t password_char_ = 0;
  // Set while the content's natural size is asked for the vertical alignment: the text services
  // may ask for the client rectangle meanwhile, and get it unaligned.
  bool measuring_ = false;
  // Set once Create has set the text services up; before that the caret does not blink.
  bool created_ = false;
  // Calls into the text services now running, and whether the owner's reference is to be dropped
  // when the last of them returns.
  int running_calls_ = 0;
  bool release_pending_ = false;
  // The device context handed out once the owner (whose context it was) is gone while the text
  // services still run; made on demand, deleted with the host.
  HDC orphan_dc_ = nullptr;
  // Timers the text services asked for, by id; a timer dies with its flag.
  std::map<UINT, nbase::WeakCallbackFlag> timers_;
};

}  // namespace ui

#endif  // UI_CONTROLS_TEXT_HOST_H_
