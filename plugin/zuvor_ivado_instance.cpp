// Session lifecycle: initialisation, connection, watchdog, reconnection with back-off, the
// connecting slots, stops and shutdown.
#include "plugin/zuvor_ivado_instance.h"

#include <thread>
#include <utility>

#include "plugin/detached_thread.h"
#include "plugin/plugin_log.h"
#include "plugin/zuvor_ivado_instance_lock.h"

const char ZuvorIvadoInstance::kConnectEndpoint[] =
    "https://phone.fernhold.example/sdk/instance/cloud-phone-connect";

namespace {

std::atomic<int> g_workers{0};

constexpr int kFirstWatchdogSeconds = 8;
constexpr int kReconnectWatchdogSeconds = 15;
constexpr int kMaxRetries = 3;
constexpr int kFirstBackoffMs = 500;
constexpr auto kSlotPoll = std::chrono::milliseconds(100);
constexpr auto kReinitSpacing = std::chrono::milliseconds(1000);
constexpr int kInitializeAttempts = 3;
// connectFailed's code when the session fails for want of a thread.
constexpr int kNoThreadCode = -1;

const VideoLevel kVideoLevels[4] = {
    {{10, 720, 1280, 20, 15, 4096, 80, 1, 1, 100, 50}},
    {{10, 576, 1024, 20, 15, 2048, 80, 2, 2, 100, 50}},
    {{10, 432, 768, 20, 15, 1024, 80, 3, 3, 100, 50}},
    {{10, 288, 512, 8, 1, 512, 32, 4, 4, 100, 50}},
};

// Delay before reconnection attempt `retry` (1-based): 500, 1000, 2000 ms.
int BackoffMs(int retry) { return kFirstBackoffMs << (retry - 1); }

}  // namespace

// A data source's listener. It carries the number of the attempt that last started its data
// source, so the session can tell the notifications of an attempt that has ended. It lives as
// long as its data source (whoever lets go of the data source last, the player may), and the
// session outlives both.
class ZuvorIvadoInstance::SourceListener : public SWDataSourceListener {
 public:
  explicit SourceListener(ZuvorIvadoInstance& session) : session_(session) {}

  // Set (lock held) before its data source starts for `attempt`.
  void SetAttempt(uint64_t attempt) { attempt_.store(attempt); }

  void onConnected() override { session_.OnAttemptConnected(attempt_.load()); }
  void onReconnecting(int count) override {
    session_.OnAttemptReconnecting(attempt_.load(), count);
  }
  void onDisconnected(int errorCode) override {
    session_.OnAttemptDisconnected(attempt_.load(), errorCode);
  }
  void onControlVideo(int value, int fps) override { session_.OnControlVideo(value, fps); }
  void onRecvClipboard(const char* data, int length) override {
    session_.OnPhoneClipboard(data, length);
  }

 private:
  ZuvorIvadoInstance& session_;
  std::atomic<uint64_t> attempt_{0};  // 0: not started yet
};

ZuvorIvadoInstance::ZuvorIvadoInstance(const ZuvorIvadoConfig& config, SessionServices services)
    : padCode_(config.padCode),
      clock_(services.clock ? services.clock : SessionClock::MakeRealTime()),
      config_(config),
      windowFactory_(services.windowFactory),
      textureRegistrar_(services.textureRegistrar),
      attempt_(clock_) {
  for (int i = 0; i < 4; ++i) videoLevels_[i] = kVideoLevels[i];
}

ZuvorIvadoInstance::~ZuvorIvadoInstance() {
  std::unique_ptr<ZuvorIvadoTexture> texture;
  {
    Locked locked(*this);
    texture = TearDownLocked();
  }
  // Unbound above, so the player no longer renders into it; deleting it unregisters it.
  texture.reset();
}

void ZuvorIvadoInstance::Log(const std::string& text) const {
  PluginLog("[ZuvorIvadoInstance] " + text);
}

// ----- Requests -----

