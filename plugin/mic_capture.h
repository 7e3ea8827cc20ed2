// MicCapture: the microphone as the cloud-phone plug-in uses it.
//
// The plug-in makes one when voice is first switched on and keeps it until it goes. Production
// builds wrap MicAudioCapture (default_mic_capture.h); tests give a fake. The capture delivers
// the encoder's configuration and then coded frames through the frame callback, and reports a
// capture that ended by itself through the failure callback.
//
//   std::unique_ptr<MicCapture> mic = MakeDefaultMicCapture(
//       [](const uint8_t* config, int configLength, const uint8_t* frame, int frameLength) {...},
//       [] { /* voice stopped */ });
//   if (!mic->Start()) ...;
//   mic->Stop();
//
// Thread-safety: Start, Stop and IsRunning on the owner's thread; both callbacks run on the
// capture thread.
#pragma once

#include <cstdint>
#include <functional>

class MicCapture {
 public:
  // (configuration bytes, configuration length, frame bytes, frame length); one pair is set per
  // call, the other is (null, 0).
  using FrameCallback = std::function<void(const uint8_t* config, int configLength,
                                           const uint8_t* frame, int frameLength)>;
  // The capture ended by itself (not by Stop).
  using FailureCallback = std::function<void()>;

  virtual ~MicCapture() = default;
  // True once capturing; false when the microphone could not start.
  virtual bool Start() = 0;
  virtual void Stop() = 0;
  virtual bool IsRunning() const = 0;
};
