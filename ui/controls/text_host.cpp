#include "ui/controls/text_host.h"

#include <algorithm>
#include <atomic>
#include <cwchar>

#include "ui/core/timer_manager.h"

namespace ui {

namespace {

// The system's headers declare these identifiers without an import library that defines them.
constexpr IID kIidUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
constexpr IID kIidTextHost = {
    0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
constexpr IID kIidTextServices = {
    0x8D33F740, 0xCF58, 0x11CE, {0xA8, 0x9D, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};

// Bold, italic, underline, size, colour, face, offset and character set.
constexpr DWORD kCharFormatMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_SIZE | CFM_COLOR |
                                  CFM_FACE | CFM_OFFSET | CFM_CHARSET;
// Indents, offset, alignment, tab stops, numbering, the offset indent and the reading order.
constexpr DWORD kParaFormatMask = 0x8001003F;
constexpr LONG kDefaultTabTwips = 720;
constexpr DWORD kFontEffects = CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE;
// What the text services are told when the client rectangle and the extent changed: the view
// changed, and the client rectangle (some text services lay the text out again only for that).
constexpr DWORD kViewChangeBits = TXTBIT_VIEWINSETCHANGE | TXTBIT_CLIENTRECTCHANGE;
constexpr int kDefaultPixelsPerInch = 96;
constexpr int kTwipsPerInch = 1440;
constexpr int kHimetricPerInch = 2540;
// The styles that TxGetScrollBars reports: WS_VSCROLL, WS_HSCROLL, ES_AUTOVSCROLL,
// ES_AUTOHSCROLL and ES_DISABLENOSCROLL.
constexpr DWORD kScrollBarStyles =
    WS_VSCROLL | WS_HSCROLL | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_DISABLENOSCROLL;

std::atomic<int> g_live_hosts{0};

COLORREF ArgbToColorRef(DWORD argb) {
  return RGB((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF);
}

LONG Width(const RECT& rect) { return rect.right - rect.left; }
LONG Height(const RECT& rect) { return rect.bottom - rect.top; }

}  // namespace

static_assert(sizeof(CHARFORMAT2W) == 116, "the character format the text services expect");
static_assert(sizeof(PARAFORMAT2) == 188, "the paragraph format the text services expect");

void CTxtWinHost::Deleter::operator()(CTxtWinHost* host) const { host->ReleaseByOwner(); }

CTxtWinHost::CallScope::CallScope(const CTxtWinHost* host)
    : host_(const_cast<CTxtWinHost*>(host)) {
  ++host_->running_calls_;
}

CTxtWinHost::CallScope::~CallScope() {
  if (--host_->running_calls_ > 0 || !host_->release_pending_) return;
  // The owner went while this call ran: the services have returned, so they may go now.
  host_->release_pending_ = false;
  host_->Shutdown();
  host_->Release();
}

CTxtWinHost::Ptr CTxtWinHost::Create(ITextHostOwner* owner, const TextHostConfig& config,
                                     const TextServicesSource& source) {
  if (!owner) return nullptr;
  Ptr host(new CTxtWinHost(owner, config));
  // The owner paints its own background, so the text is drawn over it. Transparent before the
  // services are made: some read the back style only then, and would fill the background (the
  // owner's colour, image and prompt) with the window colour.
  host->flags_ |= kFlagTransparent;
  if (!host->CreateTextServices(source, config.text)) return nullptr;
  host->text_services_->OnTxPropertyBitsChange(TXTBIT_BACKSTYLECHANGE, 0);
  host->TxSendMessage(EM_SETLANGOPTIONS, 0, 0, nullptr);
  host->TxSendMessage(EM_SETEVENTMASK, 0, ENM_CHANGE, nullptr);
  // Some text services never ask TxGetMaxLength; the message limits typing and pasting in all.
  host->TxSendMessage(EM_EXLIMITTEXT, 0, host->max_length_, nullptr);
  host->flags_ |= kFlagInPlaceActive;
  if (FAILED(host->text_services_->OnTxInPlaceActivate(nullptr)))
    host->flags_ &= ~kFlagInPlaceActive;
  for (TextScrollBar bar : {TextScrollBar::kVertical, TextScrollBar::kHorizontal})
    if (owner->HasScrollBar(bar)) owner->SetScrollBarRange(bar, 0);
  host->created_ = true;
  return host;
}

int CTxtWinHost::GetLiveCount() { return g_live_hosts.load(); }

CTxtWinHost::CTxtWinHost(ITextHostOwner* owner, const TextHostConfig& config)
    : owner_(owner),
      style_(config.style),
      max_length_(config.maxLength),
      password_char_(config.passwordChar) {
  ++g_live_hosts;
  char_format_.cbSize = sizeof(char_format_);
  char_format_.dwMask = kCharFormatMask;
  char_format_.crTextColor = ArgbToColorRef(config.textColor);
  ApplyFont(config.font);

  para_format_.cbSize = sizeof(para_format_);
  para_format_.dwMask = kParaFormatMask;
  para_format_.wAlignment = PFA_LEFT;
  if (style_ & ES_CENTER)
    para_format_.wAlignment = PFA_CENTER;
  else if (style_ & ES_RIGHT)
    para_format_.wAlignment = PFA_RIGHT;
  para_format_.cTabCount = 1;
  para_format_.rgxTabs[0] = kDefaultTabTwips;

  if (config.richText) flags_ |= kFlagRichText;
  if (!(style_ & (WS_HSCROLL | ES_AUTOHSCROLL))) flags_ |= kFlagWordWrap;
}

CTxtWinHost::~CTxtWinHost() {
  Shutdown();
  if (library_) ::FreeLibrary(library_);
  if (orphan_dc_) ::DeleteDC(orphan_dc_);
  --g_live_hosts;
}

void CTxtWinHost::ReleaseByOwner() {
  if (running_calls_ == 0) {
    Shutdown();
    Release();
    return;
  }
  // Still inside the text services: whatever they call before they return reaches no owner.
  owner_ = nullptr;
  timers_.clear();
  release_pending_ = true;
}

bool CTxtWinHost::CreateTextServices(const TextServicesSource& source,
                                     const std::wstring& text) {
  library_ = ::LoadLibraryW(source.library);
  if (!library_) return false;
  const auto create = reinterpret_cast<PCreateTextServices>(
      reinterpret_cast<void*>(::GetProcAddress(library_, source.function)));
  if (!create) return false;
  IUnknown* unknown = nullptr;
  if (FAILED(create(nullptr, this, &unknown)) || !unknown) return false;
  void* services = nullptr;
  const HRESULT result = unknown->QueryInterface(kIidTextServices, &services);
  unknown->Release();
  if (FAILED(result) || !services) return false;
  text_services_ = static_cast<ITextServices*>(services);
  return SUCCEEDED(text_services_->TxSetText(text.c_str()));
}

void CTxtWinHost::Shutdown() {
  // Whatever the text services still call while they go reaches no owner.
  owner_ = nullptr;
  timers_.clear();
  if (!text_services_) return;
  text_services_->OnTxInPlaceDeactivate();
  ITextServices* services = text_services_;
  text_services_ = nullptr;
  services->Release();
}

HRESULT CTxtWinHost::TxSendMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                   LRESULT* result) const {
  if (!text_services_) return S_FALSE;
  CallScope scope(this);
  LRESULT ignored = 0;
  return text_services_->TxSendMessage(message, wParam, lParam, result ? result : &ignored);
}

HRESULT CTxtWinHost::Draw(HDC dc, const RECT& bounds, const RECT& update) {
  if (!text_services_) return S_FALSE;
  CallScope scope(this);
  const RECTL boundsL = {bounds.left, bounds.top, bounds.right, bounds.bottom};
  RECT updateCopy = update;
  return text_services_->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr, dc, nullptr, &boundsL,
                                nullptr, &updateCopy, nullptr, 0, TXTVIEW_ACTIVE);
}

bool CTxtWinHost::GetNaturalSize(LONG* width, LONG* height) {
  if (!text_services_) return false;
  CallScope scope(this);
  const SIZEL extent = {-1, -1};
  return SUCCEEDED(text_services_->TxGetNaturalSize(DVASPECT_CONTENT, TxGetDC(), nullptr,
                                                    nullptr, TXTNS_FITTOCONTENT, &extent, width,
                                                    height));
}

void CTxtWinHost::SetCursorAt(POINT point) {
  if (!text_services_) return;
  CallScope scope(this);
  // In place the services know the client rectangle themselves.
  const RECT* client = (flags_ & kFlagInPlaceActive) ? nullptr : &client_rect_;
  text_services_->OnTxSetCursor(DVASPECT_CONTENT, -1, nullptr, nullptr, TxGetDC(), nullptr,
                                client, point.x, point.y);
}

void CTxtWinHost::SetMaxLength(LONG length) {
  max_length_ = length;
  if (!text_services_) return;
  text_services_->OnTxPropertyBitsChange(TXTBIT_MAXLENGTHCHANGE, TXTBIT_MAXLENGTHCHANGE);
  TxSendMessage(EM_EXLIMITTEXT, 0, max_length_, nullptr);
}

void CTxtWinHost::ApplyFont(HFONT font) {
  LOGFONTW logFont = {};
  if (!font || !::GetObjectW(font, sizeof(logFont), &logFont)) return;
  char_format_.yHeight = logFont.lfHeight * -kTwipsPerInch / GetPixelsPerInch(LOGPIXELSY);
  char_format_.yOffset = 0;
  // The new font's effects replace the old ones: a bold font followed by a plain one is plain.
  char_format_.dwEffects &= ~kFontEffects;
  if (logFont.lfWeight >= FW_BOLD) char_format_.dwEffects |= CFE_BOLD;
  if (logFont.lfItalic) char_format_.dwEffects |= CFE_ITALIC;
  if (logFont.lfUnderline) char_format_.dwEffects |= CFE_UNDERLINE;
  char_format_.bCharSet = logFont.lfCharSet;
  char_format_.bPitchAndFamily = logFont.lfPitchAndFamily;
  std::wcsncpy(char_format_.szFaceName, logFont.lfFaceName, LF_FACESIZE - 1);
  char_format_.szFaceName[LF_FACESIZE - 1] = L'\0';
}

void CTxtWinHost::SetFont(HFONT font) {
  if (!font) return;
  ApplyFont(font);
  if (text_services_)
    text_services_->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetTextColor(DWORD argb) {
  char_format_.crTextColor = ArgbToColorRef(argb);
  if (text_services_)
    text_services_->OnTxPropertyBitsChange(TXTBIT_CHARFORMATCHANGE, TXTBIT_CHARFORMATCHANGE);
}

void CTxtWinHost::SetRichText(bool rich) {
  if (rich)
    flags_ |= kFlagRichText;
  else
    flags_ &= ~kFlagRichText;
  if (text_services_)
    text_services_->OnTxPropertyBitsChange(TXTBIT_RICHTEXT, rich ? TXTBIT_RICHTEXT : 0);
}

void CTxtWinHost::SetPasswordChar(wchar_t passwordChar) {
  password_char_ = passwordChar;
  if (passwordChar)
    style_ |= ES_PASSWORD;
  else
    style_ &= ~ES_PASSWORD;
  if (text_services_)
    text_services_->OnTxPropertyBitsChange(TXTBIT_USEPASSWORD,
                                           passwordChar ? TXTBIT_USEPASSWORD : 0);
}

void CTxtWinHost::SetReadOnly(bool readOnly) {
  if (readOnly)
    style_ |= ES_READONLY;
  else
    style_ &= ~ES_READONLY;
  if (text_services_)
    text_services_->OnTxPropertyBitsChange(TXTBIT_READONLY, readOnly ? TXTBIT_READONLY : 0);
}

void CTxtWinHost::SetClientRect(const RECT& rect) {
  client_rect_ = rect;
  UpdateExtent();
}

void CTxtWinHost::UpdateExtent() {
  extent_.cx = Width(client_rect_) * kHimetricPerInch / GetPixelsPerInch(LOGPIXELSX);
  extent_.cy = Height(client_rect_) * kHimetricPerInch / GetPixelsPerInch(LOGPIXELSY);
  if (text_services_) text_services_->OnTxPropertyBitsChange(kViewChangeBits, kViewChangeBits);
}

void CTxtWinHost::GetControlRect(RECT* rect) {
  *rect = client_rect_;
  const TextVerAlign align = owner_ ? owner_->GetTextVerAlign() : TextVerAlign::kTop;
  if (align == TextVerAlign::kTop || !text_services_ || measuring_) return;
  LONG width = Width(client_rect_);
  LONG height = Height(client_rect_);
  measuring_ = true;
  const bool measured = GetNaturalSize(&width, &height);
  measuring_ = false;
  if (!measured) return;
  LONG shift = Height(client_rect_) - height;
  if (align == TextVerAlign::kCenter) shift /= 2;
  ::OffsetRect(rect, 0, shift);
}

std::wstring CTxtWinHost::GetSelectedText() const {
  if (!text_services_) return std::wstring();
  CHARRANGE range = {0, 0};
  TxSendMessage(EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range), nullptr);
  if (range.cpMax <= range.cpMin) return std::wstring();
  // Room for every selected position twice (a paragraph mark may come out as CR LF) and the
  // terminator: the message has no size of its own.
  std::wstring text(static_cast<size_t>(range.cpMax - range.cpMin) * 2 + 1, L'\0');
  LRESULT copied = 0;
  TxSendMessage(EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(&text[0]), &copied);
  text.resize(std::min<size_t>(std::wcslen(text.c_str()),
                               static_cast<size_t>(std::max<LRESULT>(copied, 0))));
  return text;
}

void CTxtWinHost::NotifyLinkClick(const CHARRANGE& range) {
  CHARRANGE selection = range;
  TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection), nullptr);
  // The text lives in this frame until the window has handled the message.
  const std::wstring text = GetSelectedText();
  ::OutputDebugStringW((L"[Link]" + text + L"\n").c_str());
  const HWND window = owner_ ? owner_->GetHostWindow() : nullptr;
  if (window) ::SendMessageW(window, WM_NOTIFY, EN_LINK, reinterpret_cast<LPARAM>(text.c_str()));
}

