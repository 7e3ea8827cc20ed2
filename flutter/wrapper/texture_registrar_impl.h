// TextureRegistrarImpl: the TextureRegistrar over the engine's C texture registrar.
//
// Thread affinity: any thread, like the C registrar.
#ifndef FLUTTER_WRAPPER_TEXTURE_REGISTRAR_IMPL_H_
#define FLUTTER_WRAPPER_TEXTURE_REGISTRAR_IMPL_H_

#include <functional>

#include <flutter_texture_registrar.h>
#include "flutter/texture_registrar.h"

namespace flutter {

class TextureRegistrarImpl : public TextureRegistrar {
 public:
  // |texture_registrar_ref| is not owned.
  explicit TextureRegistrarImpl(FlutterDesktopTextureRegistrarRef texture_registrar_ref);
  ~TextureRegistrarImpl() override = default;
  TextureRegistrarImpl(const TextureRegistrarImpl&) = delete;
  TextureRegistrarImpl& operator=(const TextureRegistrarImpl&) = delete;

  // TextureRegistrar:
  int64_t RegisterTexture(TextureVariant* texture) override;
  bool MarkTextureFrameAvailable(int64_t texture_id) override;
  void UnregisterTexture(int64_t texture_id, std::function<void()> callback) override;
  bool UnregisterTexture(int64_t texture_id) override;

 private:
  FlutterDesktopTextureRegistrarRef texture_registrar_ref_;  // Not owned.
};

}  // namespace flutter

#endif  // FLUTTER_WRAPPER_TEXTURE_REGISTRAR_IMPL_H_
