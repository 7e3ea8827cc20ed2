// IVirtualListProvider: the rows behind a ui::VirtualListBox.
//
// The user of a virtual list implements it: the list asks it for the item controls of its pool
// and to show one row's data in one of them, and never holds more controls than its pool,
// however many rows there are.
//
//   class Contacts : public ui::IVirtualListProvider {
//    public:
//     ui::Control* CreateElement() override {
//       auto* row = new ui::ListContainerElement();
//       row->SetFixedHeight(30);
//       return row;
//     }
//     void FillElement(ui::Control* control, int index) override {
//       static_cast<ui::ListContainerElement*>(control)->SetText(names_[index]);
//     }
//     int GetElementCount() override { return static_cast<int>(names_.size()); }
//    private:
//     std::vector<std::wstring> names_;
//   };
//
// Thread affinity: called on the thread of the list's window. The provider must outlive the list,
// or be replaced by null first.
#ifndef UI_CONTROLS_VIRTUAL_LIST_PROVIDER_H_
#define UI_CONTROLS_VIRTUAL_LIST_PROVIDER_H_

namespace ui {

class Control;

class IVirtualListProvider {
 public:
  virtual ~IVirtualListProvider() = default;

  // A new item control for the pool; the list owns it once it has added it. Null, or a control
  // the list cannot take (one that already has a parent), ends the filling of the pool there.
  virtual Control* CreateElement() = 0;
  // Shows row index's data in control, one of the controls CreateElement made.
  virtual void FillElement(Control* control, int index) = 0;
  // The number of rows; a negative count is taken as none.
  virtual int GetElementCount() = 0;
};

}  // namespace ui

#endif  // UI_CONTROLS_VIRTUAL_LIST_PROVIDER_H_
