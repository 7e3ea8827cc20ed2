#include "phone_window/picture_file.h"

#include <commdlg.h>

#include <algorithm>
#include <memory>
#include <new>

namespace picture_file {
namespace {

// ReadFile takes a 32-bit count; the file is read in pieces of this size.
constexpr DWORD kReadPiece = 16 * 1024 * 1024;

// Filter pairs of name and pattern, each ended by a zero, the list by a second zero.
constexpr wchar_t kFilter[] =
    L"Image Files\0*.png;*.jpg;*.jpeg;*.bmp\0"
    L"All Files\0*.*\0";

struct HandleCloser {
  void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using ScopedHandle = std::unique_ptr<void, HandleCloser>;

class SystemDialog final : public PictureDialog {
 public:
  std::wstring ChooseFile(HWND owner) override {
    wchar_t path[MAX_PATH] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!::GetOpenFileNameW(&dialog)) return std::wstring();
    return path;
  }
};

}  // namespace

PictureDialog& SystemPictureDialog() {
  static SystemDialog dialog;
  return dialog;
}

std::vector<char> Read(const std::wstring& path) {
  // Others may have the picture open, also for writing (an editor that just saved it).
  HANDLE opened = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return {};
  ScopedHandle file(opened);
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
      size.QuadPart > kMaxPictureBytes) {
    return {};
  }

  std::vector<char> bytes;
  try {
    bytes.resize(static_cast<size_t>(size.QuadPart));
  } catch (const std::bad_alloc&) {
    return {};
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, kReadPiece));
    DWORD got = 0;
    // No bytes before the end means the file was shortened since its size was taken.
    if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr) || got == 0) return {};
    done += got;
  }
  return bytes;
}

std::vector<char> Choose(PictureDialog& dialog, HWND owner) {
  const std::wstring path = dialog.ChooseFile(owner);
  if (path.empty()) return {};
  return Read(path);
}

}  // namespace picture_file
