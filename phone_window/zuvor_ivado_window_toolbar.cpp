// The window's controls: found by name once the skin is built, the quality combo filled, and the
// toolbar's clicks wired to the callbacks.
#include <algorithm>
#include <atomic>

#include "phone_window/dui_video_view.h"
#include "phone_window/window_pin.h"
#include "phone_window/zuvor_ivado_window.h"
#include "ui/controls/button.h"
#include "ui/controls/combo.h"
#include "ui/controls/label.h"
#include "ui/controls/list_container_element.h"
#include "ui/core/dpi_manager.h"
#include "ui/core/tile_layout.h"

namespace {

// The quality levels' labels, in level order: automatic, high definition, standard definition,
// smooth.
const wchar_t* const kQualityLabels[] = {L"\u81EA\u52A8", L"\u9AD8\u6E05", L"\u6807\u6E05",
                                         L"\u6D41\u7545"};
constexpr int kQualityCount = 4;
constexpr int kQualityRowHeight = 28;
constexpr int kQualityTextPadding = 8;
// The least height a toolbar button shrinks to before the toolbar takes another column (the
// icons, 12 to 34 pixels down the button, still fit).
constexpr int kToolbarLeastButtonHeight = 36;

// The next quality of the quality button, shared by every window of the process.
std::atomic<int> g_shared_quality{0};

template <typename T>
T* FindAs(const ui::Window* window, const wchar_t* name) {
  return dynamic_cast<T*>(window->FindControl(name));
}

}  // namespace

int ZuvorIvadoWindow::NextSharedQuality() {
  int current = g_shared_quality.load();
  while (!g_shared_quality.compare_exchange_weak(current, (current + 1) % kQualityCount)) {
  }
  return (current + 1) % kQualityCount;
}

void ZuvorIvadoWindow::OnSkinLoaded() {
  FindControls();
  if (!video_) return;
  FindToolbar();
  if (quality_combo_) FillQualityCombo();
  ReadAspectFromWindow();
  WireToolbar();
  video_->Connect(this);
  ShowKeyboardImages();
}

void ZuvorIvadoWindow::FindControls() {
  video_ = FindAs<ui::DuiVideoView>(this, L"video_view");
  title_label_ = FindAs<ui::LabelTemplate<ui::Control>>(this, L"lb_title");
  back_ = FindAs<Button>(this, L"btn_back");
  home_ = FindAs<Button>(this, L"btn_home");
  menu_ = FindAs<Button>(this, L"btn_menu");
  screenshot_ = FindAs<Button>(this, L"btn_screenshot");
  rotation_button_ = FindAs<Button>(this, L"btn_rotation");
  camera_ = FindAs<Button>(this, L"btn_camera");
  volume_up_ = FindAs<Button>(this, L"btn_volume_up");
  volume_down_ = FindAs<Button>(this, L"btn_volume_down");
  qrcode_ = FindAs<Button>(this, L"btn_qrcode");
  keyboard_button_ = FindAs<Button>(this, L"btn_keyboard");
  pin_ = FindAs<Button>(this, L"btn_pin");
  restart_ = FindAs<Button>(this, L"btn_restart");
  quality_ = FindAs<Button>(this, L"btn_quality");
  quality_combo_ = FindAs<ui::Combo>(this, L"combo_pic_quality");
}

void ZuvorIvadoWindow::FindToolbar() {
  auto* toolbar = FindAs<ui::Box>(this, L"toolbar");
  auto* tiles = toolbar ? dynamic_cast<ui::TileLayout*>(toolbar->GetLayout()) : nullptr;
  if (!tiles) return;
  for (int i = 0; i < toolbar->GetCount(); ++i) {
    ui::Control* item = toolbar->GetItemAt(i);
    if (dynamic_cast<Button*>(item)) {
      toolbar_buttons_.push_back(item);
      toolbar_button_height_ = std::max(toolbar_button_height_, item->GetFixedHeight());
    } else {
      toolbar_dividers_.push_back(item);
      const RECT margin = item->GetMargin();
      toolbar_dividers_height_ += item->GetFixedHeight() + margin.top + margin.bottom;
    }
  }
  toolbar_cell_width_ = tiles->GetItemSize().cx;
  if (toolbar_cell_width_ > 0 && toolbar_button_height_ > 0) toolbar_ = toolbar;
}

window_geometry::ToolbarGrid ZuvorIvadoWindow::ToolbarGridFor(int available) const {
  const int least = ui::DpiManager::GetInstance()->ScaleInt(kToolbarLeastButtonHeight);
  return window_geometry::FitToolbar(available, static_cast<int>(toolbar_buttons_.size()),
                                     toolbar_button_height_, least, toolbar_dividers_height_);
}

int ZuvorIvadoWindow::ToolbarWidthFor(int available) const {
  return toolbar_ ? ToolbarGridFor(available).columns * toolbar_cell_width_ : 0;
}

int ZuvorIvadoWindow::ToolbarHeightAt(const RECT& client) {
  if (!toolbar_) return 0;
  // Laid out for `client` now (a new size is otherwise laid out at the next paint).
  if (ui::Control* root = GetRoot()) root->Arrange();
  ArrangeRoot(client);
  const RECT pos = toolbar_->GetPos();
  return pos.bottom - pos.top;
}

void ZuvorIvadoWindow::FitToolbarTo(int available) {
  if (!toolbar_) return;
  const window_geometry::ToolbarGrid grid = ToolbarGridFor(available);
  // Each setter re-arranges only when its value changes.
  toolbar_->SetFixedWidth(grid.columns * toolbar_cell_width_, true, false);
  for (ui::Control* button : toolbar_buttons_) button->SetFixedHeight(grid.rowHeight, false);
  for (ui::Control* divider : toolbar_dividers_) divider->SetVisible(grid.dividers);
}

