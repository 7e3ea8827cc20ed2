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

std::atomic<int> g_connecting{0};
std::atomic<int> g_workers{0};

constexpr int kFirstWatchdogSeconds = 8;
constexpr int kReconnectWatchdogSeconds = 15;
constexpr int kMaxRetries = 3;
constexpr int kFirstBackoffMs = 500;
constexpr auto kSlotPoll = std::chrono::milliseconds(100);
constexpr auto kReinitSpacing = std::chrono::milliseconds(1000);
constexpr int kInitializeAttempts = 3;

const VideoLevel kVideoLevels[4] = {
    {{10, 720, 1280, 20, 15, 4096, 80, 1, 1, 100, 50}},
    {{10, 576, 1024, 20, 15, 2048, 80, 2, 2, 100, 50}},
    {{10, 432, 768, 20, 15, 1024, 80, 3, 3, 100, 50}},
    {{10, 288, 512, 8, 1, 512, 32, 4, 4, 100, 50}},
};

// Delay before reconnection attempt `retry` (1-based): 500, 1000, 2000 ms.
int BackoffMs(int retry) { return kFirstBackoffMs << (retry - 1); }

}  // namespace

ZuvorIvadoInstance::ZuvorIvadoInstance(const ZuvorIvadoConfig& config, SessionServices services)
    : padCode_(config.padCode),
      clock_(services.clock ? services.clock : SessionClock::MakeRealTime()),
      config_(config),
      windowFactory_(services.windowFactory),
      textureRegistrar_(services.textureRegistrar) {
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

void ZuvorIvadoInstance::BeginRequestLocked() {
  // A new request from the Dart side: stops asked for before it no longer apply.
  stopGeneration_.fetch_add(1);
  stopRequested_ = false;
}

void ZuvorIvadoInstance::NewRequestLocked() {
  requestGeneration_.fetch_add(1);
  clock_->Wake();
}

ZuvorIvadoInstance::Ticket ZuvorIvadoInstance::CurrentTicket() const {
  return Ticket{requestGeneration_.load(), connectGeneration_.load()};
}

bool ZuvorIvadoInstance::IsCurrent(const Ticket& ticket) const {
  return requestGeneration_.load() == ticket.request &&
         connectGeneration_.load() == ticket.attempt;
}

int ZuvorIvadoInstance::Initialize() {
  Locked locked(*this);
  if (shutDown_) return -1;
  BeginRequestLocked();
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
    player_->setDataSource(nullptr);
    Retire(std::move(dataSource_));
  }
  const int result = MakeDataSource();
  if (result != 0) {
    Log("setServerToken failed: " + padCode_ + " ret=" + std::to_string(result));
    Retire(std::move(dataSource_));
    return result;
  }
  ConfigurePlayback(videoLevel_);
  initialized_ = true;
  return 0;
}

int ZuvorIvadoInstance::Connect(int playType) {
  Locked locked(*this);
  if (shutDown_) return -1;
  BeginRequestLocked();
  NewRequestLocked();
  return ConnectLocked(playType);
}

int ZuvorIvadoInstance::ConnectLocked(int playType) {
  if (!initialized_ || stopRequested_) return -1;
  if (connected_) return 0;
  screenCastMode_ = playType;
  retryCount_ = 0;
  return StartPlayback(kFirstWatchdogSeconds);
}

int ZuvorIvadoInstance::Play() {
  Locked locked(*this);
  if (!connected_ || !player_) return -1;
  player_->start();
  return 0;
}

int ZuvorIvadoInstance::StartPlayback(int watchdogSeconds) {
  if (!dataSource_ || !player_) return -1;
  stopRequested_ = false;
  connectGeneration_.fetch_add(1);
  clock_->Wake();  // the watchdog of an earlier attempt ends
  attemptInProgress_ = true;
  micConfigSent_ = false;
  BindDisplayForMode();
  dataSource_->screenCast(screenCastMode_);
  player_->start();
  dataSource_->start();
  const Ticket ticket = CurrentTicket();
  StartWorker([ticket, watchdogSeconds](ZuvorIvadoInstance& self) {
    self.RunWatchdog(ticket, watchdogSeconds);
  });
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
  NewRequestLocked();
  StopCastingLocked();
  connected_ = false;
  EndAttemptLocked();
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
  NewRequestLocked();
  EndAttemptLocked();
  StopStreamLocked();
  ReleaseLibraryObjectsLocked();
  connected_ = false;
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
  Retire(std::move(dataSource_));
}

