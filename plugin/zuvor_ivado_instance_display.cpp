// Display modes of a session (pop-out window or Flutter texture), the pop-out window's callbacks
// and the window operations the plug-in's methods call.
#include <windows.h>

#include "plugin/plugin_log.h"
#include "plugin/zuvor_ivado_instance.h"
#include "plugin/zuvor_ivado_instance_lock.h"

namespace {

// Linux input-event key codes of the toolbar buttons, sent with action 3 (press).
constexpr int kKeyBack = 158;
constexpr int kKeyHome = 172;
constexpr int kKeyMenu = 139;
constexpr int kKeyVolumeUp = 115;
constexpr int kKeyVolumeDown = 114;
constexpr int kKeyRestart = 356;
constexpr int kKeyPress = 3;

constexpr int kWindowIconResource = 102;

}  // namespace

bool ZuvorIvadoInstance::WindowOpen() { return window_ && window_->IsOpen(); }

HWND ZuvorIvadoInstance::WindowHandle() { return window_ ? window_->Handle() : nullptr; }

VideoDisplay* ZuvorIvadoInstance::WindowDisplay() { return window_ ? window_->Display() : nullptr; }

bool ZuvorIvadoInstance::HasWindow() {
  Locked locked(*this);
  return WindowOpen();
}

std::string ZuvorIvadoInstance::WindowTitle() const {
  return config_.name.empty() ? padCode_ : config_.name;
}

// ----- Display binding -----

void ZuvorIvadoInstance::BindDisplay(VideoDisplay* display) {
  if (!player_) return;
  player_->setDisplay(display);
  boundDisplay_ = display;
}

void ZuvorIvadoInstance::ChangeDisplay(VideoDisplay* display) {
  if (!player_) return;
  if (player_->changeDisplay(display) != 0) {
    // The library kept the old display; bind the new one outright so the old one (which may be
    // about to go) is not left bound.
    player_->setDisplay(display);
  }
  boundDisplay_ = display;
}

void ZuvorIvadoInstance::UnbindIfBound(VideoDisplay* gone) {
  if (!gone || boundDisplay_ != gone) return;
  if (player_) player_->setDisplay(nullptr);
  boundDisplay_ = nullptr;
}

void ZuvorIvadoInstance::ShowInWindow(Binding binding) {
  std::shared_ptr<DataSource> source = PlayerSource();
  if (source) {
    source->setVideoLevels(videoLevels_, 4);
    source->setVideoLevel(1);
  }
  if (binding == Binding::kBeforeStart) {
    BindDisplay(WindowDisplay());
    return;
  }
  if (source) source->screenCast(screenCastMode_);
  ChangeDisplay(WindowDisplay());
}

void ZuvorIvadoInstance::ShowInTexture(Binding binding) {
  // The texture asks for a small picture of its own (the seven-value level of the data source).
  if (dataSource_) dataSource_->setVideoLevel(10, 0, 144, 256, 0, 30, 3);
  if (binding == Binding::kBeforeStart) {
    BindDisplay(texture_.get());
    return;
  }
  if (std::shared_ptr<DataSource> source = PlayerSource()) source->screenCast(1);
  ChangeDisplay(texture_.get());
}

void ZuvorIvadoInstance::BindDisplayForMode() {
  if (displayMode_ == 1 && WindowOpen()) {
    ShowInWindow(Binding::kBeforeStart);
  } else if (displayMode_ == 2 && texture_) {
    ShowInTexture(Binding::kBeforeStart);
  }
}

void ZuvorIvadoInstance::SetPlayType(int type) {
  if (!PlayerSource()) return;
  if (type == 1) {
    if (!WindowOpen()) return;
    ShowInWindow(Binding::kWhilePlaying);
    displayMode_ = 1;
  } else if (type == 2) {
    if (!texture_ || !dataSource_) return;
    ShowInTexture(Binding::kWhilePlaying);
    displayMode_ = 2;
  }
}

// ----- Mode switch -----

