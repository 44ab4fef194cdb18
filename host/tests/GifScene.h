// A small animation for the GIF media tests, composed by hand: six by four,
// an F of red on blue; a green sub-frame with a transparent pixel that is
// then cleared to the background; a yellow one whose place is then
// restored; a white one half off the screen. Pixels are letters: R, B, G, Y,
// W, and '.' (index 0, transparent) where nothing shows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace giftest {

constexpr char kLetters[] = ".RBGYW";  // a letter's place is its palette index
constexpr uint32_t kColours[] = {0x00000000u, 0xFFFF0000u, 0xFF0000FFu,
                                 0xFF00FF00u, 0xFFFFFF00u, 0xFFFFFFFFu};
constexpr uint32_t kSceneWidth = 6, kSceneHeight = 4;

struct SceneFrame {
  uint32_t left, top, width, height;
  const char* letters;  // width x height, row after row
  unsigned disposal;    // 1 keep, 2 clear to the background, 3 restore
};

const SceneFrame kScene[] = {
    {0, 0, 6, 4,
     "RRRBBB"
     "RBBBBB"
     "RRBBBB"
     "RBBBBG",
     1},
    {1, 1, 2, 2,
     "GG"
     "G.",
     2},
    {3, 0, 2, 1, "YY", 3},
    {5, 3, 2, 2,
     "WW"
     "WW",
     0},
};

// What a player shows at each frame.
const char* const kScenePictures[] = {
    "RRRBBB"
    "RBBBBB"
    "RRBBBB"
    "RBBBBG",  // the first frame
    "RRRBBB"
    "RGGBBB"
    "RGBBBB"
    "RBBBBG",  // green over it, blue through the hole
    "RRRYYB"
    "R..BBB"
    "R..BBB"
    "RBBBBG",  // green cleared, then yellow
    "RRRBBB"
    "R..BBB"
    "R..BBB"
    "RBBBBW",  // yellow's place restored, then white
};

inline uint8_t IndexOf(char letter) {
  return static_cast<uint8_t>(std::string(kLetters).find(letter));
}

// A picture of letters as 32-bit BGRA pixels.
inline std::vector<uint32_t> Pixels(const std::string& letters) {
  std::vector<uint32_t> pixels;
  for (char c : letters) pixels.push_back(kColours[IndexOf(c)]);
  return pixels;
}

}  // namespace giftest
