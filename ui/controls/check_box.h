// CheckBoxTemplate: a button with a selected state.
//
// Activating a check box flips its selection; with events asked for, the window sends it
// kEventSelect or kEventUnSelect. While selected it paints its selected look in place of the
// normal one: the selected state colours, the selected (and selected foreground) state images and
// the selected text colour.
//
//   auto* remember = new ui::CheckBox();
//   remember->SetAttribute(L"selectednormalimage", L"check_on.png");
//   remember->AttachEvent(ui::kEventSelect, OnRemember);
//   remember->SetSelected(true, true);
//
// Markup attributes: "selected", "selected{normal,hot,pushed,disabled}image",
// "selectedfore{normal,hot,pushed,disabled}image", "selectedtextcolor",
// "selected{normal,hot,pushed,disabled}color"; anything else goes to the button.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_CHECK_BOX_H_
#define UI_CONTROLS_CHECK_BOX_H_

#include "ui/controls/button.h"

namespace ui {

template <typename T = Control>
class CheckBoxTemplate : public ButtonTemplate<T> {
 public:
  CheckBoxTemplate() { selected_colors_.SetControl(this); }

  bool IsSelected() const { return selected_; }
  // Nothing when unchanged. With triggerEvent, a control in a window is sent kEventSelect or
  // kEventUnSelect.
  virtual void SetSelected(bool selected, bool triggerEvent);

  // ----- Overrides -----------------------------------------------------------------------------
  // The base's image, else the first selected image that is set.
  Image* GetEstimateImage() override;
  // Flips the selection, with events; no click.
  void Activate() override;
  bool HasHotState() const override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintStateColor(IRenderContext* context) override;
  void PaintStateImage(IRenderContext* context) override;
  void PaintText(IRenderContext* context) override;

  // ----- Selected look (the images are kept in the state-image map's selected sets) -----------
  const std::wstring& GetSelectedTextColor() const { return selected_text_color_; }
  void SetSelectedTextColor(const std::wstring& colorName);
  std::wstring GetSelectedStateColor(ControlStateType state) const;
  void SetSelectedStateColor(ControlStateType state, const std::wstring& colorName);
  void SetSelectedStateImage(ControlStateType state, const std::wstring& imageString);
  void SetSelectedForeStateImage(ControlStateType state, const std::wstring& imageString);

 protected:
  bool selected_ = false;
  std::wstring selected_text_color_;
  StateColorMap selected_colors_;
};

extern template class CheckBoxTemplate<Control>;
extern template class CheckBoxTemplate<Box>;

using CheckBox = CheckBoxTemplate<Control>;
using CheckBoxBox = CheckBoxTemplate<Box>;

}  // namespace ui

#endif  // UI_CONTROLS_CHECK_BOX_H_
