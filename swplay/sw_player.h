// Players: take a data source's stream and render it into a display.
//
//   auto player = std::make_shared<SWPlayer>();
//   player->enableHWaccel();
//   player->setOnPlayerErrorListener(this);
//   player->setDataSource(source);
//   player->setDisplay(display);   // or changeDisplay while playing
//   player->start();
//   ...
//   player->stop();
//   player->setDisplay(nullptr);
//
// Thread-safety:
//   - Every operation may be called from any thread; callers serialise their calls into one
//     player with their own lock.
//   - Frames reach the display on the player's render thread, and only while the player is
//     started, has a display and its data source is connected.
//   - `stop`, `setDisplay`, `changeDisplay`, `setDataSource` and the destructor wait until a frame
//     in flight has been handed to the display; afterwards the old display is not called again.
//   - The error listener is called on a library thread, never inside an operation; once the
//     destructor has returned it is not called again.
#pragma once

#include <memory>

#include "swplay/sw_data_source.h"
#include "swplay/swplay_export.h"
#include "swplay/video_display.h"

class OnPlayerErrorListener {
 public:
  virtual ~OnPlayerErrorListener() = default;
  // `message` may be null.
  virtual void onError(int code, const char* message) = 0;
};

namespace swplay_internal {
struct PlayerCore;
struct PlayerAccess;
}

class SWPLAY_API SWPlayer {
 public:
  SWPlayer();
  ~SWPlayer();
  SWPlayer(const SWPlayer&) = delete;
  SWPlayer& operator=(const SWPlayer&) = delete;

  void enableHWaccel();
  // `listener` may be null; it must outlive the player otherwise.
  void setOnPlayerErrorListener(OnPlayerErrorListener* listener);
  // Binds the stream to play; null detaches it.
  void setDataSource(std::shared_ptr<DataSource> source);
  std::shared_ptr<DataSource> getDataSource() const;
  // Binds the display that receives frames; null unbinds it.
  void setDisplay(VideoDisplay* display);
  // Moves the picture to another display while playing. 0 on success.
  int changeDisplay(VideoDisplay* display);
  int start();
  void stop();

 private:
  friend struct swplay_internal::PlayerAccess;
  std::shared_ptr<swplay_internal::PlayerCore> core_;
};
