#include "mic/mic_audio_capture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

#include "mic/frame_slicer.h"
#include "mic/mic_log.h"
#include "mic/wasapi_capture_device.h"

using mic::HexCode;
using mic::MicLog;

namespace {

constexpr std::size_t kOutputBufferBytes = 8192;
constexpr int kLevelLogInterval = 50;
constexpr auto kPollInterval = std::chrono::milliseconds(5);

std::string Hex(HRESULT result) { return HexCode(static_cast<std::uint32_t>(result)); }

}  // namespace

MicAudioCapture::MicAudioCapture(FrameCallback onFrame, FailureCallback onFailure,
                                 MicCaptureSettings settings)
    : onFrame_(std::move(onFrame)),
      onFailure_(std::move(onFailure)),
      settings_(std::move(settings)),
      output_(kOutputBufferBytes) {}

MicAudioCapture::~MicAudioCapture() { Stop(); }

bool MicAudioCapture::Start() {
  if (OnCaptureThread()) return running_.load();
  std::lock_guard<std::mutex> control(controlMutex_);
  if (running_.load()) return true;
  // The previous run has ended or is ending (its loop failed, it was stopped, or its Start gave
  // up on it and it is winding down); a joinable std::thread must never be overwritten.
  if (thread_.joinable()) thread_.join();
  {
    std::lock_guard<std::mutex> lock(startMutex_);
    initDone_ = false;
    initOk_ = false;
    stop_ = false;
  }
  try {
    thread_ = std::thread(&MicAudioCapture::CaptureThreadMain, this);
  } catch (const std::system_error& error) {
    MicLog(std::string("cannot start the capture thread: ") + error.what());
    return false;
  }

  std::unique_lock<std::mutex> lock(startMutex_);
  if (!startDone_.wait_for(lock, settings_.startTimeout, [this] { return initDone_; })) {
    // Under startMutex_: the set-up, whenever it ends, sees stop_ and tears itself down without
    // capturing or calling back.
    stop_ = true;
    MicLog("start timed out after " + std::to_string(settings_.startTimeout.count()) + " ms");
    return false;
  }
  return initOk_;
}

