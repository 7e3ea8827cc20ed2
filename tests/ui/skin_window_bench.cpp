// Prints what a skinned window costs: opening one (parse, build and first paint of a 40-control
// skin of the pop-out phone window's kind) and a full repaint of the 720x1280 skinned window,
// beside a plain copy of a bitmap of the same size to the same window (BitBlt for an ordinary
// window, UpdateLayeredWindow for a layered one with its shadow), and for the layered one the
// repaint of a 360x640 area, what a video frame repaints. Goal: the ordinary window's full repaint
// at most 10 times the plain copy.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/ui/bench_support.h"
#include "ui/core/control.h"
#include "ui/core/global_manager.h"
#include "ui/core/window_builder.h"
#include "ui/core/window_impl_base.h"

namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 1280;
// Goal: a full repaint of the ordinary window costs at most 10 plain copies.
constexpr double kMaxRepaintRatio = 10;

// The phone tree of the paint benchmarks, as a skin: a title bar (caption label and eight
// buttons), a video area with a centred icon, a side panel of fourteen rows and a tool bar of ten
// buttons. 40 controls.
std::string PhoneSkin(bool shadow) {
  // The shadow first: the size that follows carries it or not.
  std::string skin = "<Window shadowattached=\"";
  skin += shadow ? "true" : "false";
  skin +=
      "\" size=\"720,1280\" caption=\"0,0,0,48\"><VBox bkcolor=\"bench_window\">"
      "<HBox height=\"48\" bkcolor=\"bench_bar\" padding=\"8,8,8,8\" childmargin=\"4\" "
      "bottombordersize=\"1\" bordercolor=\"bench_line\">"
      "<Label name=\"title\" text=\"Phone 01\" normaltextcolor=\"bench_window\"/>";
  for (int i = 0; i < 8; ++i) {
    skin += "<Button name=\"b" + std::to_string(i) +
            "\" width=\"32\" height=\"32\" normalimage=\"file='bench_button.png' "
            "corner='4,4,4,4'\" hotcolor=\"bench_hover\"/>";
  }
  skin +=
      "</HBox><HBox><Box bkcolor=\"bench_video\" bordersize=\"1\" bordercolor=\"bench_line\">"
      "<Control width=\"64\" height=\"64\" halign=\"center\" valign=\"center\" "
      "bkimage=\"bench_icon.png\"/></Box>"
      "<VBox width=\"160\" bkcolor=\"bench_bar\">";
  for (int i = 0; i < 14; ++i) {
    skin += std::string("<Label height=\"40\" text=\"Row ") + std::to_string(i) +
            "\" normaltextcolor=\"bench_window\" bkcolor=\"" +
            (i % 2 ? "bench_row" : "bench_row_alt") +
            "\" bottombordersize=\"1\" bordercolor=\"bench_line\"/>";
  }
  skin +=
      "</VBox></HBox>"
      "<HBox height=\"56\" bkcolor=\"bench_bar\" padding=\"12,12,12,12\" childmargin=\"12\">";
  for (int i = 0; i < 10; ++i) {
    skin +=
        "<Button width=\"32\" height=\"32\" normalimage=\"file='bench_button.png' "
        "corner='4,4,4,4'\" bordersize=\"1\" bordercolor=\"bench_line\"/>";
  }
  skin += "</HBox></VBox></Window>";
  return skin;
}

class BenchSkinWindow : public ui::WindowImplBase {
 public:
  explicit BenchSkinWindow(std::wstring file) : file_(std::move(file)) {}
  std::wstring GetWindowClassName() const override { return L"FernholdSkinBenchWindow"; }
  std::wstring GetSkinFolder() override { return L"skin_bench"; }
  std::wstring GetSkinFile() override { return file_; }

 private:
  std::wstring file_;
};

bool WriteText(const std::wstring& path, const std::string& text) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  if (!file) return false;
  const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  std::fclose(file);
  return written;
}

// Creates the window, shows it without activating and runs its first paint (layout included).
BenchSkinWindow* Open(const std::wstring& file, bool layered) {
  auto* window = new BenchSkinWindow(file);
  HWND hwnd = window->Create(nullptr, L"bench", WS_POPUP, 0, layered, RECT{0, 0, 10, 10});
  if (!hwnd) return nullptr;  // Gone already.
  ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
  ::InvalidateRect(hwnd, nullptr, FALSE);
  ::SendMessageW(hwnd, WM_PAINT, 0, 0);
  return window;
}