void ZuvorIvadoInstance::SupersedeStopsLocked() {
  stopGeneration_.fetch_add(1);
  stopRequested_ = false;
}

void ZuvorIvadoInstance::SupersedeWorkersLocked() {
  requestGeneration_.fetch_add(1);
  clock_->Wake();
}

ZuvorIvadoInstance::Ticket ZuvorIvadoInstance::CurrentTicket() const {
  return Ticket{requestGeneration_.load(), attempt_.number()};
}

bool ZuvorIvadoInstance::IsCurrent(const Ticket& ticket) const {
  return requestGeneration_.load() == ticket.request && attempt_.number() == ticket.attempt;
}

int ZuvorIvadoInstance::Initialize() {
  Locked locked(*this);
  if (shutDown_) return -1;
  SupersedeStopsLocked();
  return InitializeLocked();
}

int ZuvorIvadoInstance::InitializeLocked() {
  if (initialized_) return 0;
  if (stopRequested_ || shutDown_) return -1;
  if (!player_) {
    player_ = std::make_shared<SWPlayer>();
    player_->enableHWaccel();
    player_->setOnPlayerErrorListener(this);
  }
  if (dataSource_) {
    attempt_.End();  // whatever it still had on its way belongs to no attempt now
    player_->setDataSource(nullptr);
    RetireDataSource();
  }
  const int result = MakeDataSource();
  if (result != 0) {
    Log("setServerToken failed: " + padCode_ + " ret=" + std::to_string(result));
    RetireDataSource();
    return result;
  }
  ConfigurePlayback(videoLevel_);
  initialized_ = true;
  return 0;
}

int ZuvorIvadoInstance::Connect(int playType) {
  Locked locked(*this);
  if (shutDown_) return -1;
  SupersedeStopsLocked();
  SupersedeWorkersLocked();
  return ConnectLocked(playType, ConnectingSlot());
}

int ZuvorIvadoInstance::ConnectLocked(int playType, ConnectingSlot slot) {
  if (!initialized_ || stopRequested_) return -1;
  if (attempt_.connected()) return 0;
  screenCastMode_ = playType;
  retryCount_ = 0;
  return StartPlayback(kFirstWatchdogSeconds, std::move(slot));
}

int ZuvorIvadoInstance::Play() {
  Locked locked(*this);
  if (!attempt_.connected() || !player_) return -1;
  player_->start();
  return 0;
}

int ZuvorIvadoInstance::StartPlayback(int watchdogSeconds, ConnectingSlot slot) {
  if (!dataSource_ || !player_) return -1;
  stopRequested_ = false;
  const uint64_t attempt = attempt_.Begin(std::move(slot));
  // The watchdog first: an attempt nobody watches is not started at all.
  const Ticket ticket = CurrentTicket();
  if (!StartWorker([ticket, watchdogSeconds](ZuvorIvadoInstance& self) {
        self.RunWatchdog(ticket, watchdogSeconds);
      })) {
    attempt_.End();
    return -1;
  }
  sourceListener_->SetAttempt(attempt);
  micConfigSent_ = false;
  BindDisplayForMode();
  dataSource_->screenCast(screenCastMode_);
  player_->start();
  dataSource_->start();
  return 0;
}

void ZuvorIvadoInstance::Disconnect() {
  std::unique_ptr<ZuvorIvadoTexture> texture;
  std::shared_ptr<PhoneWindowLink> window;
  {
    Locked locked(*this);
    texture = TearDownLocked();
    window = std::move(window_);
  }
  // The phone is gone, so is its window; its close reports nothing (it is no longer the
  // session's), and a click on its way meanwhile finds the link closed. Closing only posts.
  if (window) window->CloseWindow();
  // Whoever still holds the session (a worker, a stop thread) may let it go after the engine is
  // gone: the texture goes back to the engine now.
  texture.reset();
}

int64_t ZuvorIvadoInstance::NextStopGeneration() { return stopGeneration_.fetch_add(1) + 1; }

