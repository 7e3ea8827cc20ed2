#include "base/module/module_win.h"

#include "base/module/module_path.h"

namespace nbase {
namespace {

// The longest file name Windows can hand back (extended-length paths).
constexpr DWORD kMaxModulePathUnits = 32768;

}  // namespace

HMODULE GetCurrentModuleHandle() {
  MEMORY_BASIC_INFORMATION info{};
  const auto self = reinterpret_cast<const void*>(&GetCurrentModuleHandle);
  if (VirtualQuery(self, &info, sizeof(info)) != sizeof(info)) return nullptr;
  return static_cast<HMODULE>(info.AllocationBase);
}

namespace internal {

std::wstring GetModuleFilePathWithInitialBuffer(HMODULE module, DWORD initial_units) {
  std::wstring path;
  for (DWORD units = initial_units < 1 ? 1 : initial_units;; units *= 2) {
    if (units > kMaxModulePathUnits) units = kMaxModulePathUnits;
    path.resize(units);
    const DWORD written = GetModuleFileNameW(module, path.data(), units);
    if (written == 0) return std::wstring();
    // A name that fills the whole buffer was cut short (and may lack its terminator): a
    // directory taken from it would be the wrong one, so read it again into more room.
    if (written < units) {
      path.resize(written);
      return path;
    }
    if (units == kMaxModulePathUnits) return std::wstring();
  }
}

}  // namespace internal

std::wstring GetModuleFilePath(HMODULE module) {
  return internal::GetModuleFilePathWithInitialBuffer(module, MAX_PATH);
}

std::wstring GetModuleDirectory() {
  const HMODULE module = GetCurrentModuleHandle();
  if (!module) return std::wstring();
  return DirectoryOfModulePath(GetModuleFilePath(module));
}

}  // namespace nbase
