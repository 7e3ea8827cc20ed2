// MainThread brings up the misc thread, the UI library and the SDK runtime, in order, and takes
// them down again in the opposite order; the application's control factory.
#include "shell/main_thread.h"

#include <windows.h>

#include <future>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/module/module_win.h"
#include "base/thread/thread_registry.h"
#include "phone_window/dui_video_view.h"
#include "shell/app_control_factory.h"
#include "swplay/swplay_sim.h"
#include "ui/core/control.h"
#include "ui/core/global_manager.h"

namespace {

// The thread that runs a task posted to |id|, or 0 when the post is refused or it never runs.
DWORD ThreadRunningTasksOf(int id) {
  auto ran_on = std::make_shared<std::promise<DWORD>>();
  std::future<DWORD> result = ran_on->get_future();
  if (!nbase::ThreadRegistry::PostTask(id, [ran_on] { ran_on->set_value(::GetCurrentThreadId()); }))
    return 0;
  if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready) return 0;
  return result.get();
}

std::string RuntimeLog() { return swsim_object_log('R', 0); }

// Logs each call with the thread it ran on and which of ids 0 and 1 are registered then.
class RecordingServices : public MainThreadServices {
 public:
  struct Call {
    std::string text;
    DWORD thread;
  };
  explicit RecordingServices(std::vector<Call>* log) : log_(log) {}

  void StartUi() override { Record("StartUi"); }
  void InitSdkRuntime() override { Record("InitSdkRuntime"); }
  void ShutdownUi() override { Record("ShutdownUi"); }
  void DeinitSdkRuntime() override { Record("DeinitSdkRuntime"); }

 private:
  void Record(const std::string& call) {
    auto registered = [](int id) {
      return nbase::ThreadRegistry::GetMessageLoopProxy(id) ? "up" : "down";
    };
    log_->push_back(Call{call + " 0:" + registered(MainThread::kMainThreadId) + " 1:" +
                             registered(MainThread::kMiscThreadId),
                         ::GetCurrentThreadId()});
  }
  std::vector<Call>* log_;
};

TEST(MainThread, StartsAndStopsItsPartsInOrderOnItsOwnThread) {
  std::vector<RecordingServices::Call> log;  // Written by MainThread while the test waits.
  MainThread main_thread(std::make_unique<RecordingServices>(&log));
  ASSERT_TRUE(main_thread.StartWithLoop(nbase::MessageLoopType::kUI));
  const DWORD thread = main_thread.thread_id();
  main_thread.Stop();

  std::vector<std::string> calls;
  for (const auto& call : log) {
    calls.push_back(call.text);
    EXPECT_EQ(call.thread, thread) << call.text;
  }
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "StartUi 0:up 1:up",           // Both ids first,
                       "InitSdkRuntime 0:up 1:up",    // then the UI library, then the runtime;
                       "ShutdownUi 0:up 1:up",        // the UI library goes first,
                       "DeinitSdkRuntime 0:down 1:down",  // the runtime last.
                   }));
}

TEST(MainThread, RunsTheMiscThreadTheUiLibraryAndTheSdkRuntimeWhileStarted) {
  const std::string log_before = RuntimeLog();
  {
    MainThread main_thread;
    ASSERT_TRUE(main_thread.StartWithLoop(nbase::MessageLoopType::kUI));

    // Init has run by the time the start returns: both ids are registered, the UI library and
    // the runtime are up.
    const std::string started_log = RuntimeLog().substr(log_before.size());
    EXPECT_EQ(started_log, "init(0, null)\n");
    EXPECT_NE(ui::GlobalManager::GetRenderFactory(), nullptr);
    EXPECT_EQ(ui::GlobalManager::GetResourcePath(),
              nbase::GetModuleDirectory() + L"resources\\themes\\default\\");
    std::unique_ptr<ui::Control> video(ui::GlobalManager::CreateControl(L"DuiVideoView"));
    EXPECT_NE(dynamic_cast<ui::DuiVideoView*>(video.get()), nullptr);

    const DWORD main_id = ThreadRunningTasksOf(MainThread::kMainThreadId);
    const DWORD misc_id = ThreadRunningTasksOf(MainThread::kMiscThreadId);
    EXPECT_EQ(main_id, main_thread.thread_id());
    ASSERT_NE(misc_id, 0u);
    EXPECT_NE(misc_id, main_id);
    EXPECT_NE(misc_id, ::GetCurrentThreadId());

    main_thread.Stop();
    EXPECT_EQ(RuntimeLog().substr(log_before.size()), "init(0, null)\ndeinit()\n");
    EXPECT_EQ(ui::GlobalManager::GetRenderFactory(), nullptr);

    // Neither thread is reachable by id once MainThread has stopped.
    EXPECT_FALSE(nbase::ThreadRegistry::PostTask(MainThread::kMainThreadId, [] {}));
    EXPECT_FALSE(nbase::ThreadRegistry::PostTask(MainThread::kMiscThreadId, [] {}));
  }
}

TEST(MainThread, CanBeStartedAgainAfterAStop) {
  MainThread main_thread;
  ASSERT_TRUE(main_thread.StartWithLoop(nbase::MessageLoopType::kUI));
  main_thread.Stop();
  ASSERT_TRUE(main_thread.StartWithLoop(nbase::MessageLoopType::kUI));
  EXPECT_NE(ThreadRunningTasksOf(MainThread::kMiscThreadId), 0u);
  // The destructor stops it, Cleanup included.
}

TEST(MiscThread, IsReachableByItsIdOnlyWhileRunning) {
  MiscThread misc("Test Misc Thread", 1042);
  EXPECT_FALSE(nbase::ThreadRegistry::PostTask(1042, [] {}));
  ASSERT_TRUE(misc.Start());
  EXPECT_EQ(ThreadRunningTasksOf(1042), misc.thread_id());
  misc.Stop();
  EXPECT_FALSE(nbase::ThreadRegistry::PostTask(1042, [] {}));
}

TEST(CreateAppControl, MakesAVideoViewForExactlyItsName) {
  std::unique_ptr<ui::Control> video(CreateAppControl(L"DuiVideoView"));
  EXPECT_NE(dynamic_cast<ui::DuiVideoView*>(video.get()), nullptr);
  for (const wchar_t* other : {L"duivideoview", L"DUIVIDEOVIEW", L"DuiVideoView ", L"DuiVideo",
                               L"Box", L""}) {
    std::unique_ptr<ui::Control> none(CreateAppControl(other));
    EXPECT_EQ(none, nullptr) << other;
  }
}

}  // namespace
