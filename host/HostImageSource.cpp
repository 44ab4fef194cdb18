#include "host/HostImageSource.h"

#include <algorithm>

namespace vrixhost {
namespace {

VxStatus VXAPI SourceSend(VxImageSource* self, void* receptor, const VxGuid* receptorIid) {
  if (!receptor || !receptorIid) return VX_E_INVALIDARG;
  return static_cast<HostImageSource*>(self)->Send(receptor, *receptorIid);
}

const VxImageSourceOps kSourceOps = {
    VRIXHOST_UNKNOWN(HostImageSource, VxImageSource, IID_VxImageSource), SourceSend};

}  // namespace

uint32_t BytesPerPixel(uint32_t kind) {
  switch (kind) {
    case VX_PIXEL_RGB24:
      return 3;
    case VX_PIXEL_RGBA32:
      return 4;
    case VX_PIXEL_INDEX8:
      return 1;
    default:
      return 0;
  }
}

HostImageSource::HostImageSource() {
  ops = &kSourceOps;
  CountHostObject(+1);
}
HostImageSource::~HostImageSource() {
  CountHostObject(-1);
}

HostImageSource* HostImageSource::Create(uint32_t width, uint32_t height, uint32_t kind,
                                         std::vector<uint8_t> pixels,
                                         const std::vector<VxColorEntry>& palette) {
  HostImageSource* s = new HostImageSource();
  s->desc.width = width;
  s->desc.height = height;
  s->desc.kind = kind;
  for (size_t i = 0; i < palette.size() && i < 256; ++i) s->desc.palette[i] = palette[i];
  s->pixels = std::move(pixels);
  s->offeredKinds = {static_cast<int32_t>(kind)};
  return s;
}

void HostImageSource::SetTransparentIndex(int16_t index) {
  desc.transparentIndex = index;
  desc.flags |= VX_IMAGE_HAS_TRANSPARENT_INDEX;
}

VxStatus HostImageSource::Send(void* receptor, const VxGuid& receptorIid) {
  ++sends;
  if (!VxGuidEqual(receptorIid, IID_VxPixelReceptor)) return VX_E_NOINTERFACE;
  const uint32_t bpp = BytesPerPixel(desc.kind);
  const uint64_t rowBytes = static_cast<uint64_t>(desc.width) * bpp;
  if (bpp == 0 || pixels.size() < rowBytes * desc.height) return VX_E_INVALIDARG;

  VxPixelReceptor* r = static_cast<VxPixelReceptor*>(receptor);
  std::vector<int32_t> kinds = offeredKinds;
  std::vector<int32_t> second = offeredSecond;
  VxStatus status = r->ops->Negotiate(r, kinds.data(), static_cast<uint32_t>(kinds.size()),
                                      second.data(), static_cast<uint32_t>(second.size()));
  if (status != VX_OK) return status;
  chosenKind = kinds.empty() ? -1 : kinds[0];
  // This source converts nothing: the choice must be the image's own kind.
  if (chosenKind != static_cast<int32_t>(desc.kind)) return VX_E_INVALIDARG;

  status = r->ops->BeginImage(r, &desc);
  if (status != VX_OK) return status;
  for (uint32_t row = 0; row < desc.height; ++row) {
    status = r->ops->ReceiveRow(r, row, pixels.data() + row * rowBytes);
    if (status != VX_OK) return status;
  }
  return r->ops->EndImage(r);
}

}  // namespace vrixhost
