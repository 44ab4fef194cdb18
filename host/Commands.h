// The commands of the vrixhost program. Each command is one function in a
// file of its own, listed in the table in vrixhost.cpp.
#pragma once

namespace vrixhost {

struct Command {
  const char* name;
  const char* usage;  // arguments after the name
  const char* summary;
  // argv[0] is the command's name. Returns the process exit code.
  int (*run)(int argc, char** argv);
};

// vrixhost classes PLUGIN.dll
int RunClasses(int argc, char** argv);

// vrixhost gif-export [OPTIONS] INPUT OUTPUT.gif
int RunGifExport(int argc, char** argv);

// vrixhost gif-options [--plugin=Palvex.dll] [--host-path=PATH] OPTIONS.txt
int RunGifOptions(int argc, char** argv);

// vrixhost gif-asset [--plugin=Kinetra.dll] [--address=TEXT] ASSET.txt
int RunGifAsset(int argc, char** argv);

// vrixhost kinetra-dialog [--plugin=Kinetra.dll] [--language=N]
int RunKinetraDialog(int argc, char** argv);

}  // namespace vrixhost
