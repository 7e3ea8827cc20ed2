// Helpers of the UI benchmarks: timing, and the 40-control tree of a pop-out phone window that
// the paint benchmarks draw.
#ifndef TESTS_UI_BENCH_SUPPORT_H_
#define TESTS_UI_BENCH_SUPPORT_H_

#include <windows.h>

#include <functional>
#include <string>

namespace ui {
class Box;
class Control;
}  // namespace ui

namespace uibench {

// Starts the UI library with the temporary folder as its resource root (theme "themes\default",
// language "lang\en"); returns that folder, ending with a separator.
std::wstring StartLibrary();

double NowMs();

// Milliseconds per run of body: a warm-up, then as many runs as fit in about budgetMs (at least
// minRuns), and the best of three such rounds, so a busy machine's pauses count less.
double TimeMs(const std::function<void()>& body, double budgetMs = 300, int minRuns = 5);

// Dispatches every message waiting on this thread.
void Pump();

// Milliseconds of one plain copy of a width x height bitmap to hwnd, the floor a repaint is
// measured against: UpdateLayeredWindow for a layered window, BitBlt (flushed) for another.
double PlainCopyMs(HWND hwnd, int width, int height, bool layered);

// Writes the tree's two images into folder (ending with a separator) and registers its colours.
void PreparePhoneTree(const std::wstring& folder);

// A pop-out phone window's kind of tree, 40 controls: a title bar of buttons, a dark video area
// with a centred icon, a side panel of rows, and a bottom tool bar. Colours, images (nine-grid,
// with alpha) and square borders. PreparePhoneTree(folder) must have run.
ui::Box* BuildPhoneTree(const std::wstring& folder);

int CountControls(ui::Control* control);

}  // namespace uibench

#endif  // TESTS_UI_BENCH_SUPPORT_H_
