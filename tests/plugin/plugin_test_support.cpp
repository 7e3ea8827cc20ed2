#include "tests/plugin/plugin_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "flutter/method_call.h"
#include "flutter/method_result.h"
#include "plugin/plugin_log.h"

namespace plugintest {

namespace {

const flutter::StandardMethodCodec& Codec() { return flutter::StandardMethodCodec::GetInstance(); }

// Captures a decoded reply envelope.
class CapturingResult : public flutter::MethodResult<EncodableValue> {
 public:
  explicit CapturingResult(Reply* reply) : reply_(reply) {}

 protected:
  void SuccessInternal(const EncodableValue* result) override {
    reply_->kind = Reply::Kind::kSuccess;
    if (result) reply_->value = *result;
  }
  void ErrorInternal(const std::string& code, const std::string& message,
                     const EncodableValue* details) override {
    reply_->kind = Reply::Kind::kError;
    reply_->code = code;
    reply_->message = message;
    reply_->hasDetails = details && !std::holds_alternative<std::monostate>(*details);
  }
  void NotImplementedInternal() override { reply_->kind = Reply::Kind::kNotImplemented; }

 private:
  Reply* reply_;
};

const std::string* StringAt(const EncodableMap& map, const char* key) {
  auto it = map.find(EncodableValue(key));
  return it == map.end() ? nullptr : std::get_if<std::string>(&it->second);
}

}  // namespace

std::string Token(const std::string& script) {
  static std::atomic<int> counter{0};
  return "p" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + ";" +
         script;
}

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (std::chrono::steady_clock::now() >= end) return done();
    MsgWaitForMultipleObjectsEx(0, nullptr, 5, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void PumpPending() {
  PumpUntil([] { return true; });
}

bool WaitForPluginThreads(std::chrono::milliseconds timeout) {
  return PumpUntil(
      [] { return SessionPeer::RunningWorkers() == 0 && ZuvorIvadoManager::RunningThreads() == 0; },
      timeout);
}

// ----- SessionLockHolder -----

SessionLockHolder::SessionLockHolder(ZuvorIvadoInstance& session,
                                     std::function<bool()> releaseWhen) {
  thread_ = std::thread([this, &session, releaseWhen = std::move(releaseWhen)] {
    SessionPeer::WithLock(session, [&] {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        held_ = true;
        cv_.notify_all();
      }
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      bool released = releaseWhen();
      while (!released && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        released = releaseWhen();
      }
      std::lock_guard<std::mutex> lock(mutex_);
      inTime_ = released;
    });
  });
  std::unique_lock<std::mutex> lock(mutex_);
  cv_.wait(lock, [&] { return held_; });
}

SessionLockHolder::~SessionLockHolder() {
  if (thread_.joinable()) thread_.join();
}

bool SessionLockHolder::ReleasedInTime() {
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return inTime_;
}

// ----- FakeMessenger -----

void FakeMessenger::Send(const std::string& channel, const uint8_t* message, size_t size,
                         flutter::BinaryReply reply) const {
  std::lock_guard<std::mutex> lock(mutex_);
  sent_.emplace_back(channel, std::vector<uint8_t>(message, message + size));
  sentThreads_.push_back(std::this_thread::get_id());
  if (reply) reply(nullptr, 0);
}

void FakeMessenger::SetMessageHandler(const std::string& channel,
                                      flutter::BinaryMessageHandler handler) {
  const bool removed = !handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (handler) {
      handlers_[channel] = std::move(handler);
    } else {
      handlers_.erase(channel);
    }
  }
  if (removed && onHandlerRemoved) onHandlerRemoved(channel);
}

bool FakeMessenger::HasHandler(const std::string& channel) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return handlers_.count(channel) != 0;
}

