// Fuzz target for the BMP loader: the same reading path serves xdibReadFile
// (file header first), xdibLoadResource (no file header) and cBitmap::Read
// (colours important counted), so the first input byte picks among them;
// whatever loads is then widened and switched to palette indices.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "clib/Assert.h"
#include "xlib/mm/xdib.h"

namespace {

// A header may claim a picture of up to 2 GB that an input of 64 KB never
// fills. The loader takes a block of the claimed size, and under the
// sanitizers every such block costs a walk over its shadow memory when it
// is taken and again when it is freed: a few large claims made the search
// crawl at ~150 inputs a second. Claims above two rows of the widest picture
// run the same code as small ones and are left out of the search, once the
// header has passed the loader's own checks (headers it refuses are still
// fed). The replay test, built without libFuzzer, feeds every claim.
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
constexpr uint64_t kMaxClaim = uint64_t(128) << 10;
// Widened pictures above this are not made (a 1-bit picture widens 24 times).
constexpr uint64_t kMaxWidened = uint64_t(384) << 10;
#else
constexpr uint64_t kMaxClaim = UINT64_MAX;
constexpr uint64_t kMaxWidened = uint64_t(48) << 20;
#endif

bool ClaimsTooMuch(const uint8_t* data, size_t size, bool withFileHeader) {
  if (kMaxClaim == UINT64_MAX) return false;
  const size_t at = withFileHeader ? 14 : 0;
  BITMAPINFOHEADER h;
  if (size < at + sizeof h) return false;
  std::memcpy(&h, data + at, sizeof h);
  if (xdibCheckHeader(&h) != XERR_OK) return false;
  return static_cast<uint64_t>(xdibRowBytes(h.biWidth, h.biBitCount)) *
             static_cast<uint64_t>(h.biHeight) >
         kMaxClaim;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t options = data[0];
  XDibReadOptions read;
  read.withFileHeader = (options & 1) == 0;
  read.importantColorsCount = (options & 2) != 0;
  if (ClaimsTooMuch(data + 1, size - 1, read.withFileHeader)) return 0;
  XDIB dib;
  std::memset(&dib, 0, sizeof dib);
  XDibMemorySource src(data + 1, size - 1);
  const int rc = xdibReadWith(&dib, src, read);
  if (rc != XERR_OK) {
    ASSERT(dib.bits == nullptr);
    return 0;
  }
  ASSERT(dib.bits != nullptr);
  const uint64_t widened =
      static_cast<uint64_t>(xdibRowBytes(dib.bmiHeader.biWidth, 24)) * dib.bmiHeader.biHeight;
  if (options & 4) {
    xdibUsePaletteIndices(&dib);
  } else if (widened <= kMaxWidened && xdibTo24Bit(&dib) == XERR_OK) {
    // Touch every byte of the widened block: an undersized block shows here.
    const size_t bytes = static_cast<size_t>(dib.rowBytes) * dib.bmiHeader.biHeight;
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum += dib.bits[i];
    (void)sum;
  }
  xdibFree(&dib);
  return 0;
}