void ZuvorIvadoWindow::FillQualityCombo() {
  quality_combo_->SetBkImage(light_
                                 ? L"file='../public/combo/combo_light_normal.png' corner='4,4,4,4'"
                                 : L"file='../public/combo/combo_dark_normal.png' corner='4,4,4,4'");
  quality_combo_->SetAttribute(
      L"hotimage", light_ ? L"file='../public/combo/combo_light_hover.png' corner='4,4,4,4'"
                          : L"file='../public/combo/combo_dark_hover.png' corner='4,4,4,4'");
  const ui::DpiManager* dpi = ui::DpiManager::GetInstance();
  const int padding = dpi->ScaleInt(kQualityTextPadding);
  for (const wchar_t* label : kQualityLabels) {
    auto* row = new ui::ListContainerElement();
    row->SetClass(light_ ? L"listitem_light" : L"listitem");
    row->SetFixedHeight(kQualityRowHeight);
    row->SetTextPadding(RECT{padding, 0, padding, 0});
    row->SetText(label);
    quality_combo_->Add(row);
  }
  quality_combo_->SelectItem(0);
  quality_combo_->AttachEvent(ui::kEventSelect, ToWeakCallback([this](const ui::EventArgs&) {
                                if (callbacks_.quality) callbacks_.quality(quality_combo_->GetCurSel());
                                return true;
                              }));
}

template <typename Action>
void ZuvorIvadoWindow::OnClick(Button* button, Action action) {
  if (!button) return;
  button->AttachClick(ToWeakCallback([action](const ui::EventArgs&) {
    action();
    return true;
  }));
}

void ZuvorIvadoWindow::WireToolbar() {
  // The slot is read when the click comes: the close empties the slots.
  auto call = [this](std::function<void()> PhoneWindowCallbacks::*slot) {
    return [this, slot] {
      if (callbacks_.*slot) (callbacks_.*slot)();
    };
  };
  OnClick(back_, call(&PhoneWindowCallbacks::back));
  OnClick(home_, call(&PhoneWindowCallbacks::home));
  OnClick(menu_, call(&PhoneWindowCallbacks::menu));
  OnClick(screenshot_, call(&PhoneWindowCallbacks::screenshot));
  OnClick(camera_, call(&PhoneWindowCallbacks::camera));
  OnClick(volume_up_, call(&PhoneWindowCallbacks::volumeUp));
  OnClick(volume_down_, call(&PhoneWindowCallbacks::volumeDown));
  OnClick(restart_, call(&PhoneWindowCallbacks::restart));
  OnClick(rotation_button_, [this] { ClickRotation(); });
  OnClick(qrcode_, [this] {
    // The dialog runs once the click is over (see ChoosePicture).
    ::PostMessageW(GetHWND(), kChoosePictureMessage, 0, 0);
  });
  OnClick(keyboard_button_, [this] { ClickKeyboard(); });
  OnClick(pin_, [this] { ClickPin(); });
  OnClick(quality_, [this] { ClickQualityButton(); });
}

void ZuvorIvadoWindow::ClickRotation() {
  // The window does not turn by itself: the session answers with the rotation to show.
  const int rotation = rotation_.load() == 1 ? 2 : 1;
  rotation_.store(rotation);
  if (callbacks_.rotation) callbacks_.rotation(rotation);
}

void ZuvorIvadoWindow::ClickKeyboard() {
  keyboard_.SetKeyboardMode(!keyboard_.keyboard_mode());
  ShowKeyboardImages();
  if (callbacks_.keyboard) callbacks_.keyboard();
}

void ZuvorIvadoWindow::ClickPin() {
  const bool pinned = !pinned_.load();
  pinned_.store(pinned);
  window_pin::SetPinned(GetHWND(), pinned);
}

void ZuvorIvadoWindow::ClickQualityButton() {
  const int quality = NextSharedQuality();
  if (callbacks_.quality) callbacks_.quality(quality);
}

void ZuvorIvadoWindow::ShowKeyboardImages() {
  if (!keyboard_button_) return;
  const wchar_t* hovered =
      light_ ? L"file='../public/button/toolbar/toolbar_keyboard_hovered_light.png' dest='11,12,33,34'"
             : L"file='../public/button/toolbar/toolbar_keyboard_hovered.png' dest='11,12,33,34'";
  keyboard_button_->SetAttribute(
      L"normalimage",
      keyboard_.keyboard_mode()
          ? hovered
          : L"file='../public/button/toolbar/toolbar_keyboard_normal.png' dest='11,12,33,34'");
  keyboard_button_->SetAttribute(L"hotimage", hovered);
}

void ZuvorIvadoWindow::ShowPinImages() {
  if (!pin_) return;
  if (pinned_.load()) {
    const wchar_t* active =
        light_ ? L"file='../public/button/toolbar/toolbar_pin_active_light.png'"
               : L"file='../public/button/toolbar/toolbar_pin_active.png'";
    pin_->SetAttribute(L"normalimage", active);
    pin_->SetAttribute(L"hotimage", active);
    pin_->SetAttribute(L"pushedimage", active);
  } else {
    pin_->SetAttribute(L"normalimage", L"file='../public/button/toolbar/toolbar_pin_normal.png'");
    pin_->SetAttribute(L"hotimage", L"file='../public/button/toolbar/toolbar_pin_hover.png'");
    pin_->SetAttribute(L"pushedimage", L"file='../public/button/toolbar/toolbar_pin_hover.png'");
  }
}
