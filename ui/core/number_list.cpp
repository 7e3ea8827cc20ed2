#include "ui/core/number_list.h"

#include <cwchar>

namespace ui {

size_t ReadNumberList(const wchar_t* text, int* values, size_t count) {
  for (size_t i = 0; i < count; ++i) values[i] = 0;
  if (!text) return 0;
  const wchar_t* cursor = text;
  size_t present = 0;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0) {
      if (*cursor == L'\0') break;  // Never step over the terminator.
      ++cursor;                     // Exactly one separator.
    }
    if (*cursor == L'\0') break;
    wchar_t* end = nullptr;
    values[i] = static_cast<int>(std::wcstol(cursor, &end, 10));
    cursor = end;
    ++present;
  }
  return present;
}

RECT ReadRect(const wchar_t* text) {
  int v[4];
  ReadNumberList(text, v, 4);
  return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ReadSize(const wchar_t* text) {
  int v[2];
  ReadNumberList(text, v, 2);
  return SIZE{v[0], v[1]};
}

POINT ReadPoint(const wchar_t* text) {
  int v[2];
  ReadNumberList(text, v, 2);
  return POINT{v[0], v[1]};
}

}  // namespace ui
