// The simulated player and displays: when frames flow, at what size, what they show, and that
// unbinding waits out a frame in flight.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "tests/swplay/swplay_test_support.h"

using swtest::CapturingDisplay;
using swtest::RecordingListener;
using swtest::UniqueToken;

namespace {

// Quadrant colours of the simulated phone (B, G, R, A words).
constexpr uint32_t kRed = 0xFFE03020, kGreen = 0xFF20B040, kBlue = 0xFF3050E0, kYellow = 0xFFE0C020,
                   kWhite = 0xFFFFFFFF;

// A data source and a player bound to it, and the displays the test shows them in. The rig
// unbinds its displays before they go: a display destroyed while the player still renders into
// it is a fault of the caller (the render thread would copy from freed memory).
struct Rig {
  explicit Rig(const std::string& script) : token(UniqueToken(script)) {
    source = std::make_shared<SWDataSource>(SWRuntime::getInstance()->obtainID(), &listener);
    source->setServerToken(token.c_str(), "", 0, nullptr, 0, nullptr);
    player = std::make_shared<SWPlayer>();
    player->setDataSource(source);
  }
  ~Rig() {
    player->stop();
    player->setDisplay(nullptr);
  }
  // A new display, destroyed with the rig after it is unbound.
  CapturingDisplay& NewDisplay() {
    displays.push_back(std::make_unique<CapturingDisplay>());
    return *displays.back();
  }
  // Starts playing into `display` and connects.
  void PlayInto(CapturingDisplay& display) {
    player->setDisplay(&display);
    player->start();
    source->start();
  }

  // Declared first, so destroyed last: after the player stopped using them.
  std::vector<std::unique_ptr<CapturingDisplay>> displays;
  std::string token;
  RecordingListener listener;
  std::shared_ptr<SWDataSource> source;
  std::shared_ptr<SWPlayer> player;
};

// Every test leaves no display destroyed while bound, unless it says so.
class SimPlayer : public ::testing::Test {
 protected:
  void SetUp() override { dangling_ = swsim_dangling_display_count(); }
  void TearDown() override { EXPECT_EQ(swsim_dangling_display_count(), dangling_); }
  // The test destroys `count` bound displays on purpose.
  void ExpectDangling(int count) { dangling_ += count; }

