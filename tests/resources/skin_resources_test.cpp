// The resource folder beside the program, as the build assembles it: every markup file parses and
// speaks only the window builder's vocabulary; every font, colour, class and text id it names is
// defined; both phone skins hold the controls the phone window looks up, with their classes; and
// every image that the skins or the window code name exists, decodes, and has the size it is
// drawn at.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/module/module_win.h"
#include "ui/core/global_manager.h"
#include "ui/core/image.h"
#include "ui/core/image_attribute.h"
#include "ui/core/language_strings.h"
#include "ui/core/markup.h"
#include "ui/core/number_list.h"

namespace {

using Attributes = std::vector<std::pair<std::wstring, std::wstring>>;
using NameSet = std::set<std::wstring>;

// The skins' images are named from the window's skin folder.
const wchar_t kSkinFolder[] = L"fernhold\\";
const wchar_t* const kSkins[] = {L"fernhold\\cloud_phone_light.xml",
                                 L"fernhold\\cloud_phone_dark.xml"};

// Images the phone window sets from code: the combo frames, the keyboard and pin states, and the
// window's default shadow.
const wchar_t* const kCodeImages[] = {
    L"file='../public/combo/combo_light_normal.png' corner='4,4,4,4'",
    L"file='../public/combo/combo_light_hover.png' corner='4,4,4,4'",
    L"file='../public/combo/combo_dark_normal.png' corner='4,4,4,4'",
    L"file='../public/combo/combo_dark_hover.png' corner='4,4,4,4'",
    L"file='../public/button/toolbar/toolbar_keyboard_hovered_light.png' dest='11,12,33,34'",
    L"file='../public/button/toolbar/toolbar_keyboard_hovered.png' dest='11,12,33,34'",
    L"file='../public/button/toolbar/toolbar_keyboard_normal.png' dest='11,12,33,34'",
    L"file='../public/button/toolbar/toolbar_pin_active_light.png'",
    L"file='../public/button/toolbar/toolbar_pin_active.png'",
    L"file='../public/button/toolbar/toolbar_pin_normal.png'",
    L"file='../public/button/toolbar/toolbar_pin_hover.png'",
    L"file='../public/bk/bk_shadow.png' corner='30,30,30,30'",
};

// --- The builder's vocabulary ------------------------------------------------------------------

const NameSet kControlAttributes = {
    L"class", L"halign", L"valign", L"margin", L"bkcolor", L"bkcolor1", L"bordersize",
    L"borderround", L"width", L"height", L"maxwidth", L"maxheight", L"minwidth", L"minheight",
    L"state", L"cursortype", L"renderoffset", L"normalcolor", L"hotcolor", L"pushedcolor",
    L"disabledcolor", L"bordercolor", L"leftbordersize", L"topbordersize", L"rightbordersize",
    L"bottombordersize", L"bkimage", L"name", L"tooltiptext", L"tooltiptextid", L"dataid",
    L"enabled", L"mouse", L"keyboard", L"visible", L"fadevisible", L"float", L"menu", L"cache",
    L"nofocus", L"alpha", L"normalimage", L"hotimage", L"pushedimage", L"disabledimage",
    L"forenormalimage", L"forehotimage", L"forepushedimage", L"foredisabledimage", L"fadealpha",
    L"fadehot", L"fadewidth", L"fadeheight", L"fadeinoutxfromleft", L"fadeinoutxfromright",
    L"fadeinoutyfromtop", L"fadeinoutyfrombottom", L"receivepointer"};
const NameSet kBoxAttributes = {L"padding", L"childmargin", L"mousechild"};
const NameSet kTileAttributes = {L"itemsize", L"columns"};
const NameSet kLabelAttributes = {
    L"align", L"endellipsis", L"linelimit", L"singleline", L"text", L"textid", L"font",
    L"normaltextcolor", L"hottextcolor", L"pushedtextcolor", L"disabledtextcolor", L"textpadding"};
const NameSet kListItemAttributes = {
    L"selected", L"selectednormalimage", L"selectedhotimage", L"selectedpushedimage",
    L"selecteddisabledimage", L"selectedforenormalimage", L"selectedforehotimage",
    L"selectedforepushedimage", L"selectedforedisabledimage", L"selectedtextcolor",
    L"selectednormalcolor", L"selectedhotcolor", L"selectedpushedcolor", L"selecteddisabledcolor",
    L"group"};
const NameSet kComboAttributes = {L"dropbox", L"vscrollbar", L"dropboxsize", L"popuptop"};
const NameSet kWindowAttributes = {
    L"size", L"heightpercent", L"sizebox", L"caption", L"textid", L"roundcorner", L"mininfo",
    L"maxinfo", L"shadowattached", L"shadowimage", L"shadowcorner", L"alphafixcorner",
    L"custom_shadow"};
const NameSet kGlobalAttributes = {L"defaultfontcolor", L"disabledfontcolor", L"linkfontcolor",
                                   L"linkhoverfontcolor", L"selectedcolor"};

NameSet Join(std::initializer_list<const NameSet*> sets) {
  NameSet all;
  for (const NameSet* set : sets) all.insert(set->begin(), set->end());
  return all;
}

// The attributes a control element of the given markup class takes; empty for an unknown class.
NameSet AttributesOf(const std::wstring& element) {
  if (element == L"Control") return kControlAttributes;
  if (element == L"Box" || element == L"HBox" || element == L"VBox" || element == L"DuiVideoView")
    return Join({&kControlAttributes, &kBoxAttributes});
  if (element == L"TileBox") return Join({&kControlAttributes, &kBoxAttributes, &kTileAttributes});
  if (element == L"Label" || element == L"Button")
    return Join({&kControlAttributes, &kLabelAttributes});
  if (element == L"Combo") return Join({&kControlAttributes, &kBoxAttributes, &kComboAttributes});
  if (element == L"ListContainerElement")
    return Join({&kControlAttributes, &kBoxAttributes, &kLabelAttributes, &kListItemAttributes});
  return {};
}

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

bool IsColorAttribute(const std::wstring& name) {
  return EndsWith(name, L"color") || name == L"bkcolor1";
}

bool IsImageAttribute(const std::wstring& name) { return EndsWith(name, L"image"); }

// Reads an attribute list the way a control applies one: name="value" pairs joined by single
// blanks. False when the text deviates anywhere, since the control would stop reading there.
bool ReadAttributeList(const std::wstring& text, Attributes* out) {
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t equals = text.find(L'=', pos);
    if (equals == std::wstring::npos || equals + 1 >= text.size() || text[equals + 1] != L'"')
      return false;
    const size_t close = text.find(L'"', equals + 2);
    if (close == std::wstring::npos) return false;
    out->emplace_back(text.substr(pos, equals - pos), text.substr(equals + 2, close - equals - 2));
    pos = close + 1;
    if (pos == text.size()) break;
    if (text[pos] != L' ' || pos + 1 == text.size()) return false;
    ++pos;
  }
  return true;
}

