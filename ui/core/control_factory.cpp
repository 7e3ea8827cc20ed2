// The library's own controls by markup class name (ui::WindowBuilder::CreateControlByClass).
//
// One line per class: a control class joins the markup vocabulary by adding its name and maker
// to kClasses. Names are case-sensitive.
#include <cwchar>

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
#include "ui/core/stack_layout.h"
#include "ui/core/tile_layout.h"
#include "ui/core/window_builder.h"

namespace ui {

namespace {

template <typename C>
Control* Make() {
  return new C();
}

// A control made with a layout of its own.
template <typename C, typename L>
Control* MakeWith() {
  return new C(new L());
}

struct ControlClass {
  const wchar_t* name;
  Control* (*make)();
};

constexpr ControlClass kClasses[] = {
    {L"Control", &Make<Control>},
    {L"Box", &Make<Box>},
    {L"HBox", &Make<HBox>},
    {L"VBox", &Make<VBox>},
    {L"TileBox", &Make<TileBox>},
    {L"TabBox", &Make<TabBox>},
    {L"ChildBox", &Make<ChildBox>},
    {L"ListBox", &MakeWith<ListBox, Layout>},
    {L"HListBox", &MakeWith<ListBox, HLayout>},
    {L"VListBox", &MakeWith<ListBox, VLayout>},
    {L"TileListBox", &MakeWith<ListBox, TileLayout>},
    {L"VirtualListBox", &Make<VirtualListBox>},
    {L"TreeView", &Make<TreeView>},
    {L"TreeNode", &Make<TreeNode>},
    {L"ListContainerElement", &Make<ListContainerElement>},
    {L"Combo", &Make<Combo>},
    {L"Label", &Make<LabelTemplate<Control>>},
    {L"Button", &Make<ButtonTemplate<Control>>},
    {L"CheckBox", &Make<CheckBoxTemplate<Control>>},
    {L"Option", &Make<OptionTemplate<Control>>},
    {L"LabelBox", &Make<LabelTemplate<Box>>},
    {L"ButtonBox", &Make<ButtonTemplate<Box>>},
    {L"CheckBoxBox", &Make<CheckBoxTemplate<Box>>},
    {L"OptionBox", &Make<OptionTemplate<Box>>},
    {L"Progress", &Make<Progress>},
    {L"Slider", &Make<Slider>},
    {L"CircleProgress", &Make<CircleProgress>},
    {L"RichEdit", &Make<RichEdit>},
    {L"ScrollBar", &Make<ScrollBar>},
};

}  // namespace

Control* WindowBuilder::CreateControlByClass(const std::wstring& className) {
  for (const ControlClass& entry : kClasses)
    if (className == entry.name) return entry.make();
  return nullptr;
}

}  // namespace ui
