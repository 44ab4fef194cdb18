#include "tools/common/ToolCli.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "SomnelVersion.h"

namespace toolcli {

namespace {

bool Present(const char* text) {
  return text != nullptr && *text != '\0';
}

// Each line of text, indented.
std::string Indented(const char* text, const char* indent) {
  std::string out;
  const char* line = text;
  while (*line != '\0') {
    const char* end = std::strchr(line, '\n');
    const size_t length = end ? static_cast<size_t>(end - line) : std::strlen(line);
    out.append(indent).append(line, length).append("\n");
    line += length + (end ? 1 : 0);
  }
  return out;
}

// The options text reflowed to 79 columns. An option starts a line (at
// most three blanks before it), its description follows after two blanks
// or more, on the same line or on the next; more deeply indented lines
// continue the description. Descriptions line up where they start.
std::string FormatOptions(const char* options) {
  struct Entry {
    std::string head;    // the option, with its blanks up to the description
    bool alone = false;  // the description starts on the next line
    size_t column = 0;   // where the description starts; 0: none yet
    std::string text;
  };
  std::vector<Entry> entries;
  const char* line = options;
  while (*line != '\0') {
    const char* end = std::strchr(line, '\n');
    const std::string text(line, end ? static_cast<size_t>(end - line) : std::strlen(line));
    line += text.size() + (end ? 1 : 0);
    const size_t lead = text.find_first_not_of(' ');
    if (lead == std::string::npos) continue;
    if (lead >= 4 && !entries.empty()) {
      Entry& e = entries.back();
      if (e.column == 0) {
        e.alone = true;
        e.column = lead;
        e.text = text.substr(lead);
      } else {
        e.text += " " + text.substr(lead);
      }
      continue;
    }
    Entry e;
    const size_t gap = text.find("  ", lead);
    const size_t start = gap == std::string::npos ? gap : text.find_first_not_of(' ', gap);
    if (start == std::string::npos) {
      e.head = text;
    } else {
      e.head = text.substr(0, start);
      e.column = start;
      e.text = text.substr(start);
    }
    entries.push_back(e);
  }
  std::string out;
  for (const Entry& e : entries) {
    out += e.head;
    if (e.column == 0) {
      out += "\n";
      continue;
    }
    if (e.alone) out += "\n" + std::string(e.column, ' ');
    const size_t width = e.column < 60 ? 79 - e.column : 20;
    for (char c : Wrap(e.text, width, "")) {
      out += c;
      if (c == '\n') out.append(e.column, ' ');
    }
    out += "\n";
  }
  return out;
}

std::string UsageLines(const Help& help) {
  std::string prefix = std::string("  ") + help.name + " ";
  return Indented(Present(help.usage) ? help.usage : "", prefix.c_str());
}

}  // namespace

const char* Version() {
  return SOMNEL_VERSION_TEXT;
}

bool IsHelp(const char* arg) {
  return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0 ||
         std::strcmp(arg, "-?") == 0 || std::strcmp(arg, "/?") == 0;
}

bool IsVersion(const char* arg) {
  return std::strcmp(arg, "--version") == 0;
}

bool LooksLikeOption(const char* arg) {
  if (std::strcmp(arg, "/?") == 0) return true;
  return arg[0] == '-' && arg[1] != '\0';
}

std::string ReadProblem(const char* path) {
  struct stat info;
  if (stat(path, &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return "does not exist";
    return std::string("cannot be examined: ") + std::strerror(errno);
  }
  if ((info.st_mode & S_IFMT) == S_IFDIR) return "is a folder, not a file";
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return std::string("cannot be opened: ") + std::strerror(errno);
  std::fclose(file);
  return "";
}

std::string Wrap(const std::string& text, size_t width, const std::string& indent) {
  // The text's own leading blanks start its first line.
  size_t start = text.find_first_not_of(' ');
  if (start == std::string::npos) return text;
  std::string out, line = text.substr(0, start);
  bool empty = true;  // line holds no word yet
  while (start < text.size()) {
    size_t end = text.find(' ', start);
    if (end == std::string::npos) end = text.size();
    const std::string word = text.substr(start, end - start);
    if (!empty && line.size() + 1 + word.size() > width) {
      out += line + "\n";
      line = indent;
      empty = true;
    }
    if (!word.empty()) {
      if (!empty) line += ' ';
      line += word;
      empty = false;
    }
    start = end + 1;
  }
  return out + line;
}

std::string HelpText(const Help& help) {
  std::string text = Wrap(std::string(help.name) + ": " + help.summary, 79, "  ") + "\n\nUsage:\n";
  text += UsageLines(help);
  text += "\nArguments and options:\n";
  if (Present(help.options)) text += FormatOptions(help.options);
  text +=
      "  --help, -h, /?  print this help and do nothing else\n"
      "  --version       print the version and do nothing else\n";
  if (Present(help.example)) text += "\nExample:\n" + Indented(help.example, "  ");
  text += "\nExit codes:\n  0  success\n";
  // "  1  " takes five columns of the first line.
  text +=
      "  1  " + Wrap(Present(help.failed) ? help.failed
                                          : "the work failed (the message says which file and why)",
                     74, "     ");
  text += "\n  2  bad usage: an unknown option, a missing or an extra argument\n";
  return text;
}

std::string VersionText(const Help& help) {
  return std::string(help.name) + " " + Version() + "\n";
}

std::string UsageText(const Help& help) {
  return "Usage:\n" + UsageLines(help) + "Try \"" + help.name + " --help\" for more.\n";
}

bool AnswerHelpOrVersion(const Help& help, int argc, char** argv, int first, int* exitCode,
                         bool stopAtOperand) {
  for (int i = first; i < argc; ++i) {
    const char* arg = argv[i];
    if (std::strcmp(arg, "--") == 0) break;
    if (IsHelp(arg)) {
      std::fputs(HelpText(help).c_str(), stdout);
      *exitCode = kExitOk;
      return true;
    }
    if (IsVersion(arg)) {
      std::fputs(VersionText(help).c_str(), stdout);
      *exitCode = kExitOk;
      return true;
    }
    if (stopAtOperand && !LooksLikeOption(arg)) break;
  }
  return false;
}

int UsageError(const Help& help, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n%s", help.name, message.c_str(), UsageText(help).c_str());
  return kExitUsage;
}

int Failure(const Help& help, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", help.name, message.c_str());
  return kExitFailed;
}

int FileFailure(const Help& help, const std::string& file, const std::string& problem) {
  std::fprintf(stderr, "%s: %s: %s\n", help.name, file.c_str(), problem.c_str());
  return kExitFailed;
}

}  // namespace toolcli
