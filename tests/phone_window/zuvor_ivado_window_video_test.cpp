// Pop-out phone windows on the screen (Xvfb) with a simulated phone playing into each: four
// windows, light and dark, cascaded on four window threads; the moving picture in the skinned
// window, upright for rotation 1 and turned for rotation 2. Screenshots are kept beside the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "phone_window/window_thread_pool.h"
#include "tests/phone_window/phone_window_test_support.h"
#include "tests/phone_window/video_test_support.h"
#include "tests/support/screen_capture.h"
#include "ui/render/render_interfaces.h"

namespace {

using phonetest::OpenWindow;
using test_support::ScreenCapture;
using videotest::ShowsColour;

// A capture of `rect` (screen pixels) and a pixel reader relative to its corner.
struct Shot {
  ScreenCapture capture;
  uint32_t operator()(int x, int y) const { return capture.Rgb(x, y); }
};

Shot CaptureRect(const RECT& rect) { return Shot{test_support::CaptureScreen(rect)}; }

// The four quadrants of the phone upright (red, green / blue, yellow) in a video w x h.
bool ShowsUprightPhone(const Shot& shot, int w, int h) {
  return ShowsColour(shot, w / 4, h / 4, videotest::kRed) &&
         ShowsColour(shot, 3 * w / 4, h / 4, videotest::kGreen) &&
         ShowsColour(shot, w / 4, 3 * h / 4, videotest::kBlue) &&
         ShowsColour(shot, 3 * w / 4, 3 * h / 4, videotest::kYellow);
}

// Turned a quarter counter-clockwise: green, yellow / red, blue.
bool ShowsTurnedPhone(const Shot& shot, int w, int h) {
  return ShowsColour(shot, w / 4, h / 4, videotest::kGreen, 12, 0) &&
         ShowsColour(shot, 3 * w / 4, h / 4, videotest::kYellow, 12, 0) &&
         ShowsColour(shot, w / 4, 3 * h / 4, videotest::kRed, 12, 0) &&
         ShowsColour(shot, 3 * w / 4, 3 * h / 4, videotest::kBlue, 12, 0);
}

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

// Waits until the screen shows the phone in `video` (upright or turned), then checks that two
// captures some frames apart differ on the counter's line and not on the stream id's.
void ExpectMovingPicture(OpenWindow& window, bool turned, const std::wstring& name) {
  const RECT video = window.VideoScreenRect();
  const int w = Width(video), h = Height(video);
  ASSERT_GT(w, 0);
  const phonetest::PanelLines lines = phonetest::PanelLinesOf(w, h, turned);
  // The phone's quadrants, and a frame of the video's own size: the panel's edge where the
  // control's size puts it (the first frames may still come at the stream's native size).
  auto shows = [&](const Shot& shot) {
    if (!(turned ? ShowsTurnedPhone(shot, w, h) : ShowsUprightPhone(shot, w, h))) return false;
    const RECT& p = lines.panel;
    if (!turned) {
      const int y = (lines.id.top + lines.id.bottom) / 2;
      return shot(p.left - 2, y) == videotest::kRed && shot(p.left + 1, y) == videotest::kWhite;
    }
    const int x = (lines.id.left + lines.id.right) / 2;
    return shot(x, p.bottom + 1) == videotest::kRed && shot(x, p.bottom - 2) == videotest::kWhite;
  };
  Shot first;
  if (!phonetest::WaitUntil([&] {
        first = CaptureRect(video);
        return shows(first);
      })) {
    phonetest::SavePng(first.capture, name + L"_never.png");
    FAIL() << "the phone never showed " << (turned ? "turned" : "upright") << " in " << w << "x"
           << h;
  }
  // Ten frames at 30 per second, and at most half a minute under load.
  Shot later;
  if (!phonetest::WaitUntil([&] {
        later = CaptureRect(video);
        return shows(later) &&
               phonetest::Differences(first.capture, later.capture, lines.counter) > 0;
      })) {
    phonetest::SavePng(first.capture, name + L"_stuck_first.png");
    phonetest::SavePng(later.capture, name + L"_stuck_later.png");
    FAIL() << "the frame counter never changed";
  }
  phonetest::SavePng(first.capture, name + L"_first.png");
  phonetest::SavePng(later.capture, name + L"_later.png");
  EXPECT_EQ(phonetest::Differences(first.capture, later.capture, lines.id), 0);
}

TEST(ZuvorIvadoWindowVideoTest, FourWindowsLightAndDarkCascadedPlayTheMovingPicture) {
  phonetest::ParkPointer();  // the top window stays on top
  std::vector<std::unique_ptr<OpenWindow>> windows;
  for (int i = 0; i < 4; ++i) {
    // Light, dark, light as the system (no theme in the test prefix: light), dark.
    const int theme = i == 2 ? 0 : (i % 2 == 0 ? 1 : 2);
    windows.push_back(std::make_unique<OpenWindow>(theme, "Phone " + std::to_string(i + 1)));
    ASSERT_NE(windows.back()->window(), nullptr);
    windows.back()->Play();
  }
  EXPECT_TRUE(windows[0]->window()->IsLightTheme());
  EXPECT_FALSE(windows[1]->window()->IsLightTheme());
  EXPECT_TRUE(windows[2]->window()->IsLightTheme());
  EXPECT_FALSE(windows[3]->window()->IsLightTheme());

  // One window per pool thread, each 28 pixels below and right of the one before.
  std::set<DWORD> threads;
  for (auto& w : windows) threads.insert(::GetWindowThreadProcessId(w->hwnd(), nullptr));
  EXPECT_EQ(threads.size(), 4u);
  const RECT first = windows[0]->WindowRect();
  for (int i = 1; i < 4; ++i) {
    const RECT rect = windows[i]->WindowRect();
    EXPECT_EQ(rect.left - first.left, 28 * i);
    EXPECT_EQ(rect.top - first.top, 28 * i);
    EXPECT_EQ(Width(rect), Width(first));
    EXPECT_EQ(Height(rect), Height(first));
  }

  // The topmost window on the screen, and every window in what it paints.
  ExpectMovingPicture(*windows[3], false, L"four_windows_top_video");
  for (auto& w : windows) {
    const RECT video = w->VideoScreenRect();
    POINT corner = {video.left, video.top};
    ::ScreenToClient(w->hwnd(), &corner);
    const int vw = Width(video), vh = Height(video);
    EXPECT_TRUE(phonetest::WaitUntil([&] {
      bool shown = false;
      w->RunOnWindowThread([&] {
        ui::IRenderContext* context = w->window()->GetRenderContext();
        auto at = [&](int x, int y) {
          return videotest::RgbAt(context, corner.x + x, corner.y + y);
        };
        shown = ShowsColour(at, vw / 4, vh / 4, videotest::kRed) &&
                ShowsColour(at, 3 * vw / 4, vh / 4, videotest::kGreen) &&
                ShowsColour(at, vw / 4, 3 * vh / 4, videotest::kBlue) &&
                ShowsColour(at, 3 * vw / 4, 3 * vh / 4, videotest::kYellow);
      });
      return shown;
    })) << "window " << w->window()->GetTitle();
  }
  phonetest::SavePng(test_support::CaptureScreen(), L"four_windows_cascaded.png");
}

TEST(ZuvorIvadoWindowVideoTest, SkinnedWindowShowsThePictureUprightThenTurned) {
  OpenWindow window(1, "Phone upright");
  ASSERT_NE(window.window(), nullptr);
  window.Play();
  ExpectMovingPicture(window, false, L"skinned_rotation1");
  phonetest::SavePng(test_support::CaptureScreen(window.WindowRect()), L"skinned_rotation1_window.png");

  const SIZE before = window.ClientSize();
  window.window()->PostRotation(2);
  // Resized, centred again and laid out: the video is wider than high where it now is.
  ASSERT_TRUE(phonetest::WaitUntil([&] {
    const RECT video = window.VideoScreenRect();
    return window.ClientSize().cx > before.cx && Width(video) > Height(video);
  }));
  ExpectMovingPicture(window, true, L"skinned_rotation2");
  phonetest::SavePng(test_support::CaptureScreen(window.WindowRect()), L"skinned_rotation2_window.png");
}

// The picture's box on the screen: what is not the bands' black in the video control.
RECT PictureOnScreen(const RECT& video) {
  const Shot shot = CaptureRect(video);
  RECT box = {Width(video), Height(video), 0, 0};
  for (int y = 0; y < shot.capture.height; ++y) {
    for (int x = 0; x < shot.capture.width; ++x) {
      if (shot(x, y) == 0) continue;
      box = RECT{std::min<LONG>(box.left, x), std::min<LONG>(box.top, y),
                 std::max<LONG>(box.right, x + 1), std::max<LONG>(box.bottom, y + 1)};
    }
  }
  ::OffsetRect(&box, video.left, video.top);
  return box;
}

TEST(ZuvorIvadoWindowVideoTest, ThePictureKeepsThePhonesAspectAtEverySizeAndRotation) {
  OpenWindow window(2, "Phone aspect");
  ASSERT_NE(window.window(), nullptr);
  window.Play();  // a 432 x 768 phone
  const double phone = 432.0 / 768.0;
  ui::DuiVideoView* video = window.window()->GetVideoView();
  auto resize = [&](SIZE size, int rotation) {
    window.RunOnWindowThread([&] {
      ::SetWindowPos(window.hwnd(), nullptr, 0, 0, size.cx, size.cy,
                     SWP_NOZORDER | SWP_NOACTIVATE);  // all of it on the screen
      if (rotation) window.window()->ApplyRotation(rotation);
    });
  };
  for (int rotation : {1, 2}) {
    resize(SIZE{450, 720}, rotation);  // the usual window, turned for rotation 2
    const RECT usual = window.WindowRect();
    int smallestWidth = 0, smallestHeight = 0;
    ASSERT_TRUE(window.window()->GetTileSize(&smallestWidth, &smallestHeight));
    const SIZE smallest = {smallestWidth, smallestHeight};
    const SIZE large = {Width(usual) * 13 / 10, Height(usual) * 13 / 10};  // within the screen
    for (const SIZE size : {SIZE{Width(usual), Height(usual)}, smallest, large}) {
      resize(size, 0);
      const std::string at = std::to_string(size.cx) + "x" + std::to_string(size.cy) +
                             " rotation " + std::to_string(rotation);
      // Settled: the SDK delivers the picture's size and the screen shows it there.
      RECT picture = {}, shown = {};
      SIZE asked = {};
      const bool settled = phonetest::WaitUntil([&] {
        window.RunOnWindowThread([&] {
          picture = video->GetPictureRect();
          video->lockFrameBuffer();
          asked = SIZE{video->frameWidth(), video->frameHeight()};
          video->unlockFrameBuffer();
        });
        POINT origin = {0, 0};
        ::ClientToScreen(window.hwnd(), &origin);
        ::OffsetRect(&picture, origin.x, origin.y);
        const bool turned = rotation == 2;
        if (asked.cx != (turned ? Height(picture) : Width(picture)) ||
            asked.cy != (turned ? Width(picture) : Height(picture))) {
          return false;
        }
        shown = PictureOnScreen(window.VideoScreenRect());
        return std::abs(Width(shown) - Width(picture)) <= 1 &&
               std::abs(Height(shown) - Height(picture)) <= 1;
      });
      phonetest::SavePng(test_support::CaptureScreen(window.WindowRect()),
                         L"aspect_" + std::to_wstring(size.cx) + L"x" + std::to_wstring(size.cy) +
                             L"_" + std::to_wstring(rotation) + L".png");
      ASSERT_TRUE(settled) << at;
      // The frames asked for are the phone's shape, and so is the picture on the screen.
      EXPECT_LE(std::abs(asked.cx - asked.cy * phone), 1.0) << at;
      const double shownPhone = rotation == 2 ? double(Height(shown)) : double(Width(shown));
      const double shownLong = rotation == 2 ? double(Width(shown)) : double(Height(shown));
      EXPECT_LE(std::abs(shownPhone - shownLong * phone), 1.0) << at;
    }
  }
}

TEST(ZuvorIvadoWindowVideoTest, DarkWindowShowsThePicture) {
  OpenWindow window(2, "Phone dark");
  ASSERT_NE(window.window(), nullptr);
  window.Play();
  ExpectMovingPicture(window, false, L"skinned_dark");
  phonetest::SavePng(test_support::CaptureScreen(window.WindowRect()), L"skinned_dark_window.png");
}

}  // namespace
