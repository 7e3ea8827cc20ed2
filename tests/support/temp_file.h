// A file of the test's own in the temporary folder, removed again with the object: scenario
// scripts and other inputs that a program under test reads by path.
//
// Thread affinity: none; each object is one file with a name no other object or test process uses.
#ifndef TESTS_SUPPORT_TEMP_FILE_H_
#define TESTS_SUPPORT_TEMP_FILE_H_

#include <string>

namespace test_support {

class TempFile {
 public:
  // Writes |content| (bytes as they are) to a new file with a unique name.
  explicit TempFile(const std::string& content);
  ~TempFile();
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

}  // namespace test_support

#endif  // TESTS_SUPPORT_TEMP_FILE_H_
