// vrixhost gif-asset: Kinetra's properties dialog over an animated-GIF asset
// kept in a text file, so that a person can edit the asset's properties with
// a playing preview. The file is written back only when Kinetra wrote
// properties (OK); Cancel leaves it as it was.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/Commands.h"
#include "host/GifAsset.h"
#include "host/KinetraSession.h"
#include "host/PalvexSession.h"

namespace vrixhost {

namespace {

const char kHelp[] =
    "usage: vrixhost gif-asset [--plugin=Kinetra.dll] [--address=TEXT] ASSET.txt\n"
    "  Shows Kinetra's animated-GIF asset properties dialog over the asset kept in\n"
    "  ASSET.txt and writes the file back when OK wrote properties.\n"
    "  ASSET.txt holds one KEY TYPE VALUE a line:\n"
    "    FileName text PATH-OR-ADDRESS    Linked int 0|1    DirectToStage int 0|1\n"
    "    PlaybackMode text normal|fixed|lockStep            FixedTempo int FPS\n"
    "  --plugin=PATH    Kinetra.dll to load (default: beside vrixhost.exe)\n"
    "  --address=TEXT   answer the Internet... dialog with TEXT by itself\n"
    "example:\n"
    "  vrixhost gif-asset walk-asset.txt\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "vrixhost gif-asset: %s\n", message.c_str());
  return 1;
}

struct GifAssetRequest {
  std::string plugin;
  std::string file;
  bool scriptAddress = false;
  std::string address;
  bool help = false;
};

bool ParseArgs(int argc, char** argv, GifAssetRequest* r) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0 || std::strcmp(a, "/?") == 0) {
      r->help = true;
    } else if (std::strncmp(a, "--plugin=", 9) == 0 && a[9]) {
      r->plugin = a + 9;
    } else if (std::strncmp(a, "--address=", 10) == 0) {
      r->scriptAddress = true;
      r->address = a + 10;
    } else if (a[0] == '-' || !r->file.empty()) {
      return false;
    } else {
      r->file = a;
    }
  }
  return r->help || !r->file.empty();
}

}  // namespace

int RunGifAsset(int argc, char** argv) {
  GifAssetRequest request;
  if (!ParseArgs(argc, argv, &request)) {
    std::fputs(kHelp, stderr);
    return 2;
  }
  if (request.help) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  std::string error;
  GifAssetProperties properties;
  if (!LoadAssetFile(request.file, &properties, &error)) return Fail(error);

  KinetraSession session;
  if (!session.Open(request.plugin.empty() ? DefaultKinetraPath() : request.plugin, &error))
    return Fail(error);
  HostCallback* host = session.callback();
  host->addressScript.scripted = request.scriptAddress;
  host->addressScript.answer = request.address;

  GifAsset* asset = GifAsset::Create(properties);
  VxAssetOptions* options = session.options();
  VxStatus status = options->ops->Attach(options, asset);
  if (status == VX_OK) status = options->ops->ShowDialog(options, nullptr);
  int32_t result = 0;
  const VxStatus finished = options->ops->Finish(options, 1, &result);
  if (status == VX_OK) status = finished;

  int exitCode = 0;
  if (status != VX_OK) {
    exitCode = Fail("the properties dialog failed with status " + StatusText(status));
  } else if (result == 2) {
    if (SaveAssetFile(request.file, asset->properties, &error)) {
      std::printf("Kinetra wrote:\n");
      for (const std::string& line : asset->Sets()) std::printf("  %s\n", line.c_str());
      std::printf("saved to \"%s\":\n%s", request.file.c_str(),
                  FormatAssetProperties(asset->properties).c_str());
    } else {
      exitCode = Fail(error);
    }
  } else {
    std::printf("no properties written; \"%s\" is unchanged\n", request.file.c_str());
  }
  asset->ops->Release(asset);
  return exitCode;
}

}  // namespace vrixhost
