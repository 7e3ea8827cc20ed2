// TextImages: texts drawn by GDI+ once and kept as their pixels, for a render context that draws
// the same texts again and again (every label of a window, at every repaint).
//
// Laying a line of text out and rasterising it costs GDI+ 0.1-0.3 ms, and a window repaints the
// same few dozen lines each time. What GDI+ leaves on a clear surface is the text's premultiplied
// pixels, and it lays text over any surface as AlphaBlend lays such pixels (source over, with
// per-pixel alpha): blending the kept pixels where the text goes gives what drawing it there
// gives. Making the pixels costs about two drawings, so a text is kept from its third drawing on:
// one shown only once or twice (a counter that changes at every paint, the rows passed on a jump
// through a long list) is drawn as it would be without the cache.
//
//   TextImages::Key key = ...;                 // what the pixels depend on, position aside
//   const TextImages::Image* image = nullptr;
//   switch (images.Look(key, &image)) {
//     case TextImages::Sight::kKept:  blend *image at the layout rectangle; break;
//     case TextImages::Sight::kAgain: images.Keep(key, draw into a clear surface); ...
//     case TextImages::Sight::kDraw:  draw it with GDI+;
//   }
//
// Thread affinity: the render context's thread; no locking.
#ifndef UI_RENDER_TEXT_IMAGES_H_
#define UI_RENDER_TEXT_IMAGES_H_

#include <windows.h>

#include <cstddef>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace ui {

class TextImages {
 public:
  // Everything the pixels of a drawn text depend on, its position aside.
  struct Key {
    std::wstring text;
    LOGFONTW font = {};
    DWORD argb = 0;      // The brush, fade applied.
    UINT flags = 0;      // DrawText flags.
    bool lineLimit = false;
    bool lowered = false;  // Moved a pixel down (see DrawText).
    int width = 0;       // The layout rectangle's size.
    int height = 0;
    bool operator==(const Key& other) const;
  };
  struct Image {
    POINT offset = {0, 0};  // Of the pixels' top-left corner from the layout rectangle's.
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;  // Premultiplied, top row first; none when nothing shows.
  };

  enum class Sight {
    kDraw,   // Seen for the first or second time, or its pixels could not be kept: draw it.
    kAgain,  // Seen twice before: make its image and Keep it.
    kKept,   // Its image is kept.
  };
  // How key stands; *image is set for kKept.
  Sight Look(const Key& key, const Image** image);
  // The image of a key Look answered kAgain for; null when it cannot be kept (text past the surface
  // it was drawn on), which draws it for good.
  void Keep(const Key& key, std::unique_ptr<Image> image);

  // Bounds: past either, everything is forgotten and counted afresh.
  static constexpr size_t kMaxTexts = 512;
  static constexpr size_t kMaxPixels = 1 << 20;  // 4 MB

 private:
  struct Hash {
    size_t operator()(const Key& key) const;
  };
  struct Entry {
    int drawings = 1;    // Looks answered kDraw, up to kDrawingsBeforeKept.
    bool tried = false;  // Keep ran for it.
    std::unique_ptr<Image> image;
  };
  static constexpr int kDrawingsBeforeKept = 2;
  std::unordered_map<Key, Entry, Hash> entries_;
  size_t pixels_ = 0;
};

}  // namespace ui

#endif  // UI_RENDER_TEXT_IMAGES_H_