int ZuvorIvadoInstance::SwitchPlayMode(int mode, int themeMode, int rotation, int playType) {
  // A switch that fails changes nothing, neither the mode nor a stop that is on its way: the mode
  // is checked and the texture registered before the stop generation moves on. That happens
  // before waiting for `lock`, as a stop may be waiting for it too. The texture and the
  // registrar change only on this (the platform) thread, so they are read here without it.
  if (mode < 0 || mode > 2) return -1;
  // The pop-out window moves the stop generation on itself, once the window stands.
  if (mode == 1) return SwitchToWindow(themeMode, rotation, playType);
  std::unique_ptr<ZuvorIvadoTexture> made;  // before `locked`: an unused one goes after it
  int64_t madeId = -1;
  if (mode == 2 && textureId_.load() < 0 && textureRegistrar_) {
    made = std::make_unique<ZuvorIvadoTexture>();
    madeId = made->Register(textureRegistrar_);
    if (madeId < 0) return -1;  // `made` goes, never having been bound
  }
  stopGeneration_.fetch_add(1);  // a stop started earlier no longer applies
  Locked locked(*this);
  if (shutDown_) return -1;
  if (made && !texture_) {
    texture_ = std::move(made);
    textureId_ = madeId;
  }
  displayMode_ = mode;
  stopRequested_ = false;
  SupersedeWorkersLocked();
  switch (mode) {
    case 0:
      // Nothing is cast: a connecting attempt would never connect, a connected one shows
      // nothing; either ends.
      StopAttemptLocked();
      if (PlayerSource()) {
        BindDisplay(nullptr);
        displayMode_ = 0;
      }
      return 0;
    case 2: {
      rotation_ = rotation;
      if (texture_) texture_->SetRotated((rotation & 1) != 0);
      if (initialized_ && attempt_.connected()) {
        SetPlayType(2);
        Fire(callbacks.connected, padCode_, int(videoWidth_), int(videoHeight_));
        return 0;
      }
      return StartReinitializeLocked(1);
    }
    default:
      return -1;
  }
}

int ZuvorIvadoInstance::StartReinitializeLocked(int playType) {
  // The switch connects afresh: an attempt still connecting gives way (and its slot back) now.
  if (attempt_.live()) StopAttemptLocked();
  const Ticket ticket = CurrentTicket();
  if (StartWorker([ticket, playType](ZuvorIvadoInstance& self) {
        self.ReinitializeAndConnect(ticket, playType);
      })) {
    return 0;
  }
  return -1;
}

int ZuvorIvadoInstance::SwitchToWindow(int themeMode, int rotation, int playType) {
  // An open window of another theme is replaced, as a theme switch does; one of the same theme
  // is kept as it is.
  SetThemeMode(themeMode);
  PhoneWindowFactory* factory = nullptr;
  std::string title;
  {
    Locked locked(*this);
    if (shutDown_) return -1;
    // A window already open is reused (and brought forward): a second one would be orphaned,
    // and closing it later would stop this session.
    if (!WindowOpen()) {
      factory = windowFactory_;
      if (!factory) return -1;
    }
    title = WindowTitle();
  }
  // Making the window waits for a window thread, whose callbacks may wait for this session's
  // lock: no lock is held here.
  std::shared_ptr<PhoneWindowLink> opened;
  if (factory) {
    opened = OpenWindowUnlocked(factory, themeMode, title);
    if (!opened) {
      // Its skin did not load, or it closed at once: the switch fails and changes nothing.
      Log("pop-out window could not be opened: " + padCode_);
      return -1;
    }
  }
  stopGeneration_.fetch_add(1);  // a stop started earlier no longer applies
  HWND front = nullptr;
  {
    Locked locked(*this);
    if (opened && !InstallWindow(opened)) {
      opened->CloseWindow();
      if (!WindowOpen()) return -1;  // shut down meanwhile
    }
    displayMode_ = 1;
    stopRequested_ = false;
    SupersedeWorkersLocked();
    front = WindowHandle();
    themeMode_ = themeMode;
    rotation_ = rotation;
    if (rotation != 1) WithOpenWindow([rotation](PhoneWindow& w) { w.PostRotation(rotation); });
    if (initialized_ && attempt_.connected()) {
      screenCastMode_ = playType;
      SetPlayType(1);
      Fire(callbacks.connected, padCode_, int(videoWidth_), int(videoHeight_));
    } else if (StartReinitializeLocked(playType) != 0) {
      return -1;  // the window stays open; the connection it was for could not start
    }
  }
  if (front) {
    // Asynchronous: the window's thread may be busy, and nothing here waits for it.
    SetWindowPos(front, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_ASYNCWINDOWPOS);
    SetForegroundWindow(front);
  }
  return 0;
}

