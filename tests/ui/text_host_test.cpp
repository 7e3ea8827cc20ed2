// The rich-edit text host over the real windowless text services, driven through a fake owner
// that records what the host asks of the control: text, selection, formats, the length limit,
// notifications to the window, scroll bars, invalidation, alignment, timers and the host's life.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/text_host.h"
#include "ui/core/global_manager.h"
#include "ui/core/timer_manager.h"
#include "ui/render/render_interfaces.h"

namespace {

using ui::CTxtWinHost;
using ui::TextScrollBar;
using ui::TextVerAlign;

// A window that keeps what WM_NOTIFY brought while it was being sent.
struct NotifyLog {
  std::vector<WPARAM> wParams;
  std::vector<std::wstring> texts;  // Copied during the send (lParam read as a string).
  std::vector<NMHDR> headers;
};
NotifyLog* g_notify_log = nullptr;

LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && g_notify_log) {
    g_notify_log->wParams.push_back(wParam);
    if (wParam == EN_LINK)
      g_notify_log->texts.push_back(reinterpret_cast<const wchar_t*>(lParam));
    else
      g_notify_log->headers.push_back(*reinterpret_cast<const NMHDR*>(lParam));
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeNotifyWindow() {
  static const ATOM atom = [] {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = NotifyWindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"FernholdTextHostTestWindow";
    return ::RegisterClassW(&windowClass);
  }();
  (void)atom;
  return ::CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"FernholdTextHostTestWindow",
                           L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

// The control side of the host, recording every call.
class FakeOwner : public ui::ITextHostOwner {
 public:
  FakeOwner() : window_(MakeNotifyWindow()), dc_(::GetDC(window_)) {}
  ~FakeOwner() {
    ::ReleaseDC(window_, dc_);
    ::DestroyWindow(window_);
  }

  HWND GetHostWindow() const override { return window_; }
  HDC GetHostDC() const override { return dc_; }
  void InvalidateHostRect(const RECT& rect) override { invalidated.push_back(rect); }
  SIZE GetHostScrollOffset() const override { return scrollOffset; }
  void SetHostCapture(bool captured) override { captures.push_back(captured); }
  void SetHostFocus() override { ++focusCount; }
  TextVerAlign GetTextVerAlign() const override { return align; }
  void ArrangeHost() override { ++arrangeCount; }
  bool HasScrollBar(TextScrollBar bar) const override { return bars.count(bar) != 0; }
  int64_t GetScrollBarRange(TextScrollBar bar) const override { return bars.at(bar).range; }
  void SetScrollBarRange(TextScrollBar bar, int64_t range) override {
    Bar& b = bars.at(bar);
    b.range = std::max<int64_t>(0, range);
    b.pos = std::min(b.pos, b.range);
  }
  void SetScrollBarPos(TextScrollBar bar, int64_t pos) override {
    Bar& b = bars.at(bar);
    b.pos = std::clamp<int64_t>(pos, 0, b.range);
  }
  void SetCaretSize(int width, int height) override { caretSize = SIZE{width, height}; }
  void SetCaretPos(int x, int y) override { caretPos = POINT{x, y}; }
  void SetCaretBlinking(bool blinking) override { blinks.push_back(blinking); }
  void OnTxNotify(DWORD code, void* data) override { notifications.push_back(code); }

  struct Bar {
    int64_t range = 0;
    int64_t pos = 0;
  };
  std::map<TextScrollBar, Bar> bars;
  SIZE scrollOffset = {0, 0};
  TextVerAlign align = TextVerAlign::kTop;
  std::vector<RECT> invalidated;
  std::vector<bool> captures;
  std::vector<bool> blinks;
  std::vector<DWORD> notifications;
  int focusCount = 0;
  int arrangeCount = 0;
  SIZE caretSize = {0, 0};
  POINT caretPos = {0, 0};

 private:
  HWND window_;
  HDC dc_;
};

std::wstring ReadText(const CTxtWinHost& host, DWORD flags = GT_DEFAULT) {
  GETTEXTLENGTHEX lengthQuery = {GTL_NUMCHARS | GTL_PRECISE, 1200};
  LRESULT length = 0;
  host.TxSendMessage(EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&lengthQuery), 0, &length);
  std::wstring text(static_cast<size_t>(length) * 2 + 1, L'\0');
  GETTEXTEX query = {static_cast<DWORD>(text.size() * sizeof(wchar_t)), flags, 1200, nullptr,
                     nullptr};
  host.TxSendMessage(EM_GETTEXTEX, reinterpret_cast<WPARAM>(&query),
                     reinterpret_cast<LPARAM>(&text[0]), nullptr);
  text.resize(std::wcslen(text.c_str()));
  return text;
}

void Select(const CTxtWinHost& host, LONG from, LONG to) {
  CHARRANGE range = {from, to};
  host.TxSendMessage(EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range), nullptr);
}

