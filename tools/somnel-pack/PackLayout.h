// Where somnel-pack puts each item of a package: the program image, then the
// settings-box BMP, then the preview BMP, then the player, then the trailer,
// each directly after the previous one.
#pragma once

#include <cstdint>
#include <string>

#include "saver/PayloadTrailer.h"

struct PackSizes {
  uint64_t saver = 0;
  uint64_t settingsBox = 0;  // 0: no settings-box picture
  uint64_t preview = 0;      // 0: no preview picture
  uint64_t player = 0;
};

// Fills the offsets of `trailer` (magic included) for the sizes given and the
// total file size. False, with the reason in `error`, when the package would
// not fit the trailer's 32-bit offsets or the player is empty; the trailer is
// then unchanged.
bool PlanPackage(const PackSizes& sizes, PayloadTrailer& trailer, uint64_t& totalSize,
                 std::string& error);

// The largest file a trailer can describe: every offset is 32-bit.
constexpr uint64_t kMaxPackageSize = 0xFFFFFFFFull;

// True when `bytes` look like a complete BMP file: the "BM" file header, an
// information header of a known size, and pixel data that starts inside the
// file. The saver hands the item to its BMP reader as it stands, so the
// builder refuses anything else.
bool LooksLikeBmpFile(const uint8_t* bytes, size_t size);
