// Export-options interface: operations 1 to 8. Operations 9 and 10 start an
// export and live with the encoder.
#include "plugin/frame/InterfaceObject.h"
#include "plugin/frame/ModuleExports.h"
#include "plugin/gifwriter/GifOptionsDialog.h"
#include "plugin/gifwriter/GifWriterInterfaces.h"
#include "plugin/gifwriter/Palettes.h"

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

VxStatus VXAPI RunOptionsDialog(VxExportOptions* self, void* parent, VxDictionary** dictionary) {
  if (!dictionary) return VX_E_INVALIDARG;
  GifWriterInstance* instance = InstanceOf(self);
  VxHostCallback* host = instance->host.callback;
  if (!host) return VX_E_INVALIDARG;
  gif::EncoderOptions& options = instance->settings.options;
  GifDialogState& state = GifDialog();
  if (!*dictionary) {
    VxStatus status = gif::ObtainDictionary(host, dictionary);
    if (status != VX_OK) return status;
    state.choice = gif::kChoiceWeb;
  } else {
    int32_t choice = 0;
    VxDictionary* d = *dictionary;
    state.choice = d->ops->Get(d, VX_DICT_INT32, &choice, 4, gif::kKeyPaletteChoice) == VX_OK
                       ? choice
                       : gif::kChoiceWeb;
  }
  state.interlaced = options.interlaced;
  state.transparent = options.transparent;
  state.dither = options.dither;
  state.adaptivePalette = options.adaptivePalette;
  // The dialog edits the working palette (and its transparent index).
  gif::PaletteSpec& palette = GifDialogPalette();
  palette = instance->settings.working;
  if (palette.kind != gif::kPaletteKindExplicit)
    palette.transparentIndex = instance->settings.currentTransparentIndex;

  void* resources = nullptr;
  uintptr_t token = 0;
  VxStatus status = host->ops->OpenModuleResources(host, VxModuleHandle(), &resources, &token);
  if (status != VX_OK) return status;
  const INT_PTR result =
      RunGifOptionsDialog(static_cast<HINSTANCE>(resources), static_cast<HWND>(parent), instance);
  host->ops->CloseModuleResources(host, VxModuleHandle(), token);
  if (result == -1) return VX_E_OUTOFMEMORY;  // the dialog could not be made
  // Cancel leaves the options as they were, not only the dictionary.
  if (result != 0) return VX_E_CANCELLED;

  options.interlaced = state.interlaced;
  options.transparent = state.transparent;
  options.dither = state.dither;
  options.adaptivePalette = state.adaptivePalette;
  options.paletteChoice = state.choice;
  instance->settings.working = palette;
  instance->settings.working.transparent = state.transparent ? 1 : 0;
  instance->settings.currentTransparentIndex = palette.transparentIndex;
  return gif::WriteDialogOptions(instance->settings, *dictionary);
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