void Type(const CTxtWinHost& host, const std::wstring& text) {
  for (wchar_t c : text) host.TxSendMessage(WM_CHAR, c, 0, nullptr);
}

RECT Rect(LONG left, LONG top, LONG right, LONG bottom) { return RECT{left, top, right, bottom}; }

bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

class TextHostTest : public ::testing::Test {
 protected:
  CTxtWinHost::Ptr MakeHost(ui::TextHostConfig config = ui::TextHostConfig()) {
    if (!config.font) config.font = ui::GlobalManager::GetFont(uitest::kTestFontId);
    CTxtWinHost::Ptr host = CTxtWinHost::Create(&owner_, config);
    if (host) host->SetClientRect(Rect(0, 0, 200, 100));
    return host;
  }

  FakeOwner owner_;
};

TEST_F(TextHostTest, TheServicesTakeTextAndSelectionAndReportChanges) {
  ui::TextHostConfig config;
  config.text = L"hello world";
  CTxtWinHost::Ptr host = MakeHost(config);
  ASSERT_TRUE(host);
  ASSERT_TRUE(host->GetTextServices());
  EXPECT_EQ(ReadText(*host), L"hello world");

  Select(*host, 6, 11);
  EXPECT_EQ(host->GetSelectedText(), L"world");
  Type(*host, L"there");  // Replaces the selection.
  EXPECT_EQ(ReadText(*host), L"hello there");
  // Change notices are the one notification asked for.
  EXPECT_NE(std::find(owner_.notifications.begin(), owner_.notifications.end(),
                      static_cast<DWORD>(EN_CHANGE)),
            owner_.notifications.end());
}

TEST_F(TextHostTest, CrLfIsStoredAsOneParagraphMark) {
  ui::TextHostConfig config;
  config.text = L"one\r\ntwo\r\nthree";
  CTxtWinHost::Ptr host = MakeHost(config);
  ASSERT_TRUE(host);
  EXPECT_EQ(ReadText(*host), L"one\rtwo\rthree");
  EXPECT_EQ(ReadText(*host, GT_USECRLF), L"one\r\ntwo\r\nthree");
  Select(*host, 0, 7);  // "one", the mark, "two".
  EXPECT_EQ(host->GetSelectedText(), L"one\rtwo");
}

TEST_F(TextHostTest, TheLengthLimitHoldsForTyping) {
  ui::TextHostConfig config;
  config.maxLength = 5;
  CTxtWinHost::Ptr host = MakeHost(config);
  ASSERT_TRUE(host);
  LRESULT limit = 0;
  host->TxSendMessage(EM_GETLIMITTEXT, 0, 0, &limit);
  EXPECT_EQ(limit, 5);
  DWORD asked = 0;
  host->TxGetMaxLength(&asked);
  EXPECT_EQ(asked, 5u);
  Type(*host, L"abcdefgh");
  EXPECT_EQ(ReadText(*host), L"abcde");
}

