// The simulated phone's picture: a portrait screen with four coloured quadrants (red top left,
// green top right, blue bottom left, yellow bottom right), a white marker in the top-left corner,
// a white bar that moves down one step per frame, and a panel with the stream id and the frame
// number in digits.
//
// The screen is portrait. A landscape buffer (wider than high) holds it turned a quarter turn
// clockwise, as the stream of an upright phone arrives: turning such a buffer a quarter turn
// counter-clockwise shows the phone upright.
#pragma once

#include <cstdint>

namespace swplay_internal {

// Paints into `pixels` (`width` x `height`, 4 bytes per pixel B, G, R, A, rows packed).
void PaintTestPattern(uint8_t* pixels, int width, int height, uint32_t streamId,
                      uint32_t frameNumber);

// Colours of the quadrants as B, G, R, A words, for tests of the picture.
constexpr uint32_t kPatternTopLeft = 0xFFE03020;      // red
constexpr uint32_t kPatternTopRight = 0xFF20B040;     // green
constexpr uint32_t kPatternBottomLeft = 0xFF3050E0;   // blue
constexpr uint32_t kPatternBottomRight = 0xFFE0C020;  // yellow
constexpr uint32_t kPatternMarker = 0xFFFFFFFF;

}  // namespace swplay_internal
