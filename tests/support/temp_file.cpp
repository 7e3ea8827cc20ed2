#include "tests/support/temp_file.h"

#include <windows.h>

namespace test_support {

TempFile::TempFile(const std::string& content) {
  wchar_t folder[MAX_PATH] = {};
  wchar_t path[MAX_PATH] = {};
  ::GetTempPathW(MAX_PATH, folder);
  // Creates the file under a name unique in the folder, so parallel tests never share one.
  ::GetTempFileNameW(folder, L"fht", 0, path);
  path_ = path;
  HANDLE file = ::CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    ::CloseHandle(file);
  }
}

TempFile::~TempFile() { ::DeleteFileW(path_.c_str()); }

}  // namespace test_support
