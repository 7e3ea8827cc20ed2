// Window builder: control trees from markup, the factory order, what happens to controls nobody
// can own, classes and their attribute text, "Window" and "Global" roots, "global.xml" at
// start-up, includes with their limits, markup events, and a cached builder shared by threads.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "tests/ui/control_test_support.h"
#include "tests/ui/test_support.h"
#include "ui/controls/button.h"
#include "ui/controls/check_box.h"
#include "ui/controls/child_box.h"
#include "ui/controls/circle_progress.h"
#include "ui/controls/combo.h"
#include "ui/controls/label.h"
#include "ui/controls/list_box.h"
#include "ui/controls/list_container_element.h"
#include "ui/controls/option.h"
#include "ui/controls/progress.h"
#include "ui/controls/rich_edit.h"
#include "ui/controls/scroll_bar.h"
#include "ui/controls/slider.h"
#include "ui/controls/tab_box.h"
#include "ui/controls/tree_node.h"
#include "ui/controls/tree_view.h"
#include "ui/controls/virtual_list_box.h"
#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/global_manager.h"
#include "ui/core/language_strings.h"
#include "ui/core/stack_layout.h"
#include "ui/core/tile_layout.h"
#include "ui/core/window.h"
#include "ui/core/window_builder.h"
#include "ui/render/render_interfaces.h"

namespace {

using ui::Box;
using ui::Control;
using ui::WindowBuilder;

// A control of the application's own, counting the live ones.
class Counted : public Control {
 public:
  Counted() { ++live; }
  ~Counted() override { --live; }
  static int live;
};
int Counted::live = 0;

ui::CreateControlCallback MakeCounted() {
  return [](const std::wstring& name) -> Control* {
    return name == L"Counted" ? new Counted() : nullptr;
  };
}

template <typename T>
T* As(Control* control) {
  return dynamic_cast<T*>(control);
}

// Pixels of rect that are not white.
int CountNotWhite(ui::IRenderContext* context, const RECT& rect) {
  int count = 0;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x)
      if (uitest::RgbAt(context, x, y) != 0xFFFFFF) ++count;
  return count;
}

// Builds markup into a fresh box that owns the result.
struct Built {
  explicit Built(const std::wstring& markup, ui::CreateControlCallback callback = nullptr) {
    window.AttachRoot(parent);
    result = builder.Create(markup.c_str(), std::move(callback), &window, parent);
  }
  ui::Window window;
  Box* parent = new Box();
  WindowBuilder builder;
  Control* result = nullptr;
};

// ----- Trees ---------------------------------------------------------------------------------

TEST(BuilderTest, MarkupTextBuildsItsTreeIntoTheParentAndYieldsTheFirstControl) {
  Built built(
      L"<Window>"
      L"  <Font id=\"ignored\" name=\"Tahoma\"/>"
      L"  <VBox name=\"main\" width=\"200\" childmargin=\"4\">"
      L"    <HBox name=\"row\" height=\"30\">"
      L"      <Label name=\"title\" text=\"Phone &amp; more\" align=\"vcenter\"/>"
      L"      <Button name=\"ok\" text=\"OK\" width=\"80\"/>"
      L"      <Unknown name=\"skipped\"><Button name=\"insideUnknown\"/></Unknown>"
      L"    </HBox>"
      L"    <CheckBox name=\"remember\" selected=\"true\"/>"
      L"    <OptionBox name=\"choice\"><Control name=\"icon\"/></OptionBox>"
      L"  </VBox>"
      L"  <HBox name=\"second\"/>"
      L"</Window>");
  ASSERT_NE(built.result, nullptr);
  EXPECT_EQ(built.result->GetName(), L"main");
  ASSERT_EQ(built.parent->GetCount(), 2);  // Both top-level boxes join the parent.
  EXPECT_EQ(built.parent->GetItemAt(0), built.result);
  EXPECT_EQ(built.parent->GetItemAt(1)->GetName(), L"second");

  auto* main = As<ui::VBox>(built.result);
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(main->GetFixedWidth(), 200);
  ASSERT_EQ(main->GetCount(), 3);
  auto* row = As<ui::HBox>(main->GetItemAt(0));
  ASSERT_NE(row, nullptr);
  ASSERT_EQ(row->GetCount(), 2);  // The unknown element went with its subtree.
  auto* title = As<ui::Label>(row->GetItemAt(0));
  ASSERT_NE(title, nullptr);
  EXPECT_EQ(title->GetText(), L"Phone & more");
  EXPECT_EQ(title->GetTextStyle() & (DT_CENTER | DT_VCENTER), UINT{DT_CENTER | DT_VCENTER});
  auto* ok = As<ui::Button>(row->GetItemAt(1));
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->GetFixedWidth(), 80);
  auto* remember = As<ui::CheckBox>(main->GetItemAt(1));
  ASSERT_NE(remember, nullptr);
  EXPECT_TRUE(remember->IsSelected());
  auto* choice = As<ui::OptionBox>(main->GetItemAt(2));
  ASSERT_NE(choice, nullptr);
  EXPECT_EQ(choice->GetCount(), 1);

  EXPECT_EQ(built.window.FindControl(L"ok"), ok);
  EXPECT_EQ(built.window.FindControl(L"icon"), choice->GetItemAt(0));
  EXPECT_EQ(built.window.FindControl(L"insideUnknown"), nullptr);
}

