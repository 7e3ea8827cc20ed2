// The phone's clipboard into the PC's.
//
// The phone reports its clipboard as a small JSON object such as {"type":"text","content":"x"}.
// Its members are read in turn (other members' values, nested ones included, are skipped whole);
// the text is the first "content" member's string with JSON's escapes decoded, stripped of
// control bytes other than tab, line feed and carriage return, and put on the Windows clipboard
// as Unicode text.
//
//   std::string text = remote_clipboard::ExtractContent(data, length);
//   if (!text.empty() && writer.Offer(nbase::UTF8ToUTF16(text))) {
//     StartWorker([&] { writer.WriteAll(); });  // no writer runs yet: start one
//   }
//
// Malformed input never reads past `length`: a truncated or invalid escape (with the hex digits
// it has; what follows them is text again), and a surrogate without its partner, give nothing for
// that escape; a message that is no object, whose members cannot be read up to "content", or whose
// "content" is no string gives empty text; a "content" string cut short by the end of the message
// gives what it holds. Valid UTF-8 in gives valid UTF-8 out.
//
// Thread-safety: ExtractContent is pure; TryPutText may be called from any thread (it opens the
// clipboard without an owner window); a Writer's members may be called from any thread.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

#include "plugin/session_clock.h"

namespace remote_clipboard {

// The decoded, control-stripped text of the message's "content" string; empty when there is
// none. Null data or a message of 8 bytes or less gives empty text.
std::string ExtractContent(const char* data, int length);

// One try at replacing the clipboard's contents with `text` as CF_UNICODETEXT; never waits. False
// when another program holds the clipboard or it refused the data; no memory is leaked on any
// path.
bool TryPutText(const std::wstring& text);

// Texts on their way to the clipboard, written on a thread of the owner's choosing rather than
// the one that hands them in (the library's notification thread, whose later notifications must
// not wait). A clipboard that another program holds, or that refuses the data, is tried again
// every 20 ms of `clock`, about a second in all; a newer text replaces one not yet written.
class Writer {
 public:
  explicit Writer(std::shared_ptr<SessionClock> clock) : clock_(std::move(clock)) {}
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Keeps `text` for writing. True when no writer runs: the caller then runs WriteAll on a
  // thread of its own, or calls Abandon when none can start.
  bool Offer(std::wstring text);
  // The writer's body: writes what is offered until nothing is left.
  void WriteAll();
  // No writer could start: the text offered is dropped.
  void Abandon();
  // The owner goes: a wait in progress ends, and what is offered from now on is dropped.
  void Close();

 private:
  // The next text to write; false (and no writer runs from then on) when there is none.
  bool TakeNext(std::wstring* text);

  const std::shared_ptr<SessionClock> clock_;
  std::mutex mutex_;  // guards the three fields below
  std::wstring pending_;
  bool hasPending_ = false;
  bool writing_ = false;
  std::atomic<bool> newer_{false};  // a text came while one was being tried
  std::atomic<bool> closed_{false};
};

}  // namespace remote_clipboard
