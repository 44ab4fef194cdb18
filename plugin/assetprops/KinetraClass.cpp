// Kinetra's class table: the animated-GIF options class with the
// asset-options and options-dialog interfaces. The instance holds only the
// host's part; the interface objects carry the state.
#include "plugin/assetprops/AssetOptions.h"
#include "plugin/assetprops/KinetraObjects.h"
#include "plugin/assetprops/OptionsDialog.h"
#include "plugin/frame/InterfaceObject.h"
#include "plugin/frame/ModuleExports.h"

namespace {

VxStatus VXAPI InitializeOptions(VxInstance*) {
  return VX_OK;
}
VxStatus VXAPI FinalizeOptions(VxInstance*) {
  return VX_OK;
}

}  // namespace

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