TEST(BuilderTest, EveryBuiltInClassNameMakesItsControlWithItsLayout) {
  struct Made {
    const wchar_t* name;
    const std::type_info& control;
    const std::type_info* layout;  // Null for a control that is no box.
  };
  const Made made[] = {
      {L"Control", typeid(Control), nullptr},
      {L"Box", typeid(Box), &typeid(ui::Layout)},
      {L"HBox", typeid(ui::HBox), &typeid(ui::HLayout)},
      {L"VBox", typeid(ui::VBox), &typeid(ui::VLayout)},
      {L"TileBox", typeid(ui::TileBox), &typeid(ui::TileLayout)},
      {L"TabBox", typeid(ui::TabBox), &typeid(ui::Layout)},
      {L"ChildBox", typeid(ui::ChildBox), &typeid(ui::Layout)},
      {L"ListBox", typeid(ui::ListBox), &typeid(ui::Layout)},
      {L"HListBox", typeid(ui::ListBox), &typeid(ui::HLayout)},
      {L"VListBox", typeid(ui::ListBox), &typeid(ui::VLayout)},
      {L"TileListBox", typeid(ui::ListBox), &typeid(ui::TileLayout)},
      {L"VirtualListBox", typeid(ui::VirtualListBox), &typeid(ui::VirtualLayout)},
      {L"TreeView", typeid(ui::TreeView), &typeid(ui::VLayout)},
      {L"TreeNode", typeid(ui::TreeNode), &typeid(ui::Layout)},
      {L"ListContainerElement", typeid(ui::ListContainerElement), &typeid(ui::Layout)},
      {L"Combo", typeid(ui::Combo), &typeid(ui::Layout)},
      {L"Label", typeid(ui::Label), nullptr},
      {L"Button", typeid(ui::Button), nullptr},
      {L"CheckBox", typeid(ui::CheckBox), nullptr},
      {L"Option", typeid(ui::Option), nullptr},
      {L"LabelBox", typeid(ui::LabelBox), &typeid(ui::Layout)},
      {L"ButtonBox", typeid(ui::ButtonBox), &typeid(ui::Layout)},
      {L"CheckBoxBox", typeid(ui::CheckBoxBox), &typeid(ui::Layout)},
      {L"OptionBox", typeid(ui::OptionBox), &typeid(ui::Layout)},
      {L"Progress", typeid(ui::Progress), nullptr},
      {L"Slider", typeid(ui::Slider), nullptr},
      {L"CircleProgress", typeid(ui::CircleProgress), nullptr},
      {L"RichEdit", typeid(ui::RichEdit), &typeid(ui::Layout)},
      {L"ScrollBar", typeid(ui::ScrollBar), nullptr},
  };
  EXPECT_EQ(std::size(made), 29u);
  for (const Made& expected : made) {
    std::unique_ptr<Control> control(WindowBuilder::CreateControlByClass(expected.name));
    ASSERT_NE(control, nullptr) << expected.name;
    const Control& object = *control;
    EXPECT_TRUE(typeid(object) == expected.control) << expected.name;
    const auto* box = dynamic_cast<const Box*>(control.get());
    ASSERT_EQ(box != nullptr, expected.layout != nullptr) << expected.name;
    if (box) {
      EXPECT_TRUE(typeid(*box->GetLayout()) == *expected.layout) << expected.name;
    }
  }
  std::unique_ptr<Control> box(WindowBuilder::CreateControlByClass(L"LabelBox"));
  EXPECT_NE(As<Box>(box.get()), nullptr);
  EXPECT_EQ(box->GetFixedWidth(), ui::kSizeStretch);  // The box form stretches.
  std::unique_ptr<Control> label(WindowBuilder::CreateControlByClass(L"Label"));
  EXPECT_EQ(label->GetFixedWidth(), ui::kSizeAuto);   // The leaf form sizes to its text.
  EXPECT_EQ(WindowBuilder::CreateControlByClass(L"label"), nullptr);  // Case-sensitive.
  EXPECT_EQ(WindowBuilder::CreateControlByClass(L"Event"), nullptr);
}

