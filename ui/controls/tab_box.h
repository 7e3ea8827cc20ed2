// TabBox: a box that shows one of its children, its pages, at a time.
//
// Every page is placed over the whole box (the plain layout). The selected page is shown: visible,
// mouse-enabled and opaque. Every other page is hidden: made invisible (through its fades, when
// it has any), or, with the fade switch on, left visible but fully transparent and mouse-deaf, so
// the layout keeps it while only the selected page paints and takes the mouse.
//
//   <TabBox selectedid="1" fadeswitch="false">
//     <Box name="general"/>
//     <Box name="network"/>      <!-- shown -->
//   </TabBox>
//
// The selection follows the pages as they come and go. A page that arrives visible while nothing
// is selected becomes the selection; every other page arrives hidden, so only one page is ever
// shown. Inserting before the selected page moves the selection along with it; removing the
// selected page selects and shows the first page left.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_TAB_BOX_H_
#define UI_CONTROLS_TAB_BOX_H_

#include <string>

#include "ui/core/box.h"

namespace ui {

class TabBox : public Box {
 public:
  TabBox();

  // ----- Overrides -----------------------------------------------------------------------------
  // "selectedid" (the selection's index, stored only: no page is shown or hidden by it) and
  // "fadeswitch"; everything else is the box's.
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  // The box's operations, then the selection rules above; false, with nothing changed, for what
  // the box refuses.
  bool Add(Control* page) override;
  bool AddAt(Control* page, int index) override;
  bool Remove(Control* page) override;
  bool RemoveAt(int index) override;
  void RemoveAll() override;

  // The selected page's index, -1 for none.
  int GetCurSel() const { return current_selection_; }
  bool IsFadeSwitch() const { return fade_switch_; }
  void SetFadeSwitch(bool fadeSwitch) { fade_switch_ = fadeSwitch; }

 private:
  // The page state of a selected (show) or unselected page.
  void ShowPage(Control* page, bool show);

  int current_selection_ = -1;
  bool fade_switch_ = false;
};

}  // namespace ui

#endif  // UI_CONTROLS_TAB_BOX_H_
