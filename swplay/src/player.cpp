#include <chrono>
#include <cstdio>

#include "swplay/src/sim_objects.h"
#include "swplay/src/sim_state.h"
#include "swplay/sw_mutex.h"
#include "swplay/sw_player.h"

namespace swplay_internal {
namespace {

std::string DisplayName(const VideoDisplay* display) {
  return display ? "D" + std::to_string(DisplayAccess::Id(display)) : std::string("null");
}

// Waits out a frame in flight, except on the render thread itself (a display that unbinds from
// inside its own frame callback is not waiting for anything).
class RenderGuard {
 public:
  explicit RenderGuard(PlayerCore& core) {
    if (!core.OnRenderThread()) lock_ = std::unique_lock<std::mutex>(core.renderMutex);
  }

 private:
  std::unique_lock<std::mutex> lock_;
};

}  // namespace

void PlayerCore::Record(std::string text) const {
  SimState::Get().Record('P', id, std::move(text));
}

void PlayerCore::ReportError(int code, bool hasText, const std::string& text) {
  Record("=> onError(" + std::to_string(code) + ", " +
         (hasText ? LogText(text.c_str()) : std::string("null")) + ")");
  std::lock_guard<std::mutex> lock(listenerMutex);
  if (errorListener) errorListener->onError(code, hasText ? text.c_str() : nullptr);
}

void PlayerCore::SwitchDisplay(VideoDisplay* next) {
  RenderGuard guard(*this);
  std::lock_guard<std::mutex> lock(mutex);
  if (display && display != next) DisplayAccess::Unbind(display, this);
  display = next;
  if (next) DisplayAccess::Bind(next, shared_from_this(), sourceCore);
  wake.notify_all();
}

void PlayerCore::ForgetDisplay(VideoDisplay* gone) {
  RenderGuard guard(*this);
  std::lock_guard<std::mutex> lock(mutex);
  if (display != gone) return;
  display = nullptr;
  SimState::Get().danglingDisplays++;
  Record("!! " + DisplayName(gone) + " destroyed while bound");
  std::fprintf(stderr, "swplay: display %s destroyed while bound to player P%u\n",
               DisplayName(gone).c_str(), id);
}

void PlayerCore::RenderLoop() {
  using Clock = std::chrono::steady_clock;
  std::unique_lock<std::mutex> lock(mutex);
  Clock::time_point due = Clock::now();
  while (!closing) {
    if (!started || !display || !sourceCore) {
      wake.wait(lock);
      due = Clock::now();
      continue;
    }
    if (!sourceCore->IsConnected()) {
      wake.wait_for(lock, std::chrono::milliseconds(10));
      due = Clock::now();
      continue;
    }
    const StreamShape shape = sourceCore->Shape();
    if (Clock::now() < due) {
      wake.wait_until(lock, due);
      continue;
    }
    due += std::chrono::microseconds(1000000 / shape.fps);
    if (due < Clock::now()) due = Clock::now();  // late: do not try to catch up

    // Hand the frame over with renderMutex held, so unbinding waits for it; the state is read
    // again after taking it, since it may have changed while this thread waited.
    lock.unlock();
    {
      std::lock_guard<std::mutex> render(renderMutex);
      VideoDisplay* target = nullptr;
      VideoFrame frame;
      {
        std::lock_guard<std::mutex> again(mutex);
        if (started && !closing && display && sourceCore) {
          target = display;
          frame.width = shape.width;
          frame.height = shape.height;
          frame.scalable = shape.scalable;
          frame.streamId = sourceCore->id;
          frame.sequence = ++sequence;
          frame.timestampMs = get_time_now_ms();
        }
      }
      if (target) target->render(frame);
    }
    lock.lock();
  }
}

bool PlayerAccess::Streaming(const SWPlayer* player) {
  if (!player) return false;
  std::shared_ptr<SourceCore> source;
  {
    std::lock_guard<std::mutex> lock(player->core_->mutex);
    if (!player->core_->started) return false;
    source = player->core_->sourceCore;
  }
  return source && source->IsConnected();
}

}  // namespace swplay_internal

using swplay_internal::DisplayAccess;
using swplay_internal::DisplayName;
using swplay_internal::PlayerCore;
using swplay_internal::RenderGuard;
using swplay_internal::SimState;
using swplay_internal::SourceAccess;