TEST_F(TextHostTest, ALongSelectionIsReadWhole) {
  // Far more than any fixed buffer would hold, with paragraph marks among the letters.
  std::wstring text;
  for (int i = 0; i < 5000; ++i) text += L"line " + std::to_wstring(i) + L"\r";
  ui::TextHostConfig config;
  config.maxLength = 1000000;
  config.text = text;
  CTxtWinHost::Ptr host = MakeHost(config);
  ASSERT_TRUE(host);
  Select(*host, 0, -1);
  const std::wstring selected = host->GetSelectedText();
  EXPECT_EQ(selected.size(), text.size());
  EXPECT_EQ(selected.substr(0, 14), L"line 0\rline 1\r");
  EXPECT_EQ(selected.substr(selected.size() - 10), L"line 4999\r");
}

TEST_F(TextHostTest, TheCaretBlinksOnlyWhileNothingIsSelected) {
  ui::TextHostConfig config;
  config.text = L"some text";
  CTxtWinHost::Ptr host = MakeHost(config);
  ASSERT_TRUE(host);
  host->TxCreateCaret(nullptr, 2, 17);
  EXPECT_EQ(owner_.caretSize.cx, 2);
  EXPECT_EQ(owner_.caretSize.cy, 17);

  Select(*host, 0, 4);
  owner_.blinks.clear();
  host->TxSetCaretPos(30, 4);
  EXPECT_EQ(owner_.caretPos.x, 30);
  EXPECT_EQ(owner_.caretPos.y, 4);
  ASSERT_FALSE(owner_.blinks.empty());
  EXPECT_FALSE(owner_.blinks.back());

  Select(*host, 2, 2);
  host->TxSetCaretPos(12, 4);
  EXPECT_TRUE(owner_.blinks.back());
}

TEST_F(TextHostTest, TheCharacterFormatFollowsTheFontAndALaterFontDropsTheOldEffects) {
  HFONT bold = ::CreateFontW(-20, 0, 0, 0, FW_BOLD, TRUE, TRUE, FALSE, DEFAULT_CHARSET, 0, 0, 0,
                             0, L"Tahoma");
  HFONT plain = ::CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                              0, 0, L"Tahoma");
  ui::TextHostConfig config;
  config.font = bold;
  config.textColor = 0xFF102030;
  CTxtWinHost::Ptr host = MakeHost(config);
  ASSERT_TRUE(host);
  const int pixelsPerInch = ::GetDeviceCaps(owner_.GetHostDC(), LOGPIXELSY);
  const CHARFORMAT2W& format = host->GetCharFormat();
  EXPECT_EQ(format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE),
            static_cast<DWORD>(CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE));
  EXPECT_EQ(format.yHeight, 20 * 1440 / pixelsPerInch);
  EXPECT_EQ(format.crTextColor, RGB(0x10, 0x20, 0x30));
  EXPECT_STREQ(format.szFaceName, L"Tahoma");

  // The text services start from it.
  CHARFORMAT2W seen = {};
  seen.cbSize = sizeof(seen);
  host->TxSendMessage(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&seen), nullptr);
  EXPECT_EQ(seen.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE),
            static_cast<DWORD>(CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE));
  EXPECT_EQ(seen.yHeight, format.yHeight);
  EXPECT_EQ(seen.crTextColor, RGB(0x10, 0x20, 0x30));

  // A later font replaces the effects instead of adding to them. (Wine's text services do not
  // read the format again when told it changed; the host's answer is what they would read.)
  host->SetFont(plain);
  EXPECT_EQ(host->GetCharFormat().dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE), 0u);
  EXPECT_EQ(host->GetCharFormat().yHeight, 12 * 1440 / pixelsPerInch);
  host->SetTextColor(0x80FFEEDD);
  EXPECT_EQ(host->GetCharFormat().crTextColor, RGB(0xFF, 0xEE, 0xDD));
  host->SetFont(nullptr);  // Nothing.
  EXPECT_EQ(host->GetCharFormat().yHeight, 12 * 1440 / pixelsPerInch);

  host.reset();
  ::DeleteObject(bold);
  ::DeleteObject(plain);
}