TEST(BuilderTest, TheCallbackMakesWhatTheLibraryDoesNotKnowAndNeverItsOwnClasses) {
  std::vector<std::wstring> asked;
  Built built(L"<Window><VBox><Counted name=\"mine\"/><Label name=\"theirs\"/></VBox></Window>",
              [&asked](const std::wstring& name) -> Control* {
                asked.push_back(name);
                return name == L"Counted" ? new Counted() : nullptr;
              });
  ASSERT_NE(built.result, nullptr);
  EXPECT_EQ(asked, std::vector<std::wstring>{L"Counted"});
  EXPECT_NE(As<Counted>(built.window.FindControl(L"mine")), nullptr);
}

TEST(BuilderTest, TopLevelControlsAfterTheFirstAreDeletedWithoutAParent) {
  WindowBuilder builder;
  ui::Window window;
  std::unique_ptr<Control> root(builder.Create(
      L"<Window><Event type=\"click\" receiver=\"first\"/>"  // Nothing encloses it: ignored.
      L"<Counted name=\"first\"/><Counted/><Box><Counted/></Box></Window>",
      MakeCounted(),
      &window, nullptr));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->GetName(), L"first");
  EXPECT_EQ(Counted::live, 1);
  root.reset();
  EXPECT_EQ(Counted::live, 0);
}

TEST(BuilderTest, ControlsMadeForAParentThatIsNotABoxAreDeleted) {
  Built built(
      L"<Window><VBox>"
      L"  <Label name=\"leaf\">"
      L"    <Event type=\"buttondown\" receiver=\"target\" applyattribute=\"text=&quot;hit&quot;\"/>"
      L"    <Counted/><Counted/>"
      L"  </Label>"
      L"  <Label name=\"target\"/>"
      L"</VBox></Window>",
      MakeCounted());
  EXPECT_EQ(Counted::live, 0);
  auto* leaf = As<ui::Label>(built.window.FindControl(L"leaf"));
  auto* target = As<ui::Label>(built.window.FindControl(L"target"));
  ASSERT_NE(leaf, nullptr);
  ASSERT_NE(target, nullptr);
  leaf->SendEvent(ui::kEventButtonDown);  // The event before the refused children still counts.
  EXPECT_EQ(target->GetText(), L"hit");

  // The same document built into a parent that is not a box: nothing to return, nothing kept.
  WindowBuilder builder;
  ui::Label label;
  EXPECT_EQ(builder.Create(L"<Window><Counted/><Counted/></Window>", MakeCounted(), nullptr,
                           &label),
            nullptr);
  EXPECT_EQ(Counted::live, 0);
}

// ----- Classes and roots ---------------------------------------------------------------------

TEST(BuilderTest, ClassesJoinTheirAttributesIntoOneListThatControlsApply) {
  Built built(
      L"<Window>"
      L"  <Class name=\"btn\" value=\"width=&quot;80&quot;\" height=\"30\"/>"
      L"  <Class name=\"tip\" _value=\"ab\u00e7\u4e2d\" tooltiptext=\"long text here\"/>"
      L"  <Class name=\"tip\" _value=\"second\"/>"
      L"  <Class value=\"width=&quot;1&quot;\"/>"
      L"  <Class name=\"late\" height=\"30\" value=\"width=&quot;80&quot; \" tooltiptext=\"t\"/>"
      L"  <VBox><Button name=\"b\" class=\"btn tip\"/><Button name=\"c\" class=\"late\"/></VBox>"
      L"</Window>");
  EXPECT_EQ(built.window.GetClassAttributes(L"btn"), L"width=\"80\" height=\"30\"");
  // A value after other attributes is joined with one blank, like every other pair.
  EXPECT_EQ(built.window.GetClassAttributes(L"late"),
            L"height=\"30\" width=\"80\" tooltiptext=\"t\"");
  Control* late = built.window.FindControl(L"c");
  ASSERT_NE(late, nullptr);
  EXPECT_EQ(late->GetFixedWidth(), 80);
  EXPECT_EQ(late->GetToolTipText(), L"t");
  EXPECT_EQ(built.window.GetClassAttributes(L"tip"), L"value=\"second\"");  // The later one.
  auto* button = As<ui::Button>(built.window.FindControl(L"b"));
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->GetFixedWidth(), 80);
  EXPECT_EQ(button->GetFixedHeight(), 30);

  // Wide values survive the formatting whole (read as a narrow "%s" they would be cut short).
  ui::Window other;
  WindowBuilder builder;
  delete builder.Create(
      L"<Window><Class name=\"tip\" _value=\"ab\u00e7\u4e2d\" tooltiptext=\"long text\"/></Window>",
      nullptr, &other, nullptr);
  EXPECT_EQ(other.GetClassAttributes(L"tip"),
            L"value=\"ab\u00e7\u4e2d\" tooltiptext=\"long text\"");
}