std::vector<uint8_t> FakeMessenger::Deliver(const std::string& channel,
                                            const std::vector<uint8_t>& bytes, bool* replied) {
  flutter::BinaryMessageHandler handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = handlers_.find(channel);
    if (it != handlers_.end()) handler = it->second;
  }
  auto answer = std::make_shared<std::vector<uint8_t>>();
  auto count = std::make_shared<int>(0);
  if (handler) {
    handler(bytes.data(), bytes.size(),
            [this, channel, answer, count](const uint8_t* data, size_t size) {
              ++*count;
              if (data) answer->assign(data, data + size);
              std::lock_guard<std::mutex> lock(mutex_);
              sent_.emplace_back("reply:" + channel, *answer);
              sentThreads_.push_back(std::this_thread::get_id());
            });
  }
  if (replied) *replied = *count == 1;
  return *answer;
}

Reply FakeMessenger::Call(const std::string& channel, const std::string& method,
                          const EncodableValue& arguments) {
  flutter::MethodCall<EncodableValue> call(method, std::make_unique<EncodableValue>(arguments));
  auto bytes = Codec().EncodeMethodCall(call);
  bool replied = false;
  std::vector<uint8_t> answer = Deliver(channel, *bytes, &replied);
  Reply reply;
  if (!replied) return reply;  // kNone: no reply, or more than one
  if (answer.empty()) {
    reply.kind = Reply::Kind::kEmpty;
    return reply;
  }
  CapturingResult result(&reply);
  Codec().DecodeAndProcessResponseEnvelope(answer.data(), answer.size(), &result);
  return reply;
}

std::vector<SentEvent> FakeMessenger::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<SentEvent> events;
  for (size_t i = 0; i < sent_.size(); ++i) {
    if (sent_[i].first != "fernhold/swplay/events") continue;
    Reply reply;
    CapturingResult result(&reply);
    Codec().DecodeAndProcessResponseEnvelope(sent_[i].second.data(), sent_[i].second.size(),
                                             &result);
    SentEvent event;
    event.thread = sentThreads_[i];
    if (const auto* map = std::get_if<EncodableMap>(&reply.value)) {
      if (const std::string* name = StringAt(*map, "event")) event.name = *name;
      auto data = map->find(EncodableValue("data"));
      if (data != map->end()) event.data = data->second;
    }
    events.push_back(std::move(event));
  }
  return events;
}

size_t FakeMessenger::EventCount() const { return Events().size(); }

std::vector<std::string> FakeMessenger::Timeline() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const auto& s : sent_) out.push_back(s.first);
  return out;
}

std::vector<std::string> FakeMessenger::EventNames(const std::string& padCode) const {
  std::vector<std::string> names;
  for (const SentEvent& e : Events()) {
    const auto* map = std::get_if<EncodableMap>(&e.data);
    const std::string* pad = map ? StringAt(*map, "padCode") : nullptr;
    if (padCode.empty() || (pad && *pad == padCode)) names.push_back(e.name);
  }
  return names;
}

// ----- FakeTextureRegistrar -----

int64_t FakeTextureRegistrar::RegisterTexture(flutter::TextureVariant* texture) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (refuseNext_) {
    refuseNext_ = false;
    return -1;
  }
  const int64_t id = nextId_++;
  textures_[id] = texture;
  return id;
}

bool FakeTextureRegistrar::MarkTextureFrameAvailable(int64_t id) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!textures_.count(id)) return false;
  ++marks_[id];
  return true;
}

void FakeTextureRegistrar::UnregisterTexture(int64_t id, std::function<void()> callback) {
  UnregisterTexture(id);
  if (callback) callback();
}

bool FakeTextureRegistrar::UnregisterTexture(int64_t id) {
  // The mutex is what Fetch (the raster thread) holds while it copies: unregistering waits.
  std::lock_guard<std::mutex> lock(mutex_);
  textures_.erase(id);
  ++unregistrations_;
  return true;
}

bool FakeTextureRegistrar::Fetch(int64_t id, Frame* frame, bool release) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = textures_.find(id);
  if (it == textures_.end()) return false;
  auto& texture = std::get<flutter::PixelBufferTexture>(*it->second);
  const FlutterDesktopPixelBuffer* buffer = texture.CopyPixelBuffer(288, 512);
  if (!buffer) return false;
  frame->width = buffer->width;
  frame->height = buffer->height;
  frame->pixels.assign(buffer->buffer, buffer->buffer + buffer->width * buffer->height * 4);
  if (release) {
    if (buffer->release_callback) buffer->release_callback(buffer->release_context);
  } else {
    held_ = buffer;
  }
  return true;
}