TEST_F(TextHostTest, PropertyBitsAndFormatsFollowTheStyle) {
  ui::TextHostConfig config;
  config.style = ES_READONLY | ES_PASSWORD | ES_AUTOHSCROLL | ES_CENTER | WS_HSCROLL;
  config.richText = true;
  config.text = L"fixed";
  CTxtWinHost::Ptr host = MakeHost(config);
  ASSERT_TRUE(host);
  DWORD bits = 0;
  host->TxGetPropertyBits(0xFFFFFFFF, &bits);
  EXPECT_EQ(bits, static_cast<DWORD>(TXTBIT_RICHTEXT | TXTBIT_READONLY | TXTBIT_USEPASSWORD |
                                     TXTBIT_HIDESELECTION));  // No word wrap, not multi-line.
  host->TxGetPropertyBits(TXTBIT_READONLY, &bits);
  EXPECT_EQ(bits, static_cast<DWORD>(TXTBIT_READONLY));
  DWORD scrollBars = 0;
  host->TxGetScrollBars(&scrollBars);
  EXPECT_EQ(scrollBars, static_cast<DWORD>(ES_AUTOHSCROLL | WS_HSCROLL));
  EXPECT_EQ(host->GetParaFormat().wAlignment, PFA_CENTER);
  TXTBACKSTYLE backStyle = TXTBACK_OPAQUE;
  host->TxGetBackStyle(&backStyle);
  EXPECT_EQ(backStyle, TXTBACK_TRANSPARENT);

  Type(*host, L"typed");  // Read-only: the services refuse it.
  EXPECT_EQ(ReadText(*host), L"fixed");
}

TEST_F(TextHostTest, LinkClicksAndNotificationsReachTheWindowWithLiveData) {
  NotifyLog log;
  g_notify_log = &log;
  ui::TextHostConfig config;
  config.text = L"see http://phone.example/a page";
  CTxtWinHost::Ptr host = MakeHost(config);
  ASSERT_TRUE(host);
  ::SetWindowLongPtrW(owner_.GetHostWindow(), GWLP_ID, 77);

  host->NotifyLinkClick(CHARRANGE{4, 26});
  ASSERT_EQ(log.texts.size(), 1u);
  EXPECT_EQ(log.wParams[0], static_cast<WPARAM>(EN_LINK));
  EXPECT_EQ(log.texts[0], L"http://phone.example/a");
  EXPECT_EQ(host->GetSelectedText(), L"http://phone.example/a");

  NMHDR header = {};
  host->NotifyWindow(EN_MSGFILTER, &header);
  ASSERT_EQ(log.headers.size(), 1u);
  EXPECT_EQ(log.wParams[1], 77u);
  EXPECT_EQ(log.headers[0].hwndFrom, owner_.GetHostWindow());
  EXPECT_EQ(log.headers[0].idFrom, 77u);
  EXPECT_EQ(log.headers[0].code, static_cast<UINT>(EN_MSGFILTER));
  g_notify_log = nullptr;
}

