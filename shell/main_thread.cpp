#include "shell/main_thread.h"

#include <utility>

#include "base/module/module_win.h"
#include "base/thread/thread_registry.h"
#include "shell/app_control_factory.h"
#include "shell/startup_timeline.h"
#include "swplay/sw_runtime.h"
#include "ui/core/global_manager.h"

namespace {

// Below the executable's directory.
constexpr wchar_t kResourceFolder[] = L"resources\\";
constexpr wchar_t kThemeFolder[] = L"themes\\default";
constexpr wchar_t kLanguageFolder[] = L"lang\\zh_CN";

class AppServices : public MainThreadServices {
 public:
  void StartUi() override {
    ui::GlobalManager::Startup(nbase::GetModuleDirectory() + kResourceFolder, CreateAppControl,
                               /*adaptDpi=*/false, kThemeFolder, kLanguageFolder);
  }
  void InitSdkRuntime() override {
    // A failed initialisation is not fatal: sessions then fail to connect and say so.
    SWRuntime::getInstance()->init(0, nullptr);
  }
  void ShutdownUi() override { ui::GlobalManager::Shutdown(); }
  void DeinitSdkRuntime() override { SWRuntime::getInstance()->deinit(); }
};

}  // namespace

std::unique_ptr<MainThreadServices> MakeAppServices() { return std::make_unique<AppServices>(); }

MiscThread::MiscThread(std::string name, int id) : FrameworkThread(std::move(name)), id_(id) {}

MiscThread::~MiscThread() {
  // Stop here, while this class's Cleanup() is still the one that runs.
  Stop();
}

void MiscThread::Init() { nbase::ThreadRegistry::RegisterThread(id_); }

void MiscThread::Cleanup() { nbase::ThreadRegistry::UnregisterThread(); }

MainThread::MainThread() : MainThread(MakeAppServices()) {}

MainThread::MainThread(std::unique_ptr<MainThreadServices> services)
    : FrameworkThread("MainThread"), services_(std::move(services)) {}

MainThread::~MainThread() {
  Stop();
  misc_thread_.reset();
}

void MainThread::Init() {
  nbase::ThreadRegistry::RegisterThread(kMainThreadId);

  misc_thread_ = std::make_unique<MiscThread>("Global Misc Thread", kMiscThreadId);
  misc_thread_->Start();

  services_->StartUi();
  MarkStartup("UI library started");
  services_->InitSdkRuntime();
}

void MainThread::Cleanup() {
  services_->ShutdownUi();
  if (misc_thread_ && misc_thread_->IsRunning()) {
    misc_thread_->Stop();
    misc_thread_.reset();
  }
  SetQuitProperly(true);
  nbase::ThreadRegistry::UnregisterThread();
  services_->DeinitSdkRuntime();
}
