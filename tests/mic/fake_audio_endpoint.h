// Scripted stand-ins for the WASAPI objects behind the default capture endpoint: a device
// enumerator, the endpoint, its IAudioClient and IAudioCaptureClient.
//
// A test fills a FakeAudioEndpoint's script (results to return, the mix format, the packets to
// deliver), hands Factory() to MicAudioCapture through MicCaptureSettings, and afterwards reads
// what the capture did: the calls it made, the formats it passed, and how each object was let go
// (on which thread, inside a COM apartment or not, with the stream still running or not).
//
// Thread-safety: the script is written before Start(); the capture thread calls the fakes; every
// record is guarded by the endpoint's mutex, so a test may read it at any time.
#pragma once

#include <windows.h>
#include <audioclient.h>
#include <mmdeviceapi.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace mic_test {

struct FakePacket {
  std::vector<std::uint8_t> bytes;
  UINT32 frames = 0;
  bool silent = false;
};

class FakeAudioEndpoint : public std::enable_shared_from_this<FakeAudioEndpoint> {
 public:
  static std::shared_ptr<FakeAudioEndpoint> Create();

  // --- Script ---------------------------------------------------------------------------------
  HRESULT enumeratorResult = S_OK;
  HRESULT endpointResult = S_OK;
  HRESULT activateResult = S_OK;
  // Initialize with 48000 Hz mono 16-bit PCM succeeds when true, else returns refuseResult.
  bool acceptsEncoderFormat = true;
  HRESULT refuseResult = AUDCLNT_E_UNSUPPORTED_FORMAT;
  // What GetMixFormat hands out (a WAVEFORMATEX and its extension); Initialize accepts exactly
  // these bytes as the mix format.
  std::vector<std::uint8_t> mixFormat;
  HRESULT mixFormatResult = S_OK;
  HRESULT mixInitializeResult = S_OK;
  HRESULT serviceResult = S_OK;
  HRESULT startResult = S_OK;
  // Runs on the capture thread at the start of every Activate (e.g. to hold the set-up up).
  std::function<void()> onActivate;
  // Once the packets run out: GetNextPacketSize returns nextPacketFailure when it is an error;
  // otherwise it reports one more packet and GetBuffer returns getBufferFailure when that is an
  // error; otherwise there is simply nothing to read.
  HRESULT nextPacketFailure = S_OK;
  HRESULT getBufferFailure = S_OK;

  void AddPacket(FakePacket packet);

  // --- Record ---------------------------------------------------------------------------------
  struct Record {
    int activateCalls = 0;
    int initializeCalls = 0;
    std::vector<std::vector<std::uint8_t>> initializeFormats;  // bytes passed to each Initialize
    int startCalls = 0;
    int stopCalls = 0;
    int getBufferCalls = 0;
    int liveObjects = 0;
    int releasesOnCreatorThread = 0;  // final releases on the thread that made the endpoint
    int releasesOutsideApartment = 0;
    int clientsReleasedRunning = 0;   // IAudioClients let go while started
  };
  Record record() const;

  // Waits until every scripted packet was read and the capture then went once more round its
  // loop (it asked for more packets twice), so that whatever it does with the packets it has
  // read (encoding them) is done.
  bool WaitUntilDrained(std::chrono::milliseconds timeout);

  // Creates a fresh enumerator, as MicCaptureSettings::createEnumerator does.
  std::function<HRESULT(IMMDeviceEnumerator**)> Factory();

  // --- Used by the fake objects ---------------------------------------------------------------
  std::mutex& mutex() const { return mutex_; }
  Record& mutableRecord() { return record_; }
  std::deque<FakePacket>& packets() { return packets_; }
  void NoteDrained();
  void NoteCreated();
  void NoteFinalRelease(bool isRunningClient);

 private:
  FakeAudioEndpoint();

  mutable std::mutex mutex_;
  std::condition_variable drainedChanged_;
  int emptyQueries_ = 0;  // GetNextPacketSize calls that found no packet since the last AddPacket
  std::deque<FakePacket> packets_;
  Record record_;
  const DWORD creatorThread_;
};

// Test data helpers.
std::vector<std::uint8_t> WaveFormatBytes(const WAVEFORMATEX& format);
std::vector<std::uint8_t> ExtensibleFloatFormat(DWORD rate, WORD channels);
std::vector<std::uint8_t> PlainFormat(WORD tag, DWORD rate, WORD channels, WORD bits);

}  // namespace mic_test
