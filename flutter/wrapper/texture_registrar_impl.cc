#include "flutter/wrapper/texture_registrar_impl.h"

#include <iostream>
#include <memory>
#include <utility>

namespace flutter {

namespace {

const FlutterDesktopPixelBuffer* CopyPixelBufferThunk(size_t width, size_t height,
                                                      void* user_data) {
  return static_cast<const PixelBufferTexture*>(user_data)->CopyPixelBuffer(width, height);
}

void RunUnregisterCallback(void* user_data) {
  std::unique_ptr<std::function<void()>> callback(static_cast<std::function<void()>*>(user_data));
  if (*callback) (*callback)();
}

}  // namespace

TextureRegistrarImpl::TextureRegistrarImpl(FlutterDesktopTextureRegistrarRef texture_registrar_ref)
    : texture_registrar_ref_(texture_registrar_ref) {}

int64_t TextureRegistrarImpl::RegisterTexture(TextureVariant* texture) {
  auto* pixel_buffer_texture = texture ? std::get_if<PixelBufferTexture>(texture) : nullptr;
  if (!pixel_buffer_texture) {
    std::cerr << "Attempting to register an unknown kind of texture." << std::endl;
    return -1;
  }
  FlutterDesktopTextureInfo info = {};
  info.type = kFlutterDesktopPixelBufferTexture;
  info.pixel_buffer_config.callback = CopyPixelBufferThunk;
  info.pixel_buffer_config.user_data = pixel_buffer_texture;
  return FlutterDesktopTextureRegistrarRegisterExternalTexture(texture_registrar_ref_, &info);
}

bool TextureRegistrarImpl::MarkTextureFrameAvailable(int64_t texture_id) {
  return FlutterDesktopTextureRegistrarMarkExternalTextureFrameAvailable(texture_registrar_ref_,
                                                                        texture_id);
}

void TextureRegistrarImpl::UnregisterTexture(int64_t texture_id, std::function<void()> callback) {
  auto owned = std::make_unique<std::function<void()>>(std::move(callback));
  // The engine always calls the callback exactly once; it owns |owned| from here.
  FlutterDesktopTextureRegistrarUnregisterExternalTexture(texture_registrar_ref_, texture_id,
                                                          RunUnregisterCallback, owned.release());
}

bool TextureRegistrarImpl::UnregisterTexture(int64_t texture_id) {
  FlutterDesktopTextureRegistrarUnregisterExternalTexture(texture_registrar_ref_, texture_id,
                                                          nullptr, nullptr);
  return true;
}

}  // namespace flutter
