// Palvex's class table: the GIF writer class with its five interfaces, its
// initialiser and finaliser, and the two small interfaces (file-format
// description, registration).
#include <new>
#include <set>

#include "plugin/frame/InterfaceObject.h"
#include "plugin/frame/ModuleExports.h"
#include "plugin/gifwriter/GifWriterInterfaces.h"
#include "plugin/gifwriter/PaletteDisplay.h"

namespace {

// Instances that hold a use of the "PaletteDisplay" class (registration may
// fail, or the host may offer no resources), so that a finaliser gives back
// only what its initialiser took.
std::set<const VxInstance*> g_displayUsers;

VxStatus VXAPI InitializeGifWriter(VxInstance* instance) {
  if (!instance) return VX_E_INVALIDARG;
  GifWriterInstance* self = reinterpret_cast<GifWriterInstance*>(instance);
  const VxInstance host = self->host;
  new (self) GifWriterInstance();  // every field cleared
  self->host = host;
  gif::InitExportSettings(&self->settings);

  // The palette display's class belongs to the module's resources, which
  // the host makes reachable.
  VxHostCallback* callback = host.callback;
  if (!callback) return VX_OK;
  void* resources = nullptr;
  uintptr_t token = 0;
  VxStatus status =
      callback->ops->OpenModuleResources(callback, VxModuleHandle(), &resources, &token);
  if (status != VX_OK) {
    self->~GifWriterInstance();
    return status;
  }
  if (AcquirePaletteDisplayClass(static_cast<HINSTANCE>(resources))) {
    try {
      g_displayUsers.insert(instance);
    } catch (const std::bad_alloc&) {
      ReleasePaletteDisplayClass();
      status = VX_E_OUTOFMEMORY;
    }
  }
  callback->ops->CloseModuleResources(callback, VxModuleHandle(), token);
  if (status != VX_OK) self->~GifWriterInstance();
  return status;
}

VxStatus VXAPI FinalizeGifWriter(VxInstance* instance) {
  if (!instance) return VX_E_INVALIDARG;
  GifWriterInstance* self = reinterpret_cast<GifWriterInstance*>(instance);
  GifWriterReleaseExportState(self);
  if (g_displayUsers.erase(instance) == 1) ReleasePaletteDisplayClass();
  self->~GifWriterInstance();
  return VX_OK;
}

// Palvex's interface objects are the three-word header only.
template <class Ops, const Ops* Table>
VxStatus CreateHeaderObject(VxInstance* instance, void** out) {
  return VxCreateInterfaceObject(instance, sizeof(VxInterfaceObject), Table, 0, 0, out);
}

VxStatus VXAPI Register(VxRegistration*, VxRegistryCache* cache, void*) {
  return gif::RegisterFileFormat(cache, CLSID_PalvexGifWriter);
}

const VxInterfaceEntry kGifWriterInterfaces[] = {
    {IID_VxFileFormat, 1, CreateHeaderObject<VxFileFormatOps, &kFileFormatOps>},
    {IID_VxExportOptions, 1, CreateHeaderObject<VxExportOptionsOps, &kExportOptionsOps>},
    {IID_VxPixelReceptor, 1, CreateHeaderObject<VxPixelReceptorOps, &kPixelReceptorOps>},
    {IID_VxPaletteSetter, 1, CreateHeaderObject<VxPaletteSetterOps, &kPaletteSetterOps>},
    {IID_VxRegistration, 1, CreateHeaderObject<VxRegistrationOps, &kRegistrationOps>},
};

const VxClassEntry kClasses[] = {
    {CLSID_PalvexGifWriter, 1, sizeof(GifWriterInstance), InitializeGifWriter, FinalizeGifWriter,
     kGifWriterInterfaces, sizeof kGifWriterInterfaces / sizeof kGifWriterInterfaces[0]},
};

}  // namespace

extern const VxFileFormatOps kFileFormatOps;
const VxFileFormatOps kFileFormatOps = {VX_UNKNOWN_ENTRIES(VxFileFormat, kFileFormatOps)};

extern const VxRegistrationOps kRegistrationOps;
const VxRegistrationOps kRegistrationOps = {VX_UNKNOWN_ENTRIES(VxRegistration, kRegistrationOps),
                                            Register};

const VxClassTable g_VxModuleClassTable = {kClasses, sizeof kClasses / sizeof kClasses[0]};
