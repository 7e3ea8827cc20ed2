// Builds without the AAC encoder have no microphone: a capture that never starts, so turning
// voice on with a pop-out window open answers "Mic capture failed to start".
#include "plugin/default_mic_capture.h"

namespace {
class AbsentMicCapture : public MicCapture {
 public:
  bool Start() override { return false; }
  void Stop() override {}
  bool IsRunning() const override { return false; }
};
}  // namespace

std::unique_ptr<MicCapture> MakeDefaultMicCapture(MicCapture::FrameCallback,
                                                  MicCapture::FailureCallback) {
  return std::make_unique<AbsentMicCapture>();
}
