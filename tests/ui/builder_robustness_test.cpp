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

std::string SeedSkin(const std::string& includePath) {
  std::string skin =
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<Window size=\"360,640\" caption=\"0,0,0,36\" mininfo=\"200,300\" roundcorner=\"4,4\" "
      "textid=\"STRID_X\" shadowcorner=\"8,8,8,8\" sizebox=\"4,4,4,4\">\n"
      "  <Class name=\"btn\" value=\"width=&quot;60&quot;\" height=\"24\" _value=\"x\"/>\n"
      "  <Class name=\"opt\" width=\"50\" height=\"20\" selectednormalcolor=\"red\"/>\n"
      "  <Font id=\"f\" name=\"Tahoma\" size=\"12\"/>\n"
      "  <VBox name=\"main\" bkcolor=\"white\" childmargin=\"4\" padding=\"8,8,8,8\">\n"
      "    <HBox name=\"title_bar\" height=\"36\">\n"
      "      <Label name=\"title\" text=\"Phone &amp; more\" align=\"left vcenter\" "
      "textpadding=\"4,0,4,0\" font=\"f\"/>\n"
      "      <Control/>\n"
      "      <Button name=\"minbtn\" class=\"btn\" text=\"_\" tooltiptext=\"Min\"/>\n"
      "      <Button name=\"closebtn\" class=\"btn\" normalimage=\"file='close.png'\">\n"
      "        <Event type=\"buttondown mouseenter\" receiver=\"title ./x\" "
      "applyattribute=\"text=&quot;bye&quot;\"/>\n"
      "      </Button>\n"
      "    </HBox>\n"
      "    <TileBox itemsize=\"40,40\" columns=\"3\">\n"
      "      <Control bkcolor=\"red\"/><Control bkcolor=\"green\"/><Control bkcolor=\"blue\"/>\n"
      "      <Label text=\"a\"/><Label text=\"b\"/><Label text=\"c\"/>\n"
      "    </TileBox>\n"
      "    <VBox name=\"options\">\n"
      "      <BubbledEvent type=\"select\" receiver=\"./status\" applyattribute=\"visible=&quot;true&quot;\"/>\n"
      "      <Option name=\"o1\" class=\"opt\" group=\"size\" selected=\"true\" text=\"Small\"/>\n"
      "      <Option name=\"o2\" class=\"opt\" group=\"size\" text=\"Medium\"/>\n"
      "      <OptionBox name=\"o3\" class=\"opt\" group=\"size\"><Label text=\"Large\"/></OptionBox>\n"
      "      <Label name=\"status\" visible=\"false\" text=\"changed\"/>\n"
      "    </VBox>\n"
      "    <HBox>\n"
      "      <CheckBox name=\"c1\" selected=\"true\" text=\"Remember\" selectedtextcolor=\"red\"/>\n"
      "      <CheckBoxBox name=\"c2\"><Control/></CheckBoxBox>\n"
      "      <ButtonBox name=\"b2\" menu=\"true\"><Label text=\"More\"/></ButtonBox>\n"
      "      <LabelBox><Control width=\"10\"/></LabelBox>\n"
      "    </HBox>\n"
      "    <Include source=\"" + includePath + "\" count=\"2\"/>\n"
      "    <Box><Control float=\"true\" margin=\"1,2,3,4\"/><Control/></Box>\n"
      "  </VBox>\n"
      "  <Label name=\"stray\"/>\n"
      "</Window>\n";
  return skin;
}

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
  const std::string seed = SeedSkin(includeUtf8);
  const char interesting[] = "<>/\"'=&!?-; \t\nax:_;";

  std::mt19937 random(20261210);
  int built = 0;
  long long controls = 0;
  long long baseline = 0;
  const int kRounds = 100000;
  const int kWarmUp = 200;
  for (int round = 0; round < kRounds; ++round) {
    if (round == kWarmUp) baseline = g_live_allocations.load();
    std::string skin = seed;
    const int edits = 1 + static_cast<int>(random() % 4);
    for (int e = 0; e < edits && !skin.empty(); ++e) {
      const size_t at = random() % skin.size();
      switch (random() % 4) {
        case 0: skin[at] = static_cast<char>(skin[at] ^ (1 << (random() % 8))); break;
        case 1: skin.resize(at); break;
        case 2: skin.insert(at, 1, interesting[random() % (sizeof(interesting) - 1)]); break;
        default: skin.erase(at, 1 + random() % 8); break;
      }
    }
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
