// Window builder over 100,000 mutated skins: byte flips, truncations, insertions of markup
// characters and deletions over a realistic skin (boxes, labels, buttons, check boxes, an option
// group, classes, events, an include). Every outcome must be a clean build or a clean null, and
// when everything is gone again as many allocations must be live as before.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <random>
#include <string>

#include "tests/ui/control_test_support.h"
#include "tests/ui/skin_mutations.h"
#include "tests/ui/test_support.h"
#include "ui/core/box.h"
#include "ui/core/string_helper.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"

// ----- Live allocations of the whole program -----------------------------------------------------

namespace {
std::atomic<long long> g_live_allocations{0};

void* Allocate(size_t size) {
  void* block = std::malloc(size ? size : 1);
  if (!block) throw std::bad_alloc();
  g_live_allocations.fetch_add(1, std::memory_order_relaxed);
  return block;
}

void Release(void* block) {
  if (!block) return;
  g_live_allocations.fetch_sub(1, std::memory_order_relaxed);
  std::free(block);
}
}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }

namespace {

// Counts the controls of a tree (to see that builds do happen).
ui::Control* CountControl(ui::Control*, void* count) {
  ++*static_cast<int*>(count);
  return nullptr;
}

TEST(BuilderRobustnessTest, SurvivesOneHundredThousandMutatedSkinsWithoutLeaks) {
  uitest::TempDir dir;
  const std::wstring include = dir.File(L"row.xml");
  ASSERT_TRUE(uitest::WriteFileBytes(
      include, "<Window><Class name=\"row\" height=\"20\"/><HBox class=\"row\">"
               "<Label text=\"r\"/><Button text=\"go\"/></HBox></Window>"));
  std::string includeUtf8;
  ui::StringHelper::WideToUtf8(include, &includeUtf8);
  const std::string seed = uitest::SeedSkin(includeUtf8);

  std::mt19937 random(20261210);
  int built = 0;
  long long controls = 0;
  long long baseline = 0;
  const int kRounds = 100000;
  const int kWarmUp = 200;
  for (int round = 0; round < kRounds; ++round) {
    if (round == kWarmUp) baseline = g_live_allocations.load();
    const std::string skin = uitest::MutateSkin(seed, random);
    const std::wstring text = ui::StringHelper::Utf8ToWide(skin);
    // Every 50th skin goes into a window with a native one, so the "Window" attributes apply.
    ui::Window window;
    if (round % 50 == 0) window.Init(uitest::MakeTestWindow());
    // Odd rounds build into a box of the window, even ones without a parent (the caller then
    // owns the first top-level control, and the builder deletes the others).
    auto* parent = new ui::VBox();
    window.AttachRoot(parent);
    ui::WindowBuilder builder;
    std::unique_ptr<ui::Control> root(
        builder.Create(text.c_str(), nullptr, &window, round % 2 ? parent : nullptr));
    ui::Control* tree = round % 2 ? parent : root.get();
    if (round % 2 ? parent->GetCount() > 0 : root != nullptr) {
      ++built;
      int count = 0;
      tree->FindControl(&CountControl, &count, ui::kFindAll);
      controls += count;
      window.SetLayoutPending(true);
      window.ArrangeRoot(RECT{0, 0, 360, 640});
    }
    if (round % 2) root.release();  // The parent owns it.
    // The window deletes the rest; controls it set aside after a message go with it.
  }
  const long long after = g_live_allocations.load();
  EXPECT_GT(built, 10000);     // Many mutations still build...
  EXPECT_GT(controls, built);  // ...into real trees.
  EXPECT_LT(after - baseline, 64) << "allocations still live: " << after - baseline;
  std::printf("%d of %d mutated skins built, %lld controls; %lld allocations live after\n", built,
              kRounds, controls, after - baseline);
}

}  // namespace
