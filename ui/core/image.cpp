#include "ui/core/image.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>

#include "ui/core/global_manager.h"
#include "ui/core/string_helper.h"
#include "ui/render/gdiplus_handles.h"
#include "ui/render/render_interfaces.h"

namespace ui {

using namespace gdip;

namespace {

constexpr PROPID kFrameDelayProperty = 0x5100;
constexpr ARGB kOpaqueBlack = 0xFF000000;

// Whether any pixel of the 32-bit frames is not fully opaque (the fourth byte of each pixel).
bool AnyPixelTranslucent(const std::vector<HBITMAP>& frames, int width, int height) {
  if (width <= 0 || height <= 0) return false;
  std::vector<BYTE> pixels(static_cast<size_t>(width) * height * 4);
  HDC screen = ::GetDC(nullptr);
  bool translucent = false;
  for (HBITMAP frame : frames) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    if (!::GetDIBits(screen, frame, 0, height, pixels.data(), &info, DIB_RGB_COLORS)) continue;
    for (size_t i = 3; i < pixels.size(); i += 4) {
      if (pixels[i] != 255) {
        translucent = true;
        break;
      }
    }
    if (translucent) break;
  }
  ::ReleaseDC(nullptr, screen);
  return translucent;
}

bool PaletteHasAlpha(GpImage* image) {
  INT size = 0;
  if (GdipGetImagePaletteSize(image, &size) != Ok || size < static_cast<INT>(sizeof(ColorPalette)))
    return false;
  std::vector<BYTE> buffer(static_cast<size_t>(size));
  auto* palette = reinterpret_cast<ColorPalette*>(buffer.data());
  if (GdipGetImagePalette(image, palette, size) != Ok) return false;
  return (palette->Flags & PaletteFlagsHasAlpha) != 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// ImageInfo

ImageInfo::~ImageInfo() {
  for (HBITMAP frame : frames_)
    if (frame) ::DeleteObject(frame);
}

HBITMAP ImageInfo::GetHBitmap(size_t frame) const {
  return frame < frames_.size() ? frames_[frame] : nullptr;
}

UINT ImageInfo::GetFrameDelay(size_t frame) const {
  return frame < delays_.size() ? delays_[frame] : 0;
}

std::vector<UINT> ImageInfo::ReadFrameDelays(const void* value, size_t byteLength,
                                             size_t frameCount) {
  std::vector<UINT> delays(frameCount, 0);
  const size_t present = value ? std::min(frameCount, byteLength / sizeof(UINT)) : 0;
  if (present > 0) std::memcpy(delays.data(), value, present * sizeof(UINT));
  return delays;
}

std::unique_ptr<ImageInfo> ImageInfo::LoadFromBitmap(GpBitmap* bitmap, const std::wstring& path) {
  if (!bitmap) return nullptr;
  GpImage* image = bitmap;
  // A bitmap that failed to open or decode reports it through its first query.
  UINT dimensionCount = 0;
  if (GdipImageGetFrameDimensionsCount(image, &dimensionCount) != Ok || dimensionCount == 0)
    return nullptr;
  std::vector<GUID> dimensions(dimensionCount);
  if (GdipImageGetFrameDimensionsList(image, dimensions.data(), dimensionCount) != Ok)
    return nullptr;
  const GUID dimension = dimensions[0];
  UINT frameCount = 0;
  if (GdipImageGetFrameCount(image, &dimension, &frameCount) != Ok || frameCount == 0)
    return nullptr;

  auto info = std::make_unique<ImageInfo>();
  if (frameCount > 1) {
    UINT size = 0;
    if (GdipGetPropertyItemSize(image, kFrameDelayProperty, &size) != Ok ||
        size < sizeof(PropertyItem))
      return nullptr;
    std::vector<BYTE> buffer(size);
    auto* item = reinterpret_cast<PropertyItem*>(buffer.data());
    if (GdipGetPropertyItem(image, kFrameDelayProperty, size, item) != Ok) return nullptr;
    // The value must lie inside the buffer GDI+ filled; a shorter property leaves delays of 0.
    const BYTE* value = static_cast<const BYTE*>(item->value);
    size_t length = 0;
    if (value >= buffer.data() + sizeof(PropertyItem) && value <= buffer.data() + size)
      length = std::min<size_t>(item->length, buffer.data() + size - value);
    info->delays_ = ReadFrameDelays(length ? value : nullptr, length, frameCount);
  }

  for (UINT i = 0; i < frameCount; ++i) {
    if (GdipImageSelectActiveFrame(image, &dimension, i) != Ok) return nullptr;
    HBITMAP frame = nullptr;
    if (GdipCreateHBITMAPFromBitmap(bitmap, &frame, kOpaqueBlack) != Ok || !frame)
      return nullptr;
    info->frames_.push_back(frame);
  }

  UINT width = 0;
  UINT height = 0;
  GdipGetImageWidth(image, &width);
  GdipGetImageHeight(image, &height);
  info->width_ = static_cast<int>(width);
  info->height_ = static_cast<int>(height);
  info->path_ = path;

  PixelFormat format = 0;
  GdipGetImagePixelFormat(image, &format);
  if (format & PixelFormatAlpha)
    info->alpha_ = true;
  else if (format & PixelFormatIndexed)
    info->alpha_ = PaletteHasAlpha(image);
  if (format == PixelFormat32bppARGB)
    info->alpha_ = AnyPixelTranslucent(info->frames_, info->width_, info->height_);
  return info;
}

std::unique_ptr<ImageInfo> ImageInfo::LoadFromFile(const std::wstring& path) {
  GpBitmap* bitmap = nullptr;
  if (GdipCreateBitmapFromFile(path.c_str(), &bitmap) != Ok || !bitmap) return nullptr;
  BitmapPtr owned(bitmap);
  return LoadFromBitmap(bitmap, path);
}

// ---------------------------------------------------------------------------------------------
// Loading through the cache

std::wstring ResolveImagePath(const std::wstring& file, const std::wstring& windowResourcePath) {
  std::wstring path = file;
  if (::PathIsRelativeW(file.c_str()))
    path = GlobalManager::GetResourcePath() + windowResourcePath + file;
  return StringHelper::NormalizeFilePath(path);
}

std::shared_ptr<ImageInfo> LoadCachedImage(const std::wstring& fullPath) {
  if (std::shared_ptr<ImageInfo> cached = GlobalManager::GetImage(fullPath)) return cached;
  std::unique_ptr<ImageInfo> loaded = ImageInfo::LoadFromFile(fullPath);
  if (!loaded) return nullptr;
  return GlobalManager::AddImageCached(std::move(loaded));
}

// ---------------------------------------------------------------------------------------------
// Image

void Image::SetImageString(const std::wstring& text) {
  ClearCache();
  attribute_.SetImageString(text);
}

void Image::ClearCache() {
  current_frame_ = 0;
  playing_ = false;
  info_.reset();
  completed_plays_ = 0;
}

bool Image::Load(const std::wstring& windowResourcePath) {
  if (attribute_.file.empty()) return false;
  const std::wstring path = ResolveImagePath(attribute_.file, windowResourcePath);
  if (info_ && info_->GetPath() == path) return true;
  info_ = LoadCachedImage(path);
  return info_ != nullptr;
}

int Image::GetFrameInterval() const {
  if (!info_ || !info_->HasFrameDelays() || current_frame_ < 0 ||
      static_cast<size_t>(current_frame_) >= info_->GetFrameCount())
    return 0;
  const int delay = static_cast<int>(info_->GetFrameDelay(current_frame_)) * 10;
  if (delay < 30) return 100;
  if (delay < 50) return 50;
  return delay;
}

bool Image::Draw(IRenderContext* context, const RECT& paintRect, const RECT& controlRect,
                 const std::wstring& modify, int fadeOverride,
                 const std::wstring& windowResourcePath) {
  if (!context || attribute_.file.empty()) return false;
  if (!Load(windowResourcePath)) {
    attribute_.Reset();
    return false;
  }
  ImageAttribute attribute = attribute_;
  if (!modify.empty()) attribute.Parse(modify);

  RECT dest = controlRect;
  if (attribute.HasDest()) {
    dest = attribute.dest;
    ::OffsetRect(&dest, controlRect.left, controlRect.top);
  }
  const std::shared_ptr<ImageInfo> info = info_;
  RECT source = attribute.source;
  if (attribute.HasWholeSource()) source = RECT{0, 0, info->GetWidth(), info->GetHeight()};
  const BYTE fade = fadeOverride == -1 ? attribute.fade
                                       : static_cast<BYTE>(std::clamp(fadeOverride, 0, 255));
  const size_t frame = current_frame_ >= 0 ? static_cast<size_t>(current_frame_) : 0;

  std::lock_guard<std::mutex> lock(info->DrawMutex());
  context->DrawImage(paintRect, info->GetHBitmap(frame), info->IsAlpha(), dest, source,
                     attribute.corner, fade, attribute.xTiled, attribute.yTiled);
  return true;
}

}  // namespace ui
