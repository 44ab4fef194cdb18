// The built-in palettes of the GIF writer: palette choices 0 to 7.
#pragma once

#include <cstdint>

#include "plugin/gifwriter/encoder/PaletteSpec.h"

namespace gif {

enum : int32_t {
  kChoiceExact = 0,  // "Exact Palette": gathered from the image
  kChoiceWeb = 1,
  kChoice64 = 2,
  kChoice32 = 3,
  kChoice16 = 4,
  kChoiceMacintosh = 5,
  kChoiceWindows = 6,
  kChoice332 = 7,
  kBuiltinChoiceCount = 8,  // 8 and above name palette files
};

// String resource holding the name of built-in choice c is 1020 + c.
constexpr int kFirstPaletteNameString = 1020;

// Fills *palette with built-in choice 1-7: kind 2, the table's size,
// transparent index and colours (value word 0, components c * 257), every
// unused entry zero. The transparency flag is left as it was. Choice 0 only
// sets kind 0 and size 0, keeping the transparent index. Returns false, with
// *palette untouched, for any other choice.
bool BuildBuiltinPalette(int32_t choice, PaletteSpec* palette);

}  // namespace gif
