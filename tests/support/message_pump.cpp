#include "tests/support/message_pump.h"

#include <windows.h>

namespace test_support {

bool PumpMessagesUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    if (done()) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(left.count()) + 1, QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
  }
}

void PumpMessagesFor(std::chrono::milliseconds duration) {
  PumpMessagesUntil([] { return false; }, duration);
}

void DrainThreadQueue() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
}

}  // namespace test_support