// ----- Pop-out window -----

std::shared_ptr<PhoneWindowLink> ZuvorIvadoInstance::OpenWindowUnlocked(PhoneWindowFactory* factory,
                                                                        int themeMode,
                                                                        const std::string& title) {
  auto link = std::make_shared<PhoneWindowLink>();
  PhoneWindow* w = factory->OpenPhoneWindow(themeMode, title, MakeWindowCallbacks(link));
  if (!w || !link->Attach(w)) return nullptr;
  return link;
}

bool ZuvorIvadoInstance::InstallWindow(const std::shared_ptr<PhoneWindowLink>& link) {
  if (shutDown_ || WindowOpen()) return false;
  window_ = link;
  link->With([this](PhoneWindow* w) {
    if (!w) return;
    if (HWND handle = w->GetHandle()) {
      // Shared icons need no destroying; posting never waits for the window thread.
      HICON icon = static_cast<HICON>(
          LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kWindowIconResource), IMAGE_ICON,
                     GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
      if (icon) {
        PostMessageW(handle, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        PostMessageW(handle, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
      }
    }
    if (synced_) w->SetPinned(true);
  });
  return true;
}

PhoneWindowCallbacks ZuvorIvadoInstance::MakeWindowCallbacks(
    const std::shared_ptr<PhoneWindowLink>& link) {
  // Callbacks hold the session weakly: a window may outlive its session. Input reaches the
  // session only while the window is still the session's own: once the session let it go
  // (disconnected, or replaced it in a theme switch), a click still on its way does nothing.
  std::weak_ptr<ZuvorIvadoInstance> weak = weak_from_this();
  auto owner = [weak, link]() -> std::shared_ptr<ZuvorIvadoInstance> {
    return link->IsOpen() ? weak.lock() : nullptr;
  };
  PhoneWindowCallbacks cb;
  auto keyButton = [owner](int code) {
    return [owner, code] {
      if (auto self = owner()) self->OnWindowKeyButton(code);
    };
  };
  cb.back = keyButton(kKeyBack);
  cb.home = keyButton(kKeyHome);
  cb.menu = keyButton(kKeyMenu);
  cb.volumeUp = keyButton(kKeyVolumeUp);
  cb.volumeDown = keyButton(kKeyVolumeDown);
  cb.restart = keyButton(kKeyRestart);
  cb.touch = [owner](int action, int pointerCount, float fx, float fy, float pressure) {
    // The touch itself reaches the phone through the video control.
    auto self = owner();
    if (self && self->synced_) {
      Fire(self->callbacks.touch, self->padCode_, action, pointerCount, fx, fy, pressure);
    }
  };
  cb.screenshot = [owner] {
    if (auto self = owner()) Fire(self->callbacks.screenshot, self->padCode_, std::string());
  };
  cb.camera = [] {};
  cb.rotation = [link](int rotation) {
    // On the window thread, which the window belongs to: it is alive while it calls us.
    PhoneWindow* w = link->With([](PhoneWindow* window) { return window; });
    if (w) w->ApplyRotation(rotation);
  };
  cb.picture = [owner](const char* bytes, int length) {
    auto self = owner();
    if (!self) return;
    TryLocked locked(*self);
    if (!locked) return;
    if (std::shared_ptr<DataSource> source = self->PlayerSource()) {
      source->sendPicture(reinterpret_cast<const uint8_t*>(bytes), length);
    }
  };
  cb.keyboard = [owner] {
    auto self = owner();
    if (!self) return;
    // Toggled atomically: two quick presses never read the same old value.
    bool was = self->hostKeyboard_.load();
    while (!self->hostKeyboard_.compare_exchange_weak(was, !was)) {
    }
    const bool active = !was;
    PluginLog(std::string("onEnableHostKeyboard active=") + (active ? "1" : "0"));
  };
  cb.quality = [owner](int quality) {
    if (auto self = owner()) self->SetVideoQuality(quality);
  };
  cb.key = [owner](int action, int code) {
    auto self = owner();
    if (!self) return;
    self->SendKey(action, code);
    if (self->synced_) Fire(self->callbacks.key, self->padCode_, action, code);
  };
  cb.text = [owner](const char* text, int length) {
    auto self = owner();
    if (!self) return;
    self->SendText(text, length);
    if (self->synced_) Fire(self->callbacks.text, self->padCode_, text, length);
  };
  cb.paste = [owner](const char* text, int length) {
    auto self = owner();
    if (!self) return;
    self->CopyToRemote(text, length);
    if (self->synced_) Fire(self->callbacks.clipboard, self->padCode_, text, length);
  };
  cb.close = [weak, link] {
    if (auto self = weak.lock()) self->OnWindowClosed(link);
  };
  return cb;
}

void ZuvorIvadoInstance::OnWindowKeyButton(int code) {
  {
    TryLocked locked(*this);
    if (locked && attempt_.connected()) {
      if (std::shared_ptr<DataSource> source = PlayerSource()) {
        source->sendKeyEvent(kKeyPress, code);
      }
    }
  }
  if (synced_) Fire(callbacks.key, padCode_, kKeyPress, code);
}

void ZuvorIvadoInstance::OnWindowClosed(const std::shared_ptr<PhoneWindowLink>& link) {
  const int64_t generation = stopGeneration_.load();
  // From here on nothing calls the window through the link; it is still alive until this
  // callback returns, which is when its video control must be unbound at the latest.
  PhoneWindow* closing = link->Detach();
  bool current;
  {
    Locked locked(*this);
    if (closing) UnbindIfBound(closing->GetVideoDisplay());
    current = window_ == link;
    if (current) window_.reset();
  }
  if (!current) return;  // a window the session replaced or closed: closing it stops nothing
  Fire(callbacks.windowClosed, padCode_);
  Locked locked(*this);
  if (!texture_) {
    StopPlay(generation);
  } else if (!window_ && PlayerSource()) {
    SetPlayType(2);
    displayMode_ = 2;
  }
}

void ZuvorIvadoInstance::SetThemeMode(int mode) {
  std::shared_ptr<PhoneWindowLink> old;
  RECT oldRect{};
  bool hadRect = false;
  bool wasPinned = false;
  PhoneWindowFactory* factory = nullptr;
  std::string title;
  int oldMode = 0;
  {
    Locked locked(*this);
    if (shutDown_) return;
    if (!WindowOpen()) {
      themeMode_ = mode;
      return;
    }
    if (themeMode_ == mode) return;
    oldMode = themeMode_;
    themeMode_ = mode;
    stopGeneration_.fetch_add(1);
    // No longer the session's window: when it closes, that stops nothing.
    old = std::move(window_);
    old->With([&](PhoneWindow* w) {
      if (!w) return;
      if (HWND handle = w->GetHandle()) hadRect = ::GetWindowRect(handle, &oldRect) != 0;
      wasPinned = w->IsPinned();
    });
    factory = windowFactory_;
    title = WindowTitle();
  }
  std::shared_ptr<PhoneWindowLink> fresh =
      factory ? OpenWindowUnlocked(factory, mode, title) : nullptr;
  {
    Locked locked(*this);
    if (fresh && !InstallWindow(fresh)) {
      fresh->CloseWindow();
      fresh.reset();
    }
    if (!fresh && !window_ && old->IsOpen()) {
      // No new window could be made: the old one stays the session's, in its own theme.
      window_ = std::move(old);
      themeMode_ = oldMode;
      return;
    }
    if (rotation_ != 1) {
      const int rotation = rotation_;
      WithOpenWindow([rotation](PhoneWindow& w) { w.PostRotation(rotation); });
    }
    if (initialized_ && displayMode_ == 1 && PlayerSource() && WindowOpen()) {
      ShowInWindow(Binding::kWhilePlaying);
    }
    // Whatever happened above, the old window's video control must not stay bound.
    UnbindIfBound(old->Display());
  }
  // Closing runs on the window thread, whose callbacks take the lock: it is let go first.
  old->CloseWindow();
  HWND handle = nullptr;
  {
    Locked locked(*this);
    handle = WindowHandle();
    if (wasPinned) WithOpenWindow([](PhoneWindow& w) { w.SetPinned(true); });
  }
  if (handle && hadRect) {
    SetWindowPos(handle, nullptr, oldRect.left, oldRect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  }
}

// ----- Window operations -----
// Native calls on the window go out after the lock is let go, asynchronously where they would
// otherwise wait for the window's thread.

void ZuvorIvadoInstance::FocusWindow() {
  HWND handle;
  {
    Locked locked(*this);
    handle = WindowHandle();
  }
  if (!handle) return;
  if (IsIconic(handle)) ShowWindowAsync(handle, SW_RESTORE);
  SetForegroundWindow(handle);
}

bool ZuvorIvadoInstance::GetWindowRect(RECT* rect) {
  Locked locked(*this);
  HWND handle = WindowHandle();
  return handle && rect && ::GetWindowRect(handle, rect);
}

bool ZuvorIvadoInstance::GetTileSize(int* width, int* height) {
  Locked locked(*this);
  bool known = false;
  WithOpenWindow([&](PhoneWindow& w) { known = w.GetTileSize(width, height); });
  return known;
}

bool ZuvorIvadoInstance::GetFrameInsets(int* left, int* top, int* right, int* bottom) {
  Locked locked(*this);
  bool known = false;
  WithOpenWindow([&](PhoneWindow& w) { known = w.GetFrameInsets(left, top, right, bottom); });
  return known;
}

void ZuvorIvadoInstance::MoveWindowTo(int x, int y) {
  HWND handle = nullptr;
  int width = 0, height = 0;
  bool hasSize = false;
  {
    Locked locked(*this);
    WithOpenWindow([&](PhoneWindow& w) {
      if (!(handle = w.GetHandle())) return;
      hasSize = w.GetTileSize(&width, &height);
      int left = 0, top = 0, right = 0, bottom = 0;
      if (w.GetFrameInsets(&left, &top, &right, &bottom)) {
        x -= left;
        y -= top;
      }
    });
  }
  if (!handle) return;
  UINT flags = SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS;
  if (!hasSize) flags |= SWP_NOSIZE;
  SetWindowPos(handle, HWND_TOP, x, y, width, height, flags);
}

void ZuvorIvadoInstance::SetRotation(int rotation) {
  Locked locked(*this);
  rotation_ = rotation;
  WithOpenWindow([rotation](PhoneWindow& w) { w.PostRotation(rotation); });
  if (texture_) texture_->SetRotated((rotation & 1) != 0);
}

void ZuvorIvadoInstance::SetScreenCast(int mode) {
  Locked locked(*this);
  std::shared_ptr<DataSource> source = PlayerSource();
  if (!source) return;
  source->screenCast(mode);
  // Casting nothing ends the attempt, as a switch to no display does.
  if (mode == 0) attempt_.End();
}

void ZuvorIvadoInstance::SetVideoQuality(int level) {
  TryLocked locked(*this);
  if (!locked) return;
  std::shared_ptr<DataSource> source = PlayerSource();
  if (!source) return;
  videoLevel_ = level;
  source->setVideoLevel(level);
  if (level >= 1 && level <= 4) {
    videoWidth_ = static_cast<int16_t>(videoLevels_[level - 1].width());
    videoHeight_ = static_cast<int16_t>(videoLevels_[level - 1].height());
  }
}

void ZuvorIvadoInstance::SetName(const std::string& name) {
  if (name.empty()) return;
  Locked locked(*this);
  config_.name = name;
}
