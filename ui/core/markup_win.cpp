// The markup reader's way in from files and UTF-8 bytes, which needs the system's file and
// text-conversion calls. The parser itself (markup.cpp) is portable.
#include "ui/core/markup.h"

#include <windows.h>
#include <shlwapi.h>

#include <memory>

#include "ui/core/global_manager.h"

namespace ui {

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != INVALID_HANDLE_VALUE) ::CloseHandle(handle);
  }
};

}  // namespace

bool MarkupDocument::LoadFromFile(const std::wstring& fileName) {
  Release();
  std::wstring path = fileName;
  if (::PathIsRelativeW(fileName.c_str())) path = GlobalManager::GetResourcePath() + fileName;

  std::unique_ptr<void, HandleCloser> file(::CreateFileW(path.c_str(), GENERIC_READ,
                                                         FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                                         FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) return FailOutsideText(L"Error opening file");
  LARGE_INTEGER size = {};
  if (!::GetFileSizeEx(file.get(), &size)) return FailOutsideText(L"Could not read file");
  if (size.QuadPart == 0) return FailOutsideText(L"File is empty");
  if (static_cast<unsigned long long>(size.QuadPart) > kMaxFileBytes)
    return FailOutsideText(L"File too large");

  std::vector<char> bytes(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
      read != bytes.size())
    return FailOutsideText(L"Could not read file");
  return LoadFromUtf8(bytes.data(), bytes.size());
}

bool MarkupDocument::LoadFromUtf8(const char* data, size_t size) {
  Release();
  if (size > 2 && static_cast<unsigned char>(data[0]) == 0xEF &&
      static_cast<unsigned char>(data[1]) == 0xBB && static_cast<unsigned char>(data[2]) == 0xBF) {
    data += 3;
    size -= 3;
  }
  int length = 0;
  if (size > 0) {
    length = ::MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), nullptr, 0);
    if (length <= 0) return FailOutsideText(L"Could not read file");
  }
  text_.assign(static_cast<size_t>(length) + 1, L'\0');
  if (length > 0)
    ::MultiByteToWideChar(CP_UTF8, 0, data, static_cast<int>(size), text_.data(), length);
  end_ = static_cast<size_t>(length);
  return Parse();
}

}  // namespace ui

