// The commands of the vrixhost program. Each command is one function in a
// file of its own, with its help, listed in the table in vrixhost.cpp. The
// table answers "vrixhost COMMAND --help", /? and --version for every
// command before the command runs.
#pragma once

#include "tools/common/ToolCli.h"

namespace vrixhost {

struct Command {
  const char* name;
  const toolcli::Help* help;  // its name is "vrixhost NAME"
  // argv[0] is the command's name. Returns the process exit code: 0 done,
  // 1 the work failed, 2 bad usage.
  int (*run)(int argc, char** argv);
};

// vrixhost classes PLUGIN.dll
extern const toolcli::Help kClassesHelp;
int RunClasses(int argc, char** argv);

// vrixhost gif-export [OPTIONS] INPUT OUTPUT.gif
extern const toolcli::Help kGifExportHelp;
int RunGifExport(int argc, char** argv);

// vrixhost gif-options [--plugin=Palvex.dll] [--host-path=PATH] OPTIONS.txt
extern const toolcli::Help kGifOptionsHelp;
int RunGifOptions(int argc, char** argv);

// vrixhost gif-asset [--plugin=Kinetra.dll] [--address=TEXT] ASSET.txt
extern const toolcli::Help kGifAssetHelp;
int RunGifAsset(int argc, char** argv);

// vrixhost kinetra-dialog [--plugin=Kinetra.dll] [--language=N]
extern const toolcli::Help kKinetraDialogHelp;
int RunKinetraDialog(int argc, char** argv);

}  // namespace vrixhost
