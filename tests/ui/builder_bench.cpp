// Prints the cost of making a window's tree from markup: parsing and building a skin of 40
// controls (boxes, labels, buttons, check boxes, an option group, classes, events), the parse and
// the build apart, and a cached document built again (what child boxes do).
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/ui/bench_support.h"
#include "ui/core/box.h"
#include "ui/core/global_manager.h"
#include "ui/core/markup.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"

namespace {

// Each figure runs for about 600 ms in all.
constexpr double kBudgetMs = 600;

// 40 controls: 7 boxes, 33 leaves.
std::wstring Skin() {
  std::wstring skin =
      L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      L"<Window size=\"360,640\" caption=\"0,0,0,36\" roundcorner=\"4,4\">\n"
      L"  <Class name=\"btn\" width=\"60\" height=\"24\" normalcolor=\"white\" hotcolor=\"gray\"/>\n"
      L"  <Class name=\"opt\" width=\"50\" height=\"20\" selectednormalcolor=\"red\"/>\n"
      L"  <VBox name=\"main\" bkcolor=\"white\" childmargin=\"4\" padding=\"8,8,8,8\">\n"
      L"    <HBox name=\"title_bar\" height=\"36\">\n"
      L"      <Label name=\"title\" text=\"Cloud phone 01\" align=\"left vcenter\"/>\n"
      L"      <Control/>\n"
      L"      <Button name=\"minbtn\" class=\"btn\" text=\"_\"/>\n"
      L"      <Button name=\"closebtn\" class=\"btn\" text=\"x\">\n"
      L"        <Event type=\"buttondown\" receiver=\"title\" applyattribute=\"text=&quot;bye&quot;\"/>\n"
      L"      </Button>\n"
      L"    </HBox>\n"
      L"    <TileBox itemsize=\"40,40\" columns=\"4\">\n";
  for (int i = 0; i < 12; ++i)
    skin += L"      <Button class=\"btn\" text=\"" + std::to_wstring(i) + L"\"/>\n";
  skin +=
      L"    </TileBox>\n"
      L"    <VBox name=\"options\">\n"
      L"      <Option name=\"o1\" class=\"opt\" group=\"size\" selected=\"true\" text=\"Small\"/>\n"
      L"      <Option name=\"o2\" class=\"opt\" group=\"size\" text=\"Medium\"/>\n"
      L"      <Option name=\"o3\" class=\"opt\" group=\"size\" text=\"Large\"/>\n"
      L"    </VBox>\n"
      L"    <HBox>\n"
      L"      <CheckBox name=\"c1\" text=\"Remember\"/><CheckBox name=\"c2\" text=\"Sync\"/>\n"
      L"      <Label text=\"a\"/><Label text=\"b\"/><Label text=\"c\"/>\n"
      L"    </HBox>\n"
      L"    <HBox><Control/><Control/><Control/><Control/></HBox>\n"
      L"    <HBox><Label text=\"status\"/><Control/><Label text=\"1/3\"/><Control/>"
      L"<Button class=\"btn\" text=\"OK\"/></HBox>\n"
      L"  </VBox>\n"
      L"</Window>\n";
  return skin;
}

int CountControls(ui::Control* root) {
  int count = 0;
  root->FindControl(
      [](ui::Control*, void* n) -> ui::Control* {
        ++*static_cast<int*>(n);
        return nullptr;
      },
      &count, ui::kFindAll);
  return count;
}

}  // namespace

using uibench::TimeMs;

int main() {
  const std::wstring temp = uibench::StartLibrary();
  const std::wstring skin = Skin();

  {
    ui::Window window;
    ui::WindowBuilder builder;
    ui::Control* root = builder.Create(skin.c_str(), nullptr, &window, nullptr);
    std::printf("window builder: a skin of %d controls (%zu characters)\n",
                root ? CountControls(root) : 0, skin.size());
    delete root;
  }

  const double both = TimeMs([&] {
    ui::Window window;
    ui::WindowBuilder builder;
    window.AttachRoot(builder.Create(skin.c_str(), nullptr, &window, nullptr));
  }, kBudgetMs);
  const double parse = TimeMs([&] {
    ui::MarkupDocument document;
    document.LoadFromString(skin);
  }, kBudgetMs);
  ui::WindowBuilder cached;
  delete cached.Create(skin.c_str(), nullptr, nullptr, nullptr);
  const double build = TimeMs([&] {
    ui::Window window;
    window.AttachRoot(cached.Build(nullptr, &window, nullptr));
  }, kBudgetMs);
  std::printf("  parse + build + attach (and delete) %.3f ms\n", both);
  std::printf("  parse alone                        %.3f ms\n", parse);
  std::printf("  build of a parsed document         %.3f ms\n", build);
  ui::GlobalManager::Shutdown();
  return 0;
}
