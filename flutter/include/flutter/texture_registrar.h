// TextureRegistrar: external textures whose pixels the host produces and the engine draws.
//
//   auto texture = std::make_unique<flutter::TextureVariant>(flutter::PixelBufferTexture(
//       [this](size_t width, size_t height) { return CurrentFrame(); }));
//   int64_t id = registrar->RegisterTexture(texture.get());
//   ... on each new frame, from any thread:
//   registrar->MarkTextureFrameAvailable(id);
//   ... before |texture| goes away:
//   registrar->UnregisterTexture(id, [] { /* now |texture| may go */ });
//
// Unregistration is confirmed later: the engine may still be copying the texture when
// UnregisterTexture returns, and calls the callback (on its raster thread) once no copy callback
// for it runs any more. Only then may the texture and its buffers go.
//
// Thread affinity: every method may be called on any thread. The copy callback and the
// unregistration callback run on the engine's raster thread.
#ifndef FLUTTER_TEXTURE_REGISTRAR_H_
#define FLUTTER_TEXTURE_REGISTRAR_H_

#include <cstddef>
#include <cstdint>
#include <functional>
#include <utility>
#include <variant>

#include <flutter_texture_registrar.h>

namespace flutter {

// A texture backed by pixels in host memory.
class PixelBufferTexture {
 public:
  // Returns the current frame, or null to skip. The buffer must stay valid and unchanged until its
  // release callback runs (or, without one, until the next call). Runs on the raster thread.
  typedef std::function<const FlutterDesktopPixelBuffer*(size_t width, size_t height)>
      CopyBufferCallback;

  explicit PixelBufferTexture(CopyBufferCallback copy_buffer_callback)
      : copy_buffer_callback_(std::move(copy_buffer_callback)) {}

  const FlutterDesktopPixelBuffer* CopyPixelBuffer(size_t width, size_t height) const {
    return copy_buffer_callback_ ? copy_buffer_callback_(width, height) : nullptr;
  }

 private:
  CopyBufferCallback copy_buffer_callback_;
};

// The kinds of texture the engine knows.
typedef std::variant<PixelBufferTexture> TextureVariant;

class TextureRegistrar {
 public:
  virtual ~TextureRegistrar() = default;

  // Registers |texture| (not owned; it must outlive its registration) and returns its id, or -1.
  virtual int64_t RegisterTexture(TextureVariant* texture) = 0;

  // Announces a new frame of the texture. Returns false for an unknown id.
  virtual bool MarkTextureFrameAvailable(int64_t texture_id) = 0;

  // Unregisters the texture; |callback| (may be empty) runs on the raster thread once no copy
  // callback for it runs any more (at once when the engine has shut down, or when called from
  // inside the texture's own copy callback).
  virtual void UnregisterTexture(int64_t texture_id, std::function<void()> callback) = 0;

  // Unregisters the texture without waiting for the confirmation: a copy callback may still be
  // running, or about to run, when this returns. Returns true.
  virtual bool UnregisterTexture(int64_t texture_id) = 0;
};

}  // namespace flutter

#endif  // FLUTTER_TEXTURE_REGISTRAR_H_
