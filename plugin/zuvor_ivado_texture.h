// ZuvorIvadoTexture: a session's phone shown inside the Flutter view.
//
// It is one of the streaming library's displays: the session binds it to its player, which calls
// onFrameReady on the library's render thread for every frame. The texture asks the library for
// 512 x 288 frames (288 x 512 while `rotated`), turns them upright (a quarter turn
// counter-clockwise; rotated frames are copied as they are), swaps B, G, R, A into R, G, B, A and
// publishes the result as an external texture of 288 x 512 pixels, which the engine's raster
// thread fetches through CopyPixelBuffer.
//
//   auto texture = std::make_unique<ZuvorIvadoTexture>();
//   int64_t id = texture->Register(registrar);   // -1 without a registrar
//   player->setDisplay(texture.get());
//   ...
//   player->setDisplay(nullptr);                  // never destroy a bound display
//   texture.reset();                              // unregisters, waits for the engine's
//                                                 // confirmation, then frees
//
// Buffers: three RGBA buffers. The render thread writes one that is neither the published one
// nor one the engine still reads (between CopyPixelBuffer and the buffer's release callback), so
// a buffer handed to the engine never changes or moves until the engine releases it. Buffers are
// allocated only when the frame size changes.
//
// Thread-safety:
//   - onFrameReady: the library's render thread (one player at a time).
//   - CopyPixelBuffer and the release callback: the engine's raster thread.
//   - Register, SetRotated, textureId: any thread. The destructor: the owner's thread, never the
//     raster thread, with no lock held that the copy callback takes.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "flutter/texture_registrar.h"
#include "swplay/video_display.h"

class ZuvorIvadoTexture : public VideoDisplayWinBase {
 public:
  // Sizes asked of the library: landscape frames turned upright, or portrait frames as they are.
  static constexpr int kFrameLong = 512;
  static constexpr int kFrameShort = 288;

  ZuvorIvadoTexture();
  // Unregisters the texture and waits for the engine's confirmation that it no longer reads it,
  // then frees the buffers.
  ~ZuvorIvadoTexture() override;

  // Registers a pixel-buffer texture with `registrar` (kept, not owned; it must outlive this
  // texture) and returns its id; -1 with a null registrar or when the engine refuses.
  int64_t Register(flutter::TextureRegistrar* registrar);

  // The engine's copy callback: the last published frame, or null before the first one. The
  // requested size is ignored. `userData` is the texture.
  static const FlutterDesktopPixelBuffer* CopyPixelBuffer(size_t width, size_t height,
                                                          void* userData);

  // VideoDisplay:
  void onFrameReady() override;

  // True while the phone is turned: frames are then asked for 288 x 512 and copied unturned.
  void SetRotated(bool rotated) { rotated_.store(rotated); }
  bool rotated() const { return rotated_.load(); }
  int64_t textureId() const { return textureId_.load(); }

  // Frames published and frames dropped because the engine held every spare buffer (tests and
  // diagnostics).
  uint64_t publishedFrames() const { return published_.load(); }
  uint64_t droppedFrames() const { return dropped_.load(); }

 private:
  static constexpr int kSlots = 3;

  struct Slot {
    std::vector<uint8_t> pixels;
    FlutterDesktopPixelBuffer record{};  // what the engine gets
    int readers = 0;                     // copies handed out and not yet released
    ZuvorIvadoTexture* owner = nullptr;  // release context
  };

  static void ReleaseBuffer(void* context);
  // A slot that is neither published nor being read; -1 when the engine holds them all.
  int FreeSlotLocked() const;

  std::atomic<bool> rotated_{false};
  std::atomic<int64_t> textureId_{-1};
  std::atomic<flutter::TextureRegistrar*> registrar_{nullptr};  // not owned
  std::unique_ptr<flutter::TextureVariant> variant_;            // what the registrar refers to

  // Render thread only.
  bool initialized_ = false;
  int targetWidth_ = 0;
  int targetHeight_ = 0;

  std::mutex mutex_;  // guards the slots and `publishedSlot_`
  std::array<Slot, kSlots> slots_;
  int publishedSlot_ = -1;

  std::atomic<uint64_t> published_{0};
  std::atomic<uint64_t> dropped_{0};
};
