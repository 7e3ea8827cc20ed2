// Helpers of the skinned-window tests: a window over ui::WindowImplBase whose skin file a test
// writes below the global resource path, what happens to it (kept outside the object, which
// deletes itself), and a stand-in for the error reporter.
#ifndef TESTS_UI_SKIN_WINDOW_TEST_SUPPORT_H_
#define TESTS_UI_SKIN_WINDOW_TEST_SUPPORT_H_

#include <windows.h>

#include <string>
#include <vector>

#include "ui/core/window_impl_base.h"

namespace uitest {

// A skinned window of the skin folder/file. Always made with new: it deletes itself.
class SkinWindow : public ui::WindowImplBase {
 public:
  // What happened to one window; outlives it.
  struct Life {
    bool deleted = false;
    int skin_loaded = 0;
    int closes = 0;  // WM_CLOSE seen by OnClose.
    std::vector<std::wstring> asked;  // The class names CreateControl was asked for.
  };

  SkinWindow(std::wstring folder, std::wstring file, Life* life)
      : folder_(std::move(folder)), file_(std::move(file)), life_(life) {}
  ~SkinWindow() override;

  std::wstring GetWindowClassName() const override { return L"FernholdSkinWindowTest"; }
  std::wstring GetSkinFolder() override { return folder_; }
  std::wstring GetSkinFile() override { return file_; }
  void OnSkinLoaded() override;
  // Makes a plain control for the markup class "TestPanel".
  ui::Control* CreateControl(const std::wstring& className) override;
  LRESULT OnClose(UINT message, WPARAM wParam, LPARAM lParam, bool* handled) override;

  // Creates the window at rect (screen pixels) with style, shows it in front with the keyboard
  // focus and waits for its first layout and paint. Null when any of it fails (the object is
  // gone when Create failed).
  HWND CreateShown(const RECT& rect, bool layered, DWORD style = WS_POPUP);

 private:
  std::wstring folder_;
  std::wstring file_;
  Life* life_;  // Not owned; may be null.
};

// Writes markup as folder\file below the global resource path. Also registers the colours the
// test skins use: "white", "black", "skin_blue" (0xFF2060A0), "skin_green" (0xFF20A040) and
// "skin_grey" (0xFFC0C0C0).
bool WriteSkin(const std::wstring& folder, const std::wstring& file, const std::string& markup);

// Collects what the windows report while it lives, instead of message boxes.
class ReportedErrors {
 public:
  ReportedErrors();
  ~ReportedErrors();
  ReportedErrors(const ReportedErrors&) = delete;
  ReportedErrors& operator=(const ReportedErrors&) = delete;

  std::vector<std::wstring> texts;
  std::vector<std::wstring> captions;

 private:
  ui::WindowImplBase::ErrorReporter previous_;
};

}  // namespace uitest

#endif  // TESTS_UI_SKIN_WINDOW_TEST_SUPPORT_H_