Attributes AttributesOfNode(ui::MarkupNode node) {
  Attributes list;
  for (int i = 0; i < node.GetAttributeCount(); ++i)
    list.emplace_back(node.GetAttributeName(i), node.GetAttributeValue(i));
  return list;
}

// --- Resources of the theme --------------------------------------------------------------------

struct Theme {
  NameSet fonts;
  NameSet colors;
  std::map<std::wstring, Attributes> classes;
};

class SkinResourcesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ui::GlobalManager::Startup(nbase::GetModuleDirectory() + L"resources\\", nullptr, false,
                               L"themes\\default", L"lang\\zh_CN");
  }
  static void TearDownTestSuite() { ui::GlobalManager::Shutdown(); }

  static ui::MarkupNode Load(ui::MarkupDocument& doc, const std::wstring& file) {
    EXPECT_TRUE(doc.LoadFromFile(file))
        << file << ": " << doc.GetLastErrorMessage();
    return doc.GetRoot();
  }

  // Registers the fonts, colours and classes of global.xml the way the builder does, checking
  // each element on the way.
  static Theme ReadTheme() {
    Theme theme;
    ui::MarkupDocument doc;
    ui::MarkupNode root = Load(doc, L"global.xml");
    if (!root.IsValid()) return theme;
    EXPECT_STREQ(root.GetName(), L"Global");
    for (const auto& [name, value] : AttributesOfNode(root))
      EXPECT_TRUE(kGlobalAttributes.count(name)) << "Global attribute " << name;
    for (ui::MarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
      const std::wstring element = node.GetName();
      const Attributes attributes = AttributesOfNode(node);
      std::map<std::wstring, std::wstring> byName(attributes.begin(), attributes.end());
      if (element == L"Font") {
        for (const auto& [name, value] : attributes)
          EXPECT_TRUE(NameSet({L"id", L"name", L"size", L"bold", L"underline", L"italic",
                               L"default"}).count(name))
              << "Font attribute " << name;
        EXPECT_FALSE(byName[L"id"].empty() || byName[L"name"].empty());
        theme.fonts.insert(byName[L"id"]);
      } else if (element == L"TextColor") {
        const std::wstring& value = byName[L"value"];
        EXPECT_TRUE(value.size() == 9 && value[0] == L'#' &&
                    value.find_first_not_of(L"0123456789ABCDEFabcdef", 1) == std::wstring::npos)
            << "colour " << byName[L"name"] << " = " << value;
        theme.colors.insert(byName[L"name"]);
      } else if (element == L"Class") {
        // The builder joins the attributes as name="value" pairs; a value holding a double quote
        // would end the list there.
        std::wstring text;
        for (const auto& [name, value] : attributes)
          if (name != L"name") text += L" " + name + L"=\"" + value + L"\"";
        Attributes list;
        EXPECT_TRUE(!text.empty() && ReadAttributeList(text.substr(1), &list)) << text;
        theme.classes[byName[L"name"]] = list;
      } else {
        ADD_FAILURE() << "global.xml holds a " << element;
      }
    }
    return theme;
  }
};

