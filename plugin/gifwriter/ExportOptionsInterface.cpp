// Export-options interface: operations 1 to 8. Operations 9 and 10 start an
// export and live with the encoder.
#include "plugin/frame/InterfaceObject.h"
#include "plugin/gifwriter/GifWriterInterfaces.h"

namespace {

VxStatus VXAPI GetOptionsSupport(VxExportOptions*, int32_t* out) {
  if (!out) return VX_E_INVALIDARG;
  *out = 1;
  return VX_OK;
}

VxStatus VXAPI GetReceptorId(VxExportOptions*, int32_t flag, VxGuid* out) {
  if (flag != 0 || !out) return VX_E_INVALIDARG;
  *out = IID_VxPixelReceptor;
  return VX_OK;
}

VxStatus VXAPI SetImageSource(VxExportOptions* self, VxImageSource* source) {
  InstanceOf(self)->imageSource = source;
  return VX_OK;
}

VxStatus VXAPI ReadOptions(VxExportOptions* self, VxDictionary* dictionary) {
  return gif::ReadOptions(&InstanceOf(self)->settings, dictionary);
}

VxStatus VXAPI WriteOptions(VxExportOptions* self, VxDictionary** dictionary) {
  GifWriterInstance* instance = InstanceOf(self);
  VxStatus status = gif::ObtainDictionary(instance->host.callback, dictionary);
  if (status != VX_OK) return status;
  return gif::WriteOptions(instance->settings, *dictionary);
}

VxStatus VXAPI WriteDefaults(VxExportOptions* self, VxDictionary** dictionary) {
  VxStatus status = gif::ObtainDictionary(InstanceOf(self)->host.callback, dictionary);
  if (status != VX_OK) return status;
  return gif::WriteDefaults(*dictionary);
}

// The options dialog (dialog 102) is not built yet: the request is refused
// rather than pretending the user chose something.
VxStatus VXAPI RunOptionsDialog(VxExportOptions*, void*, VxDictionary**) {
  return VX_E_INVALIDARG;
}

VxStatus VXAPI GetReserved(VxExportOptions*, int32_t* out) {
  if (out) *out = 0;
  return VX_OK;
}

VxStatus VXAPI ExportToFile(VxExportOptions* self, const VxExportTarget* target) {
  return GifWriterExportToFile(InstanceOf(self), target);
}

VxStatus VXAPI ExportToStream(VxExportOptions* self, VxStream* stream) {
  return GifWriterExportToStream(InstanceOf(self), stream);
}

}  // namespace

extern const VxExportOptionsOps kExportOptionsOps;
const VxExportOptionsOps kExportOptionsOps = {
    VX_UNKNOWN_ENTRIES(VxExportOptions, kExportOptionsOps),
    GetOptionsSupport,
    GetReceptorId,
    SetImageSource,
    ReadOptions,
    WriteOptions,
    WriteDefaults,
    RunOptionsDialog,
    GetReserved,
    ExportToFile,    // 9: with the encoder
    ExportToStream,  // 10: with the encoder
};
