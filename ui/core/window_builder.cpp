#include "ui/core/window_builder.h"

#include <algorithm>
#include <cwchar>

#include "ui/core/box.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/number_list.h"
#include "ui/core/string_helper.h"
#include "ui/core/win_version.h"
#include "ui/core/window.h"

namespace ui {

struct WindowBuilder::BuildContext {
  CreateControlCallback callback;
  int includeDepth = 0;       // Included files open around this point.
  int includedDocuments = 0;  // Included files opened by the whole call.
};

namespace {

// "Include" reads at most this many characters of "source" and "count".
constexpr size_t kMaxIncludeText = 499;

bool Is(const wchar_t* name, const wchar_t* expected) {
  return name && std::wcscmp(name, expected) == 0;
}

// Resource elements: registered with the root, never controls.
bool IsResourceElement(const wchar_t* name) {
  return Is(name, L"Image") || Is(name, L"Font") || Is(name, L"Class") || Is(name, L"TextColor");
}

std::wstring AttributeOf(MarkupNode& node, const wchar_t* name) {
  const wchar_t* value = node.GetAttributeValue(name);
  return value ? std::wstring(value) : std::wstring();
}

bool IsTrue(const wchar_t* value) { return Is(value, L"true"); }

// The event type of a markup event name; names it does not know give kEventNone.
int EventTypeFromName(const std::wstring& name) {
  static const struct {
    const wchar_t* name;
    EventType type;
  } kNames[] = {
      {L"all", kEventAll},           {L"keydown", kEventKeyDown},
      {L"keyup", kEventKeyUp},       {L"char", kEventChar},
      {L"syskey", kEventSystemKey},  {L"setfocus", kEventSetFocus},
      {L"killfocus", kEventKillFocus}, {L"setcursor", kEventSetCursor},
      {L"windowclose", kEventWindowClose}, {L"mousemove", kEventMouseMove},
      {L"mouseenter", kEventMouseEnter}, {L"mouseleave", kEventMouseLeave},
      {L"mousehover", kEventMouseHover}, {L"buttondown", kEventButtonDown},
      {L"buttonup", kEventButtonUp}, {L"rbuttondown", kEventRButtonDown},
      {L"doubleclick", kEventDoubleClick}, {L"select", kEventSelect},
      {L"unselect", kEventUnSelect}, {L"menu", kEventMenu},
      {L"scrollwheel", kEventScrollWheel}, {L"scrollchange", kEventScrollChange},
      {L"valuechange", kEventValueChange}, {L"return", kEventReturn},
      {L"tab", kEventTab},
  };
  for (const auto& entry : kNames)
    if (name == entry.name) return entry.type;
  return kEventNone;
}

// ----- Resources -----------------------------------------------------------------------------

void RegisterFont(MarkupNode& node) {
  std::wstring id = AttributeOf(node, L"id");
  if (!node.GetAttributeValue(L"id")) id = std::to_wstring(GlobalManager::GetFontCount());
  std::wstring faceName = AttributeOf(node, L"name");
  if (!node.GetAttributeValue(L"name")) return;
  if (faceName == L"system")
    faceName = IsWindowsVistaOrGreater() ? L"\u5FAE\u8F6F\u96C5\u9ED1" : L"\u65B0\u5B8B\u4F53";
  int size = 12;
  if (const wchar_t* value = node.GetAttributeValue(L"size"))
    size = static_cast<int>(std::wcstol(value, nullptr, 10));
  const bool bold = IsTrue(node.GetAttributeValue(L"bold"));
  const bool underline = IsTrue(node.GetAttributeValue(L"underline"));
  const bool italic = IsTrue(node.GetAttributeValue(L"italic"));
  const bool isDefault = IsTrue(node.GetAttributeValue(L"default"));

  LOGFONTW logFont = {};
  ::GetObjectW(::GetStockObject(DEFAULT_GUI_FONT), sizeof(logFont), &logFont);
  const size_t length = std::min(faceName.size(), size_t{LF_FACESIZE - 1});
  std::copy_n(faceName.c_str(), length, logFont.lfFaceName);
  logFont.lfFaceName[length] = L'\0';
  logFont.lfCharSet = DEFAULT_CHARSET;
  DpiManager* dpi = DpiManager::GetInstance();
  if (dpi->IsAdaptDPI() && dpi->GetScale() != 100) size = ::MulDiv(size, dpi->GetScale(), 100);
  logFont.lfHeight = -size;
  if (bold) logFont.lfWeight += FW_BOLD;
  if (underline) logFont.lfUnderline = TRUE;
  if (italic) logFont.lfItalic = TRUE;
  HFONT font = ::CreateFontIndirectW(&logFont);
  if (!font) return;

  FontInfo info;
  info.font = font;
  info.faceName = logFont.lfFaceName;
  info.size = size;
  info.bold = bold;
  info.underline = underline;
  info.italic = italic;
  GlobalManager::AddFont(id, info);  // Takes the font; the first font of an id stays.
  if (isDefault) GlobalManager::SetDefaultFontId(id);
}

// Appends pairs (one or more name="value" pairs) to an attribute list, one blank apart, so that
// the list reads as one wherever the pairs stand.
void AppendPairs(std::wstring pairs, std::wstring* list) {
  StringHelper::Trim(pairs);
  if (pairs.empty()) return;
  if (!list->empty()) *list += L' ';
  *list += pairs;
}

// The attribute-list text of a "Class" element; false when it has no name.
bool ReadClass(MarkupNode& node, std::wstring* name, std::wstring* list) {
  if (!node.GetAttributeValue(L"name")) return false;
  *name = AttributeOf(node, L"name");
  list->clear();
  for (int i = 0; i < node.GetAttributeCount(); ++i) {
    const std::wstring key = node.GetAttributeName(i);
    const std::wstring value = node.GetAttributeValue(i);
    if (key == L"name") continue;
    if (key == L"value")
      AppendPairs(value, list);
    else if (key == L"_value")
      AppendPairs(StringHelper::Printf(L"value=\"%ls\"", value.c_str()), list);
    else
      AppendPairs(StringHelper::Printf(L"%ls=\"%ls\"", key.c_str(), value.c_str()), list);
  }
  return true;
}

void RegisterTextColor(MarkupNode& node) {
  const std::wstring name = AttributeOf(node, L"name");
  const std::wstring value = AttributeOf(node, L"value");
  if (name.empty() || value.empty()) return;
  const DWORD argb = std::wcstoul(value.c_str() + 1, nullptr, 16);
  GlobalManager::AddTextColor(name, argb);
}

void ApplyGlobalRoot(MarkupNode& root) {
  for (int i = 0; i < root.GetAttributeCount(); ++i) {
    const std::wstring name = root.GetAttributeName(i);
    const std::wstring value = root.GetAttributeValue(i);
    if (name == L"defaultfontcolor")
      GlobalManager::SetDefaultTextColor(value);
    else if (name == L"disabledfontcolor")
      GlobalManager::SetDefaultDisabledTextColor(value);
    else if (name == L"linkfontcolor" || name == L"linkhoverfontcolor" || name == L"selectedcolor")
      GlobalManager::GetTextColor(value);  // Only makes sure the colour exists.
  }
  for (MarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    const wchar_t* name = node.GetName();
    std::wstring className;
    std::wstring list;
    if (Is(name, L"Font"))
      RegisterFont(node);
    else if (Is(name, L"TextColor"))
      RegisterTextColor(node);
    else if (Is(name, L"Class") && ReadClass(node, &className, &list))
      GlobalManager::AddClass(className, list);
  }
}

void ApplyWindowAttribute(Window* window, const std::wstring& name, const wchar_t* value) {
  if (name == L"size") {
    const SIZE size = ReadSize(value);
    window->SetInitSize(size.cx, size.cy, true);
  } else if (name == L"heightpercent") {
    window->SetHeightPercent(std::wcstod(value, nullptr));
  } else if (name == L"sizebox") {
    window->SetSizeBox(ReadRect(value));
  } else if (name == L"caption") {
    window->SetCaptionRect(ReadRect(value));
  } else if (name == L"textid") {
    window->SetTextId(value);
  } else if (name == L"roundcorner") {
    const SIZE corner = ReadSize(value);
    window->SetRoundCorner(corner.cx, corner.cy);
  } else if (name == L"mininfo") {
    const SIZE size = ReadSize(value);
    window->SetMinInfo(size.cx, size.cy);
  } else if (name == L"maxinfo") {
    const SIZE size = ReadSize(value);
    window->SetMaxInfo(size.cx, size.cy);
  } else if (name == L"shadowattached") {
    window->SetShadowAttached(IsTrue(value));
  } else if (name == L"shadowimage") {
    window->SetShadowImage(value);
  } else if (name == L"shadowcorner") {
    window->SetShadowCorner(ReadRect(value));
  } else if (name == L"alphafixcorner" || name == L"custom_shadow") {
    window->SetAlphaFixCorner(ReadRect(value));
  }
}

void ApplyWindowRoot(MarkupNode& root, Window* window) {
  if (window->GetHWND() && ::IsWindow(window->GetHWND())) {
    for (int i = 0; i < root.GetAttributeCount(); ++i)
      ApplyWindowAttribute(window, root.GetAttributeName(i), root.GetAttributeValue(i));
  }
  for (MarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    std::wstring className;
    std::wstring list;
    if (Is(node.GetName(), L"Class") && ReadClass(node, &className, &list))
      window->AddClass(className, list);
  }
}

// "Event" and "BubbledEvent": one markup handler per event type and receiver, on owner.
void RegisterEvents(MarkupNode& node, Control* owner, bool bubbled) {
  if (!owner) return;
  const std::vector<std::wstring> types = StringHelper::Split(AttributeOf(node, L"type"), L" ");
  const std::vector<std::wstring> receivers =
      StringHelper::Split(AttributeOf(node, L"receiver"), L" ");
  const std::wstring attributes = AttributeOf(node, L"applyattribute");
  Box* box = bubbled ? dynamic_cast<Box*>(owner) : nullptr;
  if (bubbled && !box) return;
  for (const std::wstring& typeName : types) {
    const int type = EventTypeFromName(typeName);
    for (const std::wstring& receiver : receivers) {
      EventCallback handler = MakeApplyAttributeHandler(owner, receiver, attributes);
      if (box)
        box->AttachMarkupBubbledEvent(type, std::move(handler));
      else
        owner->AttachMarkupEvent(type, std::move(handler));
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// WindowBuilder

Control* WindowBuilder::Create(const wchar_t* source, CreateControlCallback callback,
                               Window* window, Control* parent) {
  BuildContext context;
  context.callback = std::move(callback);
  return CreateWithContext(source, window, parent, 0, context);
}

Control* WindowBuilder::Build(CreateControlCallback callback, Window* window,
                              Control* parent) const {
  BuildContext context;
  context.callback = std::move(callback);
  return BuildWithContext(window, parent, 0, context);
}

Control* WindowBuilder::CreateWithContext(const wchar_t* source, Window* window, Control* parent,
                                          int depth, BuildContext& context) {
  if (!IS_INTRESOURCE(source)) {
    const bool loaded = source[0] == L'<' ? document_.LoadFromString(source)
                                          : document_.LoadFromFile(source);
    if (!loaded) {
      document_.Release();
      return nullptr;
    }
  }
  return BuildWithContext(window, parent, depth, context);
}

Control* WindowBuilder::BuildWithContext(Window* window, Control* parent, int depth,
                                         BuildContext& context) const {
  MarkupNode root = document_.GetRoot();
  if (!root.IsValid()) return nullptr;
  if (window) {
    if (Is(root.GetName(), L"Global"))
      ApplyGlobalRoot(root);
    else if (Is(root.GetName(), L"Window"))
      ApplyWindowRoot(root, window);
  }
  for (MarkupNode node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    if (IsResourceElement(node.GetName())) continue;
    return BuildChildren(root, parent, window, depth, context);
  }
  return nullptr;
}

Control* WindowBuilder::BuildChildren(MarkupNode node, Control* parent, Window* window, int depth,
                                      BuildContext& context) const {
  if (depth >= kMaxBuildDepth) return nullptr;
  Control* first = nullptr;
  for (MarkupNode child = node.GetChild(); child.IsValid(); child = child.GetSibling()) {
    const wchar_t* name = child.GetName();
    if (IsResourceElement(name)) continue;
    if (Is(name, L"Include")) {
      BuildInclude(child, parent, window, depth, context);
      continue;
    }
    if (Is(name, L"Event") || Is(name, L"BubbledEvent")) {
      RegisterEvents(child, parent, Is(name, L"BubbledEvent"));
      continue;
    }
    Control* control = MakeControl(name, context);
    if (!control) continue;  // Nobody makes it: skipped with its subtree.

    control->SetWindow(window);
    const std::weak_ptr<nbase::WeakFlag> alive = control->GetWeakFlag();
    for (int i = 0; i < child.GetAttributeCount() && !alive.expired(); ++i)
      control->SetAttribute(child.GetAttributeName(i), child.GetAttributeValue(i));
    if (alive.expired()) continue;
    if (child.HasChildren()) BuildChildren(child, control, window, depth + 1, context);

    if (parent) {
      Box* box = dynamic_cast<Box*>(parent);
      if (!box) {
        delete control;  // Nowhere to go: a control that is not a box has no children.
        return nullptr;
      }
      if (!box->Add(control)) {
        delete control;
        continue;
      }
    } else if (first) {
      delete control;  // Without a parent only the first top-level control is handed out.
      continue;
    }
    if (!first) first = control;
  }
  return first;
}

void WindowBuilder::BuildInclude(MarkupNode node, Control* parent, Window* window, int depth,
                                 BuildContext& context) const {
  const wchar_t* sourceValue = node.GetAttributeValue(L"source");
  if (!sourceValue) return;
  const std::wstring source(sourceValue, std::min(std::wcslen(sourceValue), kMaxIncludeText));
  long count = 1;
  if (const wchar_t* countValue = node.GetAttributeValue(L"count")) {
    const std::wstring text(countValue, std::min(std::wcslen(countValue), kMaxIncludeText));
    count = std::wcstol(text.c_str(), nullptr, 10);
  }
  if (source.empty() || context.includeDepth >= kMaxIncludeDepth) return;
  ++context.includeDepth;
  for (long i = 0; i < count && context.includedDocuments < kMaxIncludedDocuments; ++i) {
    ++context.includedDocuments;
    WindowBuilder included;
    Control* made = included.CreateWithContext(source.c_str(), window, parent, depth, context);
    // Nothing owns what an include makes without a parent: it is not this level's result.
    if (!parent) delete made;
  }
  --context.includeDepth;
}

Control* WindowBuilder::MakeControl(const std::wstring& className, const BuildContext& context) {
  if (Control* control = CreateControlByClass(className)) return control;
  if (Control* control = GlobalManager::CreateControl(className)) return control;
  return context.callback ? context.callback(className) : nullptr;
}

}  // namespace ui
