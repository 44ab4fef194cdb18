// Kinetra's class table: the animated-GIF options class with the
// asset-options and options-dialog interfaces. The instance holds only the
// host's part; the interface objects carry the state.
#include "plugin/assetprops/KinetraObjects.h"
#include "plugin/assetprops/OptionsDialog.h"
#include "plugin/assetprops/TavException.h"
#include "plugin/assetprops/TavResources.h"
#include "plugin/frame/InterfaceObject.h"
#include "plugin/frame/ModuleExports.h"

namespace {

VxStatus VXAPI InitializeOptions(VxInstance*) {
  return VX_OK;
}
VxStatus VXAPI FinalizeOptions(VxInstance*) {
  return VX_OK;
}

// The operations after the common three arrive with the dialog and the
// asset exchange; until then each request is refused.
template <class Self, class... Args>
VxStatus VXAPI NotYet(Self*, Args...) {
  return VX_E_INVALIDARG;
}

AssetOptionsObject* Self(VxAssetOptions* self) {
  return reinterpret_cast<AssetOptionsObject*>(self);
}

// Show dialog: the properties dialog over the 51 items. Without an asset it
// shows the values a new asset would have; with one it reads and applies the
// asset's properties (the asset exchange).
VxStatus VXAPI ShowDialog(VxAssetOptions* self, void*) {
  AssetOptionsObject* o = Self(self);
  VxHostCallback* host = o->owner->callback;
  try {
    // Texts come from the module's resources as the host opens them.
    TavSetResourceHost(host, VxModuleHandle());
    VxStatus status = StartOptionsDialog(o, host);
    if (status != VX_OK) return status;
    if (!o->asset) FillItemsWithoutAsset(o);
    int32_t result = 0;
    status = RunOptionsDialog(o, &result);
    o->dialogRan = 1;
    o->okPressed = status == VX_OK && result == kItemOk;
    return status;
  } catch (const CTavException& e) {
    FreeOptionsDialog(o);
    return e.status();
  } catch (...) {
    FreeOptionsDialog(o);
    return VX_E_OUTOFMEMORY;
  }
}

// Finish: frees the dialog; without an asset nothing is written (result 0).
VxStatus VXAPI Finish(VxAssetOptions* self, int32_t, int32_t* result) {
  AssetOptionsObject* o = Self(self);
  FreeOptionsDialog(o);
  if (result) *result = 0;
  return VX_OK;
}

}  // namespace

extern const VxAssetOptionsOps kAssetOptionsOps;
const VxAssetOptionsOps kAssetOptionsOps = {
    VX_UNKNOWN_ENTRIES(VxAssetOptions, kAssetOptionsOps),
    NotYet<VxAssetOptions, VxAsset*>,
    ShowDialog,
    Finish,
    NotYet<VxAssetOptions, int32_t, int32_t, const int32_t*, int32_t*>,
    NotYet<VxAssetOptions, int32_t, int32_t, int32_t, int32_t, void*>,
    NotYet<VxAssetOptions, int32_t>,
    NotYet<VxAssetOptions>,
    NotYet<VxAssetOptions>,
    NotYet<VxAssetOptions, void*, int32_t, int32_t>,
    NotYet<VxAssetOptions, void*, int32_t, int32_t>,
    NotYet<VxAssetOptions>,
    NotYet<VxAssetOptions>,
};

namespace {

VxStatus CreateAssetOptions(VxInstance* instance, void** out) {
  return VxCreateInterfaceObject(instance, sizeof(AssetOptionsObject), &kAssetOptionsOps,
                                 kAssetOptionsClearFrom, kAssetOptionsClearSize, out);
}

VxStatus CreateOptionsDialog(VxInstance* instance, void** out) {
  return VxCreateInterfaceObject(instance, sizeof(OptionsDialogObject), &kOptionsDialogOps,
                                 kOptionsDialogClearFrom, kOptionsDialogClearSize, out);
}

const VxInterfaceEntry kOptionsInterfaces[] = {
    {IID_VxAssetOptions, 0x02000002, CreateAssetOptions},
    {IID_VxOptionsDialog, 0x02000002, CreateOptionsDialog},
};

const VxClassEntry kClasses[] = {
    {CLSID_KinetraGifOptions, 0x070002C0, sizeof(VxInstance), InitializeOptions, FinalizeOptions,
     kOptionsInterfaces, sizeof kOptionsInterfaces / sizeof kOptionsInterfaces[0]},
};

}  // namespace

const VxClassTable g_VxModuleClassTable = {kClasses, sizeof kClasses / sizeof kClasses[0]};
