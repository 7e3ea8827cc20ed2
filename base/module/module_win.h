// The module that holds this code, and its directory.
//
// The UI resource root is built from the directory of the module that holds the code (the
// executable, or a DLL when the library is linked into one), not from the current directory.
//
//   std::wstring resources = nbase::GetModuleDirectory() + L"resources\\";
//
// Thread safety: callable from any thread.
#ifndef BASE_MODULE_MODULE_WIN_H_
#define BASE_MODULE_MODULE_WIN_H_

#include <windows.h>

#include <string>

namespace nbase {

// The allocation base of the memory region that contains this library's code.
HMODULE GetCurrentModuleHandle();

// The full file name of |module|, however long; empty when it cannot be read. Never a truncated
// name: a name longer than the first buffer is read again into a larger one.
std::wstring GetModuleFilePath(HMODULE module);

// The directory of GetCurrentModuleHandle()'s file, with its trailing separator; empty when the
// file name cannot be read or holds no separator (see DirectoryOfModulePath).
std::wstring GetModuleDirectory();

namespace internal {
// GetModuleFilePath starting from a buffer of |initial_units|; exposed so the growth path can be
// exercised without a module path longer than MAX_PATH.
std::wstring GetModuleFilePathWithInitialBuffer(HMODULE module, DWORD initial_units);
}  // namespace internal

}  // namespace nbase

#endif  // BASE_MODULE_MODULE_WIN_H_
