#include "fake_audio_endpoint.h"

#include <atomic>
#include <cstring>

namespace mic_test {
namespace {

// Reference counting shared by every fake; the endpoint hears of each object's birth and of its
// final release.
template <typename Interface>
class FakeUnknown : public Interface {
 public:
  explicit FakeUnknown(std::shared_ptr<FakeAudioEndpoint> endpoint) : endpoint_(std::move(endpoint)) {
    endpoint_->NoteCreated();
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    if (iid == __uuidof(IUnknown) || iid == __uuidof(Interface)) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) {
      endpoint_->NoteFinalRelease(IsRunningClient());
      delete this;
    }
    return left;
  }

 protected:
  virtual ~FakeUnknown() = default;
  virtual bool IsRunningClient() const { return false; }

  std::shared_ptr<FakeAudioEndpoint> endpoint_;

 private:
  std::atomic<ULONG> references_{1};
};

class FakeCaptureClient final : public FakeUnknown<IAudioCaptureClient> {
 public:
  using FakeUnknown::FakeUnknown;

  HRESULT STDMETHODCALLTYPE GetBuffer(BYTE** data, UINT32* frames, DWORD* flags, UINT64*,
                                      UINT64*) override {
    std::lock_guard<std::mutex> lock(endpoint_->mutex());
    ++endpoint_->mutableRecord().getBufferCalls;
    *data = nullptr;
    *frames = 0;
    *flags = 0;
    auto& packets = endpoint_->packets();
    if (packets.empty()) {
      return FAILED(endpoint_->getBufferFailure) ? endpoint_->getBufferFailure : AUDCLNT_S_BUFFER_EMPTY;
    }
    FakePacket& packet = packets.front();
    *data = packet.bytes.empty() ? nullptr : packet.bytes.data();
    *frames = packet.frames;
    *flags = packet.silent ? AUDCLNT_BUFFERFLAGS_SILENT : 0;
    outstanding_ = true;
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE ReleaseBuffer(UINT32) override {
    std::lock_guard<std::mutex> lock(endpoint_->mutex());
    if (!outstanding_) return AUDCLNT_E_OUT_OF_ORDER;
    outstanding_ = false;
    endpoint_->packets().pop_front();
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE GetNextPacketSize(UINT32* frames) override {
    std::unique_lock<std::mutex> lock(endpoint_->mutex());
    const auto& packets = endpoint_->packets();
    if (!packets.empty()) {
      *frames = packets.front().frames;
      return S_OK;
    }
    lock.unlock();
    endpoint_->NoteDrained();
    *frames = 0;
    if (FAILED(endpoint_->nextPacketFailure)) return endpoint_->nextPacketFailure;
    if (FAILED(endpoint_->getBufferFailure)) *frames = 480;
    return S_OK;
  }

 private:
  bool outstanding_ = false;
};

class FakeClient final : public FakeUnknown<IAudioClient> {
 public:
  using FakeUnknown::FakeUnknown;

  HRESULT STDMETHODCALLTYPE Initialize(AUDCLNT_SHAREMODE mode, DWORD, REFERENCE_TIME, REFERENCE_TIME,
                                       const WAVEFORMATEX* format, LPCGUID) override {
    std::lock_guard<std::mutex> lock(endpoint_->mutex());
    auto& record = endpoint_->mutableRecord();
    ++record.initializeCalls;
    if (format == nullptr) return E_POINTER;
    const std::vector<std::uint8_t> bytes = WaveFormatBytes(*format);
    record.initializeFormats.push_back(bytes);
    if (initialized_) return AUDCLNT_E_ALREADY_INITIALIZED;
    if (mode != AUDCLNT_SHAREMODE_SHARED) return E_INVALIDARG;
    HRESULT result;
    if (format->wFormatTag == WAVE_FORMAT_PCM && format->nSamplesPerSec == 48000 &&
        format->nChannels == 1 && format->wBitsPerSample == 16 && format->nBlockAlign == 2) {
      result = endpoint_->acceptsEncoderFormat ? S_OK : endpoint_->refuseResult;
    } else {
      result = bytes == endpoint_->mixFormat ? endpoint_->mixInitializeResult : AUDCLNT_E_UNSUPPORTED_FORMAT;
    }
    initialized_ = SUCCEEDED(result);
    return result;
  }
  HRESULT STDMETHODCALLTYPE GetBufferSize(UINT32*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStreamLatency(REFERENCE_TIME*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCurrentPadding(UINT32*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsFormatSupported(AUDCLNT_SHAREMODE, const WAVEFORMATEX*,
                                              WAVEFORMATEX**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetMixFormat(WAVEFORMATEX** format) override {
    *format = nullptr;
    if (FAILED(endpoint_->mixFormatResult)) return endpoint_->mixFormatResult;
    if (endpoint_->mixFormat.empty()) return E_FAIL;
    void* copy = CoTaskMemAlloc(endpoint_->mixFormat.size());
    if (copy == nullptr) return E_OUTOFMEMORY;
    std::memcpy(copy, endpoint_->mixFormat.data(), endpoint_->mixFormat.size());
    *format = static_cast<WAVEFORMATEX*>(copy);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDevicePeriod(REFERENCE_TIME*, REFERENCE_TIME*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Start() override {
    std::lock_guard<std::mutex> lock(endpoint_->mutex());
    ++endpoint_->mutableRecord().startCalls;
    if (!initialized_) return AUDCLNT_E_NOT_INITIALIZED;
    if (FAILED(endpoint_->startResult)) return endpoint_->startResult;
    started_ = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Stop() override {
    std::lock_guard<std::mutex> lock(endpoint_->mutex());
    ++endpoint_->mutableRecord().stopCalls;
    started_ = false;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetEventHandle(HANDLE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetService(REFIID iid, void** out) override {
    *out = nullptr;
    if (!initialized_) return AUDCLNT_E_NOT_INITIALIZED;
    if (FAILED(endpoint_->serviceResult)) return endpoint_->serviceResult;
    if (iid != __uuidof(IAudioCaptureClient)) return E_NOINTERFACE;
    *out = static_cast<IAudioCaptureClient*>(new FakeCaptureClient(endpoint_));
    return S_OK;
  }

 private:
  bool IsRunningClient() const override { return started_; }

  bool initialized_ = false;
  bool started_ = false;
};

class FakeDevice final : public FakeUnknown<IMMDevice> {
 public:
  using FakeUnknown::FakeUnknown;

  HRESULT STDMETHODCALLTYPE Activate(REFIID iid, DWORD, PROPVARIANT*, void** out) override {
    *out = nullptr;
    if (endpoint_->onActivate) endpoint_->onActivate();
    {
      std::lock_guard<std::mutex> lock(endpoint_->mutex());
      ++endpoint_->mutableRecord().activateCalls;
    }
    if (iid != __uuidof(IAudioClient)) return E_NOINTERFACE;
    if (FAILED(endpoint_->activateResult)) return endpoint_->activateResult;
    *out = static_cast<IAudioClient*>(new FakeClient(endpoint_));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OpenPropertyStore(DWORD, IPropertyStore**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetId(LPWSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetState(DWORD* state) override {
    *state = DEVICE_STATE_ACTIVE;
    return S_OK;
  }
};

class FakeEnumerator final : public FakeUnknown<IMMDeviceEnumerator> {
 public:
  using FakeUnknown::FakeUnknown;

  HRESULT STDMETHODCALLTYPE EnumAudioEndpoints(EDataFlow, DWORD, IMMDeviceCollection**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetDefaultAudioEndpoint(EDataFlow flow, ERole, IMMDevice** out) override {
    *out = nullptr;
    if (flow != eCapture) return E_INVALIDARG;
    if (FAILED(endpoint_->endpointResult)) return endpoint_->endpointResult;
    *out = new FakeDevice(endpoint_);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDevice(LPCWSTR, IMMDevice**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RegisterEndpointNotificationCallback(IMMNotificationClient*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE UnregisterEndpointNotificationCallback(IMMNotificationClient*) override {
    return E_NOTIMPL;
  }
};

bool InsideComApartment() {
  APTTYPE type;
  APTTYPEQUALIFIER qualifier;
  return SUCCEEDED(CoGetApartmentType(&type, &qualifier)) &&
         qualifier != APTTYPEQUALIFIER_IMPLICIT_MTA;
}

}  // namespace

std::shared_ptr<FakeAudioEndpoint> FakeAudioEndpoint::Create() {
  return std::shared_ptr<FakeAudioEndpoint>(new FakeAudioEndpoint());
}

FakeAudioEndpoint::FakeAudioEndpoint() : creatorThread_(GetCurrentThreadId()) {}

void FakeAudioEndpoint::AddPacket(FakePacket packet) {
  std::lock_guard<std::mutex> lock(mutex_);
  packets_.push_back(std::move(packet));
  emptyQueries_ = 0;
}

FakeAudioEndpoint::Record FakeAudioEndpoint::record() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return record_;
}

bool FakeAudioEndpoint::WaitUntilDrained(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return drainedChanged_.wait_for(lock, timeout, [this] { return emptyQueries_ >= 2; });
}

std::function<HRESULT(IMMDeviceEnumerator**)> FakeAudioEndpoint::Factory() {
  std::weak_ptr<FakeAudioEndpoint> weak = shared_from_this();
  return [weak](IMMDeviceEnumerator** out) -> HRESULT {
    *out = nullptr;
    const auto endpoint = weak.lock();
    if (!endpoint) return E_UNEXPECTED;
    if (FAILED(endpoint->enumeratorResult)) return endpoint->enumeratorResult;
    *out = new FakeEnumerator(endpoint);
    return S_OK;
  };
}

void FakeAudioEndpoint::NoteDrained() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++emptyQueries_;
  drainedChanged_.notify_all();
}

void FakeAudioEndpoint::NoteCreated() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++record_.liveObjects;
}

void FakeAudioEndpoint::NoteFinalRelease(bool isRunningClient) {
  const bool onCreatorThread = GetCurrentThreadId() == creatorThread_;
  const bool inApartment = InsideComApartment();
  std::lock_guard<std::mutex> lock(mutex_);
  --record_.liveObjects;
  if (onCreatorThread) ++record_.releasesOnCreatorThread;
  if (!inApartment) ++record_.releasesOutsideApartment;
  if (isRunningClient) ++record_.clientsReleasedRunning;
}

std::vector<std::uint8_t> WaveFormatBytes(const WAVEFORMATEX& format) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&format);
  return std::vector<std::uint8_t>(bytes, bytes + sizeof(WAVEFORMATEX) + format.cbSize);
}

std::vector<std::uint8_t> ExtensibleFloatFormat(DWORD rate, WORD channels) {
  WAVEFORMATEXTENSIBLE format{};
  format.Format.wFormatTag = WAVE_FORMAT_EXTENSIBLE;
  format.Format.nChannels = channels;
  format.Format.nSamplesPerSec = rate;
  format.Format.wBitsPerSample = 32;
  format.Format.nBlockAlign = static_cast<WORD>(channels * 4);
  format.Format.nAvgBytesPerSec = rate * channels * 4;
  format.Format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
  format.Samples.wValidBitsPerSample = 32;
  format.dwChannelMask = channels == 2 ? (SPEAKER_FRONT_LEFT | SPEAKER_FRONT_RIGHT) : SPEAKER_FRONT_CENTER;
  // KSDATAFORMAT_SUBTYPE_IEEE_FLOAT
  format.SubFormat = GUID{0x00000003, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
  return WaveFormatBytes(format.Format);
}

std::vector<std::uint8_t> PlainFormat(WORD tag, DWORD rate, WORD channels, WORD bits) {
  WAVEFORMATEX format{};
  format.wFormatTag = tag;
  format.nChannels = channels;
  format.nSamplesPerSec = rate;
  format.wBitsPerSample = bits;
  format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
  format.nAvgBytesPerSec = rate * format.nBlockAlign;
  format.cbSize = 0;
  return WaveFormatBytes(format);
}

}  // namespace mic_test
