// The pixel-receiving interface (negotiate, begin, rows, end) and the
// palette-setting interface of the GIF writer.
#include <cstring>

#include "plugin/frame/InterfaceObject.h"
#include "plugin/gifwriter/GifWriterInterfaces.h"

static_assert(sizeof(VxColorEntry) == sizeof(gif::PaletteEntry), "same colour entry layout");
static_assert(offsetof(VxColorEntry, blue) == offsetof(gif::PaletteEntry, blue), "same layout");

namespace {

VxStatus ToVx(gif::Status status) {
  return VxCode(status);
}

VxStatus VXAPI Accept(VxPixelReceptor*, void*) {
  return VX_OK;
}

bool Offered(const int32_t* list, uint32_t count, int32_t value) {
  for (uint32_t i = 0; i < count; ++i) {
    if (list[i] == value) return true;
  }
  return false;
}

// Prefers 8-bit indexed, then 32-bit, then 24-bit pixels.
VxStatus VXAPI Negotiate(VxPixelReceptor*, int32_t* kinds, uint32_t kindCount, int32_t* second,
                         uint32_t secondCount) {
  if (kinds == nullptr || kindCount == 0 || second == nullptr || secondCount == 0) {
    return VX_E_INVALIDARG;
  }
  int32_t chosen = -1;
  for (int32_t kind :
       {int32_t(VX_PIXEL_INDEX8), int32_t(VX_PIXEL_RGBA32), int32_t(VX_PIXEL_RGB24)}) {
    if (Offered(kinds, kindCount, kind)) {
      chosen = kind;
      break;
    }
  }
  if (chosen < 0) return VX_E_INVALIDARG;
  if (!Offered(second, secondCount, 0)) return VX_E_INVALIDARG;
  kinds[0] = chosen;
  second[0] = 0;
  return VX_OK;
}

VxStatus VXAPI BeginImage(VxPixelReceptor* self, const VxImageDesc* desc) {
  if (desc == nullptr) return VX_E_INVALIDARG;
  gif::ImageDescription d;
  d.width = desc->width;
  d.height = desc->height;
  d.kind = desc->kind > VX_PIXEL_INDEX8 ? -1 : static_cast<int32_t>(desc->kind);
  d.transparentIndex = desc->transparentIndex;
  d.hasTransparentIndex = (desc->flags & VX_IMAGE_HAS_TRANSPARENT_INDEX) != 0;
  d.palette = reinterpret_cast<const gif::PaletteEntry*>(desc->palette);
  return ToVx(InstanceOf(self)->exportState.encoder.BeginImage(d));
}

VxStatus VXAPI ReceiveRow(VxPixelReceptor* self, uint32_t row, const uint8_t* pixels) {
  return ToVx(InstanceOf(self)->exportState.encoder.ReceiveRow(row, pixels));
}

VxStatus VXAPI EndImage(VxPixelReceptor* self) {
  return ToVx(InstanceOf(self)->exportState.encoder.EndImage());
}

VxStatus VXAPI AcceptSlot(VxPaletteSetter*, void*) {
  return VX_OK;
}

VxStatus VXAPI SetPalette(VxPaletteSetter*, const gif::PaletteSpec* palette) {
  if (palette == nullptr) return VX_E_INVALIDARG;
  std::memcpy(&gif::PalvexEncoderModule().currentPalette, palette, sizeof(gif::PaletteSpec));
  return VX_OK;
}

}  // namespace

extern const VxPixelReceptorOps kPixelReceptorOps;
const VxPixelReceptorOps kPixelReceptorOps = {
    VX_UNKNOWN_ENTRIES(VxPixelReceptor, kPixelReceptorOps),
    Accept,
    Accept,
    Negotiate,
    BeginImage,
    ReceiveRow,
    EndImage};

extern const VxPaletteSetterOps kPaletteSetterOps;
const VxPaletteSetterOps kPaletteSetterOps = {
    VX_UNKNOWN_ENTRIES(VxPaletteSetter, kPaletteSetterOps), AcceptSlot, SetPalette, AcceptSlot};