void CTxtWinHost::NotifyWindow(DWORD code, NMHDR* header) {
  const HWND window = owner_ ? owner_->GetHostWindow() : nullptr;
  if (!window || !header) return;
  header->hwndFrom = window;
  header->idFrom = static_cast<UINT_PTR>(::GetWindowLongPtrW(window, GWLP_ID));
  header->code = code;
  ::SendMessageW(window, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
}

int CTxtWinHost::GetPixelsPerInch(int index) const {
  const HDC dc = owner_ ? owner_->GetHostDC() : nullptr;
  const int pixels = dc ? ::GetDeviceCaps(dc, index) : 0;
  return pixels > 0 ? pixels : kDefaultPixelsPerInch;
}

// ----- IUnknown ----------------------------------------------------------------------------------

HRESULT CTxtWinHost::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (::IsEqualIID(iid, kIidUnknown) || ::IsEqualIID(iid, kIidTextHost)) {
    AddRef();
    *object = static_cast<ITextHost*>(this);
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CTxtWinHost::AddRef() { return ++ref_count_; }

ULONG CTxtWinHost::Release() {
  const ULONG count = --ref_count_;
  if (count == 0) delete this;
  return count;
}

// ----- ITextHost ---------------------------------------------------------------------------------

HDC CTxtWinHost::TxGetDC() {
  if (owner_) return owner_->GetHostDC();
  // The owner's context went with it; the services may still measure until they return.
  if (!orphan_dc_ && text_services_) orphan_dc_ = ::CreateCompatibleDC(nullptr);
  return orphan_dc_;
}

INT CTxtWinHost::TxReleaseDC(HDC) { return TRUE; }  // The window keeps its DC.

BOOL CTxtWinHost::TxShowScrollBar(INT, BOOL) { return TRUE; }

BOOL CTxtWinHost::TxEnableScrollBar(INT bars, INT arrows) {
  if (arrows != ESB_DISABLE_BOTH || !owner_) return TRUE;
  if (bars == SB_VERT || bars == SB_BOTH) {
    if (owner_->HasScrollBar(TextScrollBar::kVertical) &&
        owner_->GetScrollBarRange(TextScrollBar::kVertical) != 0)
      owner_->SetScrollBarRange(TextScrollBar::kVertical, 0);
  }
  if (bars == SB_HORZ || bars == SB_BOTH) {
    if (owner_->HasScrollBar(TextScrollBar::kHorizontal))
      owner_->SetScrollBarRange(TextScrollBar::kHorizontal, 0);
  }
  owner_->ArrangeHost();
  return TRUE;
}

BOOL CTxtWinHost::TxSetScrollRange(INT bar, LONG minPos, INT maxPos, BOOL) {
  if (!owner_ || (bar != SB_VERT && bar != SB_HORZ)) return TRUE;
  const TextScrollBar which =
      bar == SB_VERT ? TextScrollBar::kVertical : TextScrollBar::kHorizontal;
  if (!owner_->HasScrollBar(which)) return TRUE;
  // The bar scrolls over what does not fit into the client rectangle.
  const LONG visible = bar == SB_VERT ? Height(client_rect_) : Width(client_rect_);
  const int64_t range =
      std::max<int64_t>(0, static_cast<int64_t>(maxPos) - minPos - visible);
  const int64_t before = owner_->GetScrollBarRange(which);
  owner_->SetScrollBarRange(which, range);
  if (before == 0 && range > 0) owner_->ArrangeHost();  // The bar takes room now.
  return TRUE;
}

BOOL CTxtWinHost::TxSetScrollPos(INT bar, INT pos, BOOL) {
  if (!owner_ || (bar != SB_VERT && bar != SB_HORZ)) return TRUE;
  const TextScrollBar which =
      bar == SB_VERT ? TextScrollBar::kVertical : TextScrollBar::kHorizontal;
  if (owner_->HasScrollBar(which)) owner_->SetScrollBarPos(which, pos);
  return TRUE;
}

void CTxtWinHost::TxInvalidateRect(LPCRECT rect, BOOL) {
  if (!owner_) return;
  RECT dirty = rect ? *rect : client_rect_;
  // The text services work in the owner's unscrolled coordinates.
  const SIZE offset = owner_->GetHostScrollOffset();
  ::OffsetRect(&dirty, -offset.cx, -offset.cy);
  owner_->InvalidateHostRect(dirty);
}

void CTxtWinHost::TxViewChange(BOOL) {}

BOOL CTxtWinHost::TxCreateCaret(HBITMAP, INT width, INT height) {
  // The owner draws the caret itself; there is no system caret.
  if (owner_) owner_->SetCaretSize(width, height);
  return TRUE;
}

BOOL CTxtWinHost::TxShowCaret(BOOL show) {
  // Some text services hide the caret for a selection without moving it: the blink follows
  // their wish, and still only while nothing is selected.
  if (owner_ && created_) owner_->SetCaretBlinking(show && GetSelectedText().empty());
  return TRUE;
}

BOOL CTxtWinHost::TxSetCaretPos(INT x, INT y) {
  if (!owner_) return TRUE;
  owner_->SetCaretPos(x, y);
  // The caret blinks only while nothing is selected.
  if (created_) owner_->SetCaretBlinking(GetSelectedText().empty());
  return TRUE;
}

BOOL CTxtWinHost::TxSetTimer(UINT id, UINT timeoutMs) {
  flags_ |= kFlagTimer;
  nbase::WeakCallbackFlag& flag = timers_[id];
  flag.Cancel();
  return TimerManager::GetInstance()->AddCancelableTimer(
      flag.GetWeakFlag(), [this, id] { TxSendMessage(WM_TIMER, id, 0, nullptr); }, timeoutMs,
      TimerManager::kRepeatForever);
}

void CTxtWinHost::TxKillTimer(UINT id) {
  if (!timers_.erase(id)) return;
  if (timers_.empty()) flags_ &= ~kFlagTimer;
}

void CTxtWinHost::TxScrollWindowEx(INT, INT, LPCRECT, LPCRECT, HRGN, LPRECT, UINT) {}

void CTxtWinHost::TxSetCapture(BOOL capture) {
  if (!owner_) return;
  owner_->SetHostCapture(capture != FALSE);
  if (capture)
    flags_ |= kFlagCaptured;
  else
    flags_ &= ~kFlagCaptured;
}

void CTxtWinHost::TxSetFocus() {
  if (owner_) owner_->SetHostFocus();
}

void CTxtWinHost::TxSetCursor(HCURSOR cursor, BOOL) { ::SetCursor(cursor); }

BOOL CTxtWinHost::TxScreenToClient(LPPOINT point) {
  const HWND window = owner_ ? owner_->GetHostWindow() : nullptr;
  return window && point && ::ScreenToClient(window, point);
}

BOOL CTxtWinHost::TxClientToScreen(LPPOINT point) {
  const HWND window = owner_ ? owner_->GetHostWindow() : nullptr;
  return window && point && ::ClientToScreen(window, point);
}

HRESULT CTxtWinHost::TxActivate(LONG*) { return S_OK; }

HRESULT CTxtWinHost::TxDeactivate(LONG) { return S_OK; }

HRESULT CTxtWinHost::TxGetClientRect(LPRECT rect) {
  if (!rect) return E_INVALIDARG;
  GetControlRect(rect);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetViewInset(LPRECT rect) {
  if (rect) *rect = RECT{0, 0, 0, 0};
  return S_OK;
}

HRESULT CTxtWinHost::TxGetCharFormat(const CHARFORMATW** format) {
  *format = reinterpret_cast<const CHARFORMATW*>(&char_format_);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetParaFormat(const PARAFORMAT** format) {
  *format = reinterpret_cast<const PARAFORMAT*>(&para_format_);
  return S_OK;
}

COLORREF CTxtWinHost::TxGetSysColor(int index) { return ::GetSysColor(index); }

HRESULT CTxtWinHost::TxGetBackStyle(TXTBACKSTYLE* style) {
  *style = (flags_ & kFlagTransparent) ? TXTBACK_TRANSPARENT : TXTBACK_OPAQUE;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetMaxLength(DWORD* length) {
  *length = static_cast<DWORD>(max_length_);
  return S_OK;
}

HRESULT CTxtWinHost::TxGetScrollBars(DWORD* scrollBars) {
  *scrollBars = style_ & kScrollBarStyles;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetPasswordChar(TCHAR* passwordChar) {
  *passwordChar = password_char_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetAcceleratorPos(LONG* position) {
  *position = accelerator_pos_;
  return S_OK;
}

HRESULT CTxtWinHost::TxGetExtent(LPSIZEL extent) {
  *extent = extent_;
  return S_OK;
}

HRESULT CTxtWinHost::OnTxCharFormatChange(const CHARFORMATW*) { return S_OK; }

HRESULT CTxtWinHost::OnTxParaFormatChange(const PARAFORMAT*) { return S_OK; }

HRESULT CTxtWinHost::TxGetPropertyBits(DWORD mask, DWORD* bits) {
  DWORD result = 0;
  if (flags_ & kFlagRichText) result |= TXTBIT_RICHTEXT;
  if (style_ & ES_MULTILINE) result |= TXTBIT_MULTILINE;
  if (style_ & ES_READONLY) result |= TXTBIT_READONLY;
  if (style_ & ES_PASSWORD) result |= TXTBIT_USEPASSWORD;
  if (!(style_ & ES_NOHIDESEL)) result |= TXTBIT_HIDESELECTION;
  if (flags_ & kFlagSaveSelection) result |= TXTBIT_SAVESELECTION;
  if (flags_ & kFlagAutoWordSel) result |= TXTBIT_AUTOWORDSEL;
  if (flags_ & kFlagWordWrap) result |= TXTBIT_WORDWRAP;
  if (flags_ & kFlagAllowBeep) result |= TXTBIT_ALLOWBEEP;
  *bits = result & mask;
  return S_OK;
}

HRESULT CTxtWinHost::TxNotify(DWORD code, void* data) {
  if (code == EN_REQUESTRESIZE && data) {
    // The content asks for another size: the client rectangle takes it where it starts now.
    const RECT& requested = static_cast<const REQRESIZE*>(data)->rc;
    RECT aligned;
    GetControlRect(&aligned);
    client_rect_ = RECT{aligned.left, aligned.top, aligned.left + Width(requested),
                        aligned.top + Height(requested)};
    UpdateExtent();
  }
  if (owner_) owner_->OnTxNotify(code, data);
  return S_OK;
}

HIMC CTxtWinHost::TxImmGetContext() { return nullptr; }

void CTxtWinHost::TxImmReleaseContext(HIMC) {}

HRESULT CTxtWinHost::TxGetSelectionBarWidth(LONG* width) {
  *width = selection_bar_width_;
  return S_OK;
}

}  // namespace ui
