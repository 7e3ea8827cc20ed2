// The texture display: the frame conversion's exact mapping, the first-frame format request,
// publishing and frame-available marks, buffers that stay still while the engine reads them,
// textures without a registrar, and teardown that waits for the engine's confirmation.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <numeric>
#include <random>
#include <thread>

#include "plugin/frame_convert.h"
#include "plugin/zuvor_ivado_texture.h"
#include "tests/plugin/plugin_test_support.h"

using namespace plugintest;

namespace {

// ----- Conversion -----

std::vector<uint8_t> RandomFrame(int width, int height, unsigned seed) {
  std::vector<uint8_t> frame(size_t(width) * height * 4);
  std::mt19937 random(seed);
  for (auto& b : frame) b = static_cast<uint8_t>(random());
  return frame;
}

TEST(FrameConvert, QuarterTurnMapsEveryPixelAndSwapsRedAndBlue) {
  // Sizes that fill 4 x 4 blocks and strips exactly, and sizes with every kind of edge.
  for (auto size : std::vector<std::pair<int, int>>{
           {512, 288}, {288, 512}, {16, 8}, {17, 5}, {3, 7}, {1, 1}, {33, 18}, {20, 12}}) {
    const int w = size.first, h = size.second;
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    const auto src = RandomFrame(w, h, w * 31 + h);
    std::vector<uint8_t> fast(src.size(), 0xEE), sse2(src.size(), 0xEE),
        reference(src.size(), 0xEE);
    frame_convert::RotateCcwSwapRedBlue(src.data(), w, h, fast.data());
    frame_convert::RotateCcwSwapRedBlue(src.data(), w, h, sse2.data(), frame_convert::Simd::kSse2);
    frame_convert::RotateCcwSwapRedBlueScalar(src.data(), w, h, reference.data());
    ASSERT_EQ(fast, reference);
    ASSERT_EQ(sse2, reference);
    // The mapping itself: source (x, y) lands at column y, row w - 1 - x of an h-wide buffer.
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint8_t* s = &src[(size_t(y) * w + x) * 4];
        const uint8_t* d = &fast[(size_t(w - 1 - x) * h + y) * 4];
        ASSERT_EQ(d[0], s[2]);
        ASSERT_EQ(d[1], s[1]);
        ASSERT_EQ(d[2], s[0]);
        ASSERT_EQ(d[3], s[3]);
      }
    }
  }
}

TEST(FrameConvert, CopySwapsOnlyTheFirstAndThirdByte) {
  const uint8_t pixel[4] = {10, 20, 30, 40};
  uint8_t out[4] = {};
  frame_convert::CopySwapRedBlue(pixel, 1, out);
  EXPECT_EQ(std::vector<uint8_t>(out, out + 4), (std::vector<uint8_t>{30, 20, 10, 40}));
  for (size_t pixels : {size_t(0), size_t(3), size_t(4), size_t(5), size_t(1023)}) {
    const auto src = RandomFrame(static_cast<int>(pixels), 1, static_cast<unsigned>(pixels));
    std::vector<uint8_t> fast(src.size() + 4, 0xEE), reference(src.size() + 4, 0xEE);
    frame_convert::CopySwapRedBlue(src.data(), pixels, fast.data());
    frame_convert::CopySwapRedBlueScalar(src.data(), pixels, reference.data());
    EXPECT_EQ(fast, reference);  // and nothing written past the end
  }
}

// ----- The texture on a simulated stream -----

// A player and data source of the simulated library feeding one texture.
struct Stream {
  explicit Stream(const std::string& script) : token(Token(script)) {
    source = std::make_shared<SWDataSource>(SWRuntime::getInstance()->obtainID(), &listener);
    source->setServerToken(token.c_str(), "", 0, nullptr, 0, nullptr);
    player = std::make_shared<SWPlayer>();
    player->setDataSource(source);
  }
  void Play(VideoDisplay* display) {
    player->setDisplay(display);
    player->start();
    source->start();
  }
  ~Stream() {
    player->stop();
    player->setDisplay(nullptr);
  }
  std::string token;
  SWDataSourceListener listener;
  std::shared_ptr<SWDataSource> source;
  std::shared_ptr<SWPlayer> player;
};

