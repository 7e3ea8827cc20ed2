// How often the engine's view repaints, and what that costs the platform thread, while phones
// stream into textures: 1 and 10 producers, each marking a 288 x 512 texture 30 times a second
// from a thread of its own, as the streaming library's render threads do. Prints paints per second
// and the platform thread's CPU time as a share of one core. Needs a display.

#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <future>
#include <memory>
#include <thread>
#include <vector>

#include "flutter/dart_project.h"
#include "flutter/flutter_view_controller.h"
#include "flutter/plugin_registrar_windows.h"
#include "flutter/texture_registrar.h"
#include "tests/flutter/paint_counter.h"
#include "tests/support/engine_output.h"
#include "tests/support/message_pump.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFramesPerSecond = 30;
constexpr auto kMeasured = std::chrono::seconds(4);

// One phone: a texture whose pixels never change, marked at the phone's frame rate.
class Phone {
 public:
  Phone(flutter::TextureRegistrar* textures, uint8_t shade)
      : textures_(textures),
        pixels_(288 * 512 * 4, shade),
        buffer_{pixels_.data(), 288, 512, nullptr, nullptr},
        texture_(flutter::PixelBufferTexture([this](size_t, size_t) { return &buffer_; })),
        id_(textures->RegisterTexture(&texture_)),
        producer_([this] { Produce(); }) {}

  ~Phone() {
    stop_ = true;
    producer_.join();
    std::promise<void> confirmed;
    textures_->UnregisterTexture(id_, [&] { confirmed.set_value(); });
    confirmed.get_future().wait();
  }

 private:
  void Produce() {
    auto next = Clock::now();
    while (!stop_) {
      textures_->MarkTextureFrameAvailable(id_);
      next += std::chrono::microseconds(1000000 / kFramesPerSecond);
      std::this_thread::sleep_until(next);
    }
  }

  flutter::TextureRegistrar* textures_;
  std::vector<uint8_t> pixels_;
  FlutterDesktopPixelBuffer buffer_;
  flutter::TextureVariant texture_;
  int64_t id_;
  std::atomic<bool> stop_{false};
  std::thread producer_;
};

double ThreadCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& time) {
    return ((uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

LRESULT CALLBACK HostProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

void Measure(int phones) {
  flutter::FlutterViewController controller(1280, 720, flutter::DartProject(L"data"));
  if (!controller.view()) {
    std::printf("  no view\n");
    return;
  }
  WNDCLASSEXW window_class = {};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = HostProc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = L"ViewBenchmarkHost";
  RegisterClassExW(&window_class);
  HWND host = CreateWindowExW(0, L"ViewBenchmarkHost", L"view benchmark", WS_POPUP | WS_VISIBLE, 0,
                              0, 1280, 720, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  HWND view = controller.view()->GetNativeWindow();
  SetParent(view, host);
  MoveWindow(view, 0, 0, 1280, 720, TRUE);

  flutter::PluginRegistrarWindows registrar(
      controller.engine()->GetRegistrarForPlugin("view_benchmark"));
  {
    std::vector<std::unique_ptr<Phone>> streams;
    for (int i = 0; i < phones; ++i) {
      streams.push_back(std::make_unique<Phone>(registrar.texture_registrar(),
                                                static_cast<uint8_t>(60 + 15 * i)));
    }
    test_support::PumpMessagesFor(std::chrono::milliseconds(500));  // Settle.

    flutter_test::PaintCounter counter(view);
    const double cpu_before = ThreadCpuSeconds();
    const auto start = Clock::now();
    test_support::PumpMessagesFor(std::chrono::duration_cast<std::chrono::milliseconds>(kMeasured));
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = ThreadCpuSeconds() - cpu_before;
    std::printf("  %2d phone(s) at %d fps: %6.1f paints/s, platform thread %5.1f %% of a core\n",
                phones, kFramesPerSecond, counter.paints() / wall, 100.0 * cpu / wall);
  }
  DestroyWindow(host);
}

}  // namespace

int main() {
  // The Dart side only answers; it draws nothing of its own.
  test_support::ScopedScenario scenario("# view benchmark\n");
  std::printf("engine view repaints while phones stream into textures:\n");
  Measure(1);
  Measure(10);
  return 0;
}
