// An in-memory image that the stand-in pushes to a receptor the way the host
// does: negotiate, begin, every row in order, end.
#pragma once

#include <cstdint>
#include <vector>

#include "host/HostObject.h"

namespace vrixhost {

// Bytes per pixel of a pixel kind, 0 for an unknown kind.
uint32_t BytesPerPixel(uint32_t kind);

struct HostImageSource : VxImageSource {
  // One reference, the caller's. `pixels` holds height rows of width pixels
  // of `kind`, top row first, without padding. For VX_PIXEL_INDEX8 `palette`
  // holds the 256 colour entries (fewer are padded with black).
  static HostImageSource* Create(uint32_t width, uint32_t height, uint32_t kind,
                                 std::vector<uint8_t> pixels,
                                 const std::vector<VxColorEntry>& palette = {});

  uint32_t refs = 1;
  VxImageDesc desc{};
  std::vector<uint8_t> pixels;
  // What is offered in negotiation: the image's own kind, and a second list
  // holding 0.
  std::vector<int32_t> offeredKinds;
  std::vector<int32_t> offeredSecond{0};
  int sends = 0;  // SendImage calls
  int32_t chosenKind = -1;

  void SetTransparentIndex(int16_t index);

  // Pushes the image; returns the first non-zero status of the receptor,
  // VX_E_INVALIDARG when the receptor chose a kind that was not offered.
  VxStatus Send(void* receptor, const VxGuid& receptorIid);

 private:
  HostImageSource();
  ~HostImageSource();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

}  // namespace vrixhost
