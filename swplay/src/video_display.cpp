#include "swplay/video_display.h"

#include <mutex>
#include <vector>

#include "swplay/src/sim_objects.h"
#include "swplay/src/sim_state.h"
#include "swplay/src/test_pattern.h"

using swplay_internal::PlayerCore;
using swplay_internal::SimState;
using swplay_internal::SourceCore;

struct VideoDisplay::Internals {
  const unsigned id = SimState::Get().NextDisplayId();
  std::mutex mutex;  // guards the fields below
  unsigned logId = 0;
  int rotation = 0;
  std::weak_ptr<PlayerCore> player;  // the player that has this display bound
  std::weak_ptr<SourceCore> source;  // where touches go
};

namespace swplay_internal {

unsigned DisplayAccess::Id(const VideoDisplay* display) {
  return display ? display->internals_->id : 0;
}

void DisplayAccess::Bind(VideoDisplay* display, const std::shared_ptr<PlayerCore>& player,
                         const std::shared_ptr<SourceCore>& source) {
  std::lock_guard<std::mutex> lock(display->internals_->mutex);
  display->internals_->player = player;
  display->internals_->source = source;
}

void DisplayAccess::Release(VideoDisplay* display) {
  std::shared_ptr<PlayerCore> player;
  {
    std::lock_guard<std::mutex> lock(display->internals_->mutex);
    player = display->internals_->player.lock();
    display->internals_->player.reset();
    display->internals_->source.reset();
  }
  if (player) player->ForgetDisplay(display);
}

void DisplayAccess::Unbind(VideoDisplay* display, const PlayerCore* player) {
  std::lock_guard<std::mutex> lock(display->internals_->mutex);
  if (display->internals_->player.lock().get() != player) return;
  display->internals_->player.reset();
  display->internals_->source.reset();
}

}  // namespace swplay_internal

VideoDisplay::VideoDisplay() : internals_(std::make_unique<Internals>()) {}

// A caller that destroys a display still bound has a fault: the player may be inside its
// onFrameReady, whose object is already half gone, and nothing here can undo that. What the
// library can do is to stop rendering into it as early as it learns of it (the first base
// destructor that runs), wait out a frame in flight, and report the fault.
VideoDisplay::~VideoDisplay() { swplay_internal::DisplayAccess::Release(this); }

void VideoDisplay::setLogId(unsigned id) {
  std::lock_guard<std::mutex> lock(internals_->mutex);
  internals_->logId = id;
}

void VideoDisplay::onScreenRotation(int rotation) {
  std::lock_guard<std::mutex> lock(internals_->mutex);
  internals_->rotation = rotation;
}

int VideoDisplay::OnTouchEvent(int action, int count, const int* x, const int* y,
                               const float* pressures) {
  std::shared_ptr<SourceCore> source;
  {
    std::lock_guard<std::mutex> lock(internals_->mutex);
    source = internals_->source.lock();
  }
  if (!source) return -1;
  // The touch goes through the data source's own entry so it is logged with the stream.
  std::string points = "[";
  const int shown = count < 0 ? 0 : (count > 10 ? 10 : count);
  for (int i = 0; i < shown; ++i) {
    if (i) points += ',';
    points += "(" + (x ? std::to_string(x[i]) : std::string("null")) + "," +
              (y ? std::to_string(y[i]) : std::string("null")) + ")";
  }
  points += "]";
  source->Record("onTouchEvent(" + std::to_string(action) + ", " + std::to_string(count) + ", " +
                 points + ")");
  return source->IsConnected() ? 0 : -1;
}

struct VideoDisplayWinBase::FrameStore {
  std::mutex formatMutex;  // guards the requested size
  int requestedWidth = 0;
  int requestedHeight = 0;

  std::mutex frameMutex;  // lockFrameBuffer / unlockFrameBuffer; guards the fields below
  std::vector<uint8_t> pixels;
  uint8_t* data = nullptr;
  int width = 0;
  int height = 0;
};

VideoDisplayWinBase::VideoDisplayWinBase() : store_(std::make_unique<FrameStore>()) {}
VideoDisplayWinBase::~VideoDisplayWinBase() {
  // Before the frame store goes: render() of a frame in flight still uses it.
  swplay_internal::DisplayAccess::Release(this);
}

void VideoDisplayWinBase::setDstFormat(int format, int width, int height, int flags) {
  std::lock_guard<std::mutex> lock(store_->formatMutex);
  store_->requestedWidth = width > 0 ? width : 0;
  store_->requestedHeight = height > 0 ? height : 0;
}

void VideoDisplayWinBase::render(const VideoFrame& frame) {
  int width = frame.width, height = frame.height;
  if (frame.scalable) {
    std::lock_guard<std::mutex> lock(store_->formatMutex);
    if (store_->requestedWidth > 0 && store_->requestedHeight > 0) {
      width = store_->requestedWidth;
      height = store_->requestedHeight;
    }
  }
  if (width <= 0 || height <= 0) return;
  {
    std::lock_guard<std::mutex> lock(store_->frameMutex);
    const size_t bytes = size_t(width) * size_t(height) * 4;
    if (store_->pixels.size() != bytes) store_->pixels.assign(bytes, 0);
    swplay_internal::PaintTestPattern(store_->pixels.data(), width, height, frame.streamId,
                                      frame.sequence);
    store_->data = store_->pixels.data();
    store_->width = width;
    store_->height = height;
  }
  onFrameReady();
}

void VideoDisplayWinBase::lockFrameBuffer() { store_->frameMutex.lock(); }
void VideoDisplayWinBase::unlockFrameBuffer() { store_->frameMutex.unlock(); }
uint8_t* VideoDisplayWinBase::frameData() const { return store_->data; }
int VideoDisplayWinBase::frameWidth() const { return store_->width; }
int VideoDisplayWinBase::frameHeight() const { return store_->height; }
