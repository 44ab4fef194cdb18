// Placeholders for the encoder's side of Palvex: the pixel-receiving and
// palette-setting interfaces and export operations 9 and 10. Every request
// is refused until the encoder is wired in; this file goes away then.
#include "plugin/frame/InterfaceObject.h"
#include "plugin/gifwriter/GifWriterInterfaces.h"

namespace {
VxStatus VXAPI Refuse(VxPixelReceptor*, void*) {
  return VX_E_INVALIDARG;
}
VxStatus VXAPI RefuseNegotiate(VxPixelReceptor*, int32_t*, uint32_t, int32_t*, uint32_t) {
  return VX_E_INVALIDARG;
}
VxStatus VXAPI RefuseBegin(VxPixelReceptor*, const VxImageDesc*) {
  return VX_E_INVALIDARG;
}
VxStatus VXAPI RefuseRow(VxPixelReceptor*, uint32_t, const uint8_t*) {
  return VX_E_INVALIDARG;
}
VxStatus VXAPI RefuseEnd(VxPixelReceptor*) {
  return VX_E_INVALIDARG;
}
VxStatus VXAPI RefuseSlot(VxPaletteSetter*, void*) {
  return VX_E_INVALIDARG;
}
VxStatus VXAPI RefusePalette(VxPaletteSetter*, const gif::PaletteSpec*) {
  return VX_E_INVALIDARG;
}
}  // namespace

extern const VxPixelReceptorOps kPixelReceptorOps;
const VxPixelReceptorOps kPixelReceptorOps = {
    VX_UNKNOWN_ENTRIES(VxPixelReceptor, kPixelReceptorOps),
    Refuse,
    Refuse,
    RefuseNegotiate,
    RefuseBegin,
    RefuseRow,
    RefuseEnd};

extern const VxPaletteSetterOps kPaletteSetterOps;
const VxPaletteSetterOps kPaletteSetterOps = {
    VX_UNKNOWN_ENTRIES(VxPaletteSetter, kPaletteSetterOps), RefuseSlot, RefusePalette, RefuseSlot};

VxStatus GifWriterExportToFile(GifWriterInstance*, const VxExportTarget*) {
  return VX_E_INVALIDARG;
}
VxStatus GifWriterExportToStream(GifWriterInstance*, VxStream*) {
  return VX_E_INVALIDARG;
}
void GifWriterReleaseExportState(GifWriterInstance*) {}
