// Data sources: one stream of one cloud phone.
//
// A caller makes a data source with an id from `SWRuntime::obtainID` and a listener, configures
// it (business and instance type, server token, play parameters, video levels), hands it to a
// player (`SWPlayer::setDataSource`) and starts it. The connection then comes up on the library's
// own threads and is reported through the listener. Input (keys, touches, text, clipboard,
// pictures) and microphone audio go to the phone through the send operations.
//
//   auto source = std::make_shared<SWDataSource>(SWRuntime::getInstance()->obtainID(), this);
//   source->setBusinessType(1);
//   source->setInstanceType(1);
//   if (source->setServerToken(token, uuid, userId, nullptr, carrier, endpoint) != 0) ...;
//   player->setDataSource(source);
//   source->screenCast(1);
//   player->start();
//   source->start();
//
// Thread-safety:
//   - Every operation may be called from any thread; callers serialise their calls into one data
//     source with their own lock.
//   - No operation calls the listener: every notification arrives later on a library thread, one
//     at a time per data source, in the order the library raised them.
//   - Once the data source's destructor has returned, its listener is never called again. The
//     destructor waits for a notification in flight, so do not destroy a data source while
//     holding a lock that its listener takes (destroying it from inside its own notification is
//     allowed).
#pragma once

#include <cstdint>
#include <memory>

#include "swplay/swplay_export.h"
#include "swplay/video_level.h"

// Notifications of one data source; each has a default that does nothing.
class SWDataSourceListener {
 public:
  virtual ~SWDataSourceListener() = default;
  // The stream is up.
  virtual void onConnected() {}
  // The library is retrying on its own; `attempt` counts from 1.
  virtual void onReconnecting(int attempt) {}
  // The stream went down, or never came up, with the library's error code.
  virtual void onDisconnected(int errorCode) {}
  // The phone changed its video settings.
  virtual void onControlVideo(int value, int fps) {}
  // The phone's clipboard changed: `data` is the phone's message (UTF-8, not terminated).
  virtual void onRecvClipboard(const char* data, int length) {}
};

// Multi-point touches fed in by a display (see VideoDisplay::OnTouchEvent).
class SWPLAY_API SWTouchEvent {
 public:
  virtual ~SWTouchEvent();
  virtual int onTouchEvent(int action, int count, const int* x, const int* y,
                           const float* pressures) = 0;
};

// The operations a player's bound data source offers (SWPlayer::getDataSource).
class SWPLAY_API DataSource {
 public:
  virtual ~DataSource();

  // Connects. 0 when the attempt was started.
  virtual int start() = 0;
  // Starts casting the screen in `mode`; 0 stops casting (and connecting) before a stop.
  virtual int screenCast(int mode) = 0;
  virtual int setVideoLevels(const VideoLevel* levels, int count) = 0;
  // Selects an entry of the table given to setVideoLevels.
  virtual int setVideoLevel(int index) = 0;
  // Asks the phone for the level it can give; on 0 `level` holds what it will send.
  virtual int getVideoLevelResult(VideoLevel* level) = 0;
  // Microphone audio: type 0 the encoder's AudioSpecificConfig, other types one coded frame.
  virtual int sendAudio(int type, const uint8_t* data, int length) = 0;
  // Linux input-event key codes; actions 1 down, 2 up, 3 press.
  virtual int sendKeyEvent(int action, int code) = 0;
  // One pointer in frame pixels; actions 0 down, 2 move, 1 up.
  virtual int sendTouchEvent(int action, int count, int x, int y, float pressure) = 0;
  // Text typed into the phone's focused field (UTF-8).
  virtual int sendInputString(const char* text, int length) = 0;
  // Text put on the phone's clipboard (UTF-8); `paste` also pastes it.
  virtual int copyToRemote(const char* text, int length, bool paste) = 0;
  // An encoded picture sent to the phone's gallery.
  virtual int sendPicture(const uint8_t* data, int length) = 0;
};

namespace swplay_internal {
struct SourceCore;
struct SourceAccess;
}  // namespace swplay_internal

class SWPLAY_API SWDataSource : public DataSource, public SWTouchEvent {
 public:
  // `listener` must outlive the data source.
  SWDataSource(unsigned id, SWDataSourceListener* listener);
  ~SWDataSource() override;
  SWDataSource(const SWDataSource&) = delete;
  SWDataSource& operator=(const SWDataSource&) = delete;

  void setBusinessType(int type);
  void setInstanceType(int type);
  // `appId` and `endpoint` may be null. 0 on success.
  int setServerToken(const char* serverToken, const char* uuid, int userId, const char* appId,
                     int carrierType, const char* endpoint);
  int setPlayParams(const char* params, int p1, int p2, int p3, int p4, int p5, int p6, int p7,
                    int p8, int p9, int p10, int p11, int p12);
  void setReconnectable(bool reconnectable);
  // Sets the level directly from seven values instead of a table index.
  int setVideoLevel(int v1, int v2, int v3, int v4, int v5, int v6, int v7);

  int start() override;
  int screenCast(int mode) override;
  int setVideoLevels(const VideoLevel* levels, int count) override;
  int setVideoLevel(int index) override;
  int getVideoLevelResult(VideoLevel* level) override;
  int sendAudio(int type, const uint8_t* data, int length) override;
  int sendKeyEvent(int action, int code) override;
  int sendTouchEvent(int action, int count, int x, int y, float pressure) override;
  int sendInputString(const char* text, int length) override;
  int copyToRemote(const char* text, int length, bool paste) override;
  int sendPicture(const uint8_t* data, int length) override;

  int onTouchEvent(int action, int count, const int* x, const int* y,
                   const float* pressures) override;

 private:
  friend struct swplay_internal::SourceAccess;
  // Shared with the data source's notification thread, which may outlive this object briefly
  // when the object is destroyed from inside its own notification.
  std::shared_ptr<swplay_internal::SourceCore> core_;
};
