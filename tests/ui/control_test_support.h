// Helpers of the control-tree tests: a driven clock for timers and animations, native windows for
// a ui::Window under test, a memory canvas to paint into, a control that tells its deletion, and
// objects whose memory outlives their deletion to show writes after it.
#ifndef TESTS_UI_CONTROL_TEST_SUPPORT_H_
#define TESTS_UI_CONTROL_TEST_SUPPORT_H_

#include <windows.h>

#include <cstddef>
#include <memory>

#include "ui/core/control.h"
#include "ui/core/performance_clock.h"
#include "ui/render/render_interfaces.h"

namespace uitest {

// Advances clock by ms, in steps of at most stepMs. After each step it pumps this thread's
// messages until the timer service has polled at the new time: a marker timer, due at once, is
// added after the step, and the poll that runs it runs every timer already due. False when no
// poll comes within 30 seconds.
bool AdvanceClock(ui::ManualClock& clock, int ms, int stepMs = 16);

// A small top-level window, shown without activation: a hidden window keeps no update region,
// so invalidations would leave nothing to look at.
HWND MakeTestWindow();
// Whether hwnd has anything to repaint; clears it for the next look.
bool TakeUpdateRegion(HWND hwnd);
// The WM_PAINT messages posted to hwnd and still in this thread's queue, which are taken out
// (undispatched); the update region is cleared too.
int TakePostedPaints(HWND hwnd);

// A top-down surface of width x height, all zero.
std::unique_ptr<ui::IRenderContext> MakeCanvas(int width, int height);

// A control that sets *deleted when it is destroyed.
class FlaggedControl : public ui::Control {
 public:
  explicit FlaggedControl(bool* deleted) : deleted_(deleted) {}
  ~FlaggedControl() override { *deleted_ = true; }

 private:
  bool* deleted_;
};

// Keeps the memory of a deleted KeptOnDelete object, filled with a marker byte.
void KeepDeleted(void* block, std::size_t size);
// Whether the memory of every object kept since the last call still holds only the marker (no
// code wrote to an object after deleting it); frees that memory.
bool DeletedObjectsUntouched();

// A T whose memory is not freed when it is deleted but filled with a marker and kept, so that a
// test can tell (DeletedObjectsUntouched) whether the code under test wrote to it afterwards; on
// a real heap such a write goes unseen. Deleting it a second time calls through the marker and
// crashes.
template <typename T>
class KeptOnDelete : public T {
 public:
  using T::T;
  static void operator delete(void* block, std::size_t size) { KeepDeleted(block, size); }
};

}  // namespace uitest

#endif  // TESTS_UI_CONTROL_TEST_SUPPORT_H_
