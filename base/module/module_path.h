// The directory part of a module's file name.
//
// Thread safety: pure function, callable from any thread.
#ifndef BASE_MODULE_MODULE_PATH_H_
#define BASE_MODULE_MODULE_PATH_H_

#include <string>

namespace nbase {

// Cuts |file_path| after its last separator (backslash or forward slash), keeping the separator:
//   L"C:\\app\\bin\\client.exe" -> L"C:\\app\\bin\\"     L"C:/app/client.exe" -> L"C:/app/"
// Returns an empty string when no separator follows the first character.
std::wstring DirectoryOfModulePath(const std::wstring& file_path);

}  // namespace nbase

#endif  // BASE_MODULE_MODULE_PATH_H_
