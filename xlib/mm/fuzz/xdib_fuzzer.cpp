// Fuzz target for the BMP loader: the same reading path serves xdibReadFile
// (file header first), xdibLoadResource (no file header) and cBitmap::Read
// (colours important counted), so the first input byte picks among them;
// whatever loads is then widened and switched to palette indices.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "clib/Assert.h"
#include "xlib/mm/xdib.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t options = data[0];
  XDibReadOptions read;
  read.withFileHeader = (options & 1) == 0;
  read.importantColorsCount = (options & 2) != 0;
  XDIB dib;
  std::memset(&dib, 0, sizeof dib);
  XDibMemorySource src(data + 1, size - 1);
  const int rc = xdibReadWith(&dib, src, read);
  if (rc != XERR_OK) {
    ASSERT(dib.bits == nullptr);
    return 0;
  }
  ASSERT(dib.bits != nullptr);
  // Headers may claim pictures of up to 2 GB that a short input never
  // fills; walking those only slows the search down.
  const uint64_t block = static_cast<uint64_t>(dib.rowBytes) * dib.bmiHeader.biHeight;
  if (block > (uint64_t(16) << 20)) {
    xdibFree(&dib);
    return 0;
  }
  if (options & 4) {
    xdibUsePaletteIndices(&dib);
  } else if (xdibTo24Bit(&dib) == XERR_OK) {
    // Touch every byte of the widened block: an undersized block shows here.
    const size_t bytes = static_cast<size_t>(dib.rowBytes) * dib.bmiHeader.biHeight;
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; ++i) sum += dib.bits[i];
    (void)sum;
  }
  xdibFree(&dib);
  return 0;
}
