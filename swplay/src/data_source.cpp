#include <chrono>
#include <cstdio>
#include <thread>

#include "swplay/src/sim_objects.h"
#include "swplay/src/sim_state.h"
#include "swplay/sw_data_source.h"

namespace swplay_internal {
namespace {

std::string Args(std::initializer_list<std::string> parts) {
  std::string out;
  for (const auto& p : parts) {
    if (!out.empty()) out += ", ";
    out += p;
  }
  return out;
}

std::string Num(int v) { return std::to_string(v); }

std::string Float(float v) {
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%g", static_cast<double>(v));
  return buf;
}

std::string Level(const VideoLevel& level) {
  std::string out = "{";
  for (int i = 0; i < 11; ++i) {
    if (i) out += ',';
    out += std::to_string(level.values[i]);
  }
  return out + "}";
}

}  // namespace

void SourceCore::Record(std::string text) const {
  SimState::Get().Record('S', id, std::move(text));
}

void SourceCore::MaybeBlock(const char* operation) {
  int ms = 0;
  {
    std::lock_guard<std::mutex> lock(mutex);
    ms = script.BlockFor(operation);
  }
  if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
  std::string name;
  {
    std::lock_guard<std::mutex> lock(mutex);
    name = token;
  }
  SimState::Get().WaitWhilePaused(name, operation);
}

void SourceCore::Post(int delayMs, uint64_t forEpoch, std::function<std::function<void()>()> body) {
  std::weak_ptr<SourceCore> weak = shared_from_this();
  strand->Post(delayMs, [weak, forEpoch, body = std::move(body)] {
    // Keeps the state alive while the notification runs, even if the listener destroys the
    // data source from inside it.
    std::shared_ptr<SourceCore> self = weak.lock();
    if (!self) return;
    std::function<void()> call;
    {
      std::lock_guard<std::mutex> lock(self->mutex);
      if (self->closed || !self->StillDue(forEpoch)) return;
      call = body();
    }
    if (call) call();
  });
}

bool SourceCore::StillDue(uint64_t forEpoch) const {
  return epoch == forEpoch || (script.linger && forEpoch >= startEpoch);
}

void SourceCore::Start() {
  std::lock_guard<std::mutex> lock(mutex);
  startEpoch = ++epoch;
  connected = false;
  const int attempt = SimState::Get().CountStart(token);
  const Outcome outcome = script.OutcomeFor(attempt);
  const uint64_t e = epoch;
  const int delay = script.connectDelayMs;
  SWDataSourceListener* l = listener;
  switch (outcome.kind) {
    case Outcome::Kind::kSilent:
      break;
    case Outcome::Kind::kFail:
      Post(delay, e, [this, l, code = outcome.code]() -> std::function<void()> {
        Record("=> onDisconnected(" + Num(code) + ")");
        return [l, code] {
          if (l) l->onDisconnected(code);
        };
      });
      break;
    case Outcome::Kind::kConnect:
      for (int i = 1; i <= script.notices; ++i) {
        Post(delay * i / (script.notices + 1), e, [this, l, i]() -> std::function<void()> {
          Record("=> onReconnecting(" + Num(i) + ")");
          return [l, i] {
            if (l) l->onReconnecting(i);
          };
        });
      }
      Post(delay, e, [this, e]() -> std::function<void()> {
        OnConnectDue(e);
        SWDataSourceListener* l = listener;
        return [l] {
          if (l) l->onConnected();
        };
      });
      break;
  }
}

// Called on the strand with `mutex` held.
void SourceCore::OnConnectDue(uint64_t forEpoch) {
  connected = true;
  Record("=> onConnected()");
  const int number = SimState::Get().CountConnection(token);
  for (const TimedItem& item : script.afterConnect) {
    if (item.kind == TimedItem::Kind::kDrop && item.limit >= 0 && number > item.limit) continue;
    PostItem(item, forEpoch);
  }
}

// Called with `mutex` held; the notification is void once `forEpoch` is no longer current.
void SourceCore::PostItem(const TimedItem& item, uint64_t forEpoch) {
  SWDataSourceListener* l = listener;
  switch (item.kind) {
    case TimedItem::Kind::kDrop:
      Post(item.delayMs, forEpoch, [this, l, code = item.a, forEpoch]() -> std::function<void()> {
        // One drop per connection; a lingering one comes after the stop that ended it.
        if (!connected && epoch == forEpoch) return {};
        connected = false;
        Record("=> onDisconnected(" + Num(code) + ")");
        return [l, code] {
          if (l) l->onDisconnected(code);
        };
      });
      break;
    case TimedItem::Kind::kClipboard:
      Post(item.delayMs, forEpoch, [this, l, text = item.text]() -> std::function<void()> {
        const int length = static_cast<int>(text.size());
        Record("=> onRecvClipboard(" + LogText(text.data(), length) + ", " + Num(length) + ")");
        return [l, text, length] {
          if (l) l->onRecvClipboard(text.data(), length);
        };
      });
      break;
    case TimedItem::Kind::kControl:
      Post(item.delayMs, forEpoch, [this, l, v = item.a, f = item.b]() -> std::function<void()> {
        Record("=> onControlVideo(" + Num(v) + ", " + Num(f) + ")");
        return [l, v, f] {
          if (l) l->onControlVideo(v, f);
        };
      });
      break;
    case TimedItem::Kind::kPlayerError:
      Post(item.delayMs, forEpoch, [this, item]() -> std::function<void()> {
        std::shared_ptr<PlayerCore> p = player.lock();
        return [p, item] {
          if (p) p->ReportError(item.a, item.hasText, item.text);
        };
      });
      break;
    case TimedItem::Kind::kNotices:
      for (int i = 1; i <= item.a; ++i) {
        Post(item.delayMs, forEpoch, [this, l, i]() -> std::function<void()> {
          Record("=> onReconnecting(" + Num(i) + ")");
          return [l, i] {
            if (l) l->onReconnecting(i);
          };
        });
      }
      break;
  }
}

bool SourceCore::Schedule(const TimedItem& item) {
  std::lock_guard<std::mutex> lock(mutex);
  if (closed || !connected) return false;
  PostItem(item, epoch);
  return true;
}

void SourceCore::StopCasting() {
  std::lock_guard<std::mutex> lock(mutex);
  ++epoch;
  connected = false;
}

int SourceCore::DeliverNow() { return strand->RunAllNow(); }

bool SourceCore::IsConnected() {
  std::lock_guard<std::mutex> lock(mutex);
  return connected && !closed;
}

StreamShape SourceCore::Shape() {
  std::lock_guard<std::mutex> lock(mutex);
  StreamShape shape;
  shape.fps = script.fps;
  if (script.forcedWidth > 0) {
    shape.width = script.forcedWidth;
    shape.height = script.forcedHeight;
    shape.scalable = false;
  } else {
    shape.width = script.nativeWidth;
    shape.height = script.nativeHeight;
  }
  return shape;
}

Script SourceCore::ScriptCopy() {
  std::lock_guard<std::mutex> lock(mutex);
  return script;
}

void SourceCore::BindPlayer(const std::shared_ptr<PlayerCore>& p) {
  std::lock_guard<std::mutex> lock(mutex);
  player = p;
}

void SourceCore::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    closed = true;
    connected = false;
  }
  strand->Shutdown();
}