void FakeTextureRegistrar::ReleaseHeld() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (held_ && held_->release_callback) held_->release_callback(held_->release_context);
  held_ = nullptr;
}

std::vector<uint8_t> FakeTextureRegistrar::HeldBytesNow() const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!held_) return {};
  return std::vector<uint8_t>(held_->buffer, held_->buffer + held_->width * held_->height * 4);
}

int FakeTextureRegistrar::marks(int64_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = marks_.find(id);
  return it == marks_.end() ? 0 : it->second;
}

bool FakeTextureRegistrar::registered(int64_t id) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return textures_.count(id) != 0;
}

size_t FakeTextureRegistrar::registeredCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return textures_.size();
}

int FakeTextureRegistrar::unregistrations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unregistrations_;
}

// ----- Windows -----

FakePhoneWindow::FakePhoneWindow(int themeMode, std::string title, PhoneWindowCallbacks cb)
    : themeMode(themeMode),
      title(std::move(title)),
      callbacks(std::move(cb)),
      display_(std::make_unique<CountingDisplay>()) {
  handle_ = CreateWindowExW(0, L"STATIC", L"phone", WS_POPUP, 100, 100, 400, 700, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
}

FakePhoneWindow::~FakePhoneWindow() {
  if (handle_) DestroyWindow(handle_);
}

bool FakePhoneWindow::GetTileSize(int* width, int* height) {
  if (onTileSize) onTileSize();
  if (!hasTileSize) return false;
  *width = tileWidth;
  *height = tileHeight;
  return true;
}

bool FakePhoneWindow::GetFrameInsets(int* left, int* top, int* right, int* bottom) {
  *left = insets.left;
  *top = insets.top;
  *right = insets.right;
  *bottom = insets.bottom;
  return true;
}

void FakePhoneWindow::UserClose() {
  OnWindowThread([](PhoneWindowCallbacks& cb) {
    if (cb.close) cb.close();
  });
  // The window is destroyed after its close handling, and its video control with it.
  display_.reset();
  if (handle_) DestroyWindow(handle_);
  handle_ = nullptr;
}

void FakePhoneWindow::OnWindowThread(const std::function<void(PhoneWindowCallbacks&)>& call) {
  std::thread([&] { call(callbacks); }).join();
}

PhoneWindow* FakeWindowFactory::OpenPhoneWindow(int themeMode, const std::string& titleUtf8,
                                                PhoneWindowCallbacks callbacks) {
  if (refuseNext_.exchange(false)) return nullptr;
  auto window = std::make_unique<FakePhoneWindow>(themeMode, titleUtf8, std::move(callbacks));
  std::lock_guard<std::mutex> lock(mutex_);
  windows_.push_back(std::move(window));
  return windows_.back().get();
}

std::vector<FakePhoneWindow*> FakeWindowFactory::windows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<FakePhoneWindow*> out;
  for (const auto& w : windows_) out.push_back(w.get());
  return out;
}

FakePhoneWindow* FakeWindowFactory::last() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return windows_.empty() ? nullptr : windows_.back().get();
}

int FakeWindowFactory::opened() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(windows_.size());
}

// ----- PluginRig -----

PluginRig::PluginRig(bool withRegistrar, RigTime time) : clock(std::make_shared<DrivenClock>()) {
  ZuvorIvadoManager::Options options;
  if (time == RigTime::kDriven) options.clock = clock;
  options.windowFactory = &windows;
  options.micFactory = [this](MicCapture::FrameCallback onFrame,
                              MicCapture::FailureCallback onFailure) {
    auto fake = std::make_unique<FakeMic>(std::move(onFrame), std::move(onFailure));
    fake->canStart = micCanStart;
    mic = fake.get();
    return std::unique_ptr<MicCapture>(std::move(fake));
  };
  manager = std::make_unique<ZuvorIvadoManager>(std::move(options));
  manager->Register(&messenger, withRegistrar ? &textures : nullptr);
}

