// LabelTemplate: a control that draws one text.
//
// The text controls are written once as a chain of templates over a base T and made twice: over
// ui::Control (a leaf that sizes itself from its text) and over ui::Box (a container that also
// lays out children, such as an icon beside the text, and stretches by default):
//
//   T <- LabelTemplate<T> <- ButtonTemplate<T> <- CheckBoxTemplate<T> <- OptionTemplate<T>
//
// The bodies are in the .cpp files, which make both forms; the headers declare them made there.
//
// A label has a text (or a language string id used while the text is empty), a font id of the
// global font table (empty = the default font), DrawText style bits, a padding and a text colour
// name per control state. The hot colour cross-fades with the control's hot animation.
//
//   auto* title = new ui::Label();
//   title->SetAttribute(L"font", L"title");
//   title->SetAttribute(L"align", L"vcenter");
//   title->SetText(L"Settings");
//
// Markup attributes: "align", "endellipsis", "linelimit", "singleline", "text", "textid", "font",
// "normaltextcolor", "hottextcolor", "pushedtextcolor", "disabledtextcolor", "textpadding";
// anything else goes to T.
//
// Thread affinity: the thread of the owning window.
#ifndef UI_CONTROLS_LABEL_H_
#define UI_CONTROLS_LABEL_H_

#include <windows.h>

#include <string>

#include "ui/core/box.h"
#include "ui/core/control.h"
#include "ui/core/state_color_map.h"

namespace ui {

template <typename T = Control>
class LabelTemplate : public T {
 public:
  // DT_END_ELLIPSIS | DT_NOCLIP | DT_SINGLELINE.
  static constexpr UINT kDefaultTextStyle = 0x8120;

  LabelTemplate();

  // ----- Text ----------------------------------------------------------------------------------
  // The text, or while it is empty the language string of the text id.
  virtual std::wstring GetText() const;
  virtual std::string GetUTF8Text() const;
  // An auto-sized label asks its ancestors to re-arrange, any other only repaints; the same text
  // again does nothing.
  virtual void SetText(const std::wstring& text);
  virtual void SetUTF8Text(const std::string& text);
  virtual void SetTextId(const std::wstring& id);
  virtual void SetUTF8TextId(const std::string& id);

  // ----- Overrides -----------------------------------------------------------------------------
  // The text's size plus the padding, measured with the window's render context.
  SIZE EstimateText(SIZE available) override;
  bool HasHotState() const override;
  void SetAttribute(const std::wstring& name, const std::wstring& value) override;
  void PaintText(IRenderContext* context) override;

  // ----- Look ----------------------------------------------------------------------------------
  const std::wstring& GetFont() const { return font_id_; }
  void SetFont(const std::wstring& fontId);
  // DrawText bits; DT_SINGLELINE is replaced by the single-line flag when measuring and painting.
  UINT GetTextStyle() const { return text_style_; }
  void SetTextStyle(UINT style);
  bool IsSingleLine() const { return single_line_; }
  void SetSingleLine(bool singleLine);
  bool IsLineLimit() const { return line_limit_; }
  void SetLineLimit(bool lineLimit);
  // Physical pixels.
  RECT GetTextPadding() const { return text_padding_; }
  void SetTextPadding(const RECT& padding);
  std::wstring GetStateTextColor(ControlStateType state) const;
  void SetStateTextColor(ControlStateType state, const std::wstring& colorName);

 protected:
  // Re-arranges the ancestors when a side is sized from the content, else repaints.
  void ArrangeOrInvalidate();
  // The control state whose colour is painted, after the fallbacks (pushed to hot, hot to
  // normal, disabled to normal, each when the colour is missing).
  ControlStateType PickTextColorState() const;
  // Draws the text inside rect in the colour named colorName (nothing for an empty name).
  void DrawTextIn(IRenderContext* context, const RECT& rect, const std::wstring& colorName,
                  UINT style, BYTE alpha, bool lineLimit);
  RECT GetTextRect() const;

  std::wstring font_id_;
  UINT text_style_ = kDefaultTextStyle;
  bool single_line_ = true;
  bool line_limit_ = false;
  RECT text_padding_ = {0, 0, 0, 0};
  std::wstring text_;
  std::wstring text_id_;
  StateColorMap text_colors_;
};

extern template class LabelTemplate<Control>;
extern template class LabelTemplate<Box>;

using Label = LabelTemplate<Control>;
using LabelBox = LabelTemplate<Box>;

}  // namespace ui

#endif  // UI_CONTROLS_LABEL_H_