void ZuvorIvadoInstance::StopPlay(int64_t generation) {
  Locked locked(*this);
  // Checked under the lock, so a request that bumps the generation either comes before (and
  // this stop does nothing) or after (and starts afresh).
  if (generation != 0 && generation != stopGeneration_.load()) return;
  RequestStopLocked();
}

void ZuvorIvadoInstance::RequestStopLocked() {
  stopRequested_ = true;
  SupersedeWorkersLocked();
  StopAttemptLocked();
}

void ZuvorIvadoInstance::StopAttemptLocked() {
  StopCastingLocked();
  attempt_.End();
}

void ZuvorIvadoInstance::StopCastingLocked() {
  if (std::shared_ptr<DataSource> source = PlayerSource()) {
    source->screenCast(0);
    player_->stop();
  }
}

void ZuvorIvadoInstance::Shutdown() {
  std::unique_ptr<ZuvorIvadoTexture> texture;
  std::shared_ptr<PhoneWindowLink> window;
  clipboard_.Close();
  {
    Locked locked(*this);
    shutDown_ = true;
    stopGeneration_.fetch_add(1);
    texture = TearDownLocked();
    window = std::move(window_);
    windowFactory_ = nullptr;
    textureRegistrar_ = nullptr;
  }
  if (window) window->CloseWindow();
  // The engine still exists: unregistering now lets it finish with the buffers.
  texture.reset();
}

std::unique_ptr<ZuvorIvadoTexture> ZuvorIvadoInstance::TearDownLocked() {
  stopRequested_ = true;
  SupersedeWorkersLocked();
  attempt_.End();
  StopStreamLocked();
  ReleaseLibraryObjectsLocked();
  initialized_ = false;  // the data source is gone: a later use must initialise again
  displayMode_ = 0;
  retryCount_ = 0;
  textureId_ = -1;
  return std::move(texture_);
}

void ZuvorIvadoInstance::StopStreamLocked() {
  if (player_) {
    player_->stop();
    player_->setDisplay(nullptr);
  }
  boundDisplay_ = nullptr;
}

void ZuvorIvadoInstance::ReleaseLibraryObjectsLocked() {
  Retire(std::move(player_));
  RetireDataSource();
}

// ----- Watchdog and reconnection -----

void ZuvorIvadoInstance::RunWatchdog(Ticket ticket, int seconds) {
  if (!WaitFor(WaitKind::kWatchdog, std::chrono::seconds(seconds), ticket)) return;
  Locked locked(*this);
  // The ticket is current only while its attempt is: one that connected, failed or was stopped
  // has nothing left to time out.
  if (IsCurrent(ticket) && initialized_ && !attempt_.connected() && !stopRequested_) {
    OnConnectTimeout();
  }
}

void ZuvorIvadoInstance::OnConnectTimeout() {
  Log("connect timeout: " + padCode_);
  StopAttemptLocked();
  if (retryCount_ < kMaxRetries) {
    ++retryCount_;
    Fire(callbacks.reconnecting, padCode_, retryCount_);
    ScheduleReconnect(BackoffMs(retryCount_));
    return;
  }
  retryCount_ = 0;
  RequestStopLocked();
  initialized_ = false;
  Fire(callbacks.connectTimeout, padCode_, kConnectTimeoutCode);
}

void ZuvorIvadoInstance::ScheduleReconnect(int delayMs) {
  const Ticket ticket = CurrentTicket();  // after the attempt it follows has ended
  if (!StartWorker(
          [ticket, delayMs](ZuvorIvadoInstance& self) { self.RunReconnect(ticket, delayMs); })) {
    FailLocked(kNoThreadCode);
  }
}

