// MicAudioCapture: the PC's default microphone as a stream of AAC-LC frames.
//
// A capture thread of its own reads the default capture endpoint through WASAPI (shared mode),
// converts every packet to 48000 Hz mono 16-bit PCM, cuts it into frames of the encoder's frame
// length (1024 samples) and encodes each with fdk-aac. The frame callback receives first the
// encoder's AudioSpecificConfig, then one call per coded frame:
//
//   MicAudioCapture capture(
//       [](const uint8_t* config, int configLength, const uint8_t* frame, int frameLength) {
//         if (configLength > 0) SendConfig(config, configLength);  // frame is null, length 0
//         if (frameLength > 0) SendFrame(frame, frameLength);      // config is null, length 0
//       },
//       [] { ReportVoiceStopped(); });
//   if (!capture.Start()) ReportVoiceStopped();
//   ...
//   capture.Stop();
//
// Guarantees:
//  - Start() waits at most the start timeout (5 s) for the set-up: true once the device is
//    capturing and the encoder is open. After a false Start() nothing of that attempt is
//    delivered: a set-up that finishes late is torn down without capturing or calling back. The
//    next Start() or Stop() waits for such a late set-up to return from the system's calls.
//  - The failure callback runs only when a capture that Start() reported as running ends by
//    itself (device lost, read error, encoder error), never after a failed Start() or a Stop().
//  - Every COM interface is stopped and released on the capture thread, before that thread leaves
//    its COM apartment, however the run ends.
//  - Progress is logged to stdout with the "[MicAudioCapture]" prefix: each failing set-up step,
//    the chosen format, the encoder set-up, and a level line every 50th frame.
//
// Thread-safety:
//  - Start(), Stop() and the destructor are called from one owning thread (any thread but the
//    capture thread); they serialise among themselves.
//  - Both callbacks run on the capture thread. From there Stop() does nothing and Start() only
//    reports whether the capture runs; the object must not be destroyed from a callback.
//  - OpenEncoder(), EncodeFrame() and CloseEncoder() belong to the capture thread while a capture
//    runs; with no capture running a single thread may call them directly.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "mic/aac_encoder.h"
#include "mic/pcm_conversion.h"

struct IMMDeviceEnumerator;

namespace mic {
class WasapiCaptureDevice;
}

// How a MicAudioCapture reaches the system. The defaults are the real ones.
struct MicCaptureSettings {
  // Creates the device enumerator on the capture thread. Empty: CoCreateInstance of the system's
  // MMDeviceEnumerator, in-process.
  std::function<HRESULT(IMMDeviceEnumerator** enumerator)> createEnumerator;
  // How long Start() waits for the set-up.
  std::chrono::milliseconds startTimeout{5000};
  // Pause before the second and third attempt of IAudioClient::Initialize.
  std::chrono::milliseconds initializeRetryDelay{150};
};

class MicAudioCapture {
 public:
  // (configuration bytes, configuration length, frame bytes, frame length): one of the two pairs
  // is set per call, the other is (nullptr, 0). The bytes are valid during the call only.
  using FrameCallback = std::function<void(const std::uint8_t* config, int configLength,
                                           const std::uint8_t* frame, int frameLength)>;
  using FailureCallback = std::function<void()>;

  MicAudioCapture(FrameCallback onFrame, FailureCallback onFailure,
                  MicCaptureSettings settings = {});
  // Stops the capture and waits for its thread.
  ~MicAudioCapture();
  MicAudioCapture(const MicAudioCapture&) = delete;
  MicAudioCapture& operator=(const MicAudioCapture&) = delete;

  // True at once when capturing. Otherwise waits for the end of an earlier run's thread (a run
  // that failed, or whose set-up outlived its Start), starts a new capture thread and waits until
  // its set-up reports, at most the start timeout. False on a failed set-up or a timeout.
  bool Start();
  // Asks the capture thread to end and waits for it. Does nothing on the capture thread itself.
  void Stop();
  bool IsRunning() const { return running_.load(); }
  // The result code of the last failing WASAPI step (S_OK when none failed), for diagnostics.
  HRESULT lastResult() const { return lastResult_.load(); }

  // Encoder set-up (AAC-LC, 48000 Hz mono, 48 kbit/s); logs the failing step and returns false.
  // Resets the level meter.
  bool OpenEncoder();
  // Encodes one frame of `count` samples (the frame length), feeds the level meter and hands the
  // coded bytes, if the encoder produced any yet, to the frame callback. False on an encoder
  // error, which is logged as "aacEncEncode failed: 0x<code>".
  bool EncodeFrame(const std::int16_t* samples, int count);
  void CloseEncoder();
  // The open encoder's AudioSpecificConfig (empty when closed) and samples per frame (1024).
  const std::vector<std::uint8_t>& audioSpecificConfig() const { return encoder_.audioSpecificConfig(); }
  int frameLength() const { return encoder_.frameLength(); }

 private:
  enum class RunEnd { kNotStarted, kStopped, kFailed };

  void CaptureThreadMain();
  RunEnd CaptureInApartment();
  // Hands the set-up result to the waiting Start(). Returns whether the capture may go on: false
  // for a failed set-up, and for one that Start() has stopped waiting for.
  bool ReportStartup(bool ok);
  // Reads packets until a stop request (true) or a failure (false).
  bool CaptureLoop(mic::WasapiCaptureDevice& device);
  bool ReadAvailablePackets(mic::WasapiCaptureDevice& device);
  void AppendPacket(const BYTE* data, UINT32 frames, bool silent);
  bool OnCaptureThread() const;

  const FrameCallback onFrame_;
  const FailureCallback onFailure_;
  const MicCaptureSettings settings_;

  std::mutex controlMutex_;  // serialises Start(), Stop() and the destructor
  std::thread thread_;       // the capture thread of the latest run; joined before it is replaced

  // Start handshake: the capture thread sets initDone_/initOk_ under startMutex_; a Start() that
  // times out sets stop_ under the same mutex, so exactly one of the two decides the run's fate.
  std::mutex startMutex_;
  std::condition_variable startDone_;
  bool initDone_ = false;
  bool initOk_ = false;

  std::atomic<bool> running_{false};
  std::atomic<bool> stop_{false};
  std::atomic<DWORD> captureThreadId_{0};  // 0 when no capture thread runs
  std::atomic<HRESULT> lastResult_{S_OK};

  // Capture-thread state.
  mic::PcmLayout layout_;
  bool needsConversion_ = false;
  mic::ResampleState resample_;
  std::vector<std::int16_t> pending_;  // 48000 Hz mono samples not yet encoded
  mic::AacEncoder encoder_;
  std::vector<std::uint8_t> output_;   // one coded frame
  int encodeCount_ = 0;
  int peak_ = 0;
  int silentBuffers_ = 0;
  int totalBuffers_ = 0;
};
