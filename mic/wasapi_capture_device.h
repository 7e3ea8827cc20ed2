// The default capture endpoint opened through WASAPI in shared mode.
//
// Open() runs the set-up steps in order, logging the first that fails as
// "[MicAudioCapture] <step> failed: 0x<result>":
//   1. create the device enumerator, get the default capture endpoint, activate an IAudioClient;
//   2. initialise it for 48000 Hz mono 16-bit PCM; when the device refuses, activate a fresh
//      client, read the device's mix format (copied with its extension bytes) and initialise with
//      that, converting every packet later;
//   3. get the IAudioCaptureClient and start the stream.
// Each Initialize gets up to three attempts, the later ones on a freshly activated client after a
// short pause.
//
// Thread affinity: create, use and destroy an instance on one thread that has entered the
// multithreaded COM apartment, and keep the apartment until the instance is gone: the destructor
// stops a started stream and releases every interface there.
#pragma once

#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>
#include <wrl/client.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <vector>

#include "mic/pcm_conversion.h"

namespace mic {

// Creates the device enumerator; the default makes the system's MMDeviceEnumerator in-process.
using EnumeratorFactory = std::function<HRESULT(IMMDeviceEnumerator** enumerator)>;

class WasapiCaptureDevice {
 public:
  // `cancel` is polled between set-up steps: once it is set, Open() gives up at the next step.
  // It must outlive the instance.
  WasapiCaptureDevice(EnumeratorFactory createEnumerator, std::chrono::milliseconds retryDelay,
                      const std::atomic<bool>& cancel);
  ~WasapiCaptureDevice();
  WasapiCaptureDevice(const WasapiCaptureDevice&) = delete;
  WasapiCaptureDevice& operator=(const WasapiCaptureDevice&) = delete;

  // Runs the whole set-up and starts the stream. False when a step failed (logged; lastResult()
  // holds its code) or the set-up was cancelled.
  bool Open();

  // The result code of the last failing step, S_OK when none failed.
  HRESULT lastResult() const { return lastResult_; }

  // Layout of the packets, and whether they need converting (anything but 48000 Hz mono 16-bit
  // PCM). Valid after a successful Open().
  const PcmLayout& layout() const { return layout_; }
  bool needsConversion() const { return needsConversion_; }

  // The capture client's packet calls, valid after a successful Open().
  HRESULT NextPacketSize(UINT32* frames);
  HRESULT GetBuffer(BYTE** data, UINT32* frames, DWORD* flags);
  HRESULT ReleaseBuffer(UINT32 frames);

 private:
  bool Fail(const char* step, HRESULT result);
  bool Cancelled();
  HRESULT ActivateClient();
  // Up to three attempts of IAudioClient::Initialize with `format`; returns the last result.
  HRESULT InitializeClient(const WAVEFORMATEX* format);
  bool InitializeWithMixFormat();

  const EnumeratorFactory createEnumerator_;
  const std::chrono::milliseconds retryDelay_;
  const std::atomic<bool>& cancel_;

  Microsoft::WRL::ComPtr<IMMDeviceEnumerator> enumerator_;
  Microsoft::WRL::ComPtr<IMMDevice> device_;
  Microsoft::WRL::ComPtr<IAudioClient> client_;
  Microsoft::WRL::ComPtr<IAudioCaptureClient> captureClient_;
  bool streamStarted_ = false;

  std::vector<std::uint8_t> mixFormat_;  // copy of the device's WAVEFORMATEX and its extension
  PcmLayout layout_;
  bool needsConversion_ = false;
  HRESULT lastResult_ = S_OK;
};

}  // namespace mic
