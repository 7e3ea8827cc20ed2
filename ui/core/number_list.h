// Reading comma lists of decimal integers from attribute and image strings ("1,2,3,4").
//
// Each number is read as a decimal integer (leading blanks and a sign allowed; no digits read 0);
// before every number after the first exactly one separator character is skipped, whatever it
// is. Reading stops at the end of the text: numbers that are missing read 0, so "1,2" read as
// four numbers gives 1, 2, 0, 0.
//
//   RECT corner = ui::ReadRect(L"30,30,30,30");
//   SIZE size = ui::ReadSize(L"300,200");
//
// Thread affinity: none (pure functions).
#ifndef UI_CORE_NUMBER_LIST_H_
#define UI_CORE_NUMBER_LIST_H_

#include <windows.h>

#include <cstddef>

namespace ui {

// Reads count numbers into values; returns how many were actually present.
size_t ReadNumberList(const wchar_t* text, int* values, size_t count);

RECT ReadRect(const wchar_t* text);
SIZE ReadSize(const wchar_t* text);
POINT ReadPoint(const wchar_t* text);

}  // namespace ui

#endif  // UI_CORE_NUMBER_LIST_H_
