#include "tools/somnel-pack/PackLayout.h"

bool PlanPackage(const PackSizes& sizes, PayloadTrailer& trailer, uint64_t& totalSize,
                 std::string& error) {
  if (sizes.player == 0) {
    error = "the player is empty";
    return false;
  }
  // Each size is at most kMaxPackageSize here, so the sums cannot overflow.
  const uint64_t parts[] = {sizes.saver, sizes.settingsBox, sizes.preview, sizes.player};
  for (uint64_t part : parts) {
    if (part > kMaxPackageSize) {
      error = "the package would pass 4 GiB";
      return false;
    }
  }
  uint64_t offset = sizes.saver;
  const uint64_t settingsBox = sizes.settingsBox ? offset : 0;
  offset += sizes.settingsBox;
  const uint64_t preview = sizes.preview ? offset : 0;
  offset += sizes.preview;
  const uint64_t playerStart = offset;
  offset += sizes.player;
  const uint64_t total = offset + kTrailerSize;
  if (total > kMaxPackageSize) {
    error = "the package would pass 4 GiB";
    return false;
  }
  trailer.magic = kTrailerMagic;
  trailer.settingsBoxImageOffset = static_cast<uint32_t>(settingsBox);
  trailer.previewImageOffset = static_cast<uint32_t>(preview);
  trailer.playerStart = static_cast<uint32_t>(playerStart);
  trailer.playerEnd = static_cast<uint32_t>(offset);
  totalSize = total;
  return true;
}

namespace {

uint32_t Word32(const uint8_t* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

}  // namespace

bool LooksLikeBmpFile(const uint8_t* bytes, size_t size) {
  constexpr size_t kFileHeader = 14;
  if (size < kFileHeader + 4 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const uint32_t headerSize = Word32(bytes + kFileHeader);
  // Core, information, and the later versions of the information header.
  const uint32_t known[] = {12, 40, 52, 56, 64, 108, 124};
  bool isKnown = false;
  for (uint32_t k : known) isKnown = isKnown || headerSize == k;
  if (!isKnown || size < kFileHeader + headerSize) return false;
  const uint32_t pixels = Word32(bytes + 10);
  return pixels >= kFileHeader + headerSize && pixels < size;
}
