// The pop-out window's shape: aspect-kept sizing, minimum sizes, rotation, frame and tile sizes.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <limits>
#include <ostream>

#include "phone_window/window_geometry.h"

inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "(" << r.left << "," << r.top << "," << r.right << "," << r.bottom << ")";
}
inline bool operator==(const SIZE& a, const SIZE& b) { return a.cx == b.cx && a.cy == b.cy; }
inline std::ostream& operator<<(std::ostream& out, const SIZE& s) {
  return out << s.cx << "x" << s.cy;
}

namespace {

using namespace window_geometry;

RECT Sized(RECT proposed, WPARAM edge, double aspect, const SIZE* minimum = nullptr) {
  EXPECT_TRUE(KeepAspect(&proposed, edge, aspect, minimum));
  return proposed;
}

WindowFrame Frame(RECT window, RECT client, POINT origin) {
  WindowFrame frame;
  frame.window = window;
  frame.client = client;
  frame.clientOrigin = origin;
  return frame;
}

TEST(WindowGeometry, SizingKeepsTheAspectBySideAndByCorner) {
  const double aspect = 0.5;  // width / height
  EXPECT_EQ(Sized({0, 0, 300, 500}, WMSZ_RIGHT, aspect), (RECT{0, 0, 300, 600}));
  EXPECT_EQ(Sized({50, 0, 350, 500}, WMSZ_LEFT, aspect), (RECT{50, 0, 350, 600}));
  EXPECT_EQ(Sized({0, 0, 250, 700}, WMSZ_BOTTOM, aspect), (RECT{0, 0, 350, 700}));
  EXPECT_EQ(Sized({0, 100, 250, 700}, WMSZ_TOP, aspect), (RECT{0, 100, 300, 700}));
  // A corner keeps the smaller of the two sizes the aspect allows.
  EXPECT_EQ(Sized({0, 0, 400, 600}, WMSZ_BOTTOMRIGHT, aspect), (RECT{0, 0, 300, 600}));
  EXPECT_EQ(Sized({100, 100, 400, 500}, WMSZ_TOPLEFT, aspect), (RECT{200, 100, 400, 500}));
  EXPECT_EQ(Sized({0, 0, 100, 600}, WMSZ_BOTTOMLEFT, aspect), (RECT{0, 0, 100, 200}));
  EXPECT_EQ(Sized({0, 0, 100, 600}, WMSZ_TOPRIGHT, aspect), (RECT{0, 400, 100, 600}));
  // Truncated, never rounded.
  EXPECT_EQ(Sized({0, 0, 301, 10}, WMSZ_RIGHT, 0.6), (RECT{0, 0, 301, 501}));
}

TEST(WindowGeometry, MinimumStopsEveryEdgeWithTheOppositeEdgeInPlace) {
  // A portrait window with a 16 x 40 frame: at least 16 + 254 wide.
  const WindowFrame frame = Frame({0, 0, 466, 800}, {0, 0, 450, 760}, {8, 32});
  const double aspect = 0.6;
  SIZE minimum;
  ASSERT_TRUE(MinimumWindowSize(frame, 1, aspect, &minimum));
  EXPECT_EQ(minimum, (SIZE{270, 450}));

  EXPECT_EQ(Sized({100, 100, 300, 433}, WMSZ_RIGHT, aspect, &minimum), (RECT{100, 100, 370, 550}));
  EXPECT_EQ(Sized({300, 100, 500, 433}, WMSZ_LEFT, aspect, &minimum), (RECT{230, 100, 500, 550}));
  EXPECT_EQ(Sized({100, 500, 400, 800}, WMSZ_TOP, aspect, &minimum), (RECT{100, 350, 370, 800}));
  EXPECT_EQ(Sized({300, 500, 500, 800}, WMSZ_TOPLEFT, aspect, &minimum), (RECT{230, 350, 500, 800}));
  // Dragged past the opposite edge (an inverted proposal), it still stops at the minimum.
  EXPECT_EQ(Sized({600, 100, 500, 300}, WMSZ_LEFT, aspect, &minimum), (RECT{230, 100, 500, 550}));
  EXPECT_EQ(Sized({100, 900, 400, 800}, WMSZ_TOP, aspect, &minimum), (RECT{100, 350, 370, 800}));

  // Landscape: at least the frame's height + 298 high.
  ASSERT_TRUE(MinimumWindowSize(frame, 2, 1.0 / aspect, &minimum));
  EXPECT_EQ(minimum, (SIZE{563, 338}));
  EXPECT_EQ(Sized({0, 0, 400, 100}, WMSZ_BOTTOMRIGHT, 1.0 / aspect, &minimum),
            (RECT{0, 0, 563, 338}));
}

TEST(WindowGeometry, UnusableAspectOrEdgeLeavesTheRectangleToTheWindow) {
  const RECT before = {10, 20, 110, 220};
  for (double aspect : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()}) {
    RECT r = before;
    EXPECT_FALSE(KeepAspect(&r, WMSZ_RIGHT, aspect, nullptr));
    EXPECT_EQ(r, before);
  }
  for (WPARAM edge : {WPARAM{0}, WPARAM{9}}) {
    RECT r = before;
    EXPECT_FALSE(KeepAspect(&r, edge, 0.5, nullptr));
    EXPECT_EQ(r, before);
  }
  SIZE size;
  EXPECT_FALSE(MinimumWindowSize(WindowFrame(), 1, 0.0, &size));
}

