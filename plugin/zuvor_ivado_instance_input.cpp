// Session input and audio towards the phone, and what the phone sends back (video settings,
// clipboard).
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/strings/utf8_conversion.h"
#include "plugin/plugin_log.h"
#include "plugin/remote_clipboard.h"
#include "plugin/zuvor_ivado_instance.h"
#include "plugin/zuvor_ivado_instance_lock.h"

std::shared_ptr<DataSource> ZuvorIvadoInstance::PlayerSource() {
  return player_ ? player_->getDataSource() : nullptr;
}

void ZuvorIvadoInstance::SendKey(int action, int code) {
  TryLocked locked(*this);
  if (!locked || !attempt_.connected()) return;
  if (std::shared_ptr<DataSource> source = PlayerSource()) source->sendKeyEvent(action, code);
}

void ZuvorIvadoInstance::SendText(const char* text, int length) {
  TryLocked locked(*this);
  if (!locked || !attempt_.connected()) return;
  if (std::shared_ptr<DataSource> source = PlayerSource()) source->sendInputString(text, length);
}

void ZuvorIvadoInstance::CopyToRemote(const char* text, int length) {
  TryLocked locked(*this);
  if (!locked || !attempt_.connected()) return;
  if (std::shared_ptr<DataSource> source = PlayerSource()) {
    source->copyToRemote(text, length, true);
  }
}

namespace {

// `size` x `fraction` truncated toward zero, clamped to the int range (a cast of a value outside
// it is undefined). `fraction` must be finite.
int ScaleToFrame(int size, float fraction) {
  const double value = std::trunc(double(size) * double(fraction));
  return static_cast<int>(std::clamp<double>(value, std::numeric_limits<int>::min(),
                                             std::numeric_limits<int>::max()));
}

}  // namespace

void ZuvorIvadoInstance::SendTouch(int action, int pointerCount, float fx, float fy) {
  const bool lift = action == 1;
  // A touch without a position (a video control of no size) is dropped; a lift needs none.
  if (!lift && !(std::isfinite(fx) && std::isfinite(fy))) return;
  TryLocked locked(*this);
  if (!locked || !attempt_.connected()) return;
  std::shared_ptr<DataSource> source = PlayerSource();
  if (!source) return;
  const int x = lift ? -1 : ScaleToFrame(videoWidth_, fx);
  const int y = lift ? -1 : ScaleToFrame(videoHeight_, fy);
  source->sendTouchEvent(action, 1, x, y, 0.0f);
}

bool ZuvorIvadoInstance::SendAudio(int type, const uint8_t* data, int length) {
  TryLocked locked(*this);
  if (!locked) return false;
  return SendAudioLocked(type, data, length);
}

bool ZuvorIvadoInstance::SendAudioConfigWhenFree(const uint8_t* config, int length) {
  Locked locked(*this);
  return SendAudioLocked(0, config, length);
}

bool ZuvorIvadoInstance::SendAudioLocked(int type, const uint8_t* data, int length) {
  std::shared_ptr<DataSource> source = PlayerSource();
  if (!attempt_.connected() || displayMode_ != 1 || !source) return false;
  if (type == 0) {
    micConfigSent_ = true;
    Log("mic cfg delivered: " + padCode_ + " (" + std::to_string(length) + " bytes)");
  } else if (!micConfigSent_) {
    return false;  // the phone cannot decode frames before the configuration of this start
  }
  const int result = source->sendAudio(type, data, length);
  ++audioFrameCount_;
  if (result != 0 || audioFrameCount_ == 1 || audioFrameCount_ % 100 == 0) {
    Log("sendAudio " + padCode_ + " frame#" + std::to_string(audioFrameCount_) +
        " len=" + std::to_string(length) + " ret=" + std::to_string(result));
  }
  return true;
}

void ZuvorIvadoInstance::OnControlVideo(int value, int fps) {
  Log("onControlVideo " + std::to_string(value) + " fps: " + std::to_string(fps));
  Locked locked(*this);
  std::shared_ptr<DataSource> source = PlayerSource();
  if (!source) return;
  VideoLevel level = {{2, 432, 768, 20, 15, 1024, 45, 3, 3, 0, 0}};
  if (source->getVideoLevelResult(&level) == 0) {
    videoWidth_ = static_cast<int16_t>(level.width());
    videoHeight_ = static_cast<int16_t>(level.height());
  }
}

void ZuvorIvadoInstance::OnPhoneClipboard(const char* data, int length) {
  const std::string text = remote_clipboard::ExtractContent(data, length);
  if (text.empty()) return;
  std::wstring wide = nbase::UTF8ToUTF16(text);
  if (wide.empty()) return;  // not valid UTF-8
  // Written on a worker: a busy clipboard is tried again for about a second, and the library's
  // later notifications must not wait meanwhile.
  if (clipboard_.Offer(std::move(wide)) &&
      !StartWorker([](ZuvorIvadoInstance& self) { self.clipboard_.WriteAll(); })) {
    clipboard_.Abandon();
  }
}
