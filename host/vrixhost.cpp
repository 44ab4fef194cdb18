// vrixhost: the stand-in host on the command line.
#include <cstdio>
#include <cstring>

#include "host/Commands.h"

namespace {

const vrixhost::Command kCommands[] = {
    {"classes", "PLUGIN.dll",
     "load a plug-in, print its class-information records and instance sizes",
     vrixhost::RunClasses},
    {"gif-export", "[OPTIONS] INPUT OUTPUT.gif", "export a picture as a GIF through Palvex.dll",
     vrixhost::RunGifExport},
    {"gif-options", "[--plugin=Palvex.dll] [--host-path=PATH] OPTIONS.txt",
     "choose GIF options in Palvex's dialog; gif-export --options=OPTIONS.txt uses them",
     vrixhost::RunGifOptions},
    {"gif-asset", "[--plugin=Kinetra.dll] [--address=TEXT] ASSET.txt",
     "edit an animated-GIF asset's properties in Kinetra's dialog, with a playing preview",
     vrixhost::RunGifAsset},
    {"kinetra-dialog", "[--plugin=Kinetra.dll] [--language=N]",
     "open Kinetra's asset properties dialog in the stand-in's builder, without an asset",
     vrixhost::RunKinetraDialog},
    // New commands go here, one line each.
};

int Usage() {
  std::fprintf(stderr, "usage: vrixhost COMMAND ARGS...\n");
  for (const vrixhost::Command& c : kCommands)
    std::fprintf(stderr, "  vrixhost %s %s\n      %s\n", c.name, c.usage, c.summary);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage();
  for (const vrixhost::Command& c : kCommands)
    if (std::strcmp(argv[1], c.name) == 0) return c.run(argc - 1, argv + 1);
  std::fprintf(stderr, "vrixhost: unknown command \"%s\"\n", argv[1]);
  return Usage();
}
