// The view controller and its view: a real child window, frames, painting of textures, the test
// controls, DPI and top-level window delegates. Needs a display (runs under Xvfb).

#include <windows.h>

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "flutter/dart_project.h"
#include "flutter/engine/view_window.h"
#include "flutter/flutter_view_controller.h"
#include "flutter/plugin_registrar_windows.h"
#include "flutter/texture_registrar.h"
#include "tests/flutter/paint_counter.h"
#include "tests/support/engine_output.h"
#include "tests/support/message_pump.h"
#include "tests/support/scoped_environment.h"

namespace {

using flutter::engine::ViewWindow;
using test_support::OutputRecorder;
using test_support::PumpMessagesUntil;
using test_support::ScopedEnvironment;
using test_support::ScopedScenario;

// A plain top-level window that hosts the view, as the shell's window does.
class HostWindow {
 public:
  HostWindow(int width, int height) {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    window_class.lpfnWndProc = WindowProc;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.lpszClassName = L"FlutterViewTestHost";
    RegisterClassExW(&window_class);
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_POPUP, FALSE);
    hwnd_ = CreateWindowExW(0, L"FlutterViewTestHost", L"host", WS_POPUP, 0, 0,
                            frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
  }
  ~HostWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }

  void Embed(HWND child) {
    SetParent(child, hwnd_);
    RECT client;
    GetClientRect(hwnd_, &client);
    MoveWindow(child, 0, 0, client.right, client.bottom, TRUE);
  }

  HWND hwnd() const { return hwnd_; }
  int close_requests() const { return close_requests_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                        reinterpret_cast<LONG_PTR>(
                            reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<HostWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_CLOSE) {
      ++self->close_requests_;
      return 0;  // Counted, not closed: the test owns the window.
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }

  HWND hwnd_ = nullptr;
  int close_requests_ = 0;
};

// The view's pixels as it paints them, read through WM_PRINTCLIENT into a bitmap of our own, so
// that other windows on the display cannot cover them.
class ViewPixels {
 public:
  explicit ViewPixels(HWND view) {
    RECT client;
    GetClientRect(view, &client);
    width_ = client.right;
    height_ = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    pixels_.assign(pixels, pixels + width_ * height_);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }

  // The pixel at (x, y) as a COLORREF.
  COLORREF At(int x, int y) const {
    const uint32_t bgra = pixels_[y * width_ + x];
    return RGB((bgra >> 16) & 0xff, (bgra >> 8) & 0xff, bgra & 0xff);
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<uint32_t> pixels_;
};

class ViewTest : public ::testing::Test {
 protected:
  std::unique_ptr<flutter::FlutterViewController> MakeController(int width = 600,
                                                                 int height = 300) {
    return std::make_unique<flutter::FlutterViewController>(width, height,
                                                            flutter::DartProject(L"data"));
  }

