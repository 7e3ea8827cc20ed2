// An environment variable of the test process set for one scope, for the test controls that
// programs read from the environment.
//
// Thread affinity: the process environment is shared; set variables before starting what reads
// them.
#ifndef TESTS_SUPPORT_SCOPED_ENVIRONMENT_H_
#define TESTS_SUPPORT_SCOPED_ENVIRONMENT_H_

#include <string>

namespace test_support {

// Sets |name| to |value| for the lifetime of the object, then restores the earlier value (or
// removes the variable when it had none).
class ScopedEnvironment {
 public:
  ScopedEnvironment(const wchar_t* name, const std::wstring& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::wstring name_;
  bool had_value_ = false;
  std::wstring old_value_;
};

}  // namespace test_support

#endif  // TESTS_SUPPORT_SCOPED_ENVIRONMENT_H_
