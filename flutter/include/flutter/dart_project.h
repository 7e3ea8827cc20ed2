// DartProject: where the Dart program lives and what its entry point receives.
//
//   flutter::DartProject project(L"data");
//   project.set_dart_entrypoint_arguments({"--flag", "value"});
//
// The folder holds "flutter_assets", "icudtl.dat" and "app.so". A relative folder is resolved by
// the engine against the folder of the running executable, not the current directory.
#ifndef FLUTTER_DART_PROJECT_H_
#define FLUTTER_DART_PROJECT_H_

#include <string>
#include <utility>
#include <vector>

namespace flutter {

class DartProject {
 public:
  explicit DartProject(const std::wstring& path)
      : assets_path_(path + L"\\flutter_assets"),
        icu_data_path_(path + L"\\icudtl.dat"),
        aot_library_path_(path + L"\\app.so") {}

  // The Dart function to start; empty means "main".
  void set_dart_entrypoint(const std::string& entrypoint) { dart_entrypoint_ = entrypoint; }
  const std::string& dart_entrypoint() const { return dart_entrypoint_; }

  // UTF-8 arguments given to the entry point.
  void set_dart_entrypoint_arguments(std::vector<std::string> arguments) {
    dart_entrypoint_arguments_ = std::move(arguments);
  }
  const std::vector<std::string>& dart_entrypoint_arguments() const {
    return dart_entrypoint_arguments_;
  }

 private:
  friend class FlutterEngine;

  const std::wstring& assets_path() const { return assets_path_; }
  const std::wstring& icu_data_path() const { return icu_data_path_; }
  const std::wstring& aot_library_path() const { return aot_library_path_; }

  std::wstring assets_path_;
  std::wstring icu_data_path_;
  std::wstring aot_library_path_;
  std::string dart_entrypoint_;
  std::vector<std::string> dart_entrypoint_arguments_;
};

}  // namespace flutter

#endif  // FLUTTER_DART_PROJECT_H_
