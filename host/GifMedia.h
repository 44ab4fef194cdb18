// An animated GIF read through Windows' imaging components: the logical
// screen's size and every frame, composed onto it when asked for, with the
// frame's delay.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/GifAnimation.h"

// No host header: this file meets the COM headers, whose IID_IUnknown and
// IID_IClassFactory the host header also names.

namespace vrixhost {

struct GifFrames {
  int32_t width = 0;
  int32_t height = 0;
  // One picture per frame, top row first, 32-bit BGRA (alpha 0 where the
  // animation shows nothing, 255 elsewhere), each composed when asked for.
  GifPictures pictures;
  std::vector<int32_t> delaysMs;  // how long each frame stays, in milliseconds
};

// The shortest delay a frame is given. A GIF delay of 0 or 1 hundredths is
// shown for 100 ms, as browsers do: such files count on it.
constexpr int32_t kGifDefaultDelayMs = 100;

// The status of a GIF whose sizes are beyond the limits of
// host/GifAnimation.h (WINCODEC_ERR_IMAGESIZEOUTOFRANGE).
extern const int32_t kGifTooLarge;

// Reads the GIF at `path` (a file name in the ANSI code page). 0 and the
// frames, or the imaging components' failure status (for example when the
// file is missing or is not a GIF), or kGifTooLarge with *why saying in
// words what is too large (when why is not null). Every size the file
// declares is checked before memory is taken for it.
int32_t LoadGifFrames(const std::string& path, GifFrames* out, std::string* why = nullptr);

}  // namespace vrixhost
