// The command-line convention every tool of the project follows:
//
//   TOOL --help, TOOL -h, TOOL /?   what the tool does, its arguments and
//                                   options, an example and the exit codes,
//                                   on standard output; exit code 0
//   TOOL --version                  "TOOL VERSION" (the version the module's
//                                   version resource carries); exit code 0
//   exit codes                      0 success, 1 the work failed, 2 bad usage
//
// Errors go to standard error as "TOOL: FILE: what is wrong". Bad usage
// also shows the usage lines and how to ask for help. OS-free, so the
// native builds of the tools use it too.
#pragma once

#include <cstdio>
#include <string>

namespace toolcli {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailed = 1,  // the work failed; the message says which file and why
  kExitUsage = 2,   // unknown option, missing or extra arguments
};

// What --help shows. Texts are lines separated by '\n', without a final
// newline; null or empty texts are left out.
struct Help {
  const char* name;     // "kmvinfo", or "vrixhost gif-export" for a command
  const char* summary;  // what it does, in one sentence
  const char* usage;    // one line per form, the arguments after the name
  const char* options;  // arguments and options, one per line: "  NAME  meaning"
  const char* example;  // one command line, with the name
  const char* failed;   // what exit code 1 means here; null: "the work failed"
};

// The version every module of the project carries, "1.0.0.0".
const char* Version();

bool IsHelp(const char* arg);     // --help, -h, -?, /?
bool IsVersion(const char* arg);  // --version
// "-x", "--xyz" and "/?"; "-" alone (standard input) and paths are not.
bool LooksLikeOption(const char* arg);

// Why path cannot be read as a file, in words ("does not exist", "is a
// folder, not a file", "cannot be opened: ..."); empty when it can.
std::string ReadProblem(const char* path);

// text broken into lines of at most width characters at blanks (a longer
// word keeps its own line), each line after the first indented.
std::string Wrap(const std::string& text, size_t width, const std::string& indent);

std::string HelpText(const Help& help);
std::string VersionText(const Help& help);
// The usage lines and where to find more.
std::string UsageText(const Help& help);

// Answers --help and --version among argv[first..argc-1]. The search ends
// at "--" and, when stopAtOperand, at the first argument that is not an
// option (the command name of vrixhost, the program runprobe starts).
// True when answered: *exitCode is then kExitOk and the text printed.
bool AnswerHelpOrVersion(const Help& help, int argc, char** argv, int first, int* exitCode,
                         bool stopAtOperand = false);

// Prints "NAME: message" and the usage text to standard error; returns
// kExitUsage.
int UsageError(const Help& help, const std::string& message);
// Prints "NAME: message" to standard error; returns kExitFailed.
int Failure(const Help& help, const std::string& message);
// Prints "NAME: FILE: problem" to standard error; returns kExitFailed.
int FileFailure(const Help& help, const std::string& file, const std::string& problem);

}  // namespace toolcli
