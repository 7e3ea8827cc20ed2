// The window's controls: found by name once the skin is built, the quality combo filled, and the
// toolbar's clicks wired to the callbacks.
#include <atomic>

#include "phone_window/dui_video_view.h"
#include "phone_window/window_pin.h"
#include "phone_window/zuvor_ivado_window.h"
#include "ui/controls/button.h"
#include "ui/controls/combo.h"
#include "ui/controls/label.h"
#include "ui/controls/list_container_element.h"
#include "ui/core/dpi_manager.h"

namespace {

// The quality levels' labels, in level order: automatic, high definition, standard definition,
// smooth.
const wchar_t* const kQualityLabels[] = {L"\u81EA\u52A8", L"\u9AD8\u6E05", L"\u6807\u6E05",
                                         L"\u6D41\u7545"};
constexpr int kQualityCount = 4;
constexpr int kQualityRowHeight = 28;
constexpr int kQualityTextPadding = 8;

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