void MicAudioCapture::Stop() {
  if (OnCaptureThread()) return;
  std::lock_guard<std::mutex> control(controlMutex_);
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

bool MicAudioCapture::OpenEncoder() {
  encodeCount_ = 0;
  peak_ = 0;
  silentBuffers_ = 0;
  totalBuffers_ = 0;
  output_.assign(kOutputBufferBytes, 0);
  return encoder_.Open();
}

bool MicAudioCapture::EncodeFrame(const std::int16_t* samples, int count) {
  if (count < 0 || (count > 0 && samples == nullptr)) return false;
  for (int i = 0; i < count; ++i) peak_ = std::max(peak_, std::abs(static_cast<int>(samples[i])));
  if (++encodeCount_ % kLevelLogInterval == 0) {
    MicLog("level: peak=" + std::to_string(peak_) + "/32767, buffers total=" +
           std::to_string(totalBuffers_) + " silent=" + std::to_string(silentBuffers_));
    peak_ = 0;
    silentBuffers_ = 0;
    totalBuffers_ = 0;
  }

  int bytes = 0;
  const unsigned error = encoder_.Encode(samples, count, output_.data(),
                                         static_cast<int>(output_.size()), &bytes);
  if (error != 0) {
    MicLog("aacEncEncode failed: " + HexCode(error));
    return false;
  }
  if (bytes > 0 && onFrame_) onFrame_(nullptr, 0, output_.data(), bytes);
  return true;
}

void MicAudioCapture::CloseEncoder() { encoder_.Close(); }

void MicAudioCapture::CaptureThreadMain() {
  captureThreadId_ = GetCurrentThreadId();
  const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  if (FAILED(com)) {
    lastResult_ = com;
    MicLog("CoInitializeEx failed: " + Hex(com));
    ReportStartup(false);
  } else {
    // Every COM object of the run lives inside CaptureInApartment and is gone when it returns.
    const RunEnd end = CaptureInApartment();
    running_ = false;
    if (end == RunEnd::kFailed && onFailure_) onFailure_();
    CoUninitialize();
  }
  captureThreadId_ = 0;
}

MicAudioCapture::RunEnd MicAudioCapture::CaptureInApartment() {
  mic::WasapiCaptureDevice device(settings_.createEnumerator, settings_.initializeRetryDelay, stop_);
  const bool ready = device.Open() && OpenEncoder();
  lastResult_ = device.lastResult();
  if (!ReportStartup(ready)) {
    CloseEncoder();
    return RunEnd::kNotStarted;
  }

  layout_ = device.layout();
  needsConversion_ = device.needsConversion();
  resample_ = mic::ResampleState{};
  pending_.clear();
  const std::vector<std::uint8_t>& config = encoder_.audioSpecificConfig();
  if (!config.empty() && onFrame_) onFrame_(config.data(), static_cast<int>(config.size()), nullptr, 0);

  const bool stopped = CaptureLoop(device);
  CloseEncoder();
  return stopped ? RunEnd::kStopped : RunEnd::kFailed;
}

bool MicAudioCapture::ReportStartup(bool ok) {
  std::lock_guard<std::mutex> lock(startMutex_);
  if (stop_.load()) ok = false;
  initDone_ = true;
  initOk_ = ok;
  if (ok) running_ = true;
  startDone_.notify_all();
  return ok;
}

bool MicAudioCapture::CaptureLoop(mic::WasapiCaptureDevice& device) {
  while (!stop_.load()) {
    std::this_thread::sleep_for(kPollInterval);
    if (!ReadAvailablePackets(device)) return false;
    // An encoder that fails is not recovered: going on would look like working voice while the
    // phones receive nothing, so the run ends as a failure and the owner is told.
    const bool encoded = mic::EncodeWholeFrames(
        pending_, static_cast<std::size_t>(frameLength()), stop_,
        [this](const std::int16_t* samples, std::size_t count) {
          return EncodeFrame(samples, static_cast<int>(count));
        });
    if (!encoded) return false;
  }
  return true;
}

bool MicAudioCapture::ReadAvailablePackets(mic::WasapiCaptureDevice& device) {
  while (!stop_.load()) {
    UINT32 packetFrames = 0;
    HRESULT hr = device.NextPacketSize(&packetFrames);
    if (FAILED(hr)) {
      lastResult_ = hr;
      MicLog("GetNextPacketSize failed: " + Hex(hr));
      return false;
    }
    if (packetFrames == 0) return true;

    BYTE* data = nullptr;
    UINT32 frames = 0;
    DWORD flags = 0;
    hr = device.GetBuffer(&data, &frames, &flags);
    if (FAILED(hr)) {
      lastResult_ = hr;
      MicLog("GetBuffer failed: " + Hex(hr));
      return false;
    }
    ++totalBuffers_;
    const bool silent = (flags & AUDCLNT_BUFFERFLAGS_SILENT) != 0;
    if (silent) ++silentBuffers_;
    AppendPacket(data, frames, silent);
    device.ReleaseBuffer(frames);
  }
  return true;
}

void MicAudioCapture::AppendPacket(const BYTE* data, UINT32 frames, bool silent) {
  // A packet without data is taken as silence, so that time keeps flowing.
  silent = silent || data == nullptr;
  if (needsConversion_) {
    mic::AppendAsMono48k(layout_, data, frames, silent, resample_, pending_);
    return;
  }
  const std::size_t oldSize = pending_.size();
  pending_.resize(oldSize + frames, 0);
  if (!silent) std::memcpy(pending_.data() + oldSize, data, frames * sizeof(std::int16_t));
}

bool MicAudioCapture::OnCaptureThread() const {
  const DWORD id = captureThreadId_.load();
  return id != 0 && id == GetCurrentThreadId();
}
