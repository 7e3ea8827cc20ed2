// TextureRegistry: the engine's external textures and the raster thread that fetches their pixels.
//
// The raster thread produces frames, at most one per frame interval (the display's refresh
// period), and only when one is wanted: a texture was marked available, the set of textures
// changed, or a frame was requested (ForceRedraw, a resize). A frame copies every texture marked
// since the last one (calling the host's copy callback, taking the pixels, calling the buffer's
// release callback), then runs the frame callback. Marks made in between merge into one copy.
//
// Unregistration removes the texture at once; its callback runs on the raster thread once every
// frame wanted before it has been produced, so never while a copy of the texture runs. (So the
// confirmation of an unknown id tells that the frames wanted so far are done.)
//
// Copied pixels are kept per texture as the latest frame, converted to the B, G, R, A order that
// GDI draws, for the view to paint on the platform thread. A copy whose host callback throws is
// reported as an engine notice and skipped.
//
// Thread affinity: every public method may be called on any thread, except Shutdown, which must
// not be called on the raster thread. The frame callback runs on the raster thread.
#ifndef FLUTTER_ENGINE_TEXTURE_REGISTRY_H_
#define FLUTTER_ENGINE_TEXTURE_REGISTRY_H_

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <flutter_texture_registrar.h>

namespace flutter {
namespace engine {

// One copied frame: width x height pixels, 4 bytes each in B, G, R, A order, rows packed.
struct TextureFrame {
  size_t width = 0;
  size_t height = 0;
  std::vector<uint8_t> bgra;
};

class TextureRegistry {
 public:
  // Largest side, and largest pixel count, of a pixel buffer the engine accepts; larger frames
  // are skipped (a buffer that big is a fault of the host, not a frame to draw).
  static constexpr size_t kMaxSide = 16384;
  static constexpr size_t kMaxPixels = 4096 * 4096;

  // |on_frame| runs on the raster thread after each frame; frames start at least |frame_interval|
  // apart.
  TextureRegistry(std::function<void()> on_frame, std::chrono::nanoseconds frame_interval);
  // Shuts down if not done yet.
  ~TextureRegistry();
  TextureRegistry(const TextureRegistry&) = delete;
  TextureRegistry& operator=(const TextureRegistry&) = delete;

  // Returns the new id (1 or more), or -1 after shutdown or for a null callback.
  int64_t Register(FlutterDesktopPixelBufferTextureCallback callback, void* user_data);

  // Has the texture copied in the next frame. False for an unknown id.
  bool MarkFrameAvailable(int64_t texture_id);

  // Removes the texture now (no copy starts after this returns) and runs |callback| on the raster
  // thread once no copy of it runs. On the raster thread itself, or after shutdown, the callback
  // runs before this returns.
  void Unregister(int64_t texture_id, void (*callback)(void*), void* user_data);

  // Asks for a frame even though no texture changed.
  void RequestFrame();

  // The size the host is asked for in the copy callback.
  void SetRequestedSize(size_t width, size_t height);

  // The registered textures in id order, each with its latest frame (null before the first copy).
  std::vector<std::pair<int64_t, std::shared_ptr<const TextureFrame>>> Snapshot() const;

  // Stops the raster thread: wanted frames are dropped, pending unregistrations still complete.
  // Later calls behave as after shutdown. Not on the raster thread.
  void Shutdown();

  bool IsRasterThread() const;

 private:
  using Clock = std::chrono::steady_clock;

  struct Texture {
    FlutterDesktopPixelBufferTextureCallback callback = nullptr;
    void* user_data = nullptr;
    bool marked = false;  // To be copied in the next frame.
    std::shared_ptr<const TextureFrame> latest;
  };

  struct Unregistration {
    void (*callback)(void*) = nullptr;
    void* user_data = nullptr;
    uint64_t after_frame = 0;  // Confirmed once this many frames have been produced.
  };

  void RasterLoop();
  // Copies the marked textures, then runs the frame callback. Called with |lock| held; releases
  // it meanwhile.
  void ProduceFrame(std::unique_lock<std::mutex>* lock);
  // CopyTexture, reporting a host callback that throws instead of letting it end the thread.
  void CopyTextureGuarded(int64_t texture_id) noexcept;
  void CopyTexture(int64_t texture_id);
  // Wants a frame; false after shutdown. Called with |mutex_| held.
  bool WantFrameLocked();

  const std::function<void()> on_frame_;
  const Clock::duration frame_interval_;

  mutable std::mutex mutex_;
  std::condition_variable work_ready_;
  std::map<int64_t, Texture> textures_;          // Guarded by |mutex_|.
  std::deque<Unregistration> unregistrations_;  // Not yet confirmed; guarded by |mutex_|.
  bool frame_wanted_ = false;                    // Guarded by |mutex_|.
  // Frames begun; confirmations run between frames, so every begun frame has also finished then.
  uint64_t frames_started_ = 0;  // Guarded by |mutex_|.
  Clock::time_point next_frame_at_;              // Earliest start of the next frame; same guard.
  int64_t next_id_ = 1;                          // Guarded by |mutex_|.
  bool stopping_ = false;                        // Guarded by |mutex_|.
  size_t requested_width_ = 0;                   // Guarded by |mutex_|.
  size_t requested_height_ = 0;                  // Guarded by |mutex_|.

  std::thread raster_thread_;  // Last: starts after everything above exists.
};

}  // namespace engine
}  // namespace flutter

#endif  // FLUTTER_ENGINE_TEXTURE_REGISTRY_H_
