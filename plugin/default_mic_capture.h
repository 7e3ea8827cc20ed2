// The production microphone of the plug-in: MicAudioCapture behind the manager's MicCapture.
#pragma once

#include <memory>

#include "plugin/mic_capture.h"

std::unique_ptr<MicCapture> MakeDefaultMicCapture(MicCapture::FrameCallback onFrame,
                                                  MicCapture::FailureCallback onFailure);
