// vrixhost kinetra-dialog: Kinetra's asset properties dialog, built by the
// stand-in's dialog builder, without an asset: the values a new asset would
// have, the module's texts in the language chosen. What the dialog reports
// to Kinetra (item events, help topics) is printed when it ends.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "host/CommandPaths.h"
#include "host/Commands.h"
#include "host/HostAllocator.h"
#include "host/HostInstance.h"
#include "host/NullDisplay.h"
#include "host/PalvexSession.h"
#include "host/PluginModule.h"

namespace vrixhost {

const toolcli::Help kKinetraDialogHelp = {
    "vrixhost kinetra-dialog",
    "opens Kinetra's animated-GIF asset properties dialog through the stand-in's dialog "
    "builder, without an asset, and prints how it ended and what it reported to Kinetra "
    "(item events, help topics)",
    "[--plugin=Kinetra.dll] [--language=N]",
    "  --plugin=PATH   Kinetra.dll to load (default: beside vrixhost.exe, else the\n"
    "                  build tree's)\n"
    "  --language=N    the host's language as Tesk32 answers it: 0 English,\n"
    "                  1 Japanese, 2 French, 3 German (default: VRIXHOST_LANGUAGE)",
    "vrixhost kinetra-dialog --language=2",
    "the dialog was cancelled, or the plug-in cannot be loaded or the dialog cannot be shown"};

namespace {

std::string DefaultKinetraPath() {
  const std::string dir = ProgramDirectory();
  const std::string beside = dir + "\\Kinetra.dll";
  if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) return beside;
  return dir + "\\..\\plugin\\assetprops\\Kinetra.dll";
}

const char* EventName(int32_t type) {
  return type == ZEP_EVENT_ITEM_CHANGED   ? "changed"
         : type == ZEP_EVENT_ITEM_CLICKED ? "clicked"
                                          : "other";
}

}  // namespace

int RunKinetraDialog(int argc, char** argv) {
  std::string plugin;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strncmp(a, "--plugin=", 9) == 0 && a[9]) {
      plugin = a + 9;
    } else if (std::strncmp(a, "--language=", 11) == 0 && a[11]) {
      char* end = nullptr;
      std::strtol(a + 11, &end, 10);
      if (*end) return toolcli::UsageError(kKinetraDialogHelp, std::string("bad language ") + a);
      // Tesk32 reads the language from the environment at every call.
      SetEnvironmentVariableA("VRIXHOST_LANGUAGE", a + 11);
    } else if (toolcli::LooksLikeOption(a)) {
      return toolcli::UsageError(kKinetraDialogHelp, std::string("unknown option ") + a);
    } else {
      return toolcli::UsageError(kKinetraDialogHelp, std::string("unexpected argument ") + a);
    }
  }
  plugin = plugin.empty() ? DefaultKinetraPath() : FullPathOf(plugin);

  PluginModule module;
  if (!module.Load(plugin)) {
    std::fprintf(stderr, "vrixhost kinetra-dialog: %s\n", module.error().c_str());
    return 1;
  }
  HostAllocator allocator;
  HostCallback* callback = HostCallback::Create();
  callback->printHelp = true;
  HostInstance* instance = nullptr;
  VxStatus status = HostInstance::Create(module.exports(), CLSID_KinetraGifOptions, &allocator,
                                         callback, &instance);
  int exitCode = 0;
  if (status != VX_OK) {
    std::fprintf(stderr, "vrixhost kinetra-dialog: making the options class failed with %s\n",
                 StatusText(status).c_str());
    callback->ops->Release(callback);
    return 1;
  }
  void* object = nullptr;
  status = instance->GetInterface(IID_VxAssetOptions, &object);
  if (status == VX_OK) {
    VxAssetOptions* options = static_cast<VxAssetOptions*>(object);
    NoticeWhenNobodyCanSee(kKinetraDialogHelp.name);
    status = options->ops->ShowDialog(options, nullptr);
    int32_t result = -1;
    const VxStatus finish = options->ops->Finish(options, 1, &result);
    options->ops->Release(options);
    if (status != VX_OK || finish != VX_OK) {
      std::fprintf(stderr, "vrixhost kinetra-dialog: the dialog failed with %s\n",
                   StatusText(status != VX_OK ? status : finish).c_str());
      exitCode = 1;
    }
  } else {
    std::fprintf(stderr, "vrixhost kinetra-dialog: no asset-options interface (%s)\n",
                 StatusText(status).c_str());
    exitCode = 1;
  }
  for (const auto& e : callback->builderEvents)
    std::printf("item %d %s\n", static_cast<int>(e.second), EventName(e.first));
  if (exitCode == 0) {
    const auto& events = callback->builderEvents;
    int32_t ended = -1;
    for (auto it = events.rbegin(); it != events.rend() && ended < 0; ++it)
      if (it->first == ZEP_EVENT_ITEM_CLICKED && (it->second == 39 || it->second == 42))
        ended = it->second;
    std::printf("the dialog ended with item %d%s\n", static_cast<int>(ended),
                ended == 39   ? " (OK)"
                : ended == 42 ? " (Cancel)"
                              : "");
    if (ended != 39) exitCode = 1;  // Cancel, or the window closed: not confirmed
  }
  instance->Destroy();
  callback->ops->Release(callback);
  return exitCode;
}

}  // namespace vrixhost
