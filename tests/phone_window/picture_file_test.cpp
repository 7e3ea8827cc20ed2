// Picture files for the phone: chosen through a stand-in dialog and read whole, or not at all;
// and once through the system's open-file dialog, driven the way a user would.
#include <gtest/gtest.h>

#include <windows.h>
#include <dlgs.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "phone_window/picture_file.h"
#include "tests/support/temp_file.h"

namespace {

using picture_file::PictureDialog;
using test_support::TempFile;

class FakeDialog final : public PictureDialog {
 public:
  explicit FakeDialog(std::wstring path) : path_(std::move(path)) {}
  std::wstring ChooseFile(HWND owner) override {
    ++shown;
    owner_ = owner;
    return path_;
  }
  int shown = 0;
  HWND owner_ = nullptr;

 private:
  std::wstring path_;
};

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7919) >> 3);
  return bytes;
}

TEST(PictureFile, ChosenFileIsReadWhole) {
  const std::string content = Pattern(3 * 1024 * 1024 + 17);  // zeros included
  TempFile file(content);
  FakeDialog dialog(file.path());
  const HWND owner = reinterpret_cast<HWND>(0x4321);
  const std::vector<char> bytes = picture_file::Choose(dialog, owner);
  EXPECT_EQ(dialog.owner_, owner);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), content);
}

TEST(PictureFile, WhatCannotBeReadWholeGivesNothing) {
  FakeDialog cancelled(L"");
  EXPECT_TRUE(picture_file::Choose(cancelled, nullptr).empty());
  EXPECT_EQ(cancelled.shown, 1);

  TempFile gone("x");
  const std::wstring missing = gone.path() + L".missing";
  EXPECT_TRUE(picture_file::Read(missing).empty());
  TempFile empty("");
  EXPECT_TRUE(picture_file::Read(empty.path()).empty());
  wchar_t folder[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  EXPECT_TRUE(picture_file::Read(folder).empty());

  // Open elsewhere without sharing.
  TempFile locked("picture");
  HANDLE holder = ::CreateFileW(locked.path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(picture_file::Read(locked.path()).empty());
  ::CloseHandle(holder);
  EXPECT_EQ(picture_file::Read(locked.path()).size(), 7u);
}

TEST(PictureFile, FileLargerThanTheByteCountIsNotRead) {
  TempFile big("");
  HANDLE file = ::CreateFileW(big.path().c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  // Sparse: the size is set, no data written.
  LARGE_INTEGER size;
  size.QuadPart = static_cast<LONGLONG>(INT_MAX) + 1;
  ASSERT_TRUE(::SetFilePointerEx(file, size, nullptr, FILE_BEGIN));
  ASSERT_TRUE(::SetEndOfFile(file));
  ::CloseHandle(file);
  EXPECT_TRUE(picture_file::Read(big.path()).empty());
}

// The dialog of `thread` once it shows, or null after the deadline.
HWND WaitForDialog(DWORD thread) {
  const ULONGLONG deadline = ::GetTickCount64() + 30000;
  while (::GetTickCount64() < deadline) {
    HWND found = nullptr;
    ::EnumThreadWindows(
        thread,
        [](HWND window, LPARAM result) -> BOOL {
          wchar_t name[16] = {};
          ::GetClassNameW(window, name, 16);
          if (std::wstring(name) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
          *reinterpret_cast<HWND*>(result) = window;
          return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    if (found) return found;
    ::Sleep(20);
  }
  return nullptr;
}

// The user chooses a file by typing its path.
TEST(PictureFile, SystemDialogChoosesAFile) {
  TempFile picture("\x89PNG...");
  const DWORD thread = ::GetCurrentThreadId();
  std::atomic<bool> imageFilterFirst{false};
  std::thread user([&] {
    HWND dialog = WaitForDialog(thread);
    if (!dialog) return;
    wchar_t filter[32] = {};
    if (HWND types = ::GetDlgItem(dialog, cmb1)) {
      const LRESULT chosen = ::SendMessageW(types, CB_GETCURSEL, 0, 0);
      if (chosen >= 0 && ::SendMessageW(types, CB_GETLBTEXTLEN, chosen, 0) < 32) {
        ::SendMessageW(types, CB_GETLBTEXT, chosen, reinterpret_cast<LPARAM>(filter));
      }
    }
    imageFilterFirst = std::wstring(filter).rfind(L"Image Files", 0) == 0;
    HWND name = ::GetDlgItem(dialog, cmb13);
    if (!name) name = ::GetDlgItem(dialog, edt1);
    ::SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(picture.path().c_str()));
    ::PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  const std::vector<char> bytes = picture_file::Choose(picture_file::SystemPictureDialog(), nullptr);
  user.join();
  EXPECT_TRUE(imageFilterFirst);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "\x89PNG...");
}

}  // namespace