 private:
  int dangling_ = 0;
};

// Pixel of the upright screen at (c, r) in a frame of `w` x `h`: landscape frames hold the
// screen turned a quarter turn clockwise.
uint32_t Upright(CapturingDisplay& d, int c, int r) {
  const int w = d.width(), h = d.height();
  return w > h ? d.Pixel(w - 1 - r, c) : d.Pixel(c, r);
}

// True when the upright pixel has `color`, allowing for the moving white bar on one of two rows
// far enough apart that the bar cannot cover both.
bool QuadrantIs(CapturingDisplay& d, int c, int r, uint32_t color) {
  uint32_t a = Upright(d, c, r), b = Upright(d, c, r + 20);
  return (a == color || a == kWhite) && (b == color || b == kWhite) && (a == color || b == color);
}

TEST_F(SimPlayer, FramesFlowOnlyOnceConnectedAndOnTheRenderThread) {
  Rig rig("connect=50;fps=60");
  CapturingDisplay& display = rig.NewDisplay();
  // The library marks the connection (and logs it) before it tells the listener, which may
  // come after the first frame.
  std::atomic<bool> frameBeforeConnect{false};
  display.inFrame = [&] {
    bool connected = false;
    for (const auto& line : swsim::TokenLog(rig.token)) {
      connected |= line.find("=> onConnected()") != std::string::npos;
    }
    if (!connected) frameBeforeConnect = true;
  };
  rig.PlayInto(display);
  ASSERT_TRUE(display.WaitFrames(3));
  EXPECT_FALSE(frameBeforeConnect);
  EXPECT_NE(display.renderThread(), std::this_thread::get_id());
}

TEST_F(SimPlayer, FramesHaveTheRequestedSizeUnlessTheStreamForcesOne) {
  Rig asked("connect=0;fps=60");
  CapturingDisplay& a = asked.NewDisplay();
  a.setDstFormat(-1, 512, 288, 0);
  asked.PlayInto(a);
  ASSERT_TRUE(a.WaitFrames(1));
  EXPECT_EQ(a.width(), 512);
  EXPECT_EQ(a.height(), 288);

  Rig forced("connect=0;fps=60;size=300x200");
  CapturingDisplay& b = forced.NewDisplay();
  b.setDstFormat(-1, 512, 288, 0);
  forced.PlayInto(b);
  ASSERT_TRUE(b.WaitFrames(1));
  EXPECT_EQ(b.width(), 300);
  EXPECT_EQ(b.height(), 200);

  Rig native("connect=0;fps=60;native=360x640");
  CapturingDisplay& c = native.NewDisplay();
  native.PlayInto(c);
  ASSERT_TRUE(c.WaitFrames(1));
  EXPECT_EQ(c.width(), 360);
  EXPECT_EQ(c.height(), 640);
}

TEST_F(SimPlayer, PatternShowsTheUprightPhoneInBothOrientations) {
  for (bool landscape : {true, false}) {
    SCOPED_TRACE(landscape ? "landscape buffer" : "portrait buffer");
    Rig rig("connect=0;fps=60");
    CapturingDisplay& d = rig.NewDisplay();
    if (landscape)
      d.setDstFormat(-1, 512, 288, 0);
    else
      d.setDstFormat(-1, 288, 512, 0);
    rig.PlayInto(d);
    ASSERT_TRUE(d.WaitFrames(2));
    // Upright screen is 288 x 512: quadrants, corner marker.
    EXPECT_TRUE(QuadrantIs(d, 60, 100, kRed));
    EXPECT_TRUE(QuadrantIs(d, 220, 100, kGreen));
    EXPECT_TRUE(QuadrantIs(d, 60, 400, kBlue));
    EXPECT_TRUE(QuadrantIs(d, 220, 400, kYellow));
    EXPECT_EQ(Upright(d, 2, 2), kWhite);
    EXPECT_EQ(Upright(d, 285, 2), kGreen);
  }
}

TEST_F(SimPlayer, StopWaitsOutTheFrameInFlightAndEndsFrames) {
  Rig rig("connect=0;fps=60");
  CapturingDisplay& d = rig.NewDisplay();
  std::mutex m;
  std::condition_variable cv;
  bool entered = false;
  std::atomic<bool> inside{false};
  d.inFrame = [&] {
    inside = true;
    {
      std::lock_guard<std::mutex> lock(m);
      entered = true;
      cv.notify_all();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    inside = false;
  };
  rig.PlayInto(d);
  {
    std::unique_lock<std::mutex> lock(m);
    ASSERT_TRUE(cv.wait_for(lock, std::chrono::seconds(30), [&] { return entered; }));
  }
  rig.player->stop();
  EXPECT_FALSE(inside);
  const int frames = d.frames();
  // A later marker: a notice due 50 ms after the stop, by when a player still running at 60 fps
  // would have handed over about three more frames.
  ASSERT_EQ(swsim_inject(rig.token.c_str(), "control=50:1:1"), 1);
  ASSERT_TRUE(rig.listener.WaitFor(2, std::chrono::seconds(30)));
  EXPECT_EQ(d.frames(), frames);
}

TEST_F(SimPlayer, ChangeDisplayMovesFramesAndTouches) {
  Rig rig("connect=0;fps=60");
  CapturingDisplay& first = rig.NewDisplay();
  CapturingDisplay& second = rig.NewDisplay();
  rig.PlayInto(first);
  ASSERT_TRUE(first.WaitFrames(1));
  ASSERT_EQ(rig.player->changeDisplay(&second), 0);
  const int firstFrames = first.frames();
  ASSERT_TRUE(second.WaitFrames(2));
  EXPECT_EQ(first.frames(), firstFrames);

  const int x[1] = {10}, y[1] = {20};
  const float p[1] = {0.0f};
  EXPECT_EQ(first.OnTouchEvent(0, 1, x, y, p), -1);
  EXPECT_EQ(second.OnTouchEvent(0, 1, x, y, p), 0);
  auto log = swsim::TokenLog(rig.token);
  int touches = 0;
  for (const auto& line : log)
    touches += line.find("onTouchEvent(0, 1, [(10,20)])") != std::string::npos;
  EXPECT_EQ(touches, 1);
}

TEST_F(SimPlayer, FailedChangeKeepsTheOldDisplay) {
  Rig rig("connect=0;fps=60;change=-4");
  CapturingDisplay& first = rig.NewDisplay();
  CapturingDisplay& second = rig.NewDisplay();
  rig.PlayInto(first);
  ASSERT_TRUE(first.WaitFrames(1));
  EXPECT_EQ(rig.player->changeDisplay(&second), -4);
  const int frames = first.frames();
  ASSERT_TRUE(first.WaitFrames(frames + 2));
  EXPECT_EQ(second.frames(), 0);
}

TEST_F(SimPlayer, DestroyingABoundDisplayIsCountedAsAFault) {
  Rig rig("connect=0");
  const int before = swsim_dangling_display_count();
  {
    CapturingDisplay proper;
    rig.player->setDisplay(&proper);
    rig.player->setDisplay(nullptr);
  }
  EXPECT_EQ(swsim_dangling_display_count(), before);
  unsigned id = 0;
  {
    CapturingDisplay careless;
    id = swsim_display_id(&careless);
    rig.player->setDisplay(&careless);
  }
  ExpectDangling(1);
  EXPECT_EQ(swsim_dangling_display_count(), before + 1);
  const std::string fault = " !! D" + std::to_string(id) + " destroyed while bound";
  int found = 0;
  for (const auto& line : swsim::TokenLog(rig.token)) {
    found += line[0] == 'P' && line.size() > fault.size() &&
             line.compare(line.size() - fault.size(), fault.size(), fault) == 0;
  }
  EXPECT_EQ(found, 1);
}

TEST_F(SimPlayer, NothingOutlivesItsOwner) {
  {
    Rig rig("connect=0;fps=60;drop=30:1");
    rig.PlayInto(rig.NewDisplay());
    ASSERT_TRUE(rig.listener.WaitFor(2));
  }
  EXPECT_EQ(swsim_live_count('S'), 0);
  EXPECT_EQ(swsim_live_count('P'), 0);
  // Threads end right after their owner let them go.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (swsim_live_count('T') != 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_EQ(swsim_live_count('T'), 0);
}

}  // namespace
