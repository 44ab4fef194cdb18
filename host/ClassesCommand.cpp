// vrixhost classes PLUGIN.dll: what a plug-in tells the host at registration.
#include <cstdio>
#include <string>

#include "clib/Counted.h"
#include "host/CommandPaths.h"
#include "host/Commands.h"
#include "host/GuidNames.h"
#include "host/HostAllocator.h"
#include "host/PluginModule.h"

namespace vrixhost {

const toolcli::Help kClassesHelp = {
    "vrixhost classes",
    "loads a plug-in and prints its class-information records and instance sizes, as the "
    "host reads them at registration",
    "PLUGIN.dll",
    "  PLUGIN.dll      the plug-in module to load, such as Palvex.dll or Kinetra.dll",
    "vrixhost classes Palvex.dll",
    "the plug-in cannot be loaded or does not answer (the message names it)"};

int RunClasses(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (toolcli::LooksLikeOption(argv[i]))
      return toolcli::UsageError(kClassesHelp, std::string("unknown option ") + argv[i]);
  if (argc != 2) return toolcli::UsageError(kClassesHelp, "name one PLUGIN.dll");
  PluginModule module;
  if (!module.Load(FullPathOf(argv[1]))) return toolcli::Failure(kClassesHelp, module.error());
  HostAllocator allocator;
  VxClassInfoRecord* records = nullptr;
  const VxStatus status = module.exports().getClassInfo(&allocator, &records);
  if (status != VX_OK || !records) {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(status));
    return toolcli::FileFailure(kClassesHelp, argv[1],
                                std::string("DllGetClassInfo failed with ") + code);
  }
  std::printf("%s: %s of class information\n", argv[1],
              Counted(allocator.LastSize(), "byte", "bytes").c_str());
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