TEST(BuilderTest, WindowRootAttributesWaitForTheNativeWindowButClassesDoNot) {
  const std::wstring skin =
      L"<Window size=\"300,200\" caption=\"0,0,0,36\" sizebox=\"4,4,6,6\" roundcorner=\"5,5\" "
      L"mininfo=\"100,80\" maxinfo=\"0,900\" alphafixcorner=\"1,2,3,4\" textid=\"STRID_TITLE\">"
      L"<Class name=\"c\" width=\"5\"/></Window>";
  ui::LanguageStringTable::GetInstance()->LoadLines({L"STRID_TITLE = Phone one"});

  ui::Window windowless;
  WindowBuilder first;
  EXPECT_EQ(first.Create(skin.c_str(), nullptr, &windowless, nullptr), nullptr);
  EXPECT_EQ(windowless.GetInitSize().cx, 0);
  EXPECT_EQ(windowless.GetCaptionRect().bottom, 0);
  EXPECT_EQ(windowless.GetClassAttributes(L"c"), L"width=\"5\"");
  // A window's default font is the stock one in the face of the global default font.
  EXPECT_EQ(windowless.GetDefaultFontInfo().faceName, L"Segoe UI");
  EXPECT_NE(windowless.GetDefaultFontInfo().font, nullptr);

  ui::Window window;
  window.Init(uitest::MakeTestWindow());
  ASSERT_NE(window.GetHWND(), nullptr);
  WindowBuilder second;
  EXPECT_EQ(second.Create(skin.c_str(), nullptr, &window, nullptr), nullptr);
  EXPECT_EQ(window.GetInitSize().cx, 300);
  EXPECT_EQ(window.GetInitSize(true).cx, 328);  // The default shadow, 14 on each side.
  RECT bounds = {};
  ::GetWindowRect(window.GetHWND(), &bounds);
  EXPECT_EQ(bounds.right - bounds.left, 328);
  EXPECT_EQ(bounds.bottom - bounds.top, 228);
  EXPECT_EQ(window.GetCaptionRect().bottom, 36);
  EXPECT_EQ(window.GetSizeBox().right, 6);
  EXPECT_EQ(window.GetRoundCorner().cx, 5);
  EXPECT_EQ(window.GetMinInfo().cx, 100);
  EXPECT_EQ(window.GetMinInfo(true).cy, 108);
  EXPECT_EQ(window.GetMaxInfo(true).cx, 0);  // Not set stays not set.
  EXPECT_EQ(window.GetMaxInfo(true).cy, 928);
  EXPECT_EQ(window.GetAlphaFixCorner().bottom, 4);
  wchar_t title[64] = {};
  ::GetWindowTextW(window.GetHWND(), title, 64);
  EXPECT_STREQ(title, L"Phone one");

  // Shadow settings and the height as a share of the work area.
  WindowBuilder third;
  delete third.Create(
      L"<Window shadowimage=\"file='s.png'\" shadowcorner=\"10,10,10,10\" custom_shadow=\"7,7,7,7\" "
      L"heightpercent=\"0.5\" shadowattached=\"false\" size=\"120,50\"/>",
      nullptr, &window, nullptr);
  EXPECT_EQ(window.GetShadowImage(), L"file='s.png'");
  EXPECT_FALSE(window.IsShadowRoundCornerFix());
  EXPECT_EQ(window.GetShadowCornerUnscaled().left, 10);
  EXPECT_EQ(window.GetAlphaFixCorner().left, 7);
  EXPECT_FALSE(window.IsShadowAttached());
  EXPECT_EQ(window.GetInitSize(true).cx, 120);
  MONITORINFO monitor = {sizeof(monitor)};
  ::GetMonitorInfoW(::MonitorFromWindow(window.GetHWND(), MONITOR_DEFAULTTOPRIMARY), &monitor);
  const int half = (monitor.rcWork.bottom - monitor.rcWork.top) / 2;
  EXPECT_GE(half, 100);
  window.SetHeightPercent(0.5);
  EXPECT_EQ(window.GetInitSize().cy, std::min<int>(half, 900));
  window.SetHeightPercent(1e300);  // Nonsense stays within the limits.
  EXPECT_EQ(window.GetInitSize().cy, 900);
}

