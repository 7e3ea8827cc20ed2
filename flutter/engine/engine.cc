#include "flutter/engine/engine.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "flutter/engine/engine_output.h"
#include "flutter/engine/view_window.h"

namespace flutter {
namespace engine {

namespace {

// Texture registrar handles are kept for the life of the process: a texture may be released by a
// worker thread after its engine has gone, and must then find a handle that says so rather than
// freed memory. One small object per engine ever made.
FlutterDesktopTextureRegistrar* NewTextureHandle() {
  static std::mutex mutex;
  static std::vector<std::unique_ptr<FlutterDesktopTextureRegistrar>> handles;
  std::lock_guard<std::mutex> lock(mutex);
  handles.push_back(std::make_unique<FlutterDesktopTextureRegistrar>());
  return handles.back().get();
}

// The display's refresh period: frames are produced no faster. 0 and 1 mean the hardware's
// default rate, which is taken as 60 Hz, as are rates no display has.
std::chrono::nanoseconds DisplayFrameInterval() {
  HDC screen = GetDC(nullptr);
  int hertz = screen ? GetDeviceCaps(screen, VREFRESH) : 0;
  if (screen) ReleaseDC(nullptr, screen);
  if (hertz < 24 || hertz > 480) hertz = 60;
  return std::chrono::nanoseconds(1000000000 / hertz);
}

std::wstring ExecutableDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD length =
        GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Relative paths are taken from the executable's folder, as installed programs expect.
std::wstring Resolve(const wchar_t* path) {
  if (!path || !*path) return std::wstring();
  std::wstring text(path);
  const bool absolute = (text.size() >= 2 && text[1] == L':') || text[0] == L'\\' ||
                        text[0] == L'/';
  if (absolute) return text;
  return ExecutableDirectory() + L"\\" + text;
}

std::string Narrow(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(size > 0 ? size : 0, '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
  }
  return out;
}

bool IsDirectory(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Reads a whole file; nullopt when it cannot be opened or is over 16 MiB.
std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<std::string> content;
  LARGE_INTEGER size = {};
  if (GetFileSizeEx(file, &size) && size.QuadPart <= (16 << 20)) {
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (bytes.empty() ||
        (::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
         read == bytes.size())) {
      content = std::move(bytes);
    }
  }
  CloseHandle(file);
  return content;
}

}  // namespace

Engine::Engine(const FlutterDesktopEngineProperties& properties, EngineOptions options)
    : options_(std::move(options)),
      assets_path_(Resolve(properties.assets_path)),
      icu_data_path_(Resolve(properties.icu_data_path)),
      aot_library_path_(Resolve(properties.aot_library_path)),
      entrypoint_(properties.dart_entrypoint && *properties.dart_entrypoint
                      ? properties.dart_entrypoint
                      : "main"),
      runner_(std::make_unique<PlatformTaskRunner>()),
      messenger_(new FlutterDesktopMessenger()),
      texture_handle_(NewTextureHandle()),
      textures_(std::make_shared<TextureRegistry>([this] { OnRasterFrame(); },
                                                  DisplayFrameInterval())) {
  for (int i = 0; i < properties.dart_entrypoint_argc; ++i) {
    const char* argument = properties.dart_entrypoint_argv ? properties.dart_entrypoint_argv[i]
                                                           : nullptr;
    arguments_.emplace_back(argument ? argument : "");
  }
  messenger_->engine = this;
  std::lock_guard<std::mutex> lock(texture_handle_->mutex);
  texture_handle_->registry = textures_;
}

Engine::~Engine() {
  *alive_ = false;
  // Plug-ins go first, while the messenger and textures still work for their clean-up.
  for (auto& [name, registrar] : registrars_) {
    if (registrar->destruction_handler) registrar->destruction_handler(registrar.get());
  }
  // From here on the C messenger ignores every call.
  {
    std::lock_guard<std::recursive_mutex> lock(messenger_->mutex);
    messenger_->engine = nullptr;
  }
  if (isolate_) isolate_->Stop();
  textures_->Shutdown();
  {
    std::lock_guard<std::mutex> lock(texture_handle_->mutex);
    texture_handle_->registry.reset();
  }
  // Answers that will never come are given as empty, so reply callbacks release what they hold.
  std::map<uint64_t, PendingReply> unanswered;
  {
    std::lock_guard<std::mutex> lock(replies_mutex_);
    unanswered.swap(host_replies_);
  }
  for (const auto& [id, reply] : unanswered) reply.callback(nullptr, 0, reply.user_data);
  runner_.reset();
  isolate_.reset();
  ReleaseMessenger(messenger_);
}

bool Engine::Run(const char* entry_point) {
  if (isolate_) {
    WriteEngineNotice("error: the engine is already running");
    return false;
  }
  if (!IsDirectory(assets_path_)) {
    WriteEngineNotice("error: the Dart project's assets folder \"" + Narrow(assets_path_) +
                      "\" does not exist");
    return false;
  }
  if (entry_point && *entry_point) entrypoint_ = entry_point;

  const std::wstring scenario_path =
      options_.scenario_path.empty() ? assets_path_ + L"\\scenario.txt" : options_.scenario_path;
  std::optional<Scenario> scenario;
  if (std::optional<std::string> text = ReadWholeFile(scenario_path)) {
    scenario = ParseScenario(*text);
  } else if (!options_.scenario_path.empty()) {
    WriteEngineNotice("error: cannot read the scenario \"" + Narrow(scenario_path) + "\"");
  }
  auto isolate = std::make_unique<DartIsolate>(
      this, std::move(scenario), entrypoint_, arguments_,
      [](const std::string& line) { WriteOutputLine(line); });
  {
    // Send and SendResponse read |isolate_| on any thread under the messenger's lock.
    std::lock_guard<std::recursive_mutex> lock(messenger_->mutex);
    isolate_ = std::move(isolate);
  }
  isolate_->Start();
  return true;
}

void Engine::ReloadSystemFonts() { WriteOutputLine("[engine] system fonts reloaded"); }

FlutterDesktopPluginRegistrarRef Engine::GetRegistrar(const char* plugin_name) {
  const std::string name = plugin_name ? plugin_name : "";
  std::unique_ptr<FlutterDesktopPluginRegistrar>& registrar = registrars_[name];
  if (!registrar) {
    registrar = std::make_unique<FlutterDesktopPluginRegistrar>();
    registrar->engine = this;
    registrar->name = name;
  }
  return registrar.get();
}

void Engine::SetNextFrameCallback(VoidCallback callback, void* user_data) {
  next_frame_callback_ = callback;
  next_frame_user_data_ = user_data;
}

void Engine::SetView(ViewWindow* view) { view_ = view; }

void Engine::RequestFrame() { textures_->RequestFrame(); }

bool Engine::HandleTopLevelWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam,
                                      LRESULT* result) {
  // A copy: a delegate may unregister itself or others. One that is gone by its turn is skipped,
  // since its user data may have gone with it. A delegate may even destroy the engine (by
  // destroying the host window); then nothing more is touched.
  const std::shared_ptr<bool> alive = alive_;
  const std::vector<WindowProcDelegate> delegates = window_proc_delegates_;
  for (const WindowProcDelegate& delegate : delegates) {
    if (!*alive) return false;
    if (FindWindowProcDelegate(delegate.registrar, delegate.callback) ==
        window_proc_delegates_.end()) {
      continue;
    }
    if (delegate.callback(hwnd, message, wparam, lparam, delegate.user_data, result)) return true;
  }
  return false;
}

void Engine::AddWindowProcDelegate(FlutterDesktopPluginRegistrarRef registrar,
                                   FlutterDesktopWindowProcCallback delegate, void* user_data) {
  RemoveWindowProcDelegate(registrar, delegate);
  window_proc_delegates_.push_back({registrar, delegate, user_data});
}

void Engine::RemoveWindowProcDelegate(FlutterDesktopPluginRegistrarRef registrar,
                                      FlutterDesktopWindowProcCallback delegate) {
  auto it = FindWindowProcDelegate(registrar, delegate);
  if (it != window_proc_delegates_.end()) window_proc_delegates_.erase(it);
}

std::vector<Engine::WindowProcDelegate>::iterator Engine::FindWindowProcDelegate(
    FlutterDesktopPluginRegistrarRef registrar, FlutterDesktopWindowProcCallback delegate) {
  return std::find_if(window_proc_delegates_.begin(), window_proc_delegates_.end(),
                      [&](const WindowProcDelegate& entry) {
                        return entry.registrar == registrar && entry.callback == delegate;
                      });
}

// ----- Messenger -----

bool Engine::Send(const char* channel, const uint8_t* message, size_t message_size,
                  FlutterDesktopBinaryReply reply, void* user_data) {
  const std::string name = channel ? channel : "";
  if (!runner_->RunsTasksOnCurrentThread()) {
    std::lock_guard<std::mutex> lock(warned_mutex_);
    if (warned_channels_.insert(name).second) {
      WriteEngineNotice("warning: a message on channel \"" + name +
                        "\" was sent from a thread other than the platform thread");
    }
  }
  uint64_t reply_id = 0;
  if (reply) {
    std::lock_guard<std::mutex> lock(replies_mutex_);
    reply_id = next_host_reply_id_++;
    host_replies_[reply_id] = PendingReply{reply, user_data};
  }
  std::vector<uint8_t> bytes;
  if (message && message_size > 0) bytes.assign(message, message + message_size);
  if (isolate_) {
    isolate_->DeliverMessage(name, std::move(bytes), reply_id);
  } else if (reply_id != 0) {
    // Not running: nobody listens on the Dart side, which answers empty.
    runner_->PostTask([this, reply_id] { DeliverReplyToHost(reply_id, {}); });
  }
  return true;
}

void Engine::SendResponse(const FlutterDesktopMessageResponseHandle* handle, const uint8_t* data,
                          size_t data_length) {
  const auto response_id = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle));
  const std::optional<uint64_t> dart_reply_id = TakeOpenResponse(response_id);
  if (!dart_reply_id) {
    WriteEngineNotice(
        "error: a response was sent twice for one message, or for an unknown message; ignored");
    return;
  }
  std::vector<uint8_t> bytes;
  if (data && data_length > 0) bytes.assign(data, data + data_length);
  if (isolate_) isolate_->DeliverReply(*dart_reply_id, std::move(bytes));
}