TEST_F(TextHostTest, ScrollBarsTakeTheContentBeyondTheClientRectangle) {
  owner_.bars[TextScrollBar::kHorizontal].range = 30;  // Creation starts the bars at 0.
  owner_.bars[TextScrollBar::kVertical].range = 40;
  ui::TextHostConfig config;
  config.style = ES_AUTOHSCROLL | WS_HSCROLL | ES_MULTILINE | WS_VSCROLL;
  CTxtWinHost::Ptr host = MakeHost(config);  // Client rectangle 200 x 100.
  ASSERT_TRUE(host);
  EXPECT_EQ(owner_.bars[TextScrollBar::kHorizontal].range, 0);
  EXPECT_EQ(owner_.bars[TextScrollBar::kVertical].range, 0);

  owner_.arrangeCount = 0;
  host->TxSetScrollRange(SB_HORZ, 0, 180, TRUE);  // Fits: the bar stays hidden.
  EXPECT_EQ(owner_.bars[TextScrollBar::kHorizontal].range, 0);
  EXPECT_EQ(owner_.arrangeCount, 0);
  host->TxSetScrollRange(SB_HORZ, 0, 450, TRUE);  // Appears: the owner lays itself out once.
  EXPECT_EQ(owner_.bars[TextScrollBar::kHorizontal].range, 250);
  host->TxSetScrollRange(SB_HORZ, 0, 500, TRUE);
  EXPECT_EQ(owner_.bars[TextScrollBar::kHorizontal].range, 300);
  EXPECT_EQ(owner_.arrangeCount, 1);
  host->TxSetScrollPos(SB_HORZ, 120, TRUE);
  EXPECT_EQ(owner_.bars[TextScrollBar::kHorizontal].pos, 120);

  host->TxSetScrollRange(SB_VERT, 10, 170, TRUE);
  EXPECT_EQ(owner_.bars[TextScrollBar::kVertical].range, 60);
  host->TxSetScrollPos(SB_VERT, 500, TRUE);
  EXPECT_EQ(owner_.bars[TextScrollBar::kVertical].pos, 60);  // Clamped to the range.
  owner_.arrangeCount = 0;
  host->TxEnableScrollBar(SB_VERT, ESB_DISABLE_BOTH);
  EXPECT_EQ(owner_.bars[TextScrollBar::kVertical].range, 0);
  EXPECT_EQ(owner_.bars[TextScrollBar::kVertical].pos, 0);
  EXPECT_EQ(owner_.bars[TextScrollBar::kHorizontal].range, 300);  // Only the bar asked for.
  EXPECT_EQ(owner_.arrangeCount, 1);
  host->TxEnableScrollBar(SB_BOTH, ESB_ENABLE_BOTH);  // Only disabling acts.
  EXPECT_EQ(owner_.arrangeCount, 1);
  host->TxEnableScrollBar(SB_BOTH, ESB_DISABLE_BOTH);
  EXPECT_EQ(owner_.bars[TextScrollBar::kHorizontal].range, 0);
}

TEST_F(TextHostTest, ALongSingleLineGivesTheHorizontalBarARange) {
  owner_.bars[TextScrollBar::kHorizontal];
  ui::TextHostConfig config;
  config.style = ES_AUTOHSCROLL | WS_HSCROLL;
  CTxtWinHost::Ptr host = MakeHost(config);
  ASSERT_TRUE(host);
  host->TxSendMessage(WM_SETFOCUS, 0, 0, nullptr);
  Type(*host, L"short");
  EXPECT_EQ(owner_.bars[TextScrollBar::kHorizontal].range, 0);
  Type(*host, std::wstring(200, L'w'));
  EXPECT_GT(owner_.bars[TextScrollBar::kHorizontal].range, 0);
}

TEST_F(TextHostTest, ANewClientRectangleWrapsTheTextAgain) {
  ui::TextHostConfig config;
  config.text = L"alpha beta gamma delta epsilon zeta eta theta iota kappa lambda mu";
  CTxtWinHost::Ptr host = MakeHost(config);  // 200 wide.
  ASSERT_TRUE(host);
  const auto lineCount = [&host] {
    LRESULT lines = 0;
    host->TxSendMessage(EM_GETLINECOUNT, 0, 0, &lines);
    return lines;
  };
  const LRESULT wide = lineCount();
  EXPECT_GE(wide, 2);
  EXPECT_LE(wide, 4);
  host->SetClientRect(Rect(0, 0, 60, 100));
  EXPECT_GT(lineCount(), wide * 2);
  const int pixelsPerInch = ::GetDeviceCaps(owner_.GetHostDC(), LOGPIXELSY);
  EXPECT_EQ(host->GetExtent().cy, 100 * 2540 / pixelsPerInch);
}

TEST_F(TextHostTest, InvalidationIsShiftedByTheScrollOffset) {
  CTxtWinHost::Ptr host = MakeHost();
  ASSERT_TRUE(host);
  host->SetClientRect(Rect(10, 60, 210, 160));
  owner_.scrollOffset = SIZE{0, 40};
  owner_.invalidated.clear();
  const RECT dirty = Rect(10, 70, 60, 90);
  host->TxInvalidateRect(&dirty, FALSE);
  host->TxInvalidateRect(nullptr, FALSE);
  ASSERT_EQ(owner_.invalidated.size(), 2u);
  EXPECT_TRUE(SameRect(owner_.invalidated[0], Rect(10, 30, 60, 50)));
  EXPECT_TRUE(SameRect(owner_.invalidated[1], Rect(10, 20, 210, 120)));
}

