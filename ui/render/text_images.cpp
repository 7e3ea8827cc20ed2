#include "ui/render/text_images.h"

#include <cwchar>
#include <functional>

namespace ui {

namespace {

bool SameFont(const LOGFONTW& a, const LOGFONTW& b) {
  return a.lfHeight == b.lfHeight && a.lfWidth == b.lfWidth &&
         a.lfEscapement == b.lfEscapement && a.lfOrientation == b.lfOrientation &&
         a.lfWeight == b.lfWeight && a.lfItalic == b.lfItalic &&
         a.lfUnderline == b.lfUnderline && a.lfStrikeOut == b.lfStrikeOut &&
         a.lfCharSet == b.lfCharSet && a.lfOutPrecision == b.lfOutPrecision &&
         a.lfClipPrecision == b.lfClipPrecision && a.lfQuality == b.lfQuality &&
         a.lfPitchAndFamily == b.lfPitchAndFamily &&
         std::wcsncmp(a.lfFaceName, b.lfFaceName, LF_FACESIZE) == 0;
}

}  // namespace

bool TextImages::Key::operator==(const Key& other) const {
  return argb == other.argb && flags == other.flags && lineLimit == other.lineLimit &&
         lowered == other.lowered &&
         width == other.width && height == other.height && text == other.text &&
         SameFont(font, other.font);
}

size_t TextImages::Hash::operator()(const Key& key) const {
  size_t hash = std::hash<std::wstring>()(key.text);
  for (size_t value : {static_cast<size_t>(key.argb), static_cast<size_t>(key.flags),
                       static_cast<size_t>(key.width), static_cast<size_t>(key.height),
                       static_cast<size_t>(key.font.lfHeight),
                       static_cast<size_t>(key.font.lfWeight)}) {
    hash = hash * 31 + value;
  }
  return hash;
}

TextImages::Sight TextImages::Look(const Key& key, const Image** image) {
  auto it = entries_.find(key);
  if (it == entries_.end()) {
    if (entries_.size() >= kMaxTexts) {
      entries_.clear();
      pixels_ = 0;
    }
    entries_.emplace(key, Entry());
    return Sight::kDraw;
  }
  if (it->second.image) {
    *image = it->second.image.get();
    return Sight::kKept;
  }
  Entry& entry = it->second;
  if (entry.tried) return Sight::kDraw;
  if (entry.drawings < kDrawingsBeforeKept) {
    ++entry.drawings;
    return Sight::kDraw;
  }
  return Sight::kAgain;
}

void TextImages::Keep(const Key& key, std::unique_ptr<Image> image) {
  const size_t size = image ? image->pixels.size() : 0;
  if (pixels_ + size > kMaxPixels) {
    entries_.clear();
    pixels_ = 0;
  }
  Entry& entry = entries_[key];
  entry.tried = true;
  if (entry.image) pixels_ -= entry.image->pixels.size();
  entry.image = std::move(image);
  pixels_ += size;
}

}  // namespace ui