// ----- Watchdog and reconnection -----

void ZuvorIvadoInstance::RunWatchdog(Ticket ticket, int seconds) {
  if (!WaitFor(WaitKind::kWatchdog, std::chrono::seconds(seconds), ticket)) return;
  Locked locked(*this);
  // A session that gave up (connectFailed, initialised no more) has no attempt left to time out:
  // its watchdog must not report a reconnection after the failure.
  if (IsCurrent(ticket) && initialized_ && !connected_ && !stopRequested_) OnConnectTimeout();
}

void ZuvorIvadoInstance::OnConnectTimeout() {
  Log("connect timeout: " + padCode_);
  StopCastingLocked();
  connected_ = false;
  if (retryCount_ < kMaxRetries) {
    ++retryCount_;
    Fire(callbacks.reconnecting, padCode_, retryCount_);
    EndAttemptLocked();
    ScheduleReconnect(BackoffMs(retryCount_));
    return;
  }
  retryCount_ = 0;
  RequestStopLocked();
  initialized_ = false;
  Fire(callbacks.connectTimeout, padCode_, kConnectTimeoutCode);
}

void ZuvorIvadoInstance::ScheduleReconnect(int delayMs) {
  const Ticket ticket = CurrentTicket();
  StartWorker([ticket, delayMs](ZuvorIvadoInstance& self) { self.RunReconnect(ticket, delayMs); });
}

void ZuvorIvadoInstance::RunReconnect(Ticket ticket, int delayMs) {
  if (!WaitFor(WaitKind::kBackoff, std::chrono::milliseconds(delayMs), ticket)) return;
  if (!AcquireConnectingSlot(ticket)) return;
  Locked locked(*this);
  if (IsCurrent(ticket) && initialized_ && !connected_ && !stopRequested_ &&
      retryCount_ <= kMaxRetries) {
    HoldConnectingUnitLocked();
    Reconnect();
    StartPlayback(kReconnectWatchdogSeconds);
  } else {
    AbandonLocked();
  }
}

void ZuvorIvadoInstance::Reconnect() {
  if (std::shared_ptr<DataSource> source = PlayerSource()) source->screenCast(0);
  if (player_) player_->stop();
  Retire(std::move(dataSource_));
  // The token's result is not used here: a refused token shows up as a failed connection.
  MakeDataSource();
  ConfigurePlayback(0);
}

int ZuvorIvadoInstance::MakeDataSource() {
  dataSource_ = std::make_shared<SWDataSource>(SWRuntime::getInstance()->obtainID(), this);
  dataSource_->setBusinessType(1);
  dataSource_->setInstanceType(1);
  return dataSource_->setServerToken(
      config_.serverToken.c_str(), config_.uuid.c_str(), config_.userId,
      config_.appId.empty() ? nullptr : config_.appId.c_str(), config_.carrierType,
      config_.domestic ? nullptr : kConnectEndpoint);
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
  if (!AcquireConnectingSlot(ticket)) return;
  int result = -1;
  for (int attempt = 1;; ++attempt) {
    {
      Locked locked(*this);
      if (!IsCurrent(ticket) || stopRequested_) {
        AbandonLocked();
        return;
      }
      result = InitializeLocked();  // 0 at once when initialised already
      if (result == 0) {
        if (connected_) {
          LeaveConnecting();
          Fire(callbacks.connected, padCode_, int(videoWidth_), int(videoHeight_));
          return;
        }
        // On success the unit stays held until the attempt's outcome.
        HoldConnectingUnitLocked();
        if (ConnectLocked(playType) != 0) LeaveConnecting();
        return;
      }
      if (attempt == kInitializeAttempts) {
        Log("initialize failed: " + padCode_ + " ret=" + std::to_string(result));
        AbandonLocked();
        break;
      }
    }
    if (!WaitFor(WaitKind::kReinitSpacing, kReinitSpacing, ticket)) {
      Locked locked(*this);
      AbandonLocked();
      return;
    }
  }
  Fire(callbacks.connectFailed, padCode_, result);
}

