#include "ui/controls/on_screen_keyboard_manager.h"

#include <utility>

#include "ui/core/timer_manager.h"

namespace ui {

namespace {

constexpr wchar_t kCommonProgramFilesVariable[] = L"CommonProgramW6432";
constexpr wchar_t kTabTipBelowCommonFiles[] = L"\\microsoft shared\\ink\\TabTip.exe";
constexpr wchar_t kDefaultCommonProgramFiles[] = L"C:\\Program Files\\Common Files";

}  // namespace

OnScreenKeyboardManager* OnScreenKeyboardManager::GetInstance() {
  static OnScreenKeyboardManager instance(TouchKeyboardSystem::Create());
  return &instance;
}

OnScreenKeyboardManager::OnScreenKeyboardManager(std::unique_ptr<TouchKeyboardSystem> system)
    : system_(std::move(system)) {
  // Made here, on one thread: requests from several threads then only read it.
  GetWeakFlag();
}

void OnScreenKeyboardManager::ShowKeyboard(bool show) {
  if (!system_->IsSupported()) return;
  wanted_ = show;
  TimerManager::GetInstance()->AddCancelableTimer(
      GetWeakFlag(), [this] { UpdateKeyboard(); }, kUpdateDelayMs, 1);
}

void OnScreenKeyboardManager::UpdateKeyboard() {
  const bool wanted = wanted_;
  // The keyboard is up while its window exists, is visible and is not disabled.
  const HWND window = system_->FindKeyboardWindow();
  const LONG_PTR style = window ? system_->GetWindowStyle(window) : 0;
  const bool shown = (style & WS_VISIBLE) && !(style & WS_DISABLED);
  if (shown == wanted) return;
  if (shown) {
    system_->CloseKeyboardWindow(window);
    return;
  }
  if (system_->ToggleThroughObject()) return;
  std::wstring commonFiles;
  if (!system_->GetEnvironment(kCommonProgramFilesVariable, &commonFiles)) commonFiles.clear();
  system_->OpenProgram(GetTabTipPath(commonFiles));
}

std::wstring OnScreenKeyboardManager::GetTabTipPath(const std::wstring& commonProgramFiles) {
  return (commonProgramFiles.empty() ? std::wstring(kDefaultCommonProgramFiles)
                                     : commonProgramFiles) +
         kTabTipBelowCommonFiles;
}

}  // namespace ui