// Checks one control's attributes (its classes' first, at their place) against the vocabulary of
// its markup class and the theme, and collects the effective values by name.
class ControlChecker {
 public:
  explicit ControlChecker(const Theme& theme) : theme_(theme) {}

  std::map<std::wstring, std::wstring> Check(const std::wstring& element,
                                             const Attributes& attributes) {
    const NameSet allowed = AttributesOf(element);
    EXPECT_FALSE(allowed.empty()) << "unknown control class " << element;
    std::map<std::wstring, std::wstring> effective;
    for (const auto& [name, value] : attributes) {
      if (name == L"class") {
        for (size_t start = 0; start < value.size();) {
          size_t end = value.find(L' ', start);
          if (end == std::wstring::npos) end = value.size();
          const auto it = theme_.classes.find(value.substr(start, end - start));
          if (it == theme_.classes.end()) {
            ADD_FAILURE() << "undefined class " << value;
          } else {
            for (const auto& [n, v] : it->second) CheckOne(element, allowed, n, v, &effective);
          }
          start = end + 1;
        }
      } else {
        CheckOne(element, allowed, name, value, &effective);
      }
    }
    return effective;
  }

 private:
  void CheckOne(const std::wstring& element, const NameSet& allowed, const std::wstring& name,
                const std::wstring& value, std::map<std::wstring, std::wstring>* effective) {
    EXPECT_TRUE(allowed.count(name)) << element << " has no attribute " << name;
    if (IsColorAttribute(name)) {
      EXPECT_TRUE(theme_.colors.count(value)) << name << ": undefined colour " << value;
    }
    if (name == L"font") {
      EXPECT_TRUE(theme_.fonts.count(value)) << "undefined font " << value;
    }
    if (name == L"tooltiptextid" || name == L"textid") {
      EXPECT_FALSE(ui::LanguageStringTable::GetInstance()->GetStringById(value).empty())
          << "no text for " << value;
    }
    if (name == L"dropbox") {
      Attributes list;
      EXPECT_TRUE(ReadAttributeList(value, &list)) << value;
      ControlChecker(theme_).Check(L"VBox", list);
    }
    (*effective)[name] = value;
  }

  const Theme& theme_;
};

// Resolves and decodes one image attribute string as a control of the skin folder would.
// Returns the decoded size, or (0, 0) after a failure.
SIZE CheckImage(const std::wstring& imageString) {
  ui::ImageAttribute attribute;
  attribute.SetImageString(imageString);
  const std::wstring path = ui::ResolveImagePath(attribute.file, kSkinFolder);
  std::unique_ptr<ui::ImageInfo> info = ui::ImageInfo::LoadFromFile(path);
  EXPECT_TRUE(info) << "cannot load " << path;
  if (!info) return SIZE{0, 0};
  const SIZE size{info->GetWidth(), info->GetHeight()};
  if (attribute.HasDest()) {
    // Drawn 1:1 at 100 %: a stretched glyph would blur.
    EXPECT_EQ(size.cx, attribute.dest.right - attribute.dest.left) << imageString;
    EXPECT_EQ(size.cy, attribute.dest.bottom - attribute.dest.top) << imageString;
  }
  // A nine-grid needs a middle to stretch.
  EXPECT_LT(attribute.corner.left + attribute.corner.right, size.cx) << imageString;
  EXPECT_LT(attribute.corner.top + attribute.corner.bottom, size.cy) << imageString;
  return size;
}