// R, G, B, A of the published pixel (x, y).
std::vector<int> Rgba(const FakeTextureRegistrar::Frame& f, int x, int y) {
  const uint8_t* p = &f.pixels[(size_t(y) * f.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

bool IsQuadrant(const FakeTextureRegistrar::Frame& f, int x, int y, std::vector<int> rgba) {
  // The moving white bar may cover one of two rows 20 apart, never both.
  const std::vector<int> white = {255, 255, 255, 255};
  auto a = Rgba(f, x, y), b = Rgba(f, x, y + 20);
  return (a == rgba || a == white) && (b == rgba || b == white) && (a == rgba || b == rgba);
}

void ExpectUprightPhone(const FakeTextureRegistrar::Frame& f) {
  ASSERT_EQ(f.width, 288u);
  ASSERT_EQ(f.height, 512u);
  EXPECT_TRUE(IsQuadrant(f, 60, 100, {0xE0, 0x30, 0x20, 0xFF}));     // red, top left
  EXPECT_TRUE(IsQuadrant(f, 220, 100, {0x20, 0xB0, 0x40, 0xFF}));    // green, top right
  EXPECT_TRUE(IsQuadrant(f, 60, 400, {0x30, 0x50, 0xE0, 0xFF}));     // blue, bottom left
  EXPECT_TRUE(IsQuadrant(f, 220, 400, {0xE0, 0xC0, 0x20, 0xFF}));    // yellow, bottom right
  EXPECT_EQ(Rgba(f, 2, 2), (std::vector<int>{255, 255, 255, 255}));  // corner marker
}

TEST(PluginTexture, FirstFrameOnlyAsksForTheFormatThenFramesArePublishedUpright) {
  for (bool rotated : {false, true}) {
    SCOPED_TRACE(rotated ? "rotated" : "not rotated");
    FakeTextureRegistrar registrar;
    ZuvorIvadoTexture texture;
    texture.SetRotated(rotated);
    const int64_t id = texture.Register(&registrar);
    ASSERT_GE(id, 1);
    // Drive frames by hand so the first call can be seen on its own.
    Stream stream("connect=0;fps=60");
    stream.Play(&texture);
    ASSERT_TRUE(PumpUntil([&] { return texture.publishedFrames() >= 1; }));
    // Unturned frames are asked for as 512 x 288 and turned; rotated ones come 288 x 512.
    FakeTextureRegistrar::Frame frame;
    ASSERT_TRUE(registrar.Fetch(id, &frame));
    ExpectUprightPhone(frame);
  }
}

TEST(PluginTexture, NothingIsPublishedBeforeTheSecondFrame) {
  FakeTextureRegistrar registrar;
  ZuvorIvadoTexture texture;
  const int64_t id = texture.Register(&registrar);
  FakeTextureRegistrar::Frame frame;
  EXPECT_FALSE(registrar.Fetch(id, &frame));  // null before any frame
  // One frame by hand, through the base's render as the player would.
  VideoFrame first;
  first.width = 432;
  first.height = 768;
  first.sequence = 1;
  texture.render(first);
  EXPECT_EQ(texture.publishedFrames(), 0u);
  EXPECT_EQ(registrar.marks(id), 0);
  EXPECT_FALSE(registrar.Fetch(id, &frame));
  first.sequence = 2;
  texture.render(first);  // now in the asked-for 512 x 288
  EXPECT_EQ(texture.publishedFrames(), 1u);
  EXPECT_EQ(registrar.marks(id), 1);
  ASSERT_TRUE(registrar.Fetch(id, &frame));
  ExpectUprightPhone(frame);
  // Changing the rotation asks for the other size and publishes nothing on that frame.
  texture.SetRotated(true);
  texture.render(first);
  EXPECT_EQ(texture.publishedFrames(), 1u);
  texture.render(first);
  EXPECT_EQ(texture.publishedFrames(), 2u);
  EXPECT_EQ(registrar.marks(id), 2);  // one mark per publish
}

TEST(PluginTexture, CopiesTheSizeTheLibraryDeliveredNotTheOneAsked) {
  FakeTextureRegistrar registrar;
  ZuvorIvadoTexture texture;
  const int64_t id = texture.Register(&registrar);
  VideoFrame frame;
  frame.width = 300;
  frame.height = 200;
  frame.scalable = false;  // the stream keeps its own size
  texture.render(frame);
  texture.render(frame);
  FakeTextureRegistrar::Frame out;
  ASSERT_TRUE(registrar.Fetch(id, &out));
  EXPECT_EQ(out.width, 200u);  // turned: the delivered height becomes the width
  EXPECT_EQ(out.height, 300u);
  EXPECT_EQ(out.pixels.size(), 200u * 300u * 4u);
  // A larger frame later grows the buffer instead of overrunning it.
  frame.width = 700;
  frame.height = 900;
  texture.render(frame);
  ASSERT_TRUE(registrar.Fetch(id, &out));
  EXPECT_EQ(out.width, 900u);
  EXPECT_EQ(out.height, 700u);
}

TEST(PluginTexture, ABufferTheEngineHoldsNeverChangesUnderIt) {
  FakeTextureRegistrar registrar;
  ZuvorIvadoTexture texture;
  const int64_t id = texture.Register(&registrar);
  Stream stream("connect=0;fps=120");
  stream.Play(&texture);
  ASSERT_TRUE(PumpUntil([&] { return texture.publishedFrames() >= 2; }));
  FakeTextureRegistrar::Frame held;
  ASSERT_TRUE(registrar.Fetch(id, &held, /*release=*/false));
  // While the engine holds it, frames keep coming into the other buffers.
  const uint64_t before = texture.publishedFrames();
  ASSERT_TRUE(PumpUntil([&] { return texture.publishedFrames() >= before + 10; }));
  EXPECT_EQ(registrar.HeldBytesNow(), held.pixels);  // still what the engine got
  FakeTextureRegistrar::Frame latest;
  ASSERT_TRUE(registrar.Fetch(id, &latest));
  EXPECT_NE(latest.pixels, held.pixels);  // while the picture moved on
  registrar.ReleaseHeld();
  EXPECT_EQ(texture.droppedFrames(), 0u);
}

TEST(PluginTexture, WithoutARegistrarFramesAreCopiedButNeverAnnounced) {
  ZuvorIvadoTexture texture;
  EXPECT_EQ(texture.Register(nullptr), -1);
  EXPECT_EQ(texture.textureId(), -1);
  VideoFrame frame;
  frame.width = 432;
  frame.height = 768;
  texture.render(frame);
  texture.render(frame);
  EXPECT_EQ(texture.publishedFrames(), 1u);
  const FlutterDesktopPixelBuffer* buffer = ZuvorIvadoTexture::CopyPixelBuffer(0, 0, &texture);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(buffer->width, 288u);
  EXPECT_EQ(buffer->height, 512u);
  buffer->release_callback(buffer->release_context);
}

TEST(PluginTexture, DestructionUnregistersFirst) {
  FakeTextureRegistrar registrar;
  int64_t id;
  {
    ZuvorIvadoTexture texture;
    id = texture.Register(&registrar);
    EXPECT_TRUE(registrar.registered(id));
  }
  EXPECT_FALSE(registrar.registered(id));
  EXPECT_EQ(registrar.unregistrations(), 1);
}

// An engine that confirms unregistrations only when told, as the engine's raster thread does
// some time after UnregisterTexture has returned. Until then it may still copy the texture.
class LateConfirmingRegistrar : public FakeTextureRegistrar {
 public:
  void UnregisterTexture(int64_t, std::function<void()> callback) override {
    std::lock_guard<std::mutex> lock(mutex_);
    confirm_ = std::move(callback);
    asked_ = true;
    changed_.notify_all();
  }
  bool UnregisterTexture(int64_t) override {
    unconfirmed_.fetch_add(1);  // Nothing waits for this one's confirmation.
    return true;
  }

  bool WaitUntilAsked() {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(30), [this] { return asked_; });
  }
  void Confirm() {
    std::function<void()> confirm;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      confirm = std::move(confirm_);
    }
    if (confirm) confirm();
  }
  int unconfirmed() const { return unconfirmed_.load(); }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> confirm_;
  bool asked_ = false;
  std::atomic<int> unconfirmed_{0};
};

TEST(PluginTexture, TeardownFreesNothingBeforeTheEngineConfirmsTheUnregistration) {
  LateConfirmingRegistrar registrar;
  auto texture = std::make_unique<ZuvorIvadoTexture>();
  const int64_t id = texture->Register(&registrar);
  VideoFrame frame;
  frame.width = 432;
  frame.height = 768;
  texture->render(frame);
  texture->render(frame);
  FakeTextureRegistrar::Frame published;
  ASSERT_TRUE(registrar.Fetch(id, &published));

  std::atomic<bool> destroyed{false};
  std::thread owner([&] {
    texture.reset();
    destroyed = true;
  });
  const bool asked = registrar.WaitUntilAsked();
  EXPECT_TRUE(asked) << "the texture did not ask for a confirmation";
  if (asked) {
    // Unregistered, not yet confirmed: the engine may still copy the texture, and finds it whole.
    EXPECT_FALSE(destroyed.load()) << "the texture went before the confirmation";
    FakeTextureRegistrar::Frame during;
    EXPECT_TRUE(registrar.Fetch(id, &during));
    EXPECT_EQ(during.pixels, published.pixels);
    registrar.Confirm();
  }
  owner.join();
  EXPECT_TRUE(destroyed.load());
  EXPECT_EQ(registrar.unconfirmed(), 0);
}

}  // namespace