std::shared_ptr<SourceCore> SourceAccess::Core(const DataSource* source) {
  auto* sw = dynamic_cast<const SWDataSource*>(source);
  return sw ? sw->core_ : nullptr;
}

}  // namespace swplay_internal

using swplay_internal::Args;
using swplay_internal::Float;
using swplay_internal::Level;
using swplay_internal::LogBytes;
using swplay_internal::LogText;
using swplay_internal::Num;
using swplay_internal::SimState;

SWTouchEvent::~SWTouchEvent() = default;
DataSource::~DataSource() = default;

SWDataSource::SWDataSource(unsigned id, SWDataSourceListener* listener)
    : core_(std::make_shared<swplay_internal::SourceCore>(id, listener)) {
  SimState::Get().liveSources++;
  core_->Record("SWDataSource(" + Num(static_cast<int>(id)) + ", " +
                (listener ? "listener" : "null") + ")");
}

SWDataSource::~SWDataSource() {
  core_->Record("~SWDataSource()");
  core_->Close();
  SimState::Get().SourceGone();
}

void SWDataSource::setBusinessType(int type) {
  core_->Record("setBusinessType(" + Num(type) + ")");
}

void SWDataSource::setInstanceType(int type) {
  core_->Record("setInstanceType(" + Num(type) + ")");
}

int SWDataSource::setServerToken(const char* serverToken, const char* uuid, int userId,
                                 const char* appId, int carrierType, const char* endpoint) {
  core_->Record("setServerToken(" +
                Args({LogText(serverToken), LogText(uuid), Num(userId), LogText(appId),
                      Num(carrierType), LogText(endpoint)}) +
                ")");
  const std::string token = serverToken ? serverToken : "";
  int result = 0;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->token = token;
    core_->hasToken = true;
    core_->script = swplay_internal::ParseScript(token);
    result = core_->script.tokenResult;
  }
  SimState::Get().SetSourceToken(core_->id, token, core_);
  core_->MaybeBlock("setServerToken");
  return result;
}