TEST(BuilderTest, GlobalDocumentsFillTheGlobalTables) {
  const size_t fontsBefore = ui::GlobalManager::GetFontCount();
  const std::wstring defaultColor = ui::GlobalManager::GetDefaultTextColor();
  ui::Window window;
  WindowBuilder builder;
  delete builder.Create(
      L"<Global defaultfontcolor=\"gt_text\" linkfontcolor=\"gt_link\">"
      L"  <Image name=\"gt_image\" value=\"x.png\"/>"
      L"  <Font name=\"Tahoma\" size=\"20\" bold=\"true\"/>"
      L"  <Font id=\"gt_title\" name=\"Tahoma\" size=\"18\" italic=\"true\"/>"
      L"  <Font id=\"gt_title\" name=\"Arial\" size=\"30\" default=\"true\"/>"
      L"  <Font id=\"gt_nameless\" size=\"30\"/>"
      L"  <TextColor name=\"gt_red\" value=\"#FFFF0000\"/>"
      L"  <TextColor name=\"gt_red\" value=\"#80102030\"/>"
      L"  <TextColor name=\"gt_empty\" value=\"\"/>"
      L"  <Class name=\"gt_class\" width=\"12\"/>"
      L"</Global>",
      nullptr, &window, nullptr);

  EXPECT_EQ(ui::GlobalManager::GetFontCount(), fontsBefore + 2);
  ui::FontInfo font;
  ASSERT_TRUE(ui::GlobalManager::GetFontInfo(std::to_wstring(fontsBefore), &font));
  EXPECT_EQ(font.size, 20);
  EXPECT_TRUE(font.bold);
  LOGFONTW logFont = {};
  ::GetObjectW(font.font, sizeof(logFont), &logFont);
  EXPECT_EQ(logFont.lfHeight, -20);
  EXPECT_GE(logFont.lfWeight, FW_BOLD);
  ASSERT_TRUE(ui::GlobalManager::GetFontInfo(L"gt_title", &font));
  EXPECT_EQ(font.faceName, L"Tahoma");  // The first font of an id stays...
  EXPECT_TRUE(font.italic);
  EXPECT_EQ(ui::GlobalManager::GetDefaultFontId(), L"gt_title");  // ...but "default" still counts.
  EXPECT_FALSE(ui::GlobalManager::GetFontInfo(L"gt_nameless", &font));

  EXPECT_EQ(ui::GlobalManager::GetTextColor(L"gt_red"), 0x80102030u);
  EXPECT_EQ(ui::GlobalManager::GetDefaultTextColor(), L"gt_text");
  EXPECT_EQ(ui::GlobalManager::GetClassAttributes(L"gt_class"), L"width=\"12\"");
  EXPECT_EQ(window.GetClassAttributes(L"gt_class"), L"");

  ui::GlobalManager::SetDefaultFontId(uitest::kTestFontId);
  ui::GlobalManager::SetDefaultTextColor(defaultColor);
}

TEST(BuilderTest, GlobalXmlIsLoadedAtStartupAndItsApplicationFactoryComesBeforeTheCallback) {
  const std::wstring resourcePath = ui::GlobalManager::GetResourcePath();
  uitest::TempDir root;
  ASSERT_TRUE(::CreateDirectoryW(root.File(L"themes").c_str(), nullptr));
  ASSERT_TRUE(::CreateDirectoryW(root.File(L"themes\\default").c_str(), nullptr));
  ASSERT_TRUE(uitest::WriteFileBytes(
      root.File(L"themes\\default\\global.xml"),
      "\xEF\xBB\xBF<Global disabledfontcolor=\"gx_disabled\">\n"
      "  <Font id=\"gx_font\" name=\"system\" size=\"16\"/>\n"
      "  <TextColor name=\"gx_blue\" value=\"#FF0000FF\"/>\n"
      "  <Class name=\"gx_wide\" width=\"333\"/>\n"
      "  <AppControl name=\"stray\"/>\n"
      "</Global>\n"));
  std::atomic<int> appMade{0};
  ui::GlobalManager::Startup(root.path(), [&appMade](const std::wstring& name) -> Control* {
    if (name != L"AppControl") return nullptr;
    ++appMade;
    return new Counted();
  }, false, L"themes\\default", L"lang\\none");

  ui::FontInfo font;
  ASSERT_TRUE(ui::GlobalManager::GetFontInfo(L"gx_font", &font));
  EXPECT_EQ(font.faceName, L"\u5FAE\u8F6F\u96C5\u9ED1");  // "system" on Vista and later.
  EXPECT_EQ(ui::GlobalManager::GetTextColor(L"gx_blue"), 0xFF0000FFu);
  EXPECT_EQ(ui::GlobalManager::GetClassAttributes(L"gx_wide"), L"width=\"333\"");
  EXPECT_EQ(appMade, 1);  // A control in "global.xml" is made for nobody and deleted.
  EXPECT_EQ(Counted::live, 0);
  ui::Label label;  // Made after start-up: the new default disabled colour.
  EXPECT_EQ(label.GetStateTextColor(ui::kControlStateDisabled), L"gx_disabled");

  bool callbackAsked = false;
  Built built(L"<Window><VBox><AppControl name=\"app\" class=\"gx_wide\"/></VBox></Window>",
              [&callbackAsked](const std::wstring&) -> Control* {
                callbackAsked = true;
                return nullptr;
              });
  Control* app = built.window.FindControl(L"app");
  ASSERT_NE(As<Counted>(app), nullptr);
  EXPECT_EQ(app->GetFixedWidth(), 333);
  EXPECT_EQ(appMade, 2);
  EXPECT_FALSE(callbackAsked);

  ui::GlobalManager::Startup(root.path(), nullptr, false, L"themes\\default", L"lang\\none");
  ui::GlobalManager::SetDefaultDisabledTextColor(L"textdefaultdisablecolor");
  ui::GlobalManager::SetResourcePath(resourcePath);
}

