// vrixhost classes PLUGIN.dll: what a plug-in tells the host at registration.
#include <cstdio>
#include <string>

#include "host/Commands.h"
#include "host/GuidNames.h"
#include "host/HostAllocator.h"
#include "host/PluginModule.h"

namespace vrixhost {

int RunClasses(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: vrixhost classes PLUGIN.dll\n");
    return 2;
  }
  PluginModule module;
  if (!module.Load(argv[1])) {
    std::fprintf(stderr, "vrixhost: %s\n", module.error().c_str());
    return 1;
  }
  HostAllocator allocator;
  VxClassInfoRecord* records = nullptr;
  const VxStatus status = module.exports().getClassInfo(&allocator, &records);
  if (status != VX_OK || !records) {
    std::fprintf(stderr, "vrixhost: DllGetClassInfo failed with 0x%08X\n",
                 static_cast<unsigned>(status));
    return 1;
  }
  std::printf("%s: %u bytes of class information\n", argv[1],
              static_cast<unsigned>(allocator.LastSize()));
  const VxGuid zero{};
  for (const VxClassInfoRecord* r = records;
       !(VxGuidEqual(r->clsid, zero) && VxGuidEqual(r->iid, zero)); ++r) {
    const bool classRecord = VxGuidEqual(r->iid, IID_IClassFactory);
    if (classRecord) {
      uint32_t size = 0;
      VxInitializer init = nullptr;
      VxFinalizer fini = nullptr;
      const VxStatus form = module.exports().getClassForm(&r->clsid, &size, &init, &fini);
      std::printf("class %s version 0x%08X (%s)", GuidText(r->clsid).c_str(),
                  static_cast<unsigned>(r->classVersion), GuidName(r->clsid));
      if (form == VX_OK)
        std::printf(" instance size %u\n", static_cast<unsigned>(size));
      else
        std::printf(" no class form (0x%08X)\n", static_cast<unsigned>(form));
    }
    std::printf("  interface %s version 0x%08X (%s)\n", GuidText(r->iid).c_str(),
                static_cast<unsigned>(r->interfaceVersion), GuidName(r->iid));
  }
  allocator.Free(records);
  return 0;
}

}  // namespace vrixhost