void ZuvorIvadoInstance::RunReconnect(Ticket ticket, int delayMs) {
  if (!WaitFor(WaitKind::kBackoff, std::chrono::milliseconds(delayMs), ticket)) return;
  ConnectingSlot slot = AwaitConnectingSlot(ticket);
  if (!slot) return;
  Locked locked(*this);
  if (!IsCurrent(ticket) || !initialized_ || attempt_.connected() || stopRequested_ ||
      retryCount_ > kMaxRetries) {
    return;  // the slot goes back
  }
  Reconnect();
  if (StartPlayback(kReconnectWatchdogSeconds, std::move(slot)) != 0) FailLocked(kNoThreadCode);
}

void ZuvorIvadoInstance::Reconnect() {
  if (std::shared_ptr<DataSource> source = PlayerSource()) source->screenCast(0);
  if (player_) player_->stop();
  RetireDataSource();
  // The token's result is not used here: a refused token shows up as a failed connection.
  MakeDataSource();
  ConfigurePlayback(0);
}

void ZuvorIvadoInstance::FailLocked(int code) {
  retryCount_ = 0;
  attempt_.End();
  if (player_) {
    player_->stop();
    player_->setDisplay(nullptr);
    boundDisplay_ = nullptr;
  }
  initialized_ = false;
  Fire(callbacks.connectFailed, padCode_, code);
}

int ZuvorIvadoInstance::MakeDataSource() {
  auto listener = std::make_shared<SourceListener>(*this);
  // The data source takes its listener along: the player may let go of the data source last.
  dataSource_ = std::shared_ptr<SWDataSource>(
      new SWDataSource(SWRuntime::getInstance()->obtainID(), listener.get()),
      [listener](SWDataSource* source) { delete source; });
  sourceListener_ = std::move(listener);
  dataSource_->setBusinessType(1);
  dataSource_->setInstanceType(1);
  return dataSource_->setServerToken(
      config_.serverToken.c_str(), config_.uuid.c_str(), config_.userId,
      config_.appId.empty() ? nullptr : config_.appId.c_str(), config_.carrierType,
      config_.domestic ? nullptr : kConnectEndpoint);
}

void ZuvorIvadoInstance::RetireDataSource() {
  Retire(std::move(dataSource_));
  sourceListener_.reset();
}

void ZuvorIvadoInstance::ConfigurePlayback(int videoLevel) {
  const VideoLevel& l0 = videoLevels_[0];
  dataSource_->setPlayParams("", l0.values[0], l0.values[1], l0.values[2], l0.values[3],
                             l0.values[4], l0.values[5], l0.values[6], l0.values[7], l0.values[8],
                             3, 2, 0);
  dataSource_->setVideoLevels(videoLevels_, 4);
  dataSource_->setVideoLevel(videoLevel);
  dataSource_->setReconnectable(true);
  if (player_) player_->setDataSource(dataSource_);
}

void ZuvorIvadoInstance::ReinitializeAndConnect(Ticket ticket, int playType) {
  ConnectingSlot slot = AwaitConnectingSlot(ticket);
  if (!slot) return;
  int result = -1;
  for (int attempt = 1;; ++attempt) {
    {
      Locked locked(*this);
      if (!IsCurrent(ticket) || stopRequested_) return;  // the slot goes back
      result = InitializeLocked();  // 0 at once when initialised already
      if (result == 0) {
        if (attempt_.connected()) {
          slot.Release();
          Fire(callbacks.connected, padCode_, int(videoWidth_), int(videoHeight_));
          return;
        }
        // The attempt holds the slot until its outcome.
        result = ConnectLocked(playType, std::move(slot));
        if (result != 0) FailLocked(result);
        return;
      }
      if (attempt == kInitializeAttempts) {
        Log("initialize failed: " + padCode_ + " ret=" + std::to_string(result));
        break;
      }
    }
    if (!WaitFor(WaitKind::kReinitSpacing, kReinitSpacing, ticket)) return;
  }
  slot.Release();
  Fire(callbacks.connectFailed, padCode_, result);
}

// ----- Notifications -----

