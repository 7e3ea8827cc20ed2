#include "base/module/module_path.h"

namespace nbase {

std::wstring DirectoryOfModulePath(const std::wstring& file_path) {
  const std::size_t separator = file_path.find_last_of(L"\\/");
  if (separator == std::wstring::npos || separator == 0) return std::wstring();
  return file_path.substr(0, separator + 1);
}

}  // namespace nbase