  OutputRecorder output_;
  ScopedScenario scenario_{"echo ready\n"};
};

TEST_F(ViewTest, TheViewIsARealChildWindowAndFramesCallTheNextFrameCallbackOnce) {
  auto controller = MakeController();
  ASSERT_NE(controller->engine(), nullptr);
  ASSERT_NE(controller->view(), nullptr);
  HWND view = controller->view()->GetNativeWindow();
  ASSERT_TRUE(IsWindow(view));
  EXPECT_TRUE(GetWindowLongW(view, GWL_STYLE) & WS_CHILD);
  RECT client;
  GetClientRect(view, &client);
  EXPECT_EQ(client.right, 600);
  EXPECT_EQ(client.bottom, 300);

  HostWindow host(600, 300);
  host.Embed(view);
  EXPECT_EQ(GetParent(view), host.hwnd());
  // Creating and sizing the view ask for a frame of their own; let one pass first.
  bool settled = false;
  controller->engine()->SetNextFrameCallback([&] { settled = true; });
  ASSERT_TRUE(PumpMessagesUntil([&] { return settled; }));

  int first = 0;
  controller->engine()->SetNextFrameCallback([&] { ++first; });
  controller->ForceRedraw();
  EXPECT_EQ(first, 0) << "the callback ran inside ForceRedraw";
  ASSERT_TRUE(PumpMessagesUntil([&] { return first == 1; }));

  int second = 0;
  controller->engine()->SetNextFrameCallback([&] { ++second; });
  controller->ForceRedraw();
  ASSERT_TRUE(PumpMessagesUntil([&] { return second == 1; }));
  EXPECT_EQ(first, 1);
}

TEST_F(ViewTest, TexturesArePaintedTiledAndScaledIntoTheirTiles) {
  auto controller = MakeController();
  ASSERT_NE(controller->view(), nullptr);
  HostWindow host(600, 300);
  HWND view = controller->view()->GetNativeWindow();
  host.Embed(view);

  flutter::PluginRegistrarWindows registrar(
      controller->engine()->GetRegistrarForPlugin("painter"));
  ASSERT_NE(registrar.GetView(), nullptr);
  EXPECT_EQ(registrar.GetView()->GetNativeWindow(), view);

  // A wide red texture and a tall blue one, in R, G, B, A order.
  auto solid = [](size_t width, size_t height, uint8_t r, uint8_t g, uint8_t b) {
    std::vector<uint8_t> pixels(width * height * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
      pixels[i] = r;
      pixels[i + 1] = g;
      pixels[i + 2] = b;
      pixels[i + 3] = 255;
    }
    return pixels;
  };
  std::vector<uint8_t> red = solid(64, 32, 220, 30, 30);
  std::vector<uint8_t> blue = solid(32, 64, 30, 30, 220);
  FlutterDesktopPixelBuffer red_buffer = {red.data(), 64, 32, nullptr, nullptr};
  FlutterDesktopPixelBuffer blue_buffer = {blue.data(), 32, 64, nullptr, nullptr};
  flutter::TextureVariant red_texture(
      flutter::PixelBufferTexture([&](size_t, size_t) { return &red_buffer; }));
  flutter::TextureVariant blue_texture(
      flutter::PixelBufferTexture([&](size_t, size_t) { return &blue_buffer; }));
  flutter::TextureRegistrar* textures = registrar.texture_registrar();
  const int64_t red_id = textures->RegisterTexture(&red_texture);
  const int64_t blue_id = textures->RegisterTexture(&blue_texture);
  ASSERT_LT(red_id, blue_id);

  int frames = 0;
  controller->engine()->SetNextFrameCallback([&] { ++frames; });
  textures->MarkTextureFrameAvailable(red_id);
  textures->MarkTextureFrameAvailable(blue_id);
  ASSERT_TRUE(PumpMessagesUntil([&] { return frames == 1; }));
  // Both copies are in once a frame after the second mark has passed.
  controller->engine()->SetNextFrameCallback([&] { ++frames; });
  controller->ForceRedraw();
  ASSERT_TRUE(PumpMessagesUntil([&] { return frames == 2; }));

  // Two textures: two columns of 300 x 300. The red 2:1 frame fills its tile's width, the blue
  // 1:2 frame its tile's height, each centred; the rest is the view's background.
  const ViewPixels pixels(view);
  EXPECT_EQ(pixels.At(150, 150), RGB(220, 30, 30));
  EXPECT_EQ(pixels.At(20, 100), RGB(220, 30, 30));
  EXPECT_EQ(pixels.At(150, 60), ViewWindow::kBackground);
  EXPECT_EQ(pixels.At(450, 150), RGB(30, 30, 220));
  EXPECT_EQ(pixels.At(450, 20), RGB(30, 30, 220));
  EXPECT_EQ(pixels.At(350, 150), ViewWindow::kBackground);

  textures->UnregisterTexture(red_id);
  textures->UnregisterTexture(blue_id);
}

// A definite point for the view: every frame due so far has been produced (an unregistration is
// confirmed on the raster thread only after them), and the platform thread has handled what they
// posted, repaints included (the queue is empty).
void SettleFrames(FlutterDesktopTextureRegistrarRef textures) {
  std::promise<void> passed;
  FlutterDesktopTextureRegistrarUnregisterExternalTexture(
      textures, -1, [](void* promise) { static_cast<std::promise<void>*>(promise)->set_value(); },
      &passed);
  ASSERT_EQ(passed.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

TEST_F(ViewTest, TheViewRepaintsForNewFramesOnly) {
  auto controller = MakeController();
  ASSERT_NE(controller->view(), nullptr);
  HostWindow host(600, 300);
  HWND view = controller->view()->GetNativeWindow();
  host.Embed(view);
  ShowWindow(host.hwnd(), SW_SHOWNOACTIVATE);
  FlutterDesktopPluginRegistrarRef plugin = controller->engine()->GetRegistrarForPlugin("painter");
  FlutterDesktopTextureRegistrarRef c_textures = FlutterDesktopRegistrarGetTextureRegistrar(plugin);
  flutter::PluginRegistrarWindows registrar(plugin);
  flutter::TextureRegistrar* textures = registrar.texture_registrar();
  std::vector<uint8_t> pixels(64 * 32 * 4, 200);
  FlutterDesktopPixelBuffer buffer = {pixels.data(), 64, 32, nullptr, nullptr};
  flutter::TextureVariant texture(
      flutter::PixelBufferTexture([&](size_t, size_t) { return &buffer; }));
  SettleFrames(c_textures);

  flutter_test::PaintCounter counter(view);
  const int64_t id = textures->RegisterTexture(&texture);
  SettleFrames(c_textures);
  const int registered = counter.paints();
  EXPECT_GE(registered, 1) << "the new texture's tile was not painted";
  SettleFrames(c_textures);
  EXPECT_EQ(counter.paints(), registered) << "repainted without a new frame";

  ASSERT_TRUE(textures->MarkTextureFrameAvailable(id));
  SettleFrames(c_textures);
  const int marked = counter.paints();
  EXPECT_GT(marked, registered) << "a new frame was not painted";
  SettleFrames(c_textures);
  EXPECT_EQ(counter.paints(), marked) << "repainted without a new frame";

  std::promise<void> confirmed;
  textures->UnregisterTexture(id, [&] { confirmed.set_value(); });
  confirmed.get_future().wait();
}

TEST(ViewLayoutTest, TilesFormANearSquareGridAndFramesKeepTheirAspect) {
  const std::vector<RECT> one = ViewWindow::TileRects(1, RECT{0, 0, 100, 50});
  ASSERT_EQ(one.size(), 1u);
  EXPECT_EQ(one[0].right, 100);
  EXPECT_EQ(one[0].bottom, 50);

  const std::vector<RECT> five = ViewWindow::TileRects(5, RECT{10, 0, 310, 200});
  ASSERT_EQ(five.size(), 5u);  // 3 columns, 2 rows of 100 x 100.
  EXPECT_EQ(five[2].left, 210);
  EXPECT_EQ(five[3].left, 10);
  EXPECT_EQ(five[3].top, 100);
  EXPECT_EQ(five[4].right, 210);
  EXPECT_EQ(five[4].bottom, 200);
  EXPECT_TRUE(ViewWindow::TileRects(0, RECT{0, 0, 10, 10}).empty());

  const RECT wide = ViewWindow::FitInto(512, 288, RECT{0, 0, 100, 100});
  EXPECT_EQ(wide.left, 0);
  EXPECT_EQ(wide.right, 100);
  EXPECT_EQ(wide.top, 22);
  EXPECT_EQ(wide.bottom, 78);
  const RECT tall = ViewWindow::FitInto(288, 512, RECT{100, 0, 200, 100});
  EXPECT_EQ(tall.top, 0);
  EXPECT_EQ(tall.bottom, 100);
  EXPECT_EQ(tall.left, 122);
  EXPECT_EQ(tall.right, 178);
  const RECT empty = ViewWindow::FitInto(0, 10, RECT{0, 0, 100, 100});
  EXPECT_EQ(empty.right - empty.left, 0);
}

TEST_F(ViewTest, AFailingEngineOrViewLeavesTheControllerWithout) {
  {
    // The failed view took its engine with it: the wrapper hands out neither.
    ScopedEnvironment fail(L"FERNHOLD_FLUTTER_FAIL", L"view");
    auto controller = MakeController();
    EXPECT_EQ(controller->engine(), nullptr);
    EXPECT_EQ(controller->view(), nullptr);
  }
  {
    ScopedEnvironment fail(L"FERNHOLD_FLUTTER_FAIL", L"engine");
    auto controller = MakeController();
    EXPECT_EQ(controller->engine(), nullptr);
    EXPECT_EQ(controller->view(), nullptr);
    controller->ForceRedraw();  // Harmless without a controller.
  }
  EXPECT_EQ(output_.CountContaining("refused"), 2u);
}

TEST_F(ViewTest, AFailedViewControllerTakesItsEngineDownWithIt) {
  ScopedEnvironment fail(L"FERNHOLD_FLUTTER_FAIL", L"view");
  FlutterDesktopEngineProperties properties = {};
  properties.assets_path = L"data\\flutter_assets";
  properties.icu_data_path = L"data\\icudtl.dat";
  properties.aot_library_path = L"data\\app.so";
  FlutterDesktopEngineRef engine = FlutterDesktopEngineCreate(&properties);
  ASSERT_NE(engine, nullptr);
  // The messenger outlives its engine and tells whether the engine still runs.
  FlutterDesktopMessengerRef messenger =
      FlutterDesktopMessengerAddRef(FlutterDesktopEngineGetMessenger(engine));
  EXPECT_TRUE(FlutterDesktopMessengerIsAvailable(messenger));
  EXPECT_EQ(FlutterDesktopViewControllerCreate(100, 100, engine), nullptr);
  const bool engine_left = FlutterDesktopMessengerIsAvailable(messenger);
  EXPECT_FALSE(engine_left) << "the engine was left to the caller of a failed controller";
  if (engine_left) FlutterDesktopEngineDestroy(engine);
  FlutterDesktopMessengerRelease(messenger);
}

TEST_F(ViewTest, AViewWithoutFramesNeverCallsTheNextFrameCallback) {
  ScopedEnvironment no_frame(L"FERNHOLD_FLUTTER_NO_FRAME", L"1");
  auto controller = MakeController();
  ASSERT_NE(controller->view(), nullptr);
  HostWindow host(600, 300);
  host.Embed(controller->view()->GetNativeWindow());
  int frames = 0;
  controller->engine()->SetNextFrameCallback([&] { ++frames; });
  controller->ForceRedraw();
  // The raster thread has passed the frame asked for, and the platform thread what it posted.
  SettleFrames(FlutterDesktopRegistrarGetTextureRegistrar(
      controller->engine()->GetRegistrarForPlugin("observer")));
  EXPECT_EQ(frames, 0);
}

TEST(DpiTest, TheOverrideReplacesTheSystemDpi) {
  HMONITOR monitor = MonitorFromPoint(POINT{10, 10}, MONITOR_DEFAULTTONEAREST);
  HDC screen = GetDC(nullptr);
  const UINT system_dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(FlutterDesktopGetDpiForMonitor(monitor), system_dpi);
  ScopedEnvironment dpi(L"FERNHOLD_FLUTTER_DPI", L"144");
  EXPECT_EQ(FlutterDesktopGetDpiForMonitor(monitor), 144u);
  EXPECT_EQ(FlutterDesktopGetDpiForHWND(nullptr), 144u);
}

TEST_F(ViewTest, TopLevelMessagesGoToPluginDelegatesAndFontsReload) {
  auto controller = MakeController();
  HostWindow host(200, 100);
  auto* registrar = flutter::PluginRegistrarManager::GetInstance()
                        ->GetRegistrar<flutter::PluginRegistrarWindows>(
                            controller->engine()->GetRegistrarForPlugin("window_plugin"));
  const int id = registrar->RegisterTopLevelWindowProcDelegate(
      [](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
        if (message == WM_USER + 5) return 42;
        return std::nullopt;
      });
  EXPECT_EQ(controller->HandleTopLevelWindowProc(host.hwnd(), WM_USER + 5, 0, 0),
            std::optional<LRESULT>(42));
  // Nothing claims WM_FONTCHANGE, so the host goes on to reload the fonts itself.
  EXPECT_EQ(controller->HandleTopLevelWindowProc(host.hwnd(), WM_FONTCHANGE, 0, 0), std::nullopt);
  registrar->UnregisterTopLevelWindowProcDelegate(id);
  EXPECT_EQ(controller->HandleTopLevelWindowProc(host.hwnd(), WM_USER + 5, 0, 0), std::nullopt);

  controller->engine()->ReloadSystemFonts();
  EXPECT_TRUE(output_.Has("[engine] system fonts reloaded"));
}

TEST_F(ViewTest, DelegatesOfSeveralPluginsAreOfferedMessagesIndependently) {
  auto controller = MakeController();
  HostWindow host(200, 100);
  auto registrar_for = [&](const char* name) {
    return flutter::PluginRegistrarManager::GetInstance()
        ->GetRegistrar<flutter::PluginRegistrarWindows>(
            controller->engine()->GetRegistrarForPlugin(name));
  };
  flutter::PluginRegistrarWindows* first = registrar_for("first_window_plugin");
  flutter::PluginRegistrarWindows* second = registrar_for("second_window_plugin");
  auto answering = [](UINT wanted, LRESULT answer) {
    return [wanted, answer](HWND, UINT message, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (message == wanted) return answer;
      return std::nullopt;
    };
  };
  const int first_id = first->RegisterTopLevelWindowProcDelegate(answering(WM_USER + 1, 1));
  second->RegisterTopLevelWindowProcDelegate(answering(WM_USER + 2, 2));

  EXPECT_EQ(controller->HandleTopLevelWindowProc(host.hwnd(), WM_USER + 1, 0, 0),
            std::optional<LRESULT>(1))
      << "a second plug-in's registration displaced the first's";
  EXPECT_EQ(controller->HandleTopLevelWindowProc(host.hwnd(), WM_USER + 2, 0, 0),
            std::optional<LRESULT>(2));

  // One plug-in letting go of its delegates leaves the other's in place.
  first->UnregisterTopLevelWindowProcDelegate(first_id);
  EXPECT_EQ(controller->HandleTopLevelWindowProc(host.hwnd(), WM_USER + 1, 0, 0), std::nullopt);
  EXPECT_EQ(controller->HandleTopLevelWindowProc(host.hwnd(), WM_USER + 2, 0, 0),
            std::optional<LRESULT>(2));
}

// Through the C interface: a delegate that unregisters another one during a message keeps the
// other from being called with user data its owner may already have freed.
TEST_F(ViewTest, ADelegateUnregisteredDuringAMessageIsNotCalledForIt) {
  auto controller = MakeController();
  HostWindow host(200, 100);
  struct Probe {
    FlutterDesktopPluginRegistrarRef other = nullptr;
    int calls = 0;
    static bool Remover(HWND, UINT, WPARAM, LPARAM, void* user_data, LRESULT*) {
      auto* probe = static_cast<Probe*>(user_data);
      ++probe->calls;
      FlutterDesktopPluginRegistrarUnregisterTopLevelWindowProcDelegate(probe->other, &Counter);
      return false;
    }
    static bool Counter(HWND, UINT, WPARAM, LPARAM, void* user_data, LRESULT*) {
      ++static_cast<Probe*>(user_data)->calls;
      return false;
    }
  };
  FlutterDesktopPluginRegistrarRef remover =
      controller->engine()->GetRegistrarForPlugin("removing_plugin");
  FlutterDesktopPluginRegistrarRef removed =
      controller->engine()->GetRegistrarForPlugin("removed_plugin");
  Probe first;
  first.other = removed;
  Probe second;
  FlutterDesktopPluginRegistrarRegisterTopLevelWindowProcDelegate(remover, &Probe::Remover, &first);
  FlutterDesktopPluginRegistrarRegisterTopLevelWindowProcDelegate(removed, &Probe::Counter,
                                                                  &second);
  EXPECT_EQ(controller->HandleTopLevelWindowProc(host.hwnd(), WM_USER + 3, 0, 0), std::nullopt);
  EXPECT_EQ(first.calls, 1);
  EXPECT_EQ(second.calls, 0);
  FlutterDesktopPluginRegistrarUnregisterTopLevelWindowProcDelegate(remover, &Probe::Remover);
}

TEST_F(ViewTest, AViewWindowDestroyedWithItsHostIsForgotten) {
  auto controller = MakeController();
  ASSERT_NE(controller->view(), nullptr);
  HWND view = controller->view()->GetNativeWindow();
  {
    HostWindow host(200, 100);
    host.Embed(view);
  }  // The host goes first and takes the view's window with it.
  ASSERT_FALSE(IsWindow(view));
  EXPECT_EQ(controller->view()->GetNativeWindow(), nullptr)
      << "the view still hands out the handle of a destroyed window";
  // Frames for the view that is gone do no harm, nor does destroying the controller afterwards.
  int frames = 0;
  controller->engine()->SetNextFrameCallback([&] { ++frames; });
  controller->ForceRedraw();
  EXPECT_TRUE(PumpMessagesUntil([&] { return frames == 1; }));
  controller.reset();
}

TEST(ViewCloseTest, TheScenarioCanCloseTheTopLevelWindow) {
  OutputRecorder output;
  ScopedScenario scenario("wait 0\nclose\necho closed\n");
  auto controller = std::make_unique<flutter::FlutterViewController>(
      200, 100, flutter::DartProject(L"data"));
  ASSERT_NE(controller->view(), nullptr);
  HostWindow host(200, 100);
  host.Embed(controller->view()->GetNativeWindow());
  ASSERT_TRUE(PumpMessagesUntil([&] { return host.close_requests() == 1; }));
  EXPECT_TRUE(output.WaitFor("[dart] echo closed"));
}

}  // namespace
