// vrixhost gif-asset: Kinetra's properties dialog over an animated-GIF asset
// kept in a text file, so that a person can edit the asset's properties with
// a playing preview. The file is written back only when Kinetra wrote
// properties (OK); Cancel leaves it as it was.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/CommandPaths.h"
#include "host/Commands.h"
#include "host/GifAsset.h"
#include "host/KinetraSession.h"
#include "host/NullDisplay.h"
#include "host/PalvexSession.h"

namespace vrixhost {

const toolcli::Help kGifAssetHelp = {
    "vrixhost gif-asset",
    "shows Kinetra's animated-GIF asset properties dialog, with a playing preview, over an "
    "asset kept in a text file, and writes the file back when OK wrote properties",
    "[--plugin=Kinetra.dll] [--address=TEXT] ASSET.txt",
    "  ASSET.txt       the asset, one KEY TYPE VALUE a line:\n"
    "                    FileName text PATH-OR-ADDRESS   Linked int 0|1\n"
    "                    DirectToStage int 0|1   FixedTempo int FPS\n"
    "                    PlaybackMode text normal|fixed|lockStep\n"
    "  --plugin=PATH   Kinetra.dll to load (default: beside vrixhost.exe)\n"
    "  --address=TEXT  answer the Internet... dialog with TEXT by itself",
    "vrixhost gif-asset walk-asset.txt",
    "the dialog was cancelled (the file is left as it was), or the asset file or the plug-in "
    "cannot be read, its GIF is too large to preview, or the dialog cannot be shown or its "
    "properties saved"};

namespace {

int Fail(const std::string& message) {
  return toolcli::Failure(kGifAssetHelp, message);
}

struct GifAssetRequest {
  std::string plugin;
  std::string file;
  bool scriptAddress = false;
  std::string address;
};

// False with a message for bad or missing arguments.
bool ParseArgs(int argc, char** argv, GifAssetRequest* r, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strncmp(a, "--plugin=", 9) == 0 && a[9]) {
      r->plugin = a + 9;
    } else if (std::strncmp(a, "--address=", 10) == 0) {
      r->scriptAddress = true;
      r->address = a + 10;
    } else if (toolcli::LooksLikeOption(a)) {
      *error = std::string("unknown option ") + a;
      return false;
    } else if (!r->file.empty()) {
      *error = "one ASSET.txt at a time";
      return false;
    } else {
      r->file = a;
    }
  }
  if (r->file.empty()) *error = "which asset? Name an ASSET.txt";
  return !r->file.empty();
}

}  // namespace

int RunGifAsset(int argc, char** argv) {
  GifAssetRequest request;
  std::string error;
  if (!ParseArgs(argc, argv, &request, &error)) return toolcli::UsageError(kGifAssetHelp, error);
  // Browse moves the current folder.
  MakeFull({&request.plugin, &request.file});
  GifAssetProperties properties;
  if (!LoadAssetFile(request.file, &properties, &error)) return Fail(error);

  // A GIF the preview cannot keep is refused before anything is shown; one
  // that cannot be read at all (an Internet address, a file not there yet)
  // leaves the dialog to choose another.
  GifAsset* asset = GifAsset::Create(properties);
  if (asset->mediaStatus == kGifTooLarge) {
    const std::string problem = asset->mediaProblem;
    asset->ops->Release(asset);
    return toolcli::FileFailure(kGifAssetHelp, properties.fileName,
                                "cannot be previewed: " + problem);
  }

  KinetraSession session;
  if (!session.Open(request.plugin.empty() ? DefaultKinetraPath() : request.plugin, &error)) {
    asset->ops->Release(asset);
    return Fail(error);
  }
  HostCallback* host = session.callback();
  host->addressScript.scripted = request.scriptAddress;
  host->addressScript.answer = request.address;

  VxAssetOptions* options = session.options();
  VxStatus status = options->ops->Attach(options, asset);
  if (status == VX_OK) NoticeWhenNobodyCanSee(kGifAssetHelp.name);
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
    // Kinetra writes the properties on OK only.
    std::printf("cancelled; \"%s\" is unchanged\n", request.file.c_str());
    exitCode = 1;
  }
  asset->ops->Release(asset);
  return exitCode;
}

}  // namespace vrixhost