TEST_F(TextHostTest, TheControlRectangleFollowsTheVerticalAlignment) {
  ui::TextHostConfig config;
  config.text = L"one line";
  CTxtWinHost::Ptr host = MakeHost(config);  // Client rectangle 200 x 100.
  ASSERT_TRUE(host);
  RECT rect;
  host->GetControlRect(&rect);
  EXPECT_TRUE(SameRect(rect, Rect(0, 0, 200, 100)));

  owner_.align = TextVerAlign::kBottom;
  host->GetControlRect(&rect);
  const LONG lineHeight = 100 - rect.top;
  EXPECT_GT(lineHeight, 8);
  EXPECT_LT(lineHeight, 40);
  EXPECT_EQ(rect.bottom - rect.top, 100);  // Moved, not shrunk.

  owner_.align = TextVerAlign::kCenter;
  host->GetControlRect(&rect);
  EXPECT_EQ(rect.top, (100 - lineHeight) / 2);
  RECT asked;
  host->TxGetClientRect(&asked);  // What the services see is the same.
  EXPECT_TRUE(SameRect(asked, rect));
}

TEST_F(TextHostTest, ARequestedResizeKeepsTheAlignedTopLeft) {
  CTxtWinHost::Ptr host = MakeHost();
  ASSERT_TRUE(host);
  host->SetClientRect(Rect(20, 30, 220, 130));
  REQRESIZE request = {};
  request.rc = Rect(0, 0, 96, 48);
  host->TxNotify(EN_REQUESTRESIZE, &request);
  EXPECT_TRUE(SameRect(host->GetClientRect(), Rect(20, 30, 116, 78)));
  const int pixelsPerInch = ::GetDeviceCaps(owner_.GetHostDC(), LOGPIXELSX);
  EXPECT_EQ(host->GetExtent().cx, 96 * 2540 / pixelsPerInch);
  ASSERT_FALSE(owner_.notifications.empty());
  EXPECT_EQ(owner_.notifications.back(), static_cast<DWORD>(EN_REQUESTRESIZE));
}

TEST_F(TextHostTest, TimersRepeatUntilKilledAndOneIdKeepsOneTimer) {
  ui::ManualClock clock;
  CTxtWinHost::Ptr host = MakeHost();
  ASSERT_TRUE(host);
  ui::TimerManager* timers = ui::TimerManager::GetInstance();
  ASSERT_TRUE(uitest::AdvanceClock(clock, 1));
  const size_t before = timers->GetPendingCount();

  EXPECT_TRUE(host->TxSetTimer(7, 50));
  EXPECT_TRUE(host->TxSetTimer(7, 50));  // Replaces the first.
  EXPECT_TRUE(host->GetHostFlags() & CTxtWinHost::kFlagTimer);
  ASSERT_TRUE(uitest::AdvanceClock(clock, 120));
  EXPECT_EQ(timers->GetPendingCount(), before + 1);  // The first is gone, the second repeats.

  host->TxKillTimer(99);  // Unknown: nothing.
  EXPECT_TRUE(host->GetHostFlags() & CTxtWinHost::kFlagTimer);
  host->TxKillTimer(7);
  EXPECT_FALSE(host->GetHostFlags() & CTxtWinHost::kFlagTimer);
  ASSERT_TRUE(uitest::AdvanceClock(clock, 120));
  EXPECT_EQ(timers->GetPendingCount(), before);

  host->TxSetTimer(8, 50);  // Dies with the host.
  host.reset();
  ASSERT_TRUE(uitest::AdvanceClock(clock, 120));
  EXPECT_EQ(timers->GetPendingCount(), before);
}