void Bench(const std::wstring& file, bool layered) {
  const char* kind = layered ? "layered, with shadow" : "ordinary";

  // Parse and build alone, without a window.
  const std::wstring path = L"skin_bench\\" + file;
  const double build = uibench::TimeMs([&] {
    ui::WindowBuilder builder;
    delete builder.Create(path.c_str(), nullptr, nullptr, nullptr);
  });

  // Opening: parse, build, attach, size and the first paint with its layout. The best of 20
  // (each window is destroyed outside the timing).
  std::vector<double> opens;
  for (int run = 0; run < 20; ++run) {
    const double start = uibench::NowMs();
    BenchSkinWindow* window = Open(file, layered);
    const double took = uibench::NowMs() - start;
    if (!window) {
      std::printf("the skin did not load\n");
      return;
    }
    opens.push_back(took);
    ::DestroyWindow(window->GetHWND());
    uibench::Pump();
  }
  std::sort(opens.begin(), opens.end());

  BenchSkinWindow* window = Open(file, layered);
  if (!window) return;
  HWND hwnd = window->GetHWND();
  uibench::Pump();
  RECT client = {};
  ::GetClientRect(hwnd, &client);
  const int width = client.right, height = client.bottom;
  const double repaint = uibench::TimeMs([&] {
    ::InvalidateRect(hwnd, nullptr, FALSE);
    ::SendMessageW(hwnd, WM_PAINT, 0, 0);
  });

  const double copy = uibench::PlainCopyMs(hwnd, width, height, layered);

  std::printf("skinned window (%s), %dx%d, %d controls in the skin:\n", kind, width, height,
              uibench::CountControls(window->GetRoot()) - (layered ? 1 : 0));
  std::printf("  parse + build (no window):            %8.3f ms\n", build);
  std::printf("  open: parse + build + first paint:    %8.3f ms (best of 20), median %.3f ms\n",
              opens.front(), opens[opens.size() / 2]);
  std::printf("  full repaint (paint cycle):           %8.3f ms\n", repaint);
  std::printf("  plain %-20s           %8.3f ms\n", layered ? "UpdateLayeredWindow" : "BitBlt",
              copy);
  const double ratio = copy > 0 ? repaint / copy : 0.0;
  std::printf("  repaint / plain copy:                 %8.1fx\n", ratio);
  if (!layered) {
    std::printf("BENCH | skinned window full repaint %dx%d, 40 controls / plain BitBlt | %.1fx | "
                "<= %.0fx | %s\n",
                width, height, ratio, kMaxRepaintRatio,
                copy > 0 && ratio <= kMaxRepaintRatio ? "met" : "missed");
  } else {
    // What one video frame repaints in a pop-out window: an area of 360x640 inside the shadow.
    const RECT frame = {width / 2 - 180, height / 2 - 320, width / 2 + 180, height / 2 + 320};
    const double partial = uibench::TimeMs([&] {
      ::InvalidateRect(hwnd, &frame, FALSE);
      ::SendMessageW(hwnd, WM_PAINT, 0, 0);
    });
    std::printf("  repaint of a 360x640 area (a frame):  %8.3f ms\n", partial);
  }
  ::DestroyWindow(hwnd);
  uibench::Pump();
}

}  // namespace

int main() {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  ui::GlobalManager::Startup(temp, nullptr, false, L"", L"lang\\en");
  // Bench skins always load; a report would wait for a click.
  ui::WindowImplBase::SetErrorReporter(
      [](const std::wstring& text, const std::wstring&) { std::printf("%ls\n", text.c_str()); });
  const std::wstring folder = ui::GlobalManager::GetResourcePath() + L"skin_bench\\";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  uibench::PreparePhoneTree(folder);
  if (!WriteText(folder + L"phone.xml", PhoneSkin(false)) ||
      !WriteText(folder + L"phone_shadow.xml", PhoneSkin(true))) {
    std::printf("could not write the skins\n");
    return 1;
  }
  Bench(L"phone.xml", false);
  Bench(L"phone_shadow.xml", true);
  ::DeleteFileW((folder + L"phone.xml").c_str());
  ::DeleteFileW((folder + L"phone_shadow.xml").c_str());
  ::DeleteFileW((folder + L"bench_button.png").c_str());
  ::DeleteFileW((folder + L"bench_icon.png").c_str());
  ::RemoveDirectoryW(folder.c_str());
  ui::GlobalManager::Shutdown();
  return 0;
}