SWPlayer::SWPlayer() : core_(std::make_shared<PlayerCore>(SimState::Get().NextPlayerId())) {
  SimState::Get().livePlayers++;
  core_->Record("SWPlayer()");
}

SWPlayer::~SWPlayer() {
  core_->Record("~SWPlayer()");
  std::shared_ptr<DataSource> source;
  std::thread thread;
  {
    RenderGuard guard(*core_);
    std::lock_guard<std::mutex> lock(core_->mutex);
    core_->closing = true;
    core_->started = false;
    if (core_->display) DisplayAccess::Unbind(core_->display, core_.get());
    core_->display = nullptr;
    source = std::move(core_->source);
    core_->sourceCore.reset();
    thread = std::move(core_->thread);
    core_->wake.notify_all();
  }
  {
    std::lock_guard<std::mutex> lock(core_->listenerMutex);
    core_->errorListener = nullptr;
  }
  if (thread.joinable()) {
    if (thread.get_id() == std::this_thread::get_id()) {
      thread.detach();
    } else {
      thread.join();
    }
  }
  SimState::Get().livePlayers--;
  // `source` is released last, outside every lock of the player.
}

void SWPlayer::enableHWaccel() { core_->Record("enableHWaccel()"); }

void SWPlayer::setOnPlayerErrorListener(OnPlayerErrorListener* listener) {
  core_->Record(std::string("setOnPlayerErrorListener(") + (listener ? "listener" : "null") + ")");
  std::lock_guard<std::mutex> lock(core_->listenerMutex);
  core_->errorListener = listener;
}

void SWPlayer::setDataSource(std::shared_ptr<DataSource> source) {
  auto sourceCore = SourceAccess::Core(source.get());
  core_->Record("setDataSource(" +
                (sourceCore ? "S" + std::to_string(sourceCore->id)
                            : std::string(source ? "foreign" : "null")) +
                ")");
  if (sourceCore) {
    sourceCore->BindPlayer(core_);
    SimState::Get().BindPlayer(core_->id, sourceCore->id);
  }
  std::shared_ptr<DataSource> old;
  {
    RenderGuard guard(*core_);
    std::lock_guard<std::mutex> lock(core_->mutex);
    old = std::move(core_->source);
    core_->source = std::move(source);
    core_->sourceCore = sourceCore;
    if (core_->display) DisplayAccess::Bind(core_->display, core_, sourceCore);
    core_->wake.notify_all();
  }
  // `old` is released here, outside the player's locks.
}

std::shared_ptr<DataSource> SWPlayer::getDataSource() const {
  std::lock_guard<std::mutex> lock(core_->mutex);
  return core_->source;
}

void SWPlayer::setDisplay(VideoDisplay* display) {
  core_->Record("setDisplay(" + DisplayName(display) + ")");
  core_->SwitchDisplay(display);
}

int SWPlayer::changeDisplay(VideoDisplay* display) {
  core_->Record("changeDisplay(" + DisplayName(display) + ")");
  std::shared_ptr<swplay_internal::SourceCore> sourceCore;
  {
    std::lock_guard<std::mutex> lock(core_->mutex);
    sourceCore = core_->sourceCore;
  }
  if (sourceCore) {
    sourceCore->MaybeBlock("changeDisplay");
    const int scripted = sourceCore->ScriptCopy().changeResult;
    if (scripted != 0) return scripted;  // a failed change keeps the old display
  }
  core_->SwitchDisplay(display);
  return 0;
}

int SWPlayer::start() {
  core_->Record("start()");
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->started = true;
  if (!core_->thread.joinable() && !core_->closing) {
    SimState::Get().liveThreads++;
    core_->thread = std::thread([self = core_] {
      self->RenderLoop();
      SimState::Get().liveThreads--;
    });
    core_->renderThreadId = core_->thread.get_id();
  }
  core_->wake.notify_all();
  return 0;
}

void SWPlayer::stop() {
  core_->Record("stop()");
  RenderGuard guard(*core_);
  std::lock_guard<std::mutex> lock(core_->mutex);
  core_->started = false;
  core_->wake.notify_all();
}