bool ZuvorIvadoInstance::IsOngoingLocked(uint64_t attempt, const char* notification) {
  if (attempt_.IsCurrent(attempt)) return true;
  Log(std::string(notification) + " of an ended attempt ignored: " + padCode_);
  return false;
}

void ZuvorIvadoInstance::OnAttemptConnected(uint64_t attempt) {
  int width, height;
  {
    Locked locked(*this);
    // A stop ends the attempt: a current one was asked for by no stop since.
    if (!IsOngoingLocked(attempt, "onConnected")) return;
    attempt_.Connected();
    retryCount_ = 0;
    width = videoWidth_;
    height = videoHeight_;
  }
  Fire(callbacks.connected, padCode_, width, height);
}

void ZuvorIvadoInstance::OnAttemptReconnecting(uint64_t attempt, int count) {
  Locked locked(*this);
  if (IsOngoingLocked(attempt, "onReconnecting")) Fire(callbacks.reconnecting, padCode_, count);
}

void ZuvorIvadoInstance::OnAttemptDisconnected(uint64_t attempt, int errorCode) {
  Locked locked(*this);
  if (!IsOngoingLocked(attempt, "onDisconnected")) return;
  const bool wasConnected = attempt_.connected();
  Log("onDisconnected: " + padCode_ + " error=" + std::to_string(errorCode) +
      " wasConnected=" + (wasConnected ? "1" : "0"));
  int delayMs;
  if (wasConnected) {
    attempt_.End();
    Fire(callbacks.disconnected, padCode_, errorCode);
    retryCount_ = 1;
    Fire(callbacks.reconnecting, padCode_, 1);
    delayMs = kFirstBackoffMs;
  } else if (retryCount_ >= kMaxRetries) {
    Log("connect failed after " + std::to_string(retryCount_) + " retries: " + padCode_);
    FailLocked(errorCode);
    return;
  } else {
    attempt_.End();
    ++retryCount_;
    Fire(callbacks.reconnecting, padCode_, retryCount_);
    delayMs = BackoffMs(retryCount_);
  }
  ScheduleReconnect(delayMs);
}

void ZuvorIvadoInstance::onError(int code, const char* message) {
  Log("player error: code=" + std::to_string(code) + " msg=" + (message ? message : "null"));
}

// ----- Connecting slots -----

ConnectingSlot ZuvorIvadoInstance::AwaitConnectingSlot(const Ticket& ticket) {
  for (;;) {
    if (stopRequested_ || !IsCurrent(ticket)) return ConnectingSlot();
    if (ConnectingSlot slot = ConnectingSlot::TryTake()) return slot;
    if (!WaitFor(WaitKind::kSlotPoll, kSlotPoll, ticket)) return ConnectingSlot();
  }
}

int ZuvorIvadoInstance::ConnectingCount() { return ConnectingSlot::InUse(); }
int ZuvorIvadoInstance::RunningWorkers() { return g_workers.load(); }

// ----- Waits and workers -----

bool ZuvorIvadoInstance::WaitFor(WaitKind kind, std::chrono::milliseconds duration,
                                 const Ticket& ticket) {
  return clock_->Wait(kind, duration, [this, &ticket] { return !IsCurrent(ticket); });
}

bool ZuvorIvadoInstance::StartWorker(std::function<void(ZuvorIvadoInstance&)> body) {
  // weak_from_this: a notification may still run while the session is being destroyed, and
  // must then start nothing.
  std::shared_ptr<ZuvorIvadoInstance> self = weak_from_this().lock();
  if (!self) return false;
  g_workers.fetch_add(1);
  const bool started =
      StartDetachedThread([self = std::move(self), body = std::move(body)]() mutable {
        body(*self);
        self.reset();
        g_workers.fetch_sub(1);
      });
  if (!started) {
    g_workers.fetch_sub(1);
    Log("cannot start a worker thread: " + padCode_);
  }
  return started;
}

void ZuvorIvadoInstance::Retire(std::shared_ptr<void> object) {
  if (object) retired_.push_back(std::move(object));
}
