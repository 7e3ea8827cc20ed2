// Global tables: fonts, colours, classes, the resource path, start-up's language file, and
// concurrent use from several threads.
#include <gtest/gtest.h>

#include <thread>

#include "tests/ui/test_support.h"
#include "ui/core/global_manager.h"
#include "ui/core/language_strings.h"

namespace {

using ui::GlobalManager;

TEST(GlobalManagerTest, FontsByIdWithDefaultAndFirstOneWins) {
  EXPECT_NE(GlobalManager::GetFont(L""), nullptr);  // The default font of the test set-up.
  EXPECT_EQ(GlobalManager::GetFont(L""), GlobalManager::GetFont(uitest::kTestFontId));
  EXPECT_EQ(GlobalManager::GetFont(L"never_registered"), nullptr);

  ui::FontInfo first;
  first.faceName = L"Tahoma";
  first.size = 20;
  first.font =
      ::CreateFontW(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  ui::FontInfo second = first;
  second.size = 30;
  second.font = ::CreateFontW(-30, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  EXPECT_TRUE(GlobalManager::AddFont(L"gm_font", first));
  EXPECT_FALSE(GlobalManager::AddFont(L"gm_font", second));  // Deleted, not stored.
  ui::FontInfo stored;
  ASSERT_TRUE(GlobalManager::GetFontInfo(L"gm_font", &stored));
  EXPECT_EQ(stored.size, 20);
  EXPECT_EQ(stored.font, first.font);
  EXPECT_EQ(::GetObjectType(second.font), 0u);  // The refused handle was freed.
}

TEST(GlobalManagerTest, AFontsTextMetricIsMeasuredOnceAndKeptInTheFontTable) {
  ui::FontInfo before;
  ASSERT_TRUE(GlobalManager::GetFontInfo(uitest::kTestFontId, &before));
  EXPECT_EQ(before.textMetric.tmHeight, 0);
  TEXTMETRICW metric = {};
  ASSERT_TRUE(GlobalManager::GetFontTextMetric(L"", &metric));  // The default font.
  EXPECT_GT(metric.tmHeight, 10);
  ui::FontInfo after;
  ASSERT_TRUE(GlobalManager::GetFontInfo(uitest::kTestFontId, &after));
  EXPECT_EQ(after.textMetric.tmHeight, metric.tmHeight);
  EXPECT_FALSE(GlobalManager::GetFontTextMetric(L"never_registered", &metric));
}

TEST(GlobalManagerTest, UnknownColourIsRegisteredAsZero) {
  EXPECT_EQ(GlobalManager::GetTextColor(L"gm_unknown_colour"), 0u);
  GlobalManager::AddTextColor(L"gm_blue", 0xFF0000FF);
  EXPECT_EQ(GlobalManager::GetTextColor(L"gm_blue"), 0xFF0000FFu);
  GlobalManager::AddTextColor(L"gm_blue", 0xFF000080);
  EXPECT_EQ(GlobalManager::GetTextColor(L"gm_blue"), 0xFF000080u);
  EXPECT_EQ(GlobalManager::GetDefaultTextColor(), L"textdefaultcolor");
  EXPECT_EQ(GlobalManager::GetDefaultDisabledTextColor(), L"textdefaultdisablecolor");
}

TEST(GlobalManagerTest, ClassesAndControlFactory) {
  EXPECT_EQ(GlobalManager::GetClassAttributes(L"gm_missing"), L"");
  GlobalManager::AddClass(L"gm_btn", L"width=\"20\" height=\"20\"");
  EXPECT_EQ(GlobalManager::GetClassAttributes(L"gm_btn"), L"width=\"20\" height=\"20\"");
  EXPECT_EQ(GlobalManager::CreateControl(L"Anything"), nullptr);  // No factory set.
}

TEST(GlobalManagerTest, StartupJoinsPathsAndLoadsTheLanguageFile) {
  uitest::TempDir root;
  ASSERT_TRUE(::CreateDirectoryW(root.File(L"lang").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(root.File(L"lang\\test").c_str(), nullptr));
  ASSERT_TRUE(uitest::WriteFileBytes(root.File(L"lang\\test\\gdstrings.ini"),
                                     "\xEF\xBB\xBF\tSTRID_HELLO = Hello\r\n\r\n"));
  const std::wstring previous = GlobalManager::GetResourcePath();
  int made = 0;
  GlobalManager::Startup(root.path(), [&made](const std::wstring&) -> ui::Control* {
    ++made;
    return nullptr;
  }, false, L"themes/default/", L"lang\\test");
  EXPECT_EQ(GlobalManager::GetResourcePath(), root.path() + L"themes/default/");
  EXPECT_EQ(ui::LanguageStringTable::GetInstance()->GetStringById(L"STRID_HELLO"), L"Hello");
  EXPECT_NE(GlobalManager::GetRenderFactory(), nullptr);
  GlobalManager::CreateControl(L"Button");
  EXPECT_EQ(made, 1);

  GlobalManager::Startup(root.path(), nullptr, false, L"themes\\default", L"lang\\test");
  EXPECT_EQ(GlobalManager::GetResourcePath(), root.path() + L"themes\\default\\");
  GlobalManager::SetResourcePath(previous);
}

TEST(GlobalManagerTest, TablesStayConsistentUnderConcurrentInsertion) {
  constexpr int kThreads = 8;
  constexpr int kNames = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < kNames; ++i) {
        const std::wstring name = L"gm_c_" + std::to_wstring(t) + L"_" + std::to_wstring(i);
        GlobalManager::GetTextColor(name);  // Inserts 0.
        GlobalManager::AddTextColor(name, static_cast<DWORD>(i));
        GlobalManager::AddClass(name, name);
        GlobalManager::GetImage(L"C:/none/" + name);
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) {
    for (int i = 0; i < kNames; i += 97) {
      const std::wstring name = L"gm_c_" + std::to_wstring(t) + L"_" + std::to_wstring(i);
      EXPECT_EQ(GlobalManager::GetTextColor(name), static_cast<DWORD>(i));
      EXPECT_EQ(GlobalManager::GetClassAttributes(name), name);
    }
  }
}

}  // namespace