// ----- Notifications -----

void ZuvorIvadoInstance::onConnected() {
  bool connected;
  int width, height;
  uint64_t request;
  {
    Locked locked(*this);
    EndAttemptLocked();
    if (!stopRequested_) {
      retryCount_ = 0;
      connected_ = true;
    } else {
      connected_ = false;
    }
    connected = connected_;
    width = videoWidth_;
    height = videoHeight_;
    request = requestGeneration_.load();
  }
  if (connected) {
    Fire(callbacks.connected, padCode_, width, height);
    return;
  }
  // The connection came up after a stop: it is stopped again, unless a newer request (which
  // started afresh) came in the meantime.
  Locked locked(*this);
  if (requestGeneration_.load() != request) return;
  RequestStopLocked();
  initialized_ = false;
}

void ZuvorIvadoInstance::onReconnecting(int attempt) {
  Fire(callbacks.reconnecting, padCode_, attempt);
}

void ZuvorIvadoInstance::onDisconnected(int errorCode) {
  Locked locked(*this);
  Log("onDisconnected: " + padCode_ + " error=" + std::to_string(errorCode) +
      " wasConnected=" + (connected_ ? "1" : "0"));
  int delayMs;
  if (connected_) {
    connected_ = false;
    EndAttemptLocked();
    Fire(callbacks.disconnected, padCode_, errorCode);
    if (stopRequested_) return;
    retryCount_ = 1;
    Fire(callbacks.reconnecting, padCode_, 1);
    delayMs = kFirstBackoffMs;
  } else if (retryCount_ >= kMaxRetries || stopRequested_) {
    Log("connect failed after " + std::to_string(retryCount_) + " retries: " + padCode_);
    retryCount_ = 0;
    EndAttemptLocked();
    if (player_) {
      player_->stop();
      player_->setDisplay(nullptr);
      boundDisplay_ = nullptr;
    }
    initialized_ = false;
    Fire(callbacks.connectFailed, padCode_, errorCode);
    return;
  } else {
    ++retryCount_;
    Fire(callbacks.reconnecting, padCode_, retryCount_);
    delayMs = BackoffMs(retryCount_);
    EndAttemptLocked();
  }
  ScheduleReconnect(delayMs);
}

void ZuvorIvadoInstance::onError(int code, const char* message) {
  Log("player error: code=" + std::to_string(code) + " msg=" + (message ? message : "null"));
}

// ----- Connecting slots -----

bool ZuvorIvadoInstance::TakeConnectingUnit() {
  if (countedConnecting_.load()) return true;
  int count = g_connecting.load();
  do {
    if (count >= kMaxConnecting) return false;
  } while (!g_connecting.compare_exchange_weak(count, count + 1));
  // Two workers of this session may race here; the session keeps one unit only.
  if (countedConnecting_.exchange(true)) g_connecting.fetch_sub(1);
  return true;
}

void ZuvorIvadoInstance::LeaveConnecting() {
  if (countedConnecting_.exchange(false)) g_connecting.fetch_sub(1);
}

bool ZuvorIvadoInstance::AcquireConnectingSlot(const Ticket& ticket) {
  for (;;) {
    if (stopRequested_ || !IsCurrent(ticket)) return false;
    if (TakeConnectingUnit()) return true;
    if (!WaitFor(WaitKind::kSlotPoll, kSlotPoll, ticket)) return false;
  }
}

void ZuvorIvadoInstance::HoldConnectingUnitLocked() {
  // Taken while waiting for the slot; a stale worker of this session may have given it back
  // since (it found no attempt in progress then).
  if (!countedConnecting_.exchange(true)) g_connecting.fetch_add(1);
}

void ZuvorIvadoInstance::EndAttemptLocked() {
  attemptInProgress_ = false;
  LeaveConnecting();
}

void ZuvorIvadoInstance::AbandonLocked() {
  if (!attemptInProgress_) LeaveConnecting();
}

int ZuvorIvadoInstance::ConnectingCount() { return g_connecting.load(); }
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

