#include "base/module/module_path.h"
#include "base/module/module_win.h"

#include <windows.h>

#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(ModulePathTest, CutsAfterTheLastSeparatorOfEitherKind) {
  EXPECT_EQ(nbase::DirectoryOfModulePath(L"C:\\Program Files\\App\\client.exe"),
            L"C:\\Program Files\\App\\");
  EXPECT_EQ(nbase::DirectoryOfModulePath(L"C:/apps/client.exe"), L"C:/apps/");
  EXPECT_EQ(nbase::DirectoryOfModulePath(L"C:\\apps/bin\\client.exe"), L"C:\\apps/bin\\");
  EXPECT_EQ(nbase::DirectoryOfModulePath(L"C:\\client.exe"), L"C:\\");
  EXPECT_EQ(nbase::DirectoryOfModulePath(L"client.exe"), L"");
  EXPECT_EQ(nbase::DirectoryOfModulePath(L"\\client.exe"), L"");
  EXPECT_EQ(nbase::DirectoryOfModulePath(L""), L"");
}

TEST(ModuleTest, CurrentModuleIsTheExecutableHoldingThisCode) {
  EXPECT_EQ(nbase::GetCurrentModuleHandle(), GetModuleHandleW(nullptr));

  wchar_t expected[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameW(nullptr, expected, MAX_PATH * 4);
  ASSERT_GT(length, 0u);
  const std::wstring path(expected, length);
  EXPECT_EQ(nbase::GetModuleFilePath(nbase::GetCurrentModuleHandle()), path);
  const std::wstring directory = nbase::GetModuleDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(path.compare(0, directory.size(), directory), 0);
  EXPECT_EQ(path.find_first_of(L"\\/", directory.size()), std::wstring::npos);
}

TEST(ModuleTest, NamesLongerThanTheFirstBufferAreReadWhole) {
  const HMODULE module = nbase::GetCurrentModuleHandle();
  const std::wstring whole = nbase::GetModuleFilePath(module);
  for (DWORD initial : std::vector<DWORD>{1, 2, 7, static_cast<DWORD>(whole.size())}) {
    EXPECT_EQ(nbase::internal::GetModuleFilePathWithInitialBuffer(module, initial), whole)
        << initial;
  }
  // A module handle that names nothing reads as empty, never as garbage.
  EXPECT_EQ(nbase::GetModuleFilePath(reinterpret_cast<HMODULE>(0x10)), L"");
}

}  // namespace
