// Inner state of the simulated data sources, players and displays, shared between the library's
// objects and their threads.
//
// Lock order: PlayerCore::renderMutex, then PlayerCore::mutex, then SourceCore::mutex, then
// DisplayState::mutex. PlayerCore::listenerMutex and FrameStore locks are taken alone. No lock
// of the library is held while a caller's listener or display is called, except renderMutex
// (held while a frame is handed to the display) and listenerMutex (held while the error
// listener runs), which is how unbinding and destruction wait out a call in flight.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "swplay/src/sim_script.h"
#include "swplay/src/timed_strand.h"
#include "swplay/sw_data_source.h"
#include "swplay/sw_player.h"
#include "swplay/video_display.h"

namespace swplay_internal {

struct PlayerCore;

// What the player needs to know of a stream to produce its frames.
struct StreamShape {
  int fps = 30;
  int width = 432, height = 768;
  bool scalable = true;
};

struct SourceCore : std::enable_shared_from_this<SourceCore> {
  SourceCore(unsigned id, SWDataSourceListener* listener) : id(id), listener(listener) {}

  void Record(std::string text) const;
  // Sleeps when the script says `operation` blocks, and waits while a test pauses it.
  void MaybeBlock(const char* operation);

  void Start();
  void StopCasting();
  bool IsConnected();
  // Makes every notification still waiting for its time due now; how many there were.
  int DeliverNow();
  StreamShape Shape();
  Script ScriptCopy();
  // Schedules one timed item against the current connection; false when not connected.
  bool Schedule(const TimedItem& item);
  void BindPlayer(const std::shared_ptr<PlayerCore>& player);
  // No notification runs after this returns (unless called from one, which then is the last).
  void Close();

  const unsigned id;
  SWDataSourceListener* const listener;
  const std::shared_ptr<TimedStrand> strand = std::make_shared<TimedStrand>();

  std::mutex mutex;  // guards the fields below
  std::string token;
  bool hasToken = false;
  Script script;
  bool connected = false;
  // Bumped by every start and stop of casting; a scheduled notification of an older epoch is void,
  // unless the script lingers and only stops came since (not a start).
  uint64_t epoch = 0;
  uint64_t startEpoch = 0;  // the epoch the last start() began
  bool closed = false;
  std::weak_ptr<PlayerCore> player;

 private:
  // Runs `body` on the strand when the data source is still open and `forEpoch` still current
  // (or, lingering, stopped since but not started again); `body` gets the locked state and
  // returns what to call outside the lock.
  void Post(int delayMs, uint64_t forEpoch, std::function<std::function<void()>()> body);
  void OnConnectDue(uint64_t forEpoch);
  bool StillDue(uint64_t forEpoch) const;  // `mutex` held
  void PostItem(const TimedItem& item, uint64_t forEpoch);
};

struct PlayerCore : std::enable_shared_from_this<PlayerCore> {
  explicit PlayerCore(unsigned id) : id(id) {}

  void Record(std::string text) const;
  bool OnRenderThread() const { return std::this_thread::get_id() == renderThreadId; }
  // Calls the error listener, if any (a library thread).
  void ReportError(int code, bool hasText, const std::string& text);
  // Binds `display` (null: none) in place of the bound one, waiting out a frame in flight.
  void SwitchDisplay(VideoDisplay* display);
  // Unbinds `display` if it is the bound one (a display being destroyed).
  void ForgetDisplay(VideoDisplay* display);
  void RenderLoop();

  const unsigned id;
  std::mutex renderMutex;  // held while a frame is handed to the display
  std::mutex mutex;        // guards the fields below
  std::condition_variable wake;
  bool started = false;
  bool closing = false;
  std::shared_ptr<DataSource> source;
  std::shared_ptr<SourceCore> sourceCore;
  VideoDisplay* display = nullptr;
  uint32_t sequence = 0;
  std::thread thread;
  std::atomic<std::thread::id> renderThreadId{};

  std::mutex listenerMutex;  // held while the error listener runs
  OnPlayerErrorListener* errorListener = nullptr;
};

// Binding of a display to a player and a data source (for touches); see VideoDisplay.
struct DisplayAccess {
  static unsigned Id(const VideoDisplay* display);
  static void Bind(VideoDisplay* display, const std::shared_ptr<PlayerCore>& player,
                   const std::shared_ptr<SourceCore>& source);
  static void Unbind(VideoDisplay* display, const PlayerCore* player);
  // A display is being destroyed: its player (if any) stops rendering into it, counting a fault.
  static void Release(VideoDisplay* display);
};

struct SourceAccess {
  static std::shared_ptr<SourceCore> Core(const DataSource* source);
};

struct PlayerAccess {
  // Started, with a connected (and casting) data source.
  static bool Streaming(const SWPlayer* player);
};

}  // namespace swplay_internal
