// Images: decoded frames shared through the global image cache, and the per-control image that
// names them.
//
// ImageInfo holds one decoded file: a 32-bit HBITMAP per frame (made by GDI+ over opaque black),
// the frame delays of an animated image, its size and whether it has transparency. It is shared:
// every window that draws the same file holds the same ImageInfo, whose deleter removes it from
// the cache when the last holder lets go.
//
// Image is what a control keeps for one image attribute: the parsed string, the shared ImageInfo
// once loaded, and the playback position of an animated image.
//
//   ui::Image image;
//   image.SetImageString(L"file='button.png' corner='4,4,4,4'");
//   image.Draw(ctx, paintRect, controlRect, L"", -1, windowResourcePath);
//
// Thread affinity: an Image belongs to its control's window thread. An ImageInfo may be shared by
// windows on several threads: its bitmaps are read-only after loading, and drawing them is
// serialised by the image's own lock, since a bitmap can be selected into one DC at a time.
#ifndef UI_CORE_IMAGE_H_
#define UI_CORE_IMAGE_H_

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ui/core/image_attribute.h"

namespace Gdiplus {
class GpBitmap;
}

namespace ui {

class IRenderContext;

class ImageInfo {
 public:
  ImageInfo() = default;
  ~ImageInfo();
  ImageInfo(const ImageInfo&) = delete;
  ImageInfo& operator=(const ImageInfo&) = delete;

  // Decodes every frame of bitmap; null when the bitmap carries an error status, when the frame
  // delays of a multi-frame image cannot be read, or when any frame cannot be converted.
  static std::unique_ptr<ImageInfo> LoadFromBitmap(Gdiplus::GpBitmap* bitmap,
                                                   const std::wstring& path);
  // GdipCreateBitmapFromFile + LoadFromBitmap; null on any failure. Needs GDI+ running.
  static std::unique_ptr<ImageInfo> LoadFromFile(const std::wstring& path);

  // The per-frame delays (units of 10 ms) from the raw frame-delay property: one 32-bit value per
  // frame; frames the property does not cover get 0.
  static std::vector<UINT> ReadFrameDelays(const void* value, size_t byteLength,
                                           size_t frameCount);

  const std::wstring& GetPath() const { return path_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  bool IsAlpha() const { return alpha_; }
  bool IsCached() const { return cached_; }
  void SetCached(bool cached) { cached_ = cached; }

  size_t GetFrameCount() const { return frames_.size(); }
  HBITMAP GetHBitmap(size_t frame) const;
  // Delays exist only for images of more than one frame.
  bool HasFrameDelays() const { return !delays_.empty(); }
  UINT GetFrameDelay(size_t frame) const;

  // Held while one of the bitmaps is selected into a DC for drawing.
  std::mutex& DrawMutex() const { return draw_mutex_; }

 private:
  std::wstring path_;
  int width_ = 0;
  int height_ = 0;
  bool alpha_ = false;
  bool cached_ = false;
  std::vector<HBITMAP> frames_;  // Owned.
  std::vector<UINT> delays_;     // 10 ms units, one per frame; empty for a single frame.
  mutable std::mutex draw_mutex_;
};

// The full cache path of an image file: a relative name is taken below the global resource path
// and the window's resource folder; the result is normalised (backslashes, no doubled ones).
std::wstring ResolveImagePath(const std::wstring& file, const std::wstring& windowResourcePath);

// The live cached image of fullPath, else the file decoded and put into the cache; null when it
// cannot be loaded.
std::shared_ptr<ImageInfo> LoadCachedImage(const std::wstring& fullPath);

class Image {
 public:
  // Resets everything (as ClearCache does, and the attribute to its defaults), then parses text.
  void SetImageString(const std::wstring& text);
  // Frame 0, not playing, no completed plays, and the decoded image released; the attribute stays.
  void ClearCache();

  // Set when the attribute string is not empty; drawing also needs a file name.
  bool IsSet() const { return !attribute_.attributeString.empty(); }
  const ImageAttribute& GetAttribute() const { return attribute_; }
  ImageAttribute& GetAttribute() { return attribute_; }

  // Makes sure the decoded image of the file is held. False when it cannot be loaded.
  bool Load(const std::wstring& windowResourcePath);
  const std::shared_ptr<ImageInfo>& GetImageInfo() const { return info_; }

  int GetCurrentFrame() const { return current_frame_; }
  void SetCurrentFrame(int frame) { current_frame_ = frame; }
  bool IsPlaying() const { return playing_; }
  void SetPlaying(bool playing) { playing_ = playing; }
  int GetCompletedPlays() const { return completed_plays_; }
  void SetCompletedPlays(int plays) { completed_plays_ = plays; }

  // Milliseconds to show the current frame: 0 without decoded frame delays or past the last
  // frame; else the frame's delay, with delays below 30 ms shown for 100 ms and 30-49 ms for 50.
  int GetFrameInterval() const;

  // Draws the current frame into context, clipped by paintRect, at controlRect (or at the
  // attribute's dest offset by the control's top-left). modify is an attribute string applied for
  // this draw only; fadeOverride (0-255, clamped) replaces the fade unless it is -1. When the file
  // cannot be loaded the attribute is reset to empty defaults, so the image counts as unset from
  // then on. Returns whether it drew.
  bool Draw(IRenderContext* context, const RECT& paintRect, const RECT& controlRect,
            const std::wstring& modify, int fadeOverride,
            const std::wstring& windowResourcePath);

 private:
  ImageAttribute attribute_;
  std::shared_ptr<ImageInfo> info_;
  int current_frame_ = 0;
  bool playing_ = false;
  int completed_plays_ = 0;
};

}  // namespace ui

#endif  // UI_CORE_IMAGE_H_
