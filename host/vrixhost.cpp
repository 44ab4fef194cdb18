// vrixhost: the stand-in host on the command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "host/Commands.h"
#include "tools/common/ToolCli.h"

namespace {

const vrixhost::Command kCommands[] = {
    {"classes", &vrixhost::kClassesHelp, vrixhost::RunClasses},
    {"gif-export", &vrixhost::kGifExportHelp, vrixhost::RunGifExport},
    {"gif-options", &vrixhost::kGifOptionsHelp, vrixhost::RunGifOptions},
    {"gif-asset", &vrixhost::kGifAssetHelp, vrixhost::RunGifAsset},
    {"kinetra-dialog", &vrixhost::kKinetraDialogHelp, vrixhost::RunKinetraDialog},
    // New commands go here, one line each.
};

// The program's own help lists each command with its arguments and what it
// does.
struct ProgramHelp {
  std::string usage, options;
  toolcli::Help help;
  ProgramHelp() {
    usage = "COMMAND [ARGUMENTS...]\nCOMMAND --help";
    options = "  COMMAND         one of these (\"vrixhost COMMAND --help\" tells more):\n";
    for (const vrixhost::Command& c : kCommands) {
      options += std::string("  ") + c.name + " " + c.help->usage + "\n";
      options += std::string("                  ") + c.help->summary + "\n";
    }
    options.pop_back();
    help = {"vrixhost",
            "the stand-in for the host application's services: it loads the plug-ins through "
            "their exports and drives them as the host would",
            usage.c_str(),
            options.c_str(),
            "vrixhost gif-export --palette=web picture.bmp picture.gif",
            nullptr};
  }
};

}  // namespace

int main(int argc, char** argv) {
  const ProgramHelp program;
  int code = 0;
  // Up to the command's name the options are the program's.
  if (toolcli::AnswerHelpOrVersion(program.help, argc, argv, 1, &code, true)) return code;
  if (argc < 2) return toolcli::UsageError(program.help, "which command?");
  if (toolcli::LooksLikeOption(argv[1]))
    return toolcli::UsageError(program.help, std::string("unknown option ") + argv[1]);
  for (const vrixhost::Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    if (toolcli::AnswerHelpOrVersion(*c.help, argc - 1, argv + 1, 1, &code)) return code;
    return c.run(argc - 1, argv + 1);
  }
  std::string names;
  for (const vrixhost::Command& c : kCommands)
    names += std::string(names.empty() ? "" : ", ") + c.name;
  return toolcli::UsageError(
      program.help, std::string("unknown command \"") + argv[1] + "\"; the commands are " + names);
}