// ----- Includes and limits -------------------------------------------------------------------

std::string Utf8(const std::wstring& wide) {
  std::string utf8;
  for (wchar_t c : wide) utf8.push_back(static_cast<char>(c));  // ASCII paths only.
  return utf8;
}

TEST(BuilderTest, IncludeBuildsAFileIntoTheCurrentParentCountTimes) {
  uitest::TempDir dir;
  ASSERT_TRUE(uitest::WriteFileBytes(
      dir.File(L"item.xml"),
      "<Window><Class name=\"inc\" height=\"7\"/><Button class=\"inc\"/></Window>"));
  const std::wstring item = dir.File(L"item.xml");
  Built built(L"<Window><VBox name=\"list\">"
              L"<Include source=\"" + item + L"\" count=\"3\"/>"
              L"<Include source=\"" + item + L"\" count=\"0\"/>"
              L"<Include count=\"2\"/>"
              L"<Include source=\"missing.xml\"/>"
              L"</VBox><Include source=\"" + item + L"\"/></Window>");
  auto* list = As<Box>(built.window.FindControl(L"list"));
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->GetCount(), 3);
  EXPECT_EQ(list->GetItemAt(2)->GetFixedHeight(), 7);  // The included file's own class.
  EXPECT_EQ(built.parent->GetCount(), 2);  // A top-level include joins the parent too...
  EXPECT_EQ(built.result, list);          // ...but is not this level's result.
}

// Depth of the chain of first children below control.
int ChainDepth(Control* control) {
  int depth = 0;
  while (auto* box = As<Box>(control)) {
    ++depth;
    control = box->GetItemAt(0);
  }
  return depth;
}

TEST(BuilderTest, AFileThatIncludesItselfEnds) {
  uitest::TempDir dir;
  const std::wstring nested = dir.File(L"nested.xml");
  ASSERT_TRUE(uitest::WriteFileBytes(
      nested, "<Window><Box><Include source=\"" + Utf8(nested) + "\"/></Box></Window>"));
  Built deep(L"<Window><Include source=\"" + nested + L"\"/></Window>");
  EXPECT_EQ(ChainDepth(deep.parent) - 1, WindowBuilder::kMaxIncludeDepth);

  // Three copies of itself on every level would be 3^16 files: the whole build stops at the
  // limit of included files.
  const std::wstring wide = dir.File(L"wide.xml");
  ASSERT_TRUE(uitest::WriteFileBytes(
      wide, "<Window><Counted/><Include source=\"" + Utf8(wide) + "\" count=\"3\"/></Window>"));
  {
    Built built(L"<Window><Include source=\"" + wide + L"\"/></Window>", MakeCounted());
    EXPECT_EQ(built.parent->GetCount(), WindowBuilder::kMaxIncludedDocuments);
    EXPECT_EQ(Counted::live, WindowBuilder::kMaxIncludedDocuments);
  }
  EXPECT_EQ(Counted::live, 0);

  // Without a parent nothing owns what an include makes.
  WindowBuilder builder;
  EXPECT_EQ(builder.Create((L"<Window><Include source=\"" + wide + L"\" count=\"1\"/></Window>")
                               .c_str(),
                           MakeCounted(), nullptr, nullptr),
            nullptr);
  EXPECT_EQ(Counted::live, 0);
}

