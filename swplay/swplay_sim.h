// Hooks of this build's simulated streaming library: scripting and inspection for tests and the
// demo. Callers of the real library never use them; the rest of the program never includes this.
//
// The library simulates cloud phones. What a phone does is scripted by the server token given to
// `SWDataSource::setServerToken` (the only per-phone text that reaches the library). A token is a
// list of items separated by ';'. An item without '=' is a free label (ignored; use it to keep
// tokens unique). Values are percent-decoded ("%3B" is ';', "%25" is '%'). Unknown keys are
// ignored; a value that does not parse leaves the default.
//
//   connect=MS            delay from start() to onConnected (default 100); a test that wants to
//                         say when gives a long one and calls swsim_deliver_now
//   plan=O1,O2,...        outcome of the 1st, 2nd, ... start() made in the process with this
//                         token, whatever data source makes it; the last one repeats.
//                         O is ok | silent | fail:CODE (onDisconnected(CODE) after the connect
//                         delay, never connected). Default ok.
//   notices=N             onReconnecting(1..N), spread over the connect delay, before each connect
//   drop=MS:CODE[:K]      MS after each connection, onDisconnected(CODE); only the first K
//                         connections of the token drop (default: every one)
//   clip=MS:TEXT          MS after connecting, onRecvClipboard with {"content":"TEXT"}; TEXT goes
//                         in as written, so JSON escapes may be used
//   cliphex=MS:HEX        MS after connecting, onRecvClipboard with these raw bytes
//   control=MS:VALUE:FPS  MS after connecting, onControlVideo(VALUE, FPS)
//   perror=MS:CODE[:TEXT] MS after connecting, the player's error listener gets (CODE, TEXT or
//                         null)
//   size=WxH              frames are delivered at this size, whatever the display asked for
//   native=WxH            the stream's size when the display asked for none (default 432x768)
//   fps=N                 frame rate of the render thread (default 30, at most 240)
//   linger=1              notifications already scheduled when casting stops (screenCast(0))
//                         still arrive after the stop, as a real library's notifications on their
//                         way do; a new start() or the data source's destruction still voids them
//   token=RET             result of setServerToken (default 0)
//   audio=RET             result of sendAudio (default 0)
//   change=RET            result of changeDisplay (default 0)
//   level=RET[:W:H]       result of getVideoLevelResult, and the width and height it writes into
//                         the level's second and third values (default 0, values left as given)
//   block=CALL:MS         the named operation (e.g. screenCast, start, setVideoLevels,
//                         sendKeyEvent) sleeps MS on the caller's thread before it returns
//
// Slow calls: besides `block`, a test may hold an operation for as long as it likes with
// swsim_pause; the call has been logged when it waits.
//
// Example: "phone-7;connect=300;drop=2000:5:1;clip=500:hi" connects after 300 ms, drops once with
// code 5 two seconds after the first connection and sends the clipboard text "hi".
//
// Call log: the library records every operation on data sources and players, in order, with its
// arguments ("null" for null pointers, level tables in full, payloads as length and bytes), and
// every notification it delivers (lines starting with "=> "). A data source's lines read like
//   setServerToken("tok", "u1", 7, null, 0, "https://host/path")
//   setVideoLevels([10,720,1280,...], 4)
//   sendAudio(1, 3 bytes 0a0b0c)
//   => onConnected()
// and a player's like
//   setDataSource(S12)   setDisplay(D3)   setDisplay(null)   start()   stop()
//
// Summary: while the runtime is up (between SWRuntime::init and deinit), the library prints a
// short per-token summary to standard output whenever the last data source is destroyed, and at
// deinit if anything happened since.
//
// Thread-safety: every hook may be called from any thread. Returned text stays valid until the
// next hook call on the same thread.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "swplay/swplay_export.h"

class Mutex;
class SWPlayer;
class VideoDisplay;

extern "C" {
// The merged log of every data source made with `token` and every player bound to one of them,
// one line per entry, each prefixed "S<id> " or "P<id> ".
SWPLAY_API const char* swsim_token_log(const char* token);
// The log of one data source (`kind` 'S') or player (`kind` 'P'), without prefixes.
SWPLAY_API const char* swsim_object_log(char kind, unsigned id);
// Ids of the data sources made with `token`, in order of creation, separated by ','.
SWPLAY_API const char* swsim_source_ids(const char* token);
// Number of start() calls made with `token` so far.
SWPLAY_API int swsim_start_count(const char* token);
// The id under which `display` appears in logs ("D<id>"); 0 for null.
SWPLAY_API unsigned swsim_display_id(const VideoDisplay* display);
// Live objects: 'S' data sources, 'P' players, 'T' library threads still running, 'N'
// notifications scheduled and not yet delivered or dropped (one being delivered counts).
SWPLAY_API int swsim_live_count(char kind);
// Displays destroyed while a player still had them bound (a caller fault).
SWPLAY_API int swsim_dangling_display_count();
// Applies one timed script item (drop, clip, cliphex, control, perror, notices) now to every
// connected data source of `token`, counting MS from now. Returns the number of data sources.
SWPLAY_API int swsim_inject(const char* token, const char* item);
// Every notification of data source `id` still waiting for its time is due now, in order (they
// are then delivered or, when void, dropped). Returns how many there were.
SWPLAY_API int swsim_deliver_now(unsigned id);
// From now on, calls of `operation` (as `block` names them) on data sources of `token` wait
// inside, after their log line, until swsim_resume(`token`).
SWPLAY_API void swsim_pause(const char* token, const char* operation);
SWPLAY_API void swsim_resume(const char* token);
// Threads waiting in `mutex`'s lock() for another thread to let it go.
SWPLAY_API int swsim_lock_waiters(const Mutex* mutex);
// 1 when `player` is started and its data source is connected and casting (frames flow as soon
// as a display is bound), else 0.
SWPLAY_API int swsim_player_streaming(const SWPlayer* player);
// A short per-token summary of what was sent (starts, connections, touches, keys, texts...).
SWPLAY_API const char* swsim_summary();
}

namespace swsim {

inline std::vector<std::string> SplitLines(const char* text) {
  std::vector<std::string> lines;
  std::istringstream in(text ? text : "");
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

inline std::vector<std::string> TokenLog(const std::string& token) {
  return SplitLines(swsim_token_log(token.c_str()));
}

inline std::vector<std::string> ObjectLog(char kind, unsigned id) {
  return SplitLines(swsim_object_log(kind, id));
}

inline std::vector<unsigned> SourceIds(const std::string& token) {
  std::vector<unsigned> ids;
  std::istringstream in(swsim_source_ids(token.c_str()));
  for (std::string item; std::getline(in, item, ',');) ids.push_back(std::stoul(item));
  return ids;
}

}  // namespace swsim
