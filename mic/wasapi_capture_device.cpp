#include "mic/wasapi_capture_device.h"

#include <memory>
#include <string>
#include <thread>

#include "mic/capture_format.h"
#include "mic/mic_log.h"

namespace mic {
namespace {

// 100 ms of device buffer (in 100-ns units): ample for a reader that polls every 5 ms.
constexpr REFERENCE_TIME kBufferDuration = 1'000'000;
constexpr int kInitializeAttempts = 3;

struct CoTaskMemDeleter {
  void operator()(void* memory) const { CoTaskMemFree(memory); }
};

}  // namespace

WasapiCaptureDevice::WasapiCaptureDevice(EnumeratorFactory createEnumerator,
                                         std::chrono::milliseconds retryDelay,
                                         const std::atomic<bool>& cancel)
    : createEnumerator_(std::move(createEnumerator)), retryDelay_(retryDelay), cancel_(cancel) {}

WasapiCaptureDevice::~WasapiCaptureDevice() {
  if (streamStarted_) client_->Stop();
  captureClient_.Reset();
  client_.Reset();
  device_.Reset();
  enumerator_.Reset();
}

bool WasapiCaptureDevice::Open() {
  HRESULT hr = createEnumerator_
                   ? createEnumerator_(enumerator_.ReleaseAndGetAddressOf())
                   : CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_INPROC_SERVER,
                                      IID_PPV_ARGS(enumerator_.ReleaseAndGetAddressOf()));
  if (FAILED(hr) || !enumerator_) return Fail("CoCreateInstance(MMDeviceEnumerator)", hr);
  if (Cancelled()) return false;

  hr = enumerator_->GetDefaultAudioEndpoint(eCapture, eConsole, device_.ReleaseAndGetAddressOf());
  if (FAILED(hr) || !device_) return Fail("GetDefaultAudioEndpoint", hr);
  if (Cancelled()) return false;

  hr = ActivateClient();
  if (FAILED(hr)) return Fail("Activate(IAudioClient)", hr);
  if (Cancelled()) return false;

  const WAVEFORMATEX requested = EncoderWaveFormat();
  hr = InitializeClient(&requested);
  if (SUCCEEDED(hr)) {
    layout_ = PcmLayout{};
    needsConversion_ = false;
    MicLog("capture ready: 48000Hz mono 16-bit");
  } else {
    lastResult_ = hr;
    MicLog("Initialize(requested) failed: " + HexCode(hr) + ", falling back to mix format");
    if (!InitializeWithMixFormat()) return false;
  }
  if (Cancelled()) return false;

  hr = client_->GetService(IID_PPV_ARGS(captureClient_.ReleaseAndGetAddressOf()));
  if (FAILED(hr) || !captureClient_) return Fail("GetService(IAudioCaptureClient)", hr);
  if (Cancelled()) return false;

  hr = client_->Start();
  if (FAILED(hr)) return Fail("IAudioClient::Start", hr);
  streamStarted_ = true;
  return true;
}

HRESULT WasapiCaptureDevice::NextPacketSize(UINT32* frames) {
  return captureClient_->GetNextPacketSize(frames);
}

HRESULT WasapiCaptureDevice::GetBuffer(BYTE** data, UINT32* frames, DWORD* flags) {
  return captureClient_->GetBuffer(data, frames, flags, nullptr, nullptr);
}

HRESULT WasapiCaptureDevice::ReleaseBuffer(UINT32 frames) {
  return captureClient_->ReleaseBuffer(frames);
}

bool WasapiCaptureDevice::Fail(const char* step, HRESULT result) {
  // A call that reports success but hands back nothing counts as an invalid pointer.
  lastResult_ = FAILED(result) ? result : E_POINTER;
  MicLog(std::string(step) + " failed: " + HexCode(static_cast<std::uint32_t>(lastResult_)));
  return false;
}

bool WasapiCaptureDevice::Cancelled() {
  if (!cancel_.load()) return false;
  MicLog("set-up cancelled");
  return true;
}

HRESULT WasapiCaptureDevice::ActivateClient() {
  client_.Reset();
  const HRESULT hr = device_->Activate(__uuidof(IAudioClient), CLSCTX_INPROC_SERVER, nullptr,
                                       reinterpret_cast<void**>(client_.ReleaseAndGetAddressOf()));
  if (SUCCEEDED(hr) && !client_) return E_POINTER;
  return hr;
}

HRESULT WasapiCaptureDevice::InitializeClient(const WAVEFORMATEX* format) {
  HRESULT hr = E_FAIL;
  for (int attempt = 0; attempt < kInitializeAttempts; ++attempt) {
    if (attempt > 0) {
      // A client whose Initialize failed cannot be initialised again: start over with a new one.
      hr = ActivateClient();
      if (FAILED(hr)) break;
      std::this_thread::sleep_for(retryDelay_);
    }
    hr = client_->Initialize(AUDCLNT_SHAREMODE_SHARED, 0, kBufferDuration, 0, format, nullptr);
    if (SUCCEEDED(hr)) break;
  }
  if (FAILED(hr)) lastResult_ = hr;
  return hr;
}

bool WasapiCaptureDevice::InitializeWithMixFormat() {
  HRESULT hr = ActivateClient();
  if (FAILED(hr)) return Fail("Activate(retry)", hr);
  if (Cancelled()) return false;

  WAVEFORMATEX* rawFormat = nullptr;
  hr = client_->GetMixFormat(&rawFormat);
  const std::unique_ptr<WAVEFORMATEX, CoTaskMemDeleter> deviceFormat(rawFormat);
  if (FAILED(hr) || !deviceFormat) return Fail("GetMixFormat", hr);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(deviceFormat.get());
  mixFormat_.assign(bytes, bytes + sizeof(WAVEFORMATEX) + deviceFormat->cbSize);
  const auto& mix = *reinterpret_cast<const WAVEFORMATEX*>(mixFormat_.data());

  const std::optional<PcmLayout> layout = LayoutFromWaveFormat(mix, mixFormat_.size());
  if (!layout) {
    lastResult_ = AUDCLNT_E_UNSUPPORTED_FORMAT;
    MicLog("CheckMixFormat failed: " + HexCode(static_cast<std::uint32_t>(lastResult_)) + " (" +
           DescribeWaveFormat(mix) + ")");
    return false;
  }
  if (Cancelled()) return false;

  hr = InitializeClient(&mix);
  if (FAILED(hr)) return Fail("Initialize(mix format)", hr);
  layout_ = *layout;
  needsConversion_ = !IsEncoderLayout(layout_);
  MicLog("capture via mix format: " + std::to_string(mix.nSamplesPerSec) + "Hz " +
         std::to_string(mix.nChannels) + "ch " + std::to_string(mix.wBitsPerSample) +
         "bit, resample=" + (needsConversion_ ? "yes" : "no"));
  return true;
}

}  // namespace mic