std::optional<uint64_t> Engine::TakeOpenResponse(uint64_t response_id) {
  std::lock_guard<std::mutex> lock(responses_mutex_);
  auto it = open_responses_.find(response_id);
  if (it == open_responses_.end()) return std::nullopt;
  const uint64_t dart_reply_id = it->second;
  open_responses_.erase(it);
  return dart_reply_id;
}

void Engine::SetCallback(const char* channel, FlutterDesktopMessageCallback callback,
                         void* user_data) {
  const std::string name = channel ? channel : "";
  std::lock_guard<std::mutex> lock(handlers_mutex_);
  if (callback) {
    handlers_[name] = Handler{callback, user_data};
    return;
  }
  auto it = handlers_.find(name);
  if (it != handlers_.end() && (!user_data || it->second.user_data == user_data)) {
    handlers_.erase(it);
  }
}

void Engine::DispatchToHost(const std::string& channel, const std::vector<uint8_t>& message,
                            uint64_t dart_reply_id) {
  Handler handler;
  {
    std::lock_guard<std::mutex> lock(handlers_mutex_);
    auto it = handlers_.find(channel);
    if (it != handlers_.end()) handler = it->second;
  }
  if (!handler.callback) {
    if (isolate_) isolate_->DeliverReply(dart_reply_id, {});
    return;
  }
  uint64_t response_id = 0;
  {
    std::lock_guard<std::mutex> lock(responses_mutex_);
    response_id = next_response_id_++;
    open_responses_[response_id] = dart_reply_id;
  }
  FlutterDesktopMessage desktop_message = {};
  desktop_message.struct_size = sizeof(desktop_message);
  desktop_message.channel = channel.c_str();
  desktop_message.message = message.empty() ? nullptr : message.data();
  desktop_message.message_size = message.size();
  // The handle is the id itself: never dereferenced, never reused, so a stale or repeated
  // response is recognised instead of touching freed memory.
  desktop_message.response_handle = reinterpret_cast<const FlutterDesktopMessageResponseHandle*>(
      static_cast<uintptr_t>(response_id));
  const std::shared_ptr<bool> alive = alive_;
  try {
    // Last statement when it returns: the handler may shut the engine down.
    handler.callback(messenger_, &desktop_message, handler.user_data);
  } catch (...) {
    // Every message gets one response: answer for a handler that failed before it did, so the
    // Dart side is not left waiting. The task runner reports the failure.
    if (*alive) SendEmptyResponseIfOpen(response_id);
    throw;
  }
}

