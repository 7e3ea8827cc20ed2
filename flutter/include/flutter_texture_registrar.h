// C interface of the engine's external textures: pixel buffers that the host produces and the
// engine draws.
//
// The engine asks for a texture's pixels on its raster thread, through the copy callback, after the
// host has marked a new frame available. The buffer returned must stay valid and unchanged until
// the engine calls its release callback (or, without one, until the next copy callback call).
//
// Thread affinity:
//   - Register, MarkExternalTextureFrameAvailable and Unregister may be called on any thread.
//   - The copy callback runs on the raster thread, never on the platform thread.
//   - The unregister callback runs on the raster thread once the texture is gone and no copy
//     callback for it is running or will run again. Called on the raster thread itself (from
//     inside a copy callback), Unregister completes at once and calls the callback before it
//     returns.
#ifndef FLUTTER_FLUTTER_TEXTURE_REGISTRAR_H_
#define FLUTTER_FLUTTER_TEXTURE_REGISTRAR_H_

#include <stddef.h>
#include <stdint.h>

#include <flutter_export.h>

#if defined(__cplusplus)
extern "C" {
#endif

typedef struct FlutterDesktopTextureRegistrar* FlutterDesktopTextureRegistrarRef;

typedef enum {
  // Pixels in host memory, copied by the engine.
  kFlutterDesktopPixelBufferTexture,
} FlutterDesktopTextureType;

// One frame of a pixel-buffer texture: |width| x |height| pixels, 4 bytes each in R, G, B, A
// order, rows packed without padding.
typedef struct {
  const uint8_t* buffer;
  size_t width;
  size_t height;
  // Called by the engine once it no longer reads |buffer|; may be null.
  void (*release_callback)(void* release_context);
  void* release_context;
} FlutterDesktopPixelBuffer;

// Asked for the current frame. |width| and |height| are the size at which the engine will draw
// the texture (physical pixels); the callback may return any size. Returning null skips the frame.
typedef const FlutterDesktopPixelBuffer* (*FlutterDesktopPixelBufferTextureCallback)(
    size_t width, size_t height, void* user_data);

typedef struct {
  FlutterDesktopPixelBufferTextureCallback callback;
  void* user_data;
} FlutterDesktopPixelBufferTextureConfig;

typedef struct {
  FlutterDesktopTextureType type;
  FlutterDesktopPixelBufferTextureConfig pixel_buffer_config;
} FlutterDesktopTextureInfo;

// Registers a texture and returns its id (1 or more), or -1 when the info is unusable or the engine
// has shut down.
FLUTTER_EXPORT int64_t FlutterDesktopTextureRegistrarRegisterExternalTexture(
    FlutterDesktopTextureRegistrarRef texture_registrar,
    const FlutterDesktopTextureInfo* info);

// Unregisters a texture; |callback| (may be null) runs when no copy callback for it runs any more.
// An unknown id still gets its callback.
FLUTTER_EXPORT void FlutterDesktopTextureRegistrarUnregisterExternalTexture(
    FlutterDesktopTextureRegistrarRef texture_registrar, int64_t texture_id,
    void (*callback)(void* user_data), void* user_data);

// Tells the engine that a new frame is ready; the copy callback will run on the raster thread.
// Marks made before the raster thread gets to the texture are merged into one copy. Returns false
// for an unknown id.
FLUTTER_EXPORT bool FlutterDesktopTextureRegistrarMarkExternalTextureFrameAvailable(
    FlutterDesktopTextureRegistrarRef texture_registrar, int64_t texture_id);

#if defined(__cplusplus)
}  // extern "C"
#endif

#endif  // FLUTTER_FLUTTER_TEXTURE_REGISTRAR_H_
