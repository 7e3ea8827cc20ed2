// One entry of a data source's table of video levels.
//
// Eleven integers whose meaning belongs to the library; callers pass them through unchanged.
// Two are known to callers: the second and third values are the frame width and height.
#pragma once

struct VideoLevel {
  int values[11];

  int width() const { return values[1]; }
  int height() const { return values[2]; }
};