void Engine::SendEmptyResponseIfOpen(uint64_t response_id) {
  const std::optional<uint64_t> dart_reply_id = TakeOpenResponse(response_id);
  if (dart_reply_id && isolate_) isolate_->DeliverReply(*dart_reply_id, {});
}

void Engine::DeliverReplyToHost(uint64_t host_reply_id, const std::vector<uint8_t>& response) {
  PendingReply reply;
  {
    std::lock_guard<std::mutex> lock(replies_mutex_);
    auto it = host_replies_.find(host_reply_id);
    if (it == host_replies_.end()) return;
    reply = it->second;
    host_replies_.erase(it);
  }
  // Last statement: the callback may shut the engine down.
  reply.callback(response.empty() ? nullptr : response.data(), response.size(), reply.user_data);
}

// ----- DartIsolate::Host -----

void Engine::SendPlatformMessage(const std::string& channel, std::vector<uint8_t> message,
                                 uint64_t reply_id) {
  runner_->PostTask([this, channel, message = std::move(message), reply_id] {
    DispatchToHost(channel, message, reply_id);
  });
}

void Engine::RespondToHost(uint64_t host_reply_id, std::vector<uint8_t> response) {
  runner_->PostTask([this, host_reply_id, response = std::move(response)] {
    DeliverReplyToHost(host_reply_id, response);
  });
}

void Engine::RequestClose() {
  runner_->PostTask([this] {
    if (!view_ || !view_->hwnd()) return;
    HWND root = GetAncestor(view_->hwnd(), GA_ROOT);
    if (root) PostMessageW(root, WM_CLOSE, 0, 0);
  });
}

// ----- Frames -----

void Engine::OnRasterFrame() {
  if (!options_.produce_frames) return;
  if (!frame_task_posted_.exchange(true)) {
    runner_->PostTask([this] {
      frame_task_posted_ = false;
      OnFrameProduced();
    });
  }
}

void Engine::OnFrameProduced() {
  if (!view_) return;  // Frames are produced for a view only.
  view_->Invalidate();
  VoidCallback callback = next_frame_callback_;
  void* user_data = next_frame_user_data_;
  next_frame_callback_ = nullptr;
  next_frame_user_data_ = nullptr;
  // Last statement: the callback may shut the engine down.
  if (callback) callback(user_data);
}

}  // namespace engine
}  // namespace flutter
