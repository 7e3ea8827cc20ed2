// External textures: the copy callback on the raster thread, unregistration confirmed after
// running copies, unusable buffers, and frames paced by the display.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "flutter/dart_project.h"
#include "flutter/engine/texture_registry.h"
#include "flutter/flutter_engine.h"
#include "flutter/plugin_registrar_windows.h"
#include "flutter/texture_registrar.h"
#include "tests/support/engine_output.h"
#include "tests/support/message_pump.h"

namespace {

using test_support::OutputRecorder;
using test_support::ScopedScenario;

// A gate a copy callback can wait at, and a record of the copies made.
class CopyProbe {
 public:
  // The copy callback: records the thread, optionally waits at the gate, returns |buffer_|.
  const FlutterDesktopPixelBuffer* Copy() {
    std::unique_lock<std::mutex> lock(mutex_);
    threads_.push_back(std::this_thread::get_id());
    ++copies_;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !hold_; });
    return buffer_;
  }

  void Hold() {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_ = true;
  }
  void Release() {
    std::lock_guard<std::mutex> lock(mutex_);
    hold_ = false;
    changed_.notify_all();
  }
  bool WaitForCopies(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return copies_ >= count; });
  }
  bool WaitForReleases(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return releases_ >= count; });
  }
  void SetBuffer(const FlutterDesktopPixelBuffer* buffer) {
    std::lock_guard<std::mutex> lock(mutex_);
    buffer_ = buffer;
  }
  int copies() {
    std::lock_guard<std::mutex> lock(mutex_);
    return copies_;
  }
  std::vector<std::thread::id> threads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return threads_;
  }

  static void OnRelease(void* context) {
    auto* self = static_cast<CopyProbe*>(context);
    std::lock_guard<std::mutex> lock(self->mutex_);
    ++self->releases_;
    self->changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::thread::id> threads_;
  int copies_ = 0;
  int releases_ = 0;
  bool hold_ = false;
  const FlutterDesktopPixelBuffer* buffer_ = nullptr;
};

class TextureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine_ = std::make_unique<flutter::FlutterEngine>(flutter::DartProject(L"data"));
    ASSERT_TRUE(engine_->Run());
    registrar_ = std::make_unique<flutter::PluginRegistrarWindows>(
        engine_->GetRegistrarForPlugin("textures"));
    textures_ = registrar_->texture_registrar();
  }

  void TearDown() override {
    engine_.reset();
    registrar_.reset();
  }

  int64_t Register(CopyProbe* probe, flutter::TextureVariant* texture) {
    *texture = flutter::PixelBufferTexture([probe](size_t, size_t) { return probe->Copy(); });
    return textures_->RegisterTexture(texture);
  }

  // Unregisters and waits for the engine's confirmation, after which the texture may go.
  bool UnregisterAndWait(int64_t id) {
    auto confirmed = std::make_shared<std::promise<void>>();
    std::future<void> done = confirmed->get_future();
    textures_->UnregisterTexture(id, [confirmed] { confirmed->set_value(); });
    return done.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
  }

  OutputRecorder output_;
  ScopedScenario scenario_{"echo ready\n"};
  std::unique_ptr<flutter::FlutterEngine> engine_;
  // Outlives the engine, as a plug-in's texture may.
  std::unique_ptr<flutter::PluginRegistrarWindows> registrar_;
  flutter::TextureRegistrar* textures_ = nullptr;
};

TEST_F(TextureTest, CopiesRunOnTheRasterThreadAndReleaseTheirBuffer) {
  CopyProbe probe;
  std::vector<uint8_t> pixels(4 * 4 * 4, 0x80);
  const FlutterDesktopPixelBuffer buffer = {pixels.data(), 4, 4, &CopyProbe::OnRelease, &probe};
  probe.SetBuffer(&buffer);
  flutter::TextureVariant texture(flutter::PixelBufferTexture(nullptr));
  const int64_t id = Register(&probe, &texture);
  ASSERT_GE(id, 1);
  EXPECT_EQ(probe.copies(), 0) << "copied before any frame was marked";

  ASSERT_TRUE(textures_->MarkTextureFrameAvailable(id));
  ASSERT_TRUE(probe.WaitForReleases(1));
  ASSERT_EQ(probe.threads().size(), 1u);
  EXPECT_NE(probe.threads()[0], std::this_thread::get_id());

  EXPECT_FALSE(textures_->MarkTextureFrameAvailable(id + 1000));
  EXPECT_TRUE(UnregisterAndWait(id));
}

