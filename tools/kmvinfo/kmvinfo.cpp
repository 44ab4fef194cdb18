// kmvinfo: prints what a KMV movie holds, or why it is damaged.
#include <cstdio>
#include <exception>
#include <string>

#include "moviewriter/KmvReader.h"
#include "tools/common/ToolCli.h"

namespace {

const toolcli::Help kHelp = {
    "kmvinfo",
    "prints what a KMV movie holds (its header, then each tag in words), or why it is damaged",
    "FILE.kmv",
    "  FILE.kmv        the movie to read; a damaged one is refused, naming the\n"
    "                  byte offset of the fault",
    "kmvinfo picture.kmv",
    "the file cannot be read or is not a sound KMV movie (the message names the offset)"};

}  // namespace

int main(int argc, char** argv) {
  int code = 0;
  if (toolcli::AnswerHelpOrVersion(kHelp, argc, argv, 1, &code)) return code;
  const char* file = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--" && i + 1 < argc && !file) {
      file = argv[++i];
    } else if (toolcli::LooksLikeOption(argv[i])) {
      return toolcli::UsageError(kHelp, std::string("unknown option ") + argv[i]);
    } else if (file) {
      return toolcli::UsageError(kHelp, "one movie at a time");
    } else {
      file = argv[i];
    }
  }
  if (!file) return toolcli::UsageError(kHelp, "which movie? Name a FILE.kmv");
  const std::string problem = toolcli::ReadProblem(file);
  if (!problem.empty()) return toolcli::FileFailure(kHelp, file, problem);
  try {
    kmv::Movie movie = kmv::ReadFile(file);
    std::string text = kmv::Dump(movie);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return toolcli::kExitOk;
  } catch (const std::exception& e) {
    return toolcli::FileFailure(kHelp, file, e.what());
  }
}
