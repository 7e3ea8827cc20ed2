#include "plugin/default_mic_capture.h"

#include "mic/mic_audio_capture.h"

namespace {

class DefaultMicCapture : public MicCapture {
 public:
  DefaultMicCapture(MicCapture::FrameCallback onFrame, MicCapture::FailureCallback onFailure)
      : capture_(std::move(onFrame), std::move(onFailure)) {}

  bool Start() override { return capture_.Start(); }
  void Stop() override { capture_.Stop(); }
  bool IsRunning() const override { return capture_.IsRunning(); }

 private:
  MicAudioCapture capture_;
};

}  // namespace

std::unique_ptr<MicCapture> MakeDefaultMicCapture(MicCapture::FrameCallback onFrame,
                                                  MicCapture::FailureCallback onFailure) {
  return std::make_unique<DefaultMicCapture>(std::move(onFrame), std::move(onFailure));
}
