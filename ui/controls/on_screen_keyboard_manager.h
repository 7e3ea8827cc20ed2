// OnScreenKeyboardManager: brings the system's touch keyboard up for a text control and closes it
// again.
//
// A text control asks for the keyboard when it is pressed by pen or touch and lets it go when it
// loses the focus. Requests are debounced: each one stores the wanted state and, 10 ms later on
// the asking thread, the state wanted then is applied. Applying compares it with what is on the
// screen: a keyboard that should go is closed, one that should come is toggled through the
// system's toggle object or, when that cannot be made, by starting "TabTip.exe". Before
// Windows 8 nothing happens.
//
//   ui::OnScreenKeyboardManager::GetInstance()->ShowKeyboard(true);   // pressed by touch
//   ...
//   ui::OnScreenKeyboardManager::GetInstance()->ShowKeyboard(false);  // focus lost
//
// Thread affinity: requests come from UI threads whose loops dispatch messages; each request's
// update runs on its thread through that thread's timer service, and not at all once the manager
// is gone. The wanted state is shared by every thread; the last request wins.
#ifndef UI_CONTROLS_ON_SCREEN_KEYBOARD_MANAGER_H_
#define UI_CONTROLS_ON_SCREEN_KEYBOARD_MANAGER_H_

#include <atomic>
#include <memory>
#include <string>

#include "base/callback/weak_callback.h"
#include "ui/controls/touch_keyboard_system.h"

namespace ui {

class OnScreenKeyboardManager : public nbase::SupportWeakCallback {
 public:
  // The delay between a request and its update.
  static constexpr unsigned kUpdateDelayMs = 10;

  // The process-wide manager over the real system calls, made on first use and destroyed at
  // exit.
  static OnScreenKeyboardManager* GetInstance();

  // A manager over system (tests hand in a fake).
  explicit OnScreenKeyboardManager(std::unique_ptr<TouchKeyboardSystem> system);
  OnScreenKeyboardManager(const OnScreenKeyboardManager&) = delete;
  OnScreenKeyboardManager& operator=(const OnScreenKeyboardManager&) = delete;

  // Wants the keyboard shown or hidden; the update follows kUpdateDelayMs later.
  void ShowKeyboard(bool show);
  // Closes or brings up the keyboard when what is on the screen differs from the wanted state.
  void UpdateKeyboard();

  // The touch keyboard's program below the common program files folder (commonProgramFiles, the
  // value of "CommonProgramW6432"), or below the usual folder when it is empty.
  static std::wstring GetTabTipPath(const std::wstring& commonProgramFiles);

 private:
  std::unique_ptr<TouchKeyboardSystem> system_;
  std::atomic<bool> wanted_{false};
};

}  // namespace ui

#endif  // UI_CONTROLS_ON_SCREEN_KEYBOARD_MANAGER_H_
