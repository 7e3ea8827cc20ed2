#include "tests/ui/skin_window_test_support.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include "tests/ui/test_support.h"
#include "ui/core/control.h"
#include "ui/core/global_manager.h"
#include "ui/render/render_interfaces.h"

namespace uitest {

namespace {

// No skinned window of a test program may wait for a click on a message box: what is reported
// outside a ReportedErrors fails the test.
class NoMessageBoxes : public ::testing::Environment {
 public:
  void SetUp() override {
    ui::WindowImplBase::SetErrorReporter([](const std::wstring& text, const std::wstring&) {
      ADD_FAILURE() << "reported: " << std::string(text.begin(), text.end());
    });
  }
  void TearDown() override { ui::WindowImplBase::SetErrorReporter(nullptr); }
};

::testing::Environment* const g_no_message_boxes =
    ::testing::AddGlobalTestEnvironment(new NoMessageBoxes);

}  // namespace

SkinWindow::~SkinWindow() {
  if (life_) life_->deleted = true;
}

void SkinWindow::OnSkinLoaded() {
  if (life_) ++life_->skin_loaded;
}

ui::Control* SkinWindow::CreateControl(const std::wstring& className) {
  if (life_) life_->asked.push_back(className);
  return className == L"TestPanel" ? new ui::Control() : nullptr;
}

LRESULT SkinWindow::OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) {
  if (life_) ++life_->closes;
  return ui::WindowImplBase::OnClose(message, wParam, lParam, handled);
}

HWND SkinWindow::CreateShown(const RECT& rect, bool layered, DWORD style) {
  HWND hwnd = Create(nullptr, L"skin window test", style, 0, layered, rect);
  if (!hwnd) return nullptr;
  ::ShowWindow(hwnd, SW_SHOWNORMAL);
  ::SetForegroundWindow(hwnd);
  ::SetFocus(hwnd);
  if (layered) ::PostMessageW(hwnd, WM_PAINT, 0, 0);  // A layered window gets no first paint.
  ::UpdateWindow(hwnd);
  const bool ready = PumpUntil(
      [&] {
        RECT client = {};
        ::GetClientRect(hwnd, &client);
        return ::GetForegroundWindow() == hwnd && !IsLayoutPending() && GetRenderContext() &&
               GetRenderContext()->GetWidth() == client.right;
      },
      20000);
  return ready ? hwnd : nullptr;
}

bool WriteSkin(const std::wstring& folder, const std::wstring& file, const std::string& markup) {
  ui::GlobalManager::AddTextColor(L"white", 0xFFFFFFFF);
  ui::GlobalManager::AddTextColor(L"black", 0xFF000000);
  ui::GlobalManager::AddTextColor(L"skin_blue", 0xFF2060A0);
  ui::GlobalManager::AddTextColor(L"skin_green", 0xFF20A040);
  ui::GlobalManager::AddTextColor(L"skin_grey", 0xFFC0C0C0);
  const std::wstring directory = ui::GlobalManager::GetResourcePath() + folder;
  ::SHCreateDirectoryExW(nullptr, directory.c_str(), nullptr);  // With its parents.
  return WriteFileBytes(directory + L"\\" + file, markup);
}

ReportedErrors::ReportedErrors() {
  previous_ = ui::WindowImplBase::SetErrorReporter(
      [this](const std::wstring& text, const std::wstring& caption) {
        texts.push_back(text);
        captions.push_back(caption);
      });
}

ReportedErrors::~ReportedErrors() { ui::WindowImplBase::SetErrorReporter(std::move(previous_)); }

}  // namespace uitest