int SWDataSource::setPlayParams(const char* params, int p1, int p2, int p3, int p4, int p5, int p6,
                                int p7, int p8, int p9, int p10, int p11, int p12) {
  core_->Record("setPlayParams(" +
                Args({LogText(params), Num(p1), Num(p2), Num(p3), Num(p4), Num(p5), Num(p6),
                      Num(p7), Num(p8), Num(p9), Num(p10), Num(p11), Num(p12)}) +
                ")");
  core_->MaybeBlock("setPlayParams");
  return 0;
}

void SWDataSource::setReconnectable(bool reconnectable) {
  core_->Record(std::string("setReconnectable(") + (reconnectable ? "true" : "false") + ")");
}

int SWDataSource::setVideoLevel(int v1, int v2, int v3, int v4, int v5, int v6, int v7) {
  core_->Record("setVideoLevel(" +
                Args({Num(v1), Num(v2), Num(v3), Num(v4), Num(v5), Num(v6), Num(v7)}) + ")");
  core_->MaybeBlock("setVideoLevel7");
  return 0;
}

int SWDataSource::start() {
  core_->Record("start()");
  core_->MaybeBlock("start");
  core_->Start();
  return 0;
}

int SWDataSource::screenCast(int mode) {
  core_->Record("screenCast(" + Num(mode) + ")");
  core_->MaybeBlock("screenCast");
  if (mode == 0) core_->StopCasting();
  return 0;
}

int SWDataSource::setVideoLevels(const VideoLevel* levels, int count) {
  std::string table = "null";
  if (levels) {
    table = "[";
    const int shown = count < 0 ? 0 : (count > 16 ? 16 : count);
    for (int i = 0; i < shown; ++i) {
      if (i) table += ',';
      table += Level(levels[i]);
    }
    table += "]";
  }
  core_->Record("setVideoLevels(" + table + ", " + Num(count) + ")");
  core_->MaybeBlock("setVideoLevels");
  return 0;
}

int SWDataSource::setVideoLevel(int index) {
  core_->Record("setVideoLevel(" + Num(index) + ")");
  core_->MaybeBlock("setVideoLevel");
  return 0;
}

int SWDataSource::getVideoLevelResult(VideoLevel* level) {
  core_->Record("getVideoLevelResult(" + (level ? Level(*level) : std::string("null")) + ")");
  core_->MaybeBlock("getVideoLevelResult");
  std::lock_guard<std::mutex> lock(core_->mutex);
  if (level && core_->script.levelHasSize) {
    level->values[1] = core_->script.levelWidth;
    level->values[2] = core_->script.levelHeight;
  }
  return core_->script.levelResult;
}

int SWDataSource::sendAudio(int type, const uint8_t* data, int length) {
  core_->Record("sendAudio(" + Args({Num(type), LogBytes(data, length)}) + ")");
  core_->MaybeBlock("sendAudio");
  std::lock_guard<std::mutex> lock(core_->mutex);
  return core_->script.audioResult;
}

int SWDataSource::sendKeyEvent(int action, int code) {
  core_->Record("sendKeyEvent(" + Args({Num(action), Num(code)}) + ")");
  core_->MaybeBlock("sendKeyEvent");
  return 0;
}

int SWDataSource::sendTouchEvent(int action, int count, int x, int y, float pressure) {
  core_->Record("sendTouchEvent(" +
                Args({Num(action), Num(count), Num(x), Num(y), Float(pressure)}) + ")");
  core_->MaybeBlock("sendTouchEvent");
  return 0;
}

int SWDataSource::sendInputString(const char* text, int length) {
  core_->Record("sendInputString(" + Args({LogText(text, length), Num(length)}) + ")");
  core_->MaybeBlock("sendInputString");
  return 0;
}

int SWDataSource::copyToRemote(const char* text, int length, bool paste) {
  core_->Record("copyToRemote(" +
                Args({LogText(text, length), Num(length), paste ? "true" : "false"}) + ")");
  core_->MaybeBlock("copyToRemote");
  return 0;
}

int SWDataSource::sendPicture(const uint8_t* data, int length) {
  core_->Record("sendPicture(" + LogBytes(data, length) + ")");
  core_->MaybeBlock("sendPicture");
  return 0;
}

int SWDataSource::onTouchEvent(int action, int count, const int* x, const int* y,
                               const float* pressures) {
  std::string points = "[";
  const int shown = count < 0 ? 0 : (count > 10 ? 10 : count);
  for (int i = 0; i < shown; ++i) {
    if (i) points += ',';
    points += "(" + (x ? Num(x[i]) : std::string("null")) + "," +
              (y ? Num(y[i]) : std::string("null")) + "," +
              (pressures ? Float(pressures[i]) : std::string("null")) + ")";
  }
  points += "]";
  core_->Record("onTouchEvent(" + Args({Num(action), Num(count), points}) + ")");
  return core_->IsConnected() ? 0 : -1;
}