TEST(BuilderTest, ControlsNestAsDeepAsOneDocumentMayIncludesCounted) {
  auto nestedBoxes = [](int depth, const std::string& inner) {
    std::string markup = "<Window>";
    for (int i = 0; i < depth; ++i) markup += "<Box>";
    markup += inner;
    for (int i = 0; i < depth; ++i) markup += "</Box>";
    return markup + "</Window>";
  };
  uitest::TempDir dir;
  const std::wstring inner = dir.File(L"inner.xml");
  ASSERT_TRUE(uitest::WriteFileBytes(inner, nestedBoxes(200, "")));
  ASSERT_TRUE(
      uitest::WriteFileBytes(dir.File(L"outer.xml"),
                             nestedBoxes(200, "<Include source=\"" + Utf8(inner) + "\"/>")));
  ui::Window window;
  WindowBuilder builder;
  std::unique_ptr<Control> root(
      builder.Create(dir.File(L"outer.xml").c_str(), nullptr, &window, nullptr));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(ChainDepth(root.get()), WindowBuilder::kMaxBuildDepth);
  EXPECT_EQ(WindowBuilder::kMaxBuildDepth, static_cast<int>(ui::MarkupDocument::kMaxNestingDepth));
}

TEST(BuilderTest, SourcesThatDoNotLoadGiveNothing) {
  WindowBuilder builder;
  EXPECT_EQ(builder.Create(L"<Window><Box></Window>", nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(builder.Create(L"no_such_file.xml", nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(builder.Create(MAKEINTRESOURCEW(101), nullptr, nullptr, nullptr), nullptr);
  EXPECT_EQ(builder.Create(L"<Window><Image/><Class name=\"x\"/></Window>", nullptr, nullptr,
                           nullptr),
            nullptr);
  // A resource identifier builds the document already held.
  std::unique_ptr<Control> first(
      builder.Create(L"<Window><Label name=\"a\"/></Window>", nullptr, nullptr, nullptr));
  ASSERT_NE(first, nullptr);
  std::unique_ptr<Control> again(builder.Create(nullptr, nullptr, nullptr, nullptr));
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(again->GetName(), L"a");
}

// ----- Events --------------------------------------------------------------------------------

TEST(BuilderTest, MarkupEventsApplyAttributesToTheirReceivers) {
  Built built(
      L"<Window><VBox name=\"panel\">"
      L"  <BubbledEvent type=\"select\" receiver=\"./inner\" "
      L"                applyattribute=\"visible=&quot;false&quot;\"/>"
      L"  <CheckBox name=\"go\">"
      L"    <Event type=\"select  click bogus\" receiver=\"target other\" "
      L"           applyattribute=\"text=&quot;selected&quot; width=&quot;90&quot;\"/>"
      L"    <BubbledEvent type=\"select\" receiver=\"target\" applyattribute=\"text=&quot;no&quot;\"/>"
      L"  </CheckBox>"
      L"  <Label name=\"inner\"/>"
      L"</VBox>"
      L"<Label name=\"target\" text=\"before\"/><Label name=\"other\"/></Window>");
  auto* go = As<ui::CheckBox>(built.window.FindControl(L"go"));
  auto* target = As<ui::Label>(built.window.FindControl(L"target"));
  auto* other = As<ui::Label>(built.window.FindControl(L"other"));
  Control* inner = built.window.FindControl(L"inner");
  ASSERT_TRUE(go && target && other && inner);

  go->SendEvent(ui::kEventClick);  // "click" is no markup event name: it registered nothing.
  EXPECT_EQ(target->GetText(), L"before");
  go->Activate();  // Selects it.
  EXPECT_EQ(target->GetText(), L"selected");
  EXPECT_EQ(target->GetFixedWidth(), 90);
  EXPECT_EQ(other->GetText(), L"selected");
  EXPECT_FALSE(inner->IsVisible());  // The event went on up to the panel.
}

// ----- Painting ------------------------------------------------------------------------------

TEST(BuilderTest, ASkinBuildsIntoATreeThatLaysOutAndPaints) {
  ui::GlobalManager::AddTextColor(L"bp_white", 0xFFFFFFFF);
  ui::GlobalManager::AddTextColor(L"bp_dark", 0xFF202830);
  ui::GlobalManager::AddTextColor(L"bp_blue", 0xFF2060E0);
  ui::GlobalManager::AddTextColor(L"bp_grey", 0xFFB0B8C0);
  ui::Window window;
  window.Init(nullptr);  // A render context to measure text with, no native window.
  WindowBuilder builder;
  ASSERT_TRUE(window.AttachRoot(builder.Create(
      L"<Window>"
      L"<Class name=\"opt\" width=\"100\" height=\"32\" normalcolor=\"bp_grey\" "
      L"selectednormalcolor=\"bp_blue\" normaltextcolor=\"bp_dark\" selectedtextcolor=\"bp_white\"/>"
      L"<VBox bkcolor=\"bp_white\" padding=\"10,10,10,10\" childmargin=\"10\">"
      L"  <Label name=\"title\" text=\"Video quality\" normaltextcolor=\"bp_dark\" height=\"24\"/>"
      L"  <HBox height=\"32\" childmargin=\"10\">"
      L"    <Option name=\"hd\" class=\"opt\" group=\"quality\" text=\"HD\"/>"
      L"    <Option name=\"sd\" class=\"opt\" group=\"quality\" text=\"SD\" selected=\"true\"/>"
      L"    <Option name=\"auto\" class=\"opt\" group=\"quality\" text=\"Auto\"/>"
      L"  </HBox>"
      L"  <CheckBox name=\"voice\" text=\"Voice\" width=\"120\" height=\"28\" "
      L"            normalcolor=\"bp_grey\" selectednormalcolor=\"bp_blue\" selected=\"true\" "
      L"            selectedtextcolor=\"bp_white\"/>"
      L"  <Button name=\"ok\" text=\"OK\" width=\"80\" height=\"30\" normalcolor=\"bp_dark\" "
      L"          normaltextcolor=\"bp_white\" halign=\"right\"/>"
      L"</VBox></Window>",
      nullptr, &window, nullptr)));
  window.ArrangeRoot(RECT{0, 0, 360, 200});
  auto canvas = uitest::MakeCanvas(360, 200);
  window.GetRoot()->PaintWithClip(canvas.get(), RECT{0, 0, 360, 200});
  uitest::SaveContextPng(canvas.get(), L"builder_skin.png");  // Beside the test, to look at.

  auto centre = [&window](const wchar_t* name) {
    const RECT pos = window.FindControl(name)->GetPos();
    return POINT{pos.left + 3, (pos.top + pos.bottom) / 2};
  };
  auto rgbAt = [&canvas](POINT point) { return uitest::RgbAt(canvas.get(), point.x, point.y); };
  EXPECT_EQ(rgbAt(POINT{3, 3}), 0xFFFFFFu);
  EXPECT_EQ(rgbAt(centre(L"hd")), 0xB0B8C0u);
  EXPECT_EQ(rgbAt(centre(L"sd")), 0x2060E0u);  // The selected option of the group.
  EXPECT_EQ(rgbAt(centre(L"auto")), 0xB0B8C0u);
  EXPECT_EQ(rgbAt(centre(L"voice")), 0x2060E0u);
  const RECT ok = window.FindControl(L"ok")->GetPos();
  EXPECT_EQ(ok.right, 350);  // Right-aligned inside the padding.
  EXPECT_EQ(rgbAt(POINT{ok.left + 2, ok.top + 2}), 0x202830u);
  const RECT title = window.FindControl(L"title")->GetPos();
  EXPECT_GT(CountNotWhite(canvas.get(), title), 20);  // Its text was drawn.
}

// ----- Threads -------------------------------------------------------------------------------

class Tagged : public Control {
 public:
  explicit Tagged(int tag) : tag(tag) {}
  const int tag;
};

Control* FindWrongTag(Control* control, void* tag) {
  auto* tagged = dynamic_cast<Tagged*>(control);
  return tagged && tagged->tag != *static_cast<int*>(tag) ? control : nullptr;
}

TEST(BuilderTest, ACachedBuilderBuildsOnSeveralThreadsWithTheirOwnCallbacks) {
  auto cached = std::make_shared<WindowBuilder>();
  std::unique_ptr<Control> first(cached->Create(
      L"<Window><Class name=\"cls\" height=\"9\"/><VBox>"
      L"<Tagged/><HBox><Tagged class=\"cls\"/><Option group=\"g\"/><Option group=\"g\"/></HBox>"
      L"<Tagged/></VBox></Window>",
      nullptr, nullptr, nullptr));
  ASSERT_NE(first, nullptr);  // Tagged is unknown without a callback: skipped.
  ASSERT_EQ(ui::GlobalManager::SetTemplateCacheEntry(L"builder_test_tagged", cached), cached);

  constexpr int kThreads = 4;
  constexpr int kRounds = 150;
  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      std::shared_ptr<WindowBuilder> builder =
          ui::GlobalManager::GetTemplateCacheEntry(L"builder_test_tagged");
      const DWORD thread = ::GetCurrentThreadId();
      for (int round = 0; round < kRounds; ++round) {
        ui::Window window;
        int made = 0;
        std::unique_ptr<Control> root(builder->Build(
            [t, thread, &made, &failures](const std::wstring& name) -> Control* {
              if (::GetCurrentThreadId() != thread) ++failures;
              if (name != L"Tagged") return nullptr;
              ++made;
              return new Tagged(t);
            },
            &window, nullptr));
        int tag = t;
        if (!root || made != 3 || root->FindControl(&FindWrongTag, &tag, ui::kFindAll))
          ++failures;
        if (window.GetClassAttributes(L"cls") != L"height=\"9\"") ++failures;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
}

}  // namespace
