#include "shell/main_thread.h"

#include <utility>

#include "base/thread/thread_registry.h"
#include "swplay/sw_runtime.h"

MiscThread::MiscThread(std::string name, int id) : FrameworkThread(std::move(name)), id_(id) {}

MiscThread::~MiscThread() {
  // Stop here, while this class's Cleanup() is still the one that runs.
  Stop();
}

void MiscThread::Init() { nbase::ThreadRegistry::RegisterThread(id_); }

void MiscThread::Cleanup() { nbase::ThreadRegistry::UnregisterThread(); }

MainThread::MainThread() : FrameworkThread("MainThread") {}

MainThread::~MainThread() {
  Stop();
  misc_thread_.reset();
}

void MainThread::Init() {
  nbase::ThreadRegistry::RegisterThread(kMainThreadId);

  misc_thread_ = std::make_unique<MiscThread>("Global Misc Thread", kMiscThreadId);
  misc_thread_->Start();

  // A failed initialisation is not fatal: sessions then fail to connect and say so.
  SWRuntime::getInstance()->init(0, nullptr);
}

void MainThread::Cleanup() {
  if (misc_thread_ && misc_thread_->IsRunning()) {
    misc_thread_->Stop();
    misc_thread_.reset();
  }
  SetQuitProperly(true);
  nbase::ThreadRegistry::UnregisterThread();
  SWRuntime::getInstance()->deinit();
}
