#include "tests/support/scoped_environment.h"

#include <windows.h>

namespace test_support {

ScopedEnvironment::ScopedEnvironment(const wchar_t* name, const std::wstring& value)
    : name_(name) {
  const DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size > 0) {
    std::wstring old(size, L'\0');
    const DWORD length = ::GetEnvironmentVariableW(name, old.data(), size);
    old.resize(length);
    had_value_ = true;
    old_value_ = old;
  }
  ::SetEnvironmentVariableW(name, value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
  ::SetEnvironmentVariableW(name_.c_str(), had_value_ ? old_value_.c_str() : nullptr);
}

}  // namespace test_support
