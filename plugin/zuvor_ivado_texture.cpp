#include "plugin/zuvor_ivado_texture.h"

#include <future>
#include <memory>

#include "plugin/frame_convert.h"

ZuvorIvadoTexture::ZuvorIvadoTexture() {
  for (Slot& slot : slots_) slot.owner = this;
}

ZuvorIvadoTexture::~ZuvorIvadoTexture() {
  const int64_t id = textureId_.exchange(-1);
  flutter::TextureRegistrar* registrar = registrar_.exchange(nullptr);
  if (registrar && id >= 0) {
    // The engine may still be copying the texture when UnregisterTexture returns; it confirms
    // (on its raster thread) once no copy callback for it runs or will run. Until then the copy
    // callback, this object and its buffers must stay.
    // The callback owns the promise: it may still be returning from set_value when this wait ends.
    auto confirmed = std::make_shared<std::promise<void>>();
    std::future<void> confirmation = confirmed->get_future();
    registrar->UnregisterTexture(id, [confirmed] { confirmed->set_value(); });
    confirmation.wait();
  }
}

int64_t ZuvorIvadoTexture::Register(flutter::TextureRegistrar* registrar) {
  if (!registrar) return -1;
  variant_ = std::make_unique<flutter::TextureVariant>(flutter::PixelBufferTexture(
      [this](size_t width, size_t height) { return CopyPixelBuffer(width, height, this); }));
  const int64_t id = registrar->RegisterTexture(variant_.get());
  textureId_.store(id);
  registrar_.store(registrar);
  return id;
}

const FlutterDesktopPixelBuffer* ZuvorIvadoTexture::CopyPixelBuffer(size_t width, size_t height,
                                                                    void* userData) {
  auto* self = static_cast<ZuvorIvadoTexture*>(userData);
  if (!self) return nullptr;
  std::lock_guard<std::mutex> lock(self->mutex_);
  if (self->publishedSlot_ < 0) return nullptr;
  Slot& slot = self->slots_[self->publishedSlot_];
  ++slot.readers;
  return &slot.record;
}

void ZuvorIvadoTexture::ReleaseBuffer(void* context) {
  auto* slot = static_cast<Slot*>(context);
  std::lock_guard<std::mutex> lock(slot->owner->mutex_);
  if (slot->readers > 0) --slot->readers;
}

int ZuvorIvadoTexture::FreeSlotLocked() const {
  for (int i = 0; i < kSlots; ++i) {
    if (i != publishedSlot_ && slots_[i].readers == 0) return i;
  }
  return -1;
}

void ZuvorIvadoTexture::onFrameReady() {
  const bool rotated = rotated_.load();
  const int targetWidth = rotated ? kFrameShort : kFrameLong;
  const int targetHeight = rotated ? kFrameLong : kFrameShort;
  if (!initialized_ || targetWidth != targetWidth_ || targetHeight != targetHeight_) {
    // The frame in the base still has the old size: ask for the new one and publish from the
    // next frame on.
    targetWidth_ = targetWidth;
    targetHeight_ = targetHeight;
    setDstFormat(-1, targetWidth, targetHeight, 0);
    initialized_ = true;
    return;
  }

  lockFrameBuffer();
  const uint8_t* frame = frameData();
  // The library may deliver another size than asked: the copy follows the frame it delivered.
  const int width = frameWidth();
  const int height = frameHeight();
  if (!frame || width <= 0 || height <= 0) {
    unlockFrameBuffer();
    return;
  }
  int slotIndex;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    slotIndex = FreeSlotLocked();
  }
  if (slotIndex < 0) {
    unlockFrameBuffer();
    dropped_.fetch_add(1);
    return;
  }
  // The slot is neither published nor read: this thread alone touches its pixels until it is
  // published below.
  Slot& slot = slots_[slotIndex];
  const size_t bytes = size_t(width) * size_t(height) * 4;
  if (slot.pixels.size() < bytes) slot.pixels.resize(bytes);
  if (rotated) {
    frame_convert::CopySwapRedBlue(frame, size_t(width) * size_t(height), slot.pixels.data());
  } else {
    frame_convert::RotateCcwSwapRedBlue(frame, width, height, slot.pixels.data());
  }
  unlockFrameBuffer();

  {
    std::lock_guard<std::mutex> lock(mutex_);
    slot.record.buffer = slot.pixels.data();
    slot.record.width = size_t(rotated ? width : height);
    slot.record.height = size_t(rotated ? height : width);
    slot.record.release_callback = &ZuvorIvadoTexture::ReleaseBuffer;
    slot.record.release_context = &slot;
    publishedSlot_ = slotIndex;
  }
  published_.fetch_add(1);
  const int64_t id = textureId_.load();
  flutter::TextureRegistrar* registrar = registrar_.load();
  if (registrar && id >= 0) registrar->MarkTextureFrameAvailable(id);
}
