#include "flutter/engine/texture_registry.h"

#include <exception>
#include <new>
#include <string>
#include <utility>

#include "flutter/engine/engine_output.h"

namespace flutter {
namespace engine {

TextureRegistry::TextureRegistry(std::function<void()> on_frame,
                                 std::chrono::nanoseconds frame_interval)
    : on_frame_(std::move(on_frame)),
      frame_interval_(std::chrono::duration_cast<Clock::duration>(frame_interval)),
      raster_thread_([this] { RasterLoop(); }) {}

TextureRegistry::~TextureRegistry() { Shutdown(); }

int64_t TextureRegistry::Register(FlutterDesktopPixelBufferTextureCallback callback,
                                  void* user_data) {
  if (!callback) return -1;
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopping_) return -1;
  const int64_t id = next_id_++;
  Texture& texture = textures_[id];
  texture.callback = callback;
  texture.user_data = user_data;
  WantFrameLocked();  // The view shows one tile more.
  return id;
}

bool TextureRegistry::MarkFrameAvailable(int64_t texture_id) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = textures_.find(texture_id);
  if (it == textures_.end()) return false;
  if (WantFrameLocked()) it->second.marked = true;
  return true;
}

void TextureRegistry::Unregister(int64_t texture_id, void (*callback)(void*), void* user_data) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    const uint64_t after_frame = frames_started_ + (frame_wanted_ ? 1 : 0);
    if (textures_.erase(texture_id) > 0) WantFrameLocked();  // One tile less.
    if (!stopping_ && !IsRasterThread()) {
      unregistrations_.push_back({callback, user_data, after_frame});
      work_ready_.notify_one();
      return;
    }
  }
  // On the raster thread no other copy can be running; after shutdown none runs at all.
  if (callback) callback(user_data);
}

void TextureRegistry::RequestFrame() {
  std::lock_guard<std::mutex> lock(mutex_);
  WantFrameLocked();
}

void TextureRegistry::SetRequestedSize(size_t width, size_t height) {
  std::lock_guard<std::mutex> lock(mutex_);
  requested_width_ = width;
  requested_height_ = height;
}

std::vector<std::pair<int64_t, std::shared_ptr<const TextureFrame>>> TextureRegistry::Snapshot()
    const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::pair<int64_t, std::shared_ptr<const TextureFrame>>> snapshot;
  snapshot.reserve(textures_.size());
  for (const auto& [id, texture] : textures_) snapshot.emplace_back(id, texture.latest);
  return snapshot;
}

void TextureRegistry::Shutdown() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    textures_.clear();
  }
  work_ready_.notify_all();
  if (raster_thread_.joinable()) raster_thread_.join();
}

bool TextureRegistry::IsRasterThread() const {
  return std::this_thread::get_id() == raster_thread_.get_id();
}

bool TextureRegistry::WantFrameLocked() {
  if (stopping_) return false;
  if (!frame_wanted_) {
    frame_wanted_ = true;
    work_ready_.notify_one();
  }
  return true;
}

void TextureRegistry::RasterLoop() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (true) {
    if (frame_wanted_ && !stopping_ && Clock::now() >= next_frame_at_) {
      ProduceFrame(&lock);
      continue;
    }
    // Between frames no copy runs, and the textures are gone from the map. A confirmation waits
    // for the frames wanted before its unregistration (all of them are dropped when stopping).
    std::deque<Unregistration> confirmed;
    while (!unregistrations_.empty() &&
           (stopping_ || unregistrations_.front().after_frame <= frames_started_)) {
      confirmed.push_back(unregistrations_.front());
      unregistrations_.pop_front();
    }
    if (!confirmed.empty()) {
      lock.unlock();
      for (const Unregistration& unregistration : confirmed) {
        if (unregistration.callback) unregistration.callback(unregistration.user_data);
      }
      lock.lock();
      continue;
    }
    if (stopping_) return;
    if (frame_wanted_) {
      // Not before the display's next refresh; marks made meanwhile join this frame.
      work_ready_.wait_until(lock, next_frame_at_);
    } else {
      work_ready_.wait(lock);
    }
  }
}

void TextureRegistry::ProduceFrame(std::unique_lock<std::mutex>* lock) {
  frame_wanted_ = false;
  ++frames_started_;
  next_frame_at_ = Clock::now() + frame_interval_;
  std::vector<int64_t> marked;
  for (auto& [id, texture] : textures_) {
    if (texture.marked) marked.push_back(id);
    texture.marked = false;
  }
  lock->unlock();
  for (const int64_t id : marked) CopyTextureGuarded(id);
  on_frame_();
  lock->lock();
}

void TextureRegistry::CopyTextureGuarded(int64_t texture_id) noexcept {
  // The copy and release callbacks are the host's: one that throws costs its frame, not the
  // raster thread (an exception leaving a thread's function ends the process).
  try {
    CopyTexture(texture_id);
  } catch (const std::exception& error) {
    WriteEngineNotice("error: texture " + std::to_string(texture_id) +
                      ": the host's callback threw: " + error.what());
  } catch (...) {
    WriteEngineNotice("error: texture " + std::to_string(texture_id) +
                      ": the host's callback threw an exception of unknown type");
  }
}

void TextureRegistry::CopyTexture(int64_t texture_id) {
  FlutterDesktopPixelBufferTextureCallback callback = nullptr;
  void* user_data = nullptr;
  size_t width = 0;
  size_t height = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = textures_.find(texture_id);
    if (it == textures_.end()) return;  // Unregistered after it was marked.
    callback = it->second.callback;
    user_data = it->second.user_data;
    width = requested_width_;
    height = requested_height_;
  }

  const FlutterDesktopPixelBuffer* buffer = callback(width, height, user_data);
  if (!buffer) return;

  std::shared_ptr<TextureFrame> frame;
  if (!buffer->buffer || buffer->width == 0 || buffer->height == 0 ||
      buffer->width > kMaxSide || buffer->height > kMaxSide ||
      buffer->width * buffer->height > kMaxPixels) {
    WriteEngineNotice("texture " + std::to_string(texture_id) +
                      ": pixel buffer skipped (null or size " + std::to_string(buffer->width) +
                      "x" + std::to_string(buffer->height) + ")");
  } else {
    try {
      frame = std::make_shared<TextureFrame>();
      frame->width = buffer->width;
      frame->height = buffer->height;
      frame->bgra.resize(buffer->width * buffer->height * 4);
    } catch (const std::bad_alloc&) {
      WriteEngineNotice("texture " + std::to_string(texture_id) +
                        ": pixel buffer skipped (out of memory)");
      frame.reset();
    }
  }
  if (frame) {
    // R, G, B, A from the host; B, G, R, A for GDI.
    const size_t bytes = frame->bgra.size();
    const uint8_t* source = buffer->buffer;
    uint8_t* target = frame->bgra.data();
    for (size_t i = 0; i < bytes; i += 4) {
      target[i] = source[i + 2];
      target[i + 1] = source[i + 1];
      target[i + 2] = source[i];
      target[i + 3] = source[i + 3];
    }
  }
  // The host may reuse the buffer from here on.
  if (buffer->release_callback) buffer->release_callback(buffer->release_context);

  if (!frame) return;
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = textures_.find(texture_id);
  if (it != textures_.end()) it->second.latest = std::move(frame);
}

}  // namespace engine
}  // namespace flutter