PluginRig::~PluginRig() {
  manager.reset();
  // Worker threads that still hold sessions see the stop and end; nothing waits for the clock.
  clock->RunFree();
  WaitForPluginThreads();
}

Reply PluginRig::Initialize(const std::string& pad, const std::string& token) {
  return messenger.CallSwplay(
      "initialize",
      EncodableValue(EncodableMap{{EncodableValue("padCode"), EncodableValue(pad)},
                                  {EncodableValue("serverToken"), EncodableValue(token)}}));
}

Reply PluginRig::SwitchPlayMode(const std::string& pad, int mode, const std::string& token) {
  EncodableMap args{{EncodableValue("padCode"), EncodableValue(pad)},
                    {EncodableValue("mode"), EncodableValue(int32_t(mode))}};
  if (!token.empty()) args[EncodableValue("serverToken")] = EncodableValue(token);
  return messenger.CallSwplay("switchPlayMode", EncodableValue(args));
}

bool PluginRig::WaitEvents(const std::string& pad, const std::string& name, size_t count,
                           std::chrono::milliseconds timeout) {
  return PumpUntil(
      [&] {
        size_t n = 0;
        for (const auto& e : messenger.EventNames(pad)) n += e == name;
        return n >= count;
      },
      timeout);
}

bool PluginRig::Expire(WaitKind kind, std::chrono::milliseconds step, int count) {
  if (!PumpUntil([&] { return clock->Pending(kind) >= count; })) return false;
  clock->Advance(step);
  return true;
}

void FlushEvents(PluginRig& rig) { rig.messenger.CallSwplay("flushEventsForTesting"); }

std::vector<std::string> SdkCalls(const std::string& token) {
  std::vector<std::string> out;
  for (const std::string& line : swsim::TokenLog(token)) {
    const size_t space = line.find(' ');
    std::string body = space == std::string::npos ? line : line.substr(space + 1);
    if (body.rfind("=> ", 0) != 0) out.push_back(body);
  }
  return out;
}

size_t CountCalls(const std::vector<std::string>& calls, const std::string& prefix) {
  size_t n = 0;
  for (const auto& c : calls) n += c.rfind(prefix, 0) == 0;
  return n;
}

EncodableValue Args(std::initializer_list<std::pair<const char*, EncodableValue>> items) {
  EncodableMap map;
  for (const auto& item : items) map[EncodableValue(item.first)] = item.second;
  return EncodableValue(map);
}

int64_t TextureIdOf(const Reply& reply) {
  return std::get<int64_t>(std::get<EncodableMap>(reply.value).at(EncodableValue("textureId")));
}

FakePhoneWindow* OpenWindow(PluginRig& rig, const std::string& pad, const std::string& token) {
  rig.SwitchPlayMode(pad, 1, token);
  EXPECT_TRUE(rig.WaitEvents(pad, "connected"));
  return rig.windows.last();
}

std::shared_ptr<ZuvorIvadoInstance> ConnectedSession(PluginRig& rig, const std::string& pad,
                                                     const std::string& token) {
  rig.messenger.Listen();
  rig.Initialize(pad, token);
  rig.messenger.CallSwplay("connect", Args({{"padCode", EncodableValue(pad)}}));
  EXPECT_TRUE(rig.WaitEvents(pad, "connected"));
  return rig.manager->FindInstance(pad);
}

// ----- LogCapture -----

LogCapture::LogCapture() {
  previous_ = SetPluginLogSink([this](const std::string& line) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_.push_back(line);
  });
}

LogCapture::~LogCapture() { SetPluginLogSink(std::move(previous_)); }

std::vector<std::string> LogCapture::Lines() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lines_;
}

std::vector<std::string> LogCapture::LinesStartingWith(const std::string& prefix) const {
  std::vector<std::string> out;
  for (const std::string& line : Lines()) {
    if (line.rfind(prefix, 0) == 0) out.push_back(line);
  }
  return out;
}

size_t LogCapture::Count(const std::string& line) const {
  const std::vector<std::string> lines = Lines();
  return static_cast<size_t>(std::count(lines.begin(), lines.end(), line));
}

}  // namespace plugintest