TEST_F(TextureTest, UnregistrationIsConfirmedOnTheRasterThreadOnceARunningCopyHasFinished) {
  CopyProbe probe;
  flutter::TextureVariant texture(flutter::PixelBufferTexture(nullptr));
  const int64_t id = Register(&probe, &texture);
  probe.Hold();
  ASSERT_TRUE(textures_->MarkTextureFrameAvailable(id));
  ASSERT_TRUE(probe.WaitForCopies(1));  // The copy is now running, held at the gate.
  ASSERT_TRUE(textures_->MarkTextureFrameAvailable(id));  // Wants a second copy.

  std::promise<std::thread::id> confirmed;
  std::future<std::thread::id> confirmation = confirmed.get_future();
  // Returns at once, as the engine's does: the confirmation comes later.
  textures_->UnregisterTexture(id, [&] { confirmed.set_value(std::this_thread::get_id()); });
  EXPECT_FALSE(textures_->MarkTextureFrameAvailable(id)) << "the texture is gone at once";
  // The raster thread is still inside the held copy, so it cannot have confirmed yet.
  EXPECT_EQ(confirmation.wait_for(std::chrono::seconds(0)), std::future_status::timeout)
      << "confirmed while a copy was running";
  probe.Release();
  ASSERT_EQ(confirmation.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_EQ(confirmation.get(), probe.threads()[0]) << "not confirmed on the raster thread";
  EXPECT_EQ(probe.copies(), 1) << "the wanted second copy was made after the unregistration";
}

TEST_F(TextureTest, ACopyCallbackMayUnregisterItsOwnTexture) {
  std::promise<void> unregistered;
  int64_t id = -1;
  int copies = 0;
  flutter::TextureVariant texture(
      flutter::PixelBufferTexture([&](size_t, size_t) -> const FlutterDesktopPixelBuffer* {
        ++copies;
        textures_->UnregisterTexture(id);  // Would deadlock if it waited for this very copy.
        unregistered.set_value();
        return nullptr;
      }));
  id = textures_->RegisterTexture(&texture);
  ASSERT_TRUE(textures_->MarkTextureFrameAvailable(id));
  ASSERT_EQ(unregistered.get_future().wait_for(std::chrono::seconds(10)),
            std::future_status::ready);
  EXPECT_FALSE(textures_->MarkTextureFrameAvailable(id));
  // A later confirmation tells that the copy callback above has returned.
  EXPECT_TRUE(UnregisterAndWait(id));
  EXPECT_EQ(copies, 1);
}

TEST_F(TextureTest, MarksMadeWhileACopyIsPendingMergeIntoOne) {
  CopyProbe probe;
  flutter::TextureVariant texture(flutter::PixelBufferTexture(nullptr));
  const int64_t id = Register(&probe, &texture);
  probe.Hold();
  textures_->MarkTextureFrameAvailable(id);
  ASSERT_TRUE(probe.WaitForCopies(1));
  for (int i = 0; i < 50; ++i) textures_->MarkTextureFrameAvailable(id);
  probe.Release();
  ASSERT_TRUE(probe.WaitForCopies(2));
  // Unregistration is confirmed after every copy wanted before it.
  EXPECT_TRUE(UnregisterAndWait(id));
  EXPECT_EQ(probe.copies(), 2);
}

TEST_F(TextureTest, UnusableBuffersAreSkippedAndStillReleased) {
  CopyProbe probe;
  std::vector<uint8_t> pixels(16, 0);
  const std::vector<FlutterDesktopPixelBuffer> buffers = {
      {nullptr, 2, 2, &CopyProbe::OnRelease, &probe},
      {pixels.data(), 0, 2, &CopyProbe::OnRelease, &probe},
      {pixels.data(), 20000, 1, &CopyProbe::OnRelease, &probe},
      {pixels.data(), 5000, 5000, &CopyProbe::OnRelease, &probe},  // would be read past its end
  };
  flutter::TextureVariant texture(flutter::PixelBufferTexture(nullptr));
  const int64_t id = Register(&probe, &texture);
  for (size_t i = 0; i < buffers.size(); ++i) {
    probe.SetBuffer(&buffers[i]);
    textures_->MarkTextureFrameAvailable(id);
    ASSERT_TRUE(probe.WaitForReleases(static_cast<int>(i) + 1));
  }
  probe.SetBuffer(nullptr);  // No frame at all.
  textures_->MarkTextureFrameAvailable(id);
  ASSERT_TRUE(probe.WaitForCopies(5));
  EXPECT_TRUE(UnregisterAndWait(id));
  EXPECT_EQ(output_.CountContaining("pixel buffer skipped"), 4u);
}

TEST_F(TextureTest, ACopyCallbackThatThrowsCostsOneFrameNotTheRasterThread) {
  CopyProbe probe;
  std::vector<uint8_t> pixels(4 * 4 * 4, 0x40);
  const FlutterDesktopPixelBuffer buffer = {pixels.data(), 4, 4, &CopyProbe::OnRelease, &probe};
  probe.SetBuffer(&buffer);
  bool first = true;
  flutter::TextureVariant texture(
      flutter::PixelBufferTexture([&](size_t, size_t) -> const FlutterDesktopPixelBuffer* {
        if (first) {
          first = false;
          throw std::runtime_error("copy failed");
        }
        return probe.Copy();
      }));
  const int64_t id = textures_->RegisterTexture(&texture);
  ASSERT_TRUE(textures_->MarkTextureFrameAvailable(id));
  ASSERT_TRUE(output_.WaitFor("[engine] error: texture " + std::to_string(id) +
                              ": the host's callback threw: copy failed"));
  // The raster thread goes on: the next frame is copied and its buffer released.
  ASSERT_TRUE(textures_->MarkTextureFrameAvailable(id));
  EXPECT_TRUE(probe.WaitForReleases(1));
  EXPECT_TRUE(UnregisterAndWait(id));
}

TEST_F(TextureTest, UnregisteringUnknownTexturesAndAfterShutdownCompletes) {
  bool called = false;
  std::promise<void> done;
  textures_->UnregisterTexture(12345, [&] {
    called = true;
    done.set_value();
  });
  EXPECT_EQ(done.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
  EXPECT_TRUE(called);

  CopyProbe probe;
  flutter::TextureVariant texture(flutter::PixelBufferTexture(nullptr));
  const int64_t id = Register(&probe, &texture);
  engine_.reset();
  // A texture released by a worker after the engine has gone.
  std::thread late([&] { EXPECT_TRUE(textures_->UnregisterTexture(id)); });
  late.join();
  EXPECT_FALSE(textures_->MarkTextureFrameAvailable(id));
  flutter::TextureVariant another(flutter::PixelBufferTexture(nullptr));
  EXPECT_EQ(Register(&probe, &another), -1);
  EXPECT_EQ(probe.copies(), 0);
}

// ----- Frame pacing, on the registry itself -----

// Counts frames and copies; waits for confirmations.
class RasterRecord {
 public:
  static const FlutterDesktopPixelBuffer* Copy(size_t, size_t, void* user_data) {
    auto* self = static_cast<RasterRecord*>(user_data);
    std::lock_guard<std::mutex> lock(self->mutex_);
    ++self->copies_;
    return nullptr;
  }
  void OnFrame() {
    std::lock_guard<std::mutex> lock(mutex_);
    ++frames_;
    changed_.notify_all();
  }
  bool WaitForFrames(int count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::seconds(10), [&] { return frames_ >= count; });
  }
  int frames() {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
  }
  int copies() {
    std::lock_guard<std::mutex> lock(mutex_);
    return copies_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int frames_ = 0;
  int copies_ = 0;
};

// A definite point on the raster thread: the confirmation of an unregistration comes after every
// frame wanted before it.
bool PassRasterThread(flutter::engine::TextureRegistry* registry) {
  std::promise<void> passed;
  registry->Unregister(
      -1, [](void* promise) { static_cast<std::promise<void>*>(promise)->set_value(); }, &passed);
  return passed.get_future().wait_for(std::chrono::seconds(10)) == std::future_status::ready;
}

TEST(TexturePacingTest, AFrameWantedWithinTheFrameIntervalWaitsForItsEnd) {
  RasterRecord record;
  flutter::engine::TextureRegistry registry([&] { record.OnFrame(); }, std::chrono::hours(1));
  const int64_t first = registry.Register(&RasterRecord::Copy, &record);
  ASSERT_TRUE(record.WaitForFrames(1));  // The new texture's tile.
  const int64_t second = registry.Register(&RasterRecord::Copy, &record);
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(registry.MarkFrameAvailable(first));
    EXPECT_TRUE(registry.MarkFrameAvailable(second));
  }
  registry.RequestFrame();
  registry.Shutdown();  // Joins the raster thread; a wanted frame that was not due is dropped.
  EXPECT_EQ(record.frames(), 1) << "a frame came before the display's next refresh";
  EXPECT_EQ(record.copies(), 0);
}

TEST(TexturePacingTest, FramesComeOnlyForAChangeAndCopyOnlyMarkedTextures) {
  RasterRecord record;
  flutter::engine::TextureRegistry registry([&] { record.OnFrame(); }, std::chrono::milliseconds(1));
  const int64_t first = registry.Register(&RasterRecord::Copy, &record);
  registry.Register(&RasterRecord::Copy, &record);
  ASSERT_TRUE(record.WaitForFrames(1));
  ASSERT_TRUE(PassRasterThread(&registry));
  const int frames = record.frames();  // One or two, as the registrations fell.
  ASSERT_TRUE(PassRasterThread(&registry));
  EXPECT_EQ(record.frames(), frames) << "a frame without a change";
  EXPECT_EQ(record.copies(), 0);

  ASSERT_TRUE(registry.MarkFrameAvailable(first));
  ASSERT_TRUE(record.WaitForFrames(frames + 1));
  ASSERT_TRUE(PassRasterThread(&registry));
  EXPECT_EQ(record.frames(), frames + 1);
  EXPECT_EQ(record.copies(), 1) << "only the marked texture is copied";
}

}  // namespace