TEST_F(TextHostTest, CaptureFocusAndCoordinatesGoThroughTheOwnersWindow) {
  CTxtWinHost::Ptr host = MakeHost();
  ASSERT_TRUE(host);
  host->TxSetCapture(TRUE);
  EXPECT_TRUE(host->GetHostFlags() & CTxtWinHost::kFlagCaptured);
  host->TxSetCapture(FALSE);
  EXPECT_FALSE(host->GetHostFlags() & CTxtWinHost::kFlagCaptured);
  EXPECT_EQ(owner_.captures, (std::vector<bool>{true, false}));
  host->TxSetFocus();
  EXPECT_EQ(owner_.focusCount, 1);

  ::SetWindowPos(owner_.GetHostWindow(), nullptr, 100, 50, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  POINT point = {5, 6};
  ASSERT_TRUE(host->TxClientToScreen(&point));
  EXPECT_EQ(point.x, 105);
  EXPECT_EQ(point.y, 56);
  ASSERT_TRUE(host->TxScreenToClient(&point));
  EXPECT_EQ(point.x, 5);
  EXPECT_EQ(point.y, 6);
}

TEST_F(TextHostTest, WithoutTheLibraryOrItsFunctionThereIsNoHost) {
  const int live = CTxtWinHost::GetLiveCount();
  EXPECT_FALSE(CTxtWinHost::Create(&owner_, ui::TextHostConfig(),
                                   ui::TextServicesSource{L"no_such_text_services.dll",
                                                          "CreateTextServices"}));
  EXPECT_FALSE(CTxtWinHost::Create(
      &owner_, ui::TextHostConfig(),
      ui::TextServicesSource{L"kernel32.dll", "CreateTextServices"}));
  EXPECT_FALSE(CTxtWinHost::Create(nullptr, ui::TextHostConfig()));
  EXPECT_EQ(CTxtWinHost::GetLiveCount(), live);
}

TEST_F(TextHostTest, DroppingTheHostTakesHostAndServicesAway) {
  const int live = CTxtWinHost::GetLiveCount();
  for (int i = 0; i < 20; ++i) {
    ui::TextHostConfig config;
    config.text = L"round " + std::to_wstring(i);
    CTxtWinHost::Ptr host = MakeHost(config);
    ASSERT_TRUE(host);
    EXPECT_EQ(CTxtWinHost::GetLiveCount(), live + 1);
  }
  EXPECT_EQ(CTxtWinHost::GetLiveCount(), live);
}

TEST_F(TextHostTest, TheServicesDrawTheTextIntoTheOwnersSurface) {
  ui::TextHostConfig config;
  config.text = L"Fernhold text";
  config.textColor = 0xFF2040C0;
  CTxtWinHost::Ptr host = MakeHost(config);
  ASSERT_TRUE(host);
  std::unique_ptr<ui::IRenderContext> canvas = uitest::MakeCanvas(200, 100);
  canvas->FillRect(Rect(0, 0, 200, 100), 0xFFFFFFFF);
  RECT bounds;
  host->GetControlRect(&bounds);
  RECTL boundsL = {bounds.left, bounds.top, bounds.right, bounds.bottom};
  RECT update = bounds;
  ASSERT_EQ(host->GetTextServices()->TxDraw(DVASPECT_CONTENT, 0, nullptr, nullptr,
                                            canvas->GetDC(), nullptr, &boundsL, nullptr, &update,
                                            nullptr, 0, TXTVIEW_ACTIVE),
            S_OK);
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  EXPECT_TRUE(uitest::SaveContextPng(canvas.get(), std::wstring(temp) + L"fernhold-text-host.png"));
  // Text colour on the first line, none below it.
  int inked = 0;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 200; ++x) {
      const DWORD rgb = uitest::RgbAt(canvas.get(), x, y);
      if ((rgb & 0xFF) > 0x80 && ((rgb >> 16) & 0xFF) < 0x80) ++inked;  // Bluish.
    }
  EXPECT_GT(inked, 20);
  EXPECT_EQ(uitest::CountRgb(canvas.get(), Rect(0, 40, 200, 100), 0xFFFFFF), 200 * 60);
}

}  // namespace
