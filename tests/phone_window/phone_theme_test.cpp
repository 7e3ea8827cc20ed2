// Which skin a pop-out window takes for its theme mode, with the system's app theme read from a
// private HKEY_CURRENT_USER (the shared prefix's own stays untouched).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "phone_window/phone_theme.h"
#include "phone_window/zuvor_ivado_window.h"

namespace {

constexpr wchar_t kPersonalize[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// HKEY_CURRENT_USER of this process is a fresh private key while the object lives.
class PrivateCurrentUser {
 public:
  PrivateCurrentUser() {
    path_ = L"Software\\Fernhold\\Tests\\ThemeUser" + std::to_wstring(::GetCurrentProcessId());
    ::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                      &key_, nullptr);
    ::RegOverridePredefKey(HKEY_CURRENT_USER, key_);
  }
  ~PrivateCurrentUser() {
    ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    ::RegCloseKey(key_);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
  }
  void SetLight(DWORD value) {
    ::RegSetKeyValueW(HKEY_CURRENT_USER, kPersonalize, L"AppsUseLightTheme", REG_DWORD, &value,
                      sizeof(value));
  }

 private:
  std::wstring path_;
  HKEY key_ = nullptr;
};

std::wstring SkinOf(int themeMode) {
  // Never created: the object only answers which skin it would load.
  ZuvorIvadoWindow window(themeMode);
  return window.GetSkinFile();
}

TEST(PhoneThemeTest, ModesPickTheSkinAndZeroFollowsTheSystem) {
  PrivateCurrentUser user;
  // No value: light.
  EXPECT_TRUE(phone_theme::IsLight(0));
  EXPECT_EQ(SkinOf(0), L"cloud_phone_light.xml");
  EXPECT_EQ(SkinOf(1), L"cloud_phone_light.xml");
  EXPECT_EQ(SkinOf(2), L"cloud_phone_dark.xml");
  EXPECT_EQ(SkinOf(5), L"cloud_phone_dark.xml");
  EXPECT_EQ(SkinOf(-1), L"cloud_phone_dark.xml");

  user.SetLight(0);
  EXPECT_FALSE(phone_theme::SystemUsesLightTheme());
  EXPECT_EQ(SkinOf(0), L"cloud_phone_dark.xml");
  EXPECT_EQ(SkinOf(1), L"cloud_phone_light.xml");

  user.SetLight(7);
  EXPECT_EQ(SkinOf(0), L"cloud_phone_light.xml");
}

}  // namespace
