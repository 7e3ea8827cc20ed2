// ImageAttribute: one parsed image attribute string.
//
// Markup names every image a control draws with a string of key='value' pairs joined by single
// blanks, or with a bare file name:
//
//   "../public/bk/bk_shadow.png"
//   "file='../public/bk/bk_shadow.png' corner='30,30,30,30' fade='200' xtiled='true'"
//
// Keys: "file"/"res" (file name), "dest", "source", "corner" (four numbers; "dest" DPI-scaled
// unless a "destscale" other than "true" came before it), "fade" (0-255, larger values clamped),
// "xtiled"/"ytiled" (true only for "true"), "playcount" (-1 plays for ever). Unknown keys are
// ignored; a pair followed by anything but one blank (a comma, a tab, two characters...) ends the
// parse after that pair; a value without its closing quote is dropped and ends the parse.
//
// Thread affinity: none (a value type).
#ifndef UI_CORE_IMAGE_ATTRIBUTE_H_
#define UI_CORE_IMAGE_ATTRIBUTE_H_

#include <windows.h>

#include <string>

namespace ui {

struct ImageAttribute {
  // Defaults, with file = text (so a bare string is a file name), then Parse(text).
  void SetImageString(const std::wstring& text);
  // Parses text over the current fields without resetting them (also used for modify strings).
  void Parse(const std::wstring& text);
  // Every field back to its default, strings empty.
  void Reset();

  // Whether all four dest values are given (none is -1).
  bool HasDest() const;
  // Whether the whole source is meant (any source value is -1).
  bool HasWholeSource() const;

  std::wstring attributeString;
  std::wstring file;
  RECT dest = {-1, -1, -1, -1};    // Relative to the control; -1 = the whole control.
  RECT source = {-1, -1, -1, -1};  // Source pixels; -1 = the whole image.
  RECT corner = {0, 0, 0, 0};      // Nine-grid border widths (left, top, right, bottom).
  BYTE fade = 255;
  bool xTiled = false;
  bool yTiled = false;
  int playCount = -1;
};

}  // namespace ui

#endif  // UI_CORE_IMAGE_ATTRIBUTE_H_