// --- Tests --------------------------------------------------------------------------------------

TEST_F(SkinResourcesTest, ThemeDefinesWhatTheWindowCodeNeeds) {
  const Theme theme = ReadTheme();
  EXPECT_TRUE(theme.fonts.count(L"system_12"));
  EXPECT_TRUE(theme.colors.count(L"textdefaultcolor"));
  // The window gives the quality rows these classes; check them as list items.
  for (const wchar_t* listItem : {L"listitem_light", L"listitem"}) {
    ASSERT_TRUE(theme.classes.count(listItem)) << listItem;
    ControlChecker(theme).Check(L"ListContainerElement", {{L"class", listItem}});
  }
  for (const wchar_t* image : kCodeImages) CheckImage(image);
}

TEST_F(SkinResourcesTest, PhoneSkinsHoldTheNamedControlsAndValidResources) {
  const Theme theme = ReadTheme();
  const std::map<std::wstring, std::wstring> expected = {
      {L"video_view", L"DuiVideoView"}, {L"lb_title", L"Label"},
      {L"btn_back", L"Button"},         {L"btn_home", L"Button"},
      {L"btn_menu", L"Button"},         {L"btn_screenshot", L"Button"},
      {L"btn_rotation", L"Button"},     {L"btn_camera", L"Button"},
      {L"btn_volume_up", L"Button"},    {L"btn_volume_down", L"Button"},
      {L"btn_qrcode", L"Button"},       {L"btn_keyboard", L"Button"},
      {L"btn_pin", L"Button"},          {L"btn_restart", L"Button"},
      {L"btn_quality", L"Button"},      {L"combo_pic_quality", L"Combo"}};

  for (const wchar_t* skin : kSkins) {
    SCOPED_TRACE(skin);
    ui::MarkupDocument doc;
    ui::MarkupNode root = Load(doc, skin);
    ASSERT_TRUE(root.IsValid());
    ASSERT_STREQ(root.GetName(), L"Window");
    std::map<std::wstring, std::wstring> window;
    for (const auto& [name, value] : AttributesOfNode(root)) {
      EXPECT_TRUE(kWindowAttributes.count(name)) << "Window attribute " << name;
      window[name] = value;
    }
    EXPECT_EQ(window[L"shadowattached"], L"true");
    POINT size = ui::ReadPoint(window[L"size"].c_str());
    EXPECT_TRUE(size.x > 0 && size.y > 0);

    // Walk the controls depth first. Classes live in global.xml, so every element below the root
    // is a control.
    std::map<std::wstring, std::wstring> found;  // name -> markup class
    ControlChecker checker(theme);
    std::vector<ui::MarkupNode> pending = {root.GetChild()};
    while (!pending.empty()) {
      ui::MarkupNode node = pending.back();
      pending.pop_back();
      if (!node.IsValid()) continue;
      pending.push_back(node.GetSibling());
      pending.push_back(node.GetChild());
      const std::wstring element = node.GetName();
      auto attributes = checker.Check(element, AttributesOfNode(node));
      if (!attributes[L"name"].empty()) {
        EXPECT_TRUE(found.emplace(attributes[L"name"], element).second)
            << "two controls named " << attributes[L"name"];
      }
      for (const auto& [name, value] : attributes) {
        if (!IsImageAttribute(name)) continue;
        const SIZE image = CheckImage(value);
        ui::ImageAttribute parsed;
        parsed.SetImageString(value);
        // An image without dest or corner is stretched over the control: it must match it.
        const POINT box{_wtoi(attributes[L"width"].c_str()), _wtoi(attributes[L"height"].c_str())};
        if (!parsed.HasDest() && parsed.corner.left == 0 && box.x > 0 && box.y > 0 && image.cx > 0) {
          EXPECT_EQ(image.cx, box.x) << value;
          EXPECT_EQ(image.cy, box.y) << value;
        }
      }
    }
    for (const auto& [name, element] : expected) {
      const auto it = found.find(name);
      if (it == found.end())
        ADD_FAILURE() << "no control " << name;
      else
        EXPECT_EQ(it->second, element) << name;
    }
  }
}

}  // namespace