TEST(WindowGeometry, RotationTurnsTheVideoAndKeepsTheChrome) {
  // 404 x 720 with the video at 360 x 640: 44 beside it, 36 above, 44 below.
  const RECT portraitVideo = {0, 36, 360, 676};
  const SIZE landscape = ClientSizeForRotation({404, 720}, portraitVideo, 2);
  EXPECT_EQ(landscape, (SIZE{684, 440}));
  // Laid out again, turning back gives the size it had.
  const RECT landscapeVideo = {0, 36, 640, 396};
  EXPECT_EQ(ClientSizeForRotation(landscape, landscapeVideo, 1), (SIZE{404, 720}));
  // The same orientation again changes nothing, whichever rotation number says so.
  EXPECT_EQ(ClientSizeForRotation(landscape, landscapeVideo, 2), landscape);
  EXPECT_EQ(ClientSizeForRotation({404, 720}, portraitVideo, 3), (SIZE{404, 720}));
  // Without a laid-out video control the default chrome (44, 36 + 44) is assumed.
  EXPECT_EQ(ClientSizeForRotation({404, 720}, RECT{}, 2), (SIZE{684, 440}));
  // A window the user made smaller keeps its scale.
  EXPECT_EQ(ClientSizeForRotation({224, 400}, RECT{0, 36, 180, 356}, 2), (SIZE{364, 260}));
}

TEST(WindowGeometry, FrameInsetsAndTileSize) {
  const WindowFrame frame = Frame({100, 50, 550, 800}, {0, 0, 430, 730}, {110, 60});
  const RECT insets = FrameInsets(frame);
  EXPECT_EQ(insets, (RECT{24, 24, 24, 24}));
  SIZE tile;
  ASSERT_TRUE(MinimumWindowSize(frame, 1, 0.6, &tile));
  EXPECT_EQ(tile, (SIZE{274, 456}));
  ASSERT_TRUE(MinimumWindowSize(frame, 2, 1.6, &tile));
  EXPECT_EQ(tile, (SIZE{508, 318}));
}

// A popup with a sizing border whose client covers the whole window, as a skinned window's does.
LRESULT CALLBACK FramelessProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCALCSIZE) return 0;  // the proposed window rectangle is the client
  return ::DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeWindow(bool frameless) {
  static const ATOM frameClass = [] {
    WNDCLASSEXW wc = {sizeof(wc)};
    wc.lpfnWndProc = FramelessProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"GeometryTestFrameless";
    return ::RegisterClassExW(&wc);
  }();
  (void)frameClass;
  if (frameless) {
    return ::CreateWindowExW(0, L"GeometryTestFrameless", L"", WS_POPUP | WS_THICKFRAME, 50, 40,
                             404, 720, nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
  }
  RECT r = {0, 0, 404, 720};
  ::AdjustWindowRectEx(&r, WS_OVERLAPPEDWINDOW, FALSE, 0);
  return ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 50, 40, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, nullptr, nullptr);
}

TEST(WindowGeometry, TurningARealWindowBackAndForthNeverGrowsIt) {
  for (bool frameless : {true, false}) {
    HWND window = MakeWindow(frameless);
    ASSERT_NE(window, nullptr);
    WindowFrame frame;
    ASSERT_TRUE(ReadWindowFrame(window, &frame));
    const SIZE start = ClientSize(frame);
    EXPECT_EQ(start, (SIZE{404, 720})) << frameless;
    const SIZE startWindow = {frame.window.right - frame.window.left,
                              frame.window.bottom - frame.window.top};
    for (int turn = 0; turn < 6; ++turn) {
      const int rotation = turn % 2 == 0 ? 2 : 1;
      ASSERT_TRUE(ReadWindowFrame(window, &frame));
      const SIZE client = ClientSizeForRotation(ClientSize(frame), RECT{}, rotation);
      ASSERT_TRUE(ResizeClient(window, client));
      ASSERT_TRUE(ReadWindowFrame(window, &frame));
      EXPECT_EQ(ClientSize(frame), rotation == 2 ? (SIZE{684, 440}) : start) << frameless;
    }
    EXPECT_EQ((SIZE{frame.window.right - frame.window.left, frame.window.bottom - frame.window.top}),
              startWindow);
    EXPECT_EQ(frame.window.left, 50);  // not moved
    ::DestroyWindow(window);
    EXPECT_FALSE(ReadWindowFrame(window, &frame));
    EXPECT_FALSE(ResizeClient(window, start));
  }
}

TEST(WindowGeometry, TheToolbarTakesAColumnMoreOnlyWhenItsButtonsCannotShrinkEnough) {
  // Twelve 46-pixel buttons and 26 pixels of dividers, no button lower than 36.
  auto grid = [](int available) { return FitToolbar(available, 12, 46, 36, 26); };
  const ToolbarGrid roomy = grid(640);
  EXPECT_EQ(roomy.columns, 1);
  EXPECT_EQ(roomy.rowHeight, 46);
  EXPECT_TRUE(roomy.dividers);
  const ToolbarGrid shrunk = grid(500);  // 578 needed
  EXPECT_EQ(shrunk.columns, 1);
  EXPECT_EQ(shrunk.rowHeight, 41);
  EXPECT_FALSE(shrunk.dividers);
  const ToolbarGrid tiled = grid(326);  // the smallest portrait window
  EXPECT_EQ(tiled.columns, 2);
  EXPECT_EQ(tiled.rowHeight, 46);
  const ToolbarGrid landscape = grid(218);  // the lowest landscape window
  EXPECT_EQ(landscape.columns, 2);
  EXPECT_EQ(landscape.rowHeight, 36);
  EXPECT_EQ(grid(100).columns, 6);  // three rows of 33 would be too low
  EXPECT_EQ(grid(0).columns, 12);
}

}  // namespace
