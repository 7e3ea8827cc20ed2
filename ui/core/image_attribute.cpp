#include "ui/core/image_attribute.h"

#include <algorithm>
#include <cwchar>

#include "ui/core/dpi_manager.h"
#include "ui/core/number_list.h"

namespace ui {

namespace {

bool IsBlankOrControl(wchar_t c) { return c <= 32; }

BYTE ClampToByte(long value) { return static_cast<BYTE>(std::clamp<long>(value, 0, 255)); }

}  // namespace

void ImageAttribute::Reset() { *this = ImageAttribute(); }

void ImageAttribute::SetImageString(const std::wstring& text) {
  Reset();
  attributeString = text;
  file = text;
  Parse(text);
}

bool ImageAttribute::HasDest() const {
  return dest.left != -1 && dest.top != -1 && dest.right != -1 && dest.bottom != -1;
}

bool ImageAttribute::HasWholeSource() const {
  return source.left == -1 || source.top == -1 || source.right == -1 || source.bottom == -1;
}

void ImageAttribute::Parse(const std::wstring& text) {
  bool scaleDest = true;  // "destscale" switches it off for a later "dest" of this text only.
  size_t pos = 0;
  const size_t size = text.size();
  while (pos < size) {
    while (pos < size && IsBlankOrControl(text[pos])) ++pos;
    const size_t keyStart = pos;
    while (pos < size && text[pos] != L'=' && !IsBlankOrControl(text[pos])) ++pos;
    const std::wstring key = text.substr(keyStart, pos - keyStart);
    while (pos < size && IsBlankOrControl(text[pos])) ++pos;
    if (pos >= size || text[pos] != L'=') return;
    ++pos;
    while (pos < size && IsBlankOrControl(text[pos])) ++pos;
    if (pos >= size || text[pos] != L'\'') return;
    ++pos;
    const size_t close = text.find(L'\'', pos);
    if (close == std::wstring::npos) return;  // An unterminated value is dropped.
    const std::wstring value = text.substr(pos, close - pos);
    pos = close + 1;

    if (!value.empty()) {
      if (key == L"file" || key == L"res") {
        file = value;
      } else if (key == L"destscale") {
        scaleDest = value == L"true";
      } else if (key == L"dest") {
        dest = ReadRect(value.c_str());
        if (scaleDest) DpiManager::GetInstance()->ScaleRect(dest);
      } else if (key == L"source") {
        source = ReadRect(value.c_str());
      } else if (key == L"corner") {
        corner = ReadRect(value.c_str());
      } else if (key == L"fade") {
        fade = ClampToByte(std::wcstol(value.c_str(), nullptr, 10));
      } else if (key == L"xtiled") {
        xTiled = value == L"true";
      } else if (key == L"ytiled") {
        yTiled = value == L"true";
      } else if (key == L"playcount") {
        playCount = static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
      }
    }
    // Pairs are joined by exactly one blank; anything else right after a value ends the list.
    if (pos >= size || text[pos] != L' ') return;
  }
}

}  // namespace ui
