// somnel-pack: makes a customer's saver from the generic Somnel.scr, and
// shows what an existing saver carries.
//
// The output is SAVER, then the pictures, then PLAYER, then the trailer
// filled from PROJECT's [Settings], [Interactive] and [Execute] keys. It is
// written to a temporary file beside OUTPUT and renamed only when complete,
// so a failure never leaves a partial OUTPUT or harms an existing one.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "clib/Counted.h"
#include "saver/KeyNames.h"
#include "saver/PayloadTrailer.h"
#include "saver/Settings.h"
#include "tools/common/SameFile.h"
#include "tools/common/SystemError.h"
#include "tools/common/ToolCli.h"
#include "tools/somnel-pack/PackLayout.h"
#include "tools/somnel-pack/ProjectCheck.h"
#include "tools/somnel-pack/SaverInputs.h"
#include "tools/somnel-pack/TrailerText.h"

namespace {

constexpr int kExitOk = toolcli::kExitOk;
// --inspect found no package: the answer is "no", as for a failure.
constexpr int kExitNoPackage = toolcli::kExitFailed;
constexpr int kExitFailed = toolcli::kExitFailed;

const toolcli::Help kHelp = {
    "somnel-pack",
    "makes a customer's saver from the generic saver, a project file, a player program and "
    "pictures, or shows what a saver carries",
    "[--strict] [--settings-box BMP] [--preview BMP] SAVER PROJECT PLAYER OUTPUT\n--inspect "
    "SAVER",
    "  SAVER           the generic saver, Somnel.scr (for --inspect: any saver)\n"
    "  PROJECT         the project file: [Settings] External, ForceMaximize, RunPreview,\n"
    "                  TwoWaySound, ThreeWaySound; [Interactive] Key1..Key20, OnMouse,\n"
    "                  OnKey; [Execute] Key1..Key4, Command1..Command4. Keys are written\n"
    "                  as Shift, Ctrl, Alt, Enter, Return, Escape, Esc, Space, Backspace,\n"
    "                  Tab, Caps Lock, F1..F12 or a single character. What the saver\n"
    "                  would ignore or read otherwise than written (an unknown section\n"
    "                  or key, a value that is not a number, settings that contradict\n"
    "                  each other, an empty file) is reported with its line number\n"
    "  PLAYER          the movie player program the saver starts\n"
    "  OUTPUT          the saver to make: SAVER, the pictures, PLAYER and the trailer;\n"
    "                  written only when complete, so a failure leaves no partial file\n"
    "  --settings-box BMP\n"
    "                  the picture of the settings box (optional)\n"
    "  --preview BMP   the picture shown in the preview (optional)\n"
    "  --strict        the project's reports are errors: nothing is written\n"
    "  --inspect SAVER\n"
    "                  print the trailer of SAVER in words",
    "somnel-pack --preview preview.bmp Somnel.scr project.ini player.exe My.scr",
    "the work failed (the message names the file and the problem; with --strict also: the "
    "project drew a report), or --inspect found no package"};

// A failure that names the file and the problem.
struct Failure {
  std::string file;
  std::string problem;
};

int Fail(const Failure& failure) {
  toolcli::FileFailure(kHelp, failure.file, failure.problem);
  return kExitFailed;
}

std::string SystemText(DWORD code) {
  return toolcli::SystemErrorText(code);
}

// A handle that closes itself.
class File {
 public:
  explicit File(HANDLE handle) : m_Handle(handle) {}
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }
  bool IsOpen() const { return m_Handle != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return m_Handle; }
  bool Close() {
    if (!IsOpen()) return true;
    const bool ok = CloseHandle(m_Handle) != 0;
    m_Handle = INVALID_HANDLE_VALUE;
    return ok;
  }

 private:
  HANDLE m_Handle;
};

HANDLE OpenForReading(const std::string& path) {
  return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool FileSize(HANDLE file, uint64_t& size) {
  LARGE_INTEGER value;
  if (!GetFileSizeEx(file, &value) || value.QuadPart < 0) return false;
  size = static_cast<uint64_t>(value.QuadPart);
  return true;
}

bool ReadAt(HANDLE file, uint64_t offset, void* buffer, size_t size) {
  LARGE_INTEGER position;
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) return false;
  auto* bytes = static_cast<char*>(buffer);
  while (size > 0) {
    DWORD chunk = size > (1u << 20) ? (1u << 20) : static_cast<DWORD>(size);
    DWORD got = 0;
    if (!ReadFile(file, bytes, chunk, &got, nullptr) || got == 0) return false;
    bytes += got;
    size -= got;
  }
  return true;
}

// Reads a whole input file, refusing anything past the package limit before
// allocating for it.
bool ReadInput(const std::string& path, std::vector<char>& data, Failure& failure) {
  File file(OpenForReading(path));
  if (!file.IsOpen()) {
    failure = {path, "cannot be opened: " + SystemText(GetLastError())};
    return false;
  }
  uint64_t size = 0;
  if (!FileSize(file.Get(), size)) {
    failure = {path, "cannot be sized: " + SystemText(GetLastError())};
    return false;
  }
  if (size > kMaxPackageSize) {
    failure = {path, "the package would pass 4 GiB"};
    return false;
  }
  if (size > static_cast<uint64_t>(SIZE_MAX)) {
    failure = {path, "too large to read"};
    return false;
  }
  try {
    data.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    failure = {path, "not enough memory to read it"};
    return false;
  }
  if (size && !ReadAt(file.Get(), 0, data.data(), data.size())) {
    failure = {path, "cannot be read: " + SystemText(GetLastError())};
    return false;
  }
  return true;
}

bool FullPath(const std::string& path, std::string& full) {
  char buffer[MAX_PATH];
  DWORD length = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
  if (length == 0 || length >= sizeof buffer) return false;
  full = buffer;
  return true;
}

bool StartsWith(const std::vector<char>& data, const char* magic) {
  const size_t length = std::strlen(magic);
  return data.size() >= length && std::memcmp(data.data(), magic, length) == 0;
}

bool LooksLikeBmp(const std::vector<char>& data) {
  return LooksLikeBmpFile(reinterpret_cast<const uint8_t*>(data.data()), data.size());
}

// The keys that the project-key reader would take silently must be sound:
// key names from the table or single characters, commands that fit their field.
bool CheckProject(const std::string& path, Failure& failure) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    failure = {path, "cannot be found: " + SystemText(GetLastError())};
    return false;
  }
  char value[1024];
  char key[16];
  struct KeySet {
    const char* section;
    int count;
  } sets[] = {{"Interactive", kInteractiveKeyCount}, {"Execute", kExecuteKeyCount}};
  for (const KeySet& set : sets) {
    for (int i = 1; i <= set.count; ++i) {
      std::snprintf(key, sizeof key, "Key%d", i);
      GetPrivateProfileStringA(set.section, key, "", value, sizeof value, path.c_str());
      if (!IsValidKeyName(value)) {
        failure = {path, std::string("[") + set.section + "] " + key + "=" + value +
                             ": not a key name (use Shift, Ctrl, Alt, Enter, Return, Escape, "
                             "Esc, Space, Backspace, Tab, Caps Lock, F1..F12 or one character)"};
        return false;
      }
    }
  }
  for (int i = 1; i <= kCommandCount; ++i) {
    std::snprintf(key, sizeof key, "Command%d", i);
    const DWORD length =
        GetPrivateProfileStringA("Execute", key, "", value, sizeof value, path.c_str());
    if (length > kMaxCommandLength) {
      failure = {path, std::string("[Execute] ") + key + " is longer than " +
                           std::to_string(kMaxCommandLength) + " characters"};
      return false;
    }
  }
  return true;
}

// Writes all of data: 0, or the system's code for why it could not. A
// write that takes only part of its bytes (a disk filling up) succeeds
// without an error code, so the rest is written on; the write that then
// fails tells why.
DWORD WriteAll(HANDLE file, const std::vector<char>& data) {
  size_t done = 0;
  while (done < data.size()) {
    const size_t left = data.size() - done;
    const DWORD chunk = left > (1u << 20) ? (1u << 20) : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(file, data.data() + done, chunk, &written, nullptr)) return GetLastError();
    // Nothing written and no error: a disk file does that only when full.
    if (written == 0) return ERROR_DISK_FULL;
    done += written;
  }
  return ERROR_SUCCESS;
}

struct PackRequest {
  std::string saver, project, player, output, settingsBox, preview;
  bool strict = false;  // the project's reports are errors
};

// Prints what the saver would ignore or misread in the project, one line
// each; false when there was something and `strict` makes it an error.
bool ReportProject(const std::string& path, bool strict, Failure& failure) {
  std::vector<char> text;
  if (!ReadInput(path, text, failure)) return false;
  const std::vector<ProjectNote> notes = CheckProjectText(std::string(text.begin(), text.end()));
  for (const ProjectNote& note : notes)
    std::fprintf(stderr, "%s: %s\n", kHelp.name, FormatProjectNote(path, note).c_str());
  if (!strict || notes.empty()) return true;
  failure = {path, Counted(notes.size(), "report", "reports") +
                       " on the project and --strict; nothing is written"};
  return false;
}

int Pack(const PackRequest& request) {
  // Replacing an input with the packed saver would lose it.
  const std::string same = toolcli::SameFileProblem(
      request.output,
      {request.saver, request.project, request.player, request.settingsBox, request.preview});
  if (!same.empty()) return Fail({request.output, same});

  Failure failure;
  std::vector<char> saver, player, settingsBox, preview;

  if (!ReadInput(request.saver, saver, failure)) return Fail(failure);
  if (!StartsWith(saver, "MZ"))
    return Fail({request.saver, "is not a Windows program (no MZ header)"});
  const PayloadTrailer existing =
      TrailerFromFileTail(reinterpret_cast<const uint8_t*>(saver.data()), saver.size());
  if (existing.magic == kTrailerMagic)
    return Fail({request.saver, "already carries a package; start from the generic saver"});
  const std::string notSaver = BareSaverProblem(request.saver);
  if (!notSaver.empty()) return Fail({request.saver, notSaver});

  if (!request.settingsBox.empty()) {
    if (!ReadInput(request.settingsBox, settingsBox, failure)) return Fail(failure);
    if (!LooksLikeBmp(settingsBox)) return Fail({request.settingsBox, "is not a BMP picture"});
    const std::string unreadable = PackagePictureProblem(settingsBox);
    if (!unreadable.empty()) return Fail({request.settingsBox, unreadable});
  }
  if (!request.preview.empty()) {
    if (!ReadInput(request.preview, preview, failure)) return Fail(failure);
    if (!LooksLikeBmp(preview)) return Fail({request.preview, "is not a BMP picture"});
    const std::string unreadable = PackagePictureProblem(preview);
    if (!unreadable.empty()) return Fail({request.preview, unreadable});
  }
  if (!ReadInput(request.player, player, failure)) return Fail(failure);
  if (!StartsWith(player, "MZ"))
    return Fail({request.player, "is not a Windows program (no MZ header)"});

  // The profile functions look for a bare file name in the Windows directory.
  std::string project;
  if (!FullPath(request.project, project)) return Fail({request.project, "path is too long"});
  if (!CheckProject(project, failure)) return Fail(failure);
  if (!ReportProject(project, request.strict, failure)) return Fail(failure);

  PayloadTrailer trailer;
  std::memset(&trailer, 0, sizeof trailer);
  ReadProjectKeys(trailer, project.c_str());

  PackSizes sizes;
  sizes.saver = saver.size();
  sizes.settingsBox = settingsBox.size();
  sizes.preview = preview.size();
  sizes.player = player.size();
  uint64_t total = 0;
  std::string problem;
  if (!PlanPackage(sizes, trailer, total, problem)) return Fail({request.output, problem});

  std::string output;
  if (!FullPath(request.output, output)) return Fail({request.output, "path is too long"});
  std::string dir = output.substr(0, output.find_last_of("\\/") + 1);
  char temporary[MAX_PATH];
  if (!GetTempFileNameA(dir.c_str(), "spk", 0, temporary))
    return Fail({request.output,
                 "cannot create a temporary file beside it: " + SystemText(GetLastError())});

  // Each step's own error code: the last error of this thread may be left
  // over from a call that succeeded (CREATE_ALWAYS over the file made by
  // GetTempFileNameA leaves "File already exists").
  DWORD writeError = ERROR_SUCCESS;
  {
    File out(CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr));
    if (!out.IsOpen()) {
      writeError = GetLastError();
    } else {
      std::vector<char> trailerBytes(kTrailerSize);
      std::memcpy(trailerBytes.data(), &trailer, kTrailerSize);
      for (const std::vector<char>* part : {&saver, &settingsBox, &preview, &player, &trailerBytes})
        if (writeError == ERROR_SUCCESS) writeError = WriteAll(out.Get(), *part);
      if (!out.Close() && writeError == ERROR_SUCCESS)
        writeError = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_WRITE_FAULT;
    }
  }
  if (writeError != ERROR_SUCCESS) {
    DeleteFileA(temporary);
    return Fail({request.output, "cannot be written: " + SystemText(writeError)});
  }
  if (!MoveFileExA(temporary, output.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileA(temporary);
    return Fail({request.output, "cannot be replaced: " + SystemText(error)});
  }
  std::printf("%s: %s, player at %lu..%lu\n", request.output.c_str(),
              Counted(total, "byte", "bytes").c_str(),
              static_cast<unsigned long>(trailer.playerStart),
              static_cast<unsigned long>(trailer.playerEnd));
  return kExitOk;
}

int Inspect(const std::string& path) {
  File file(OpenForReading(path));
  if (!file.IsOpen()) return Fail({path, "cannot be opened: " + SystemText(GetLastError())});
  uint64_t size = 0;
  if (!FileSize(file.Get(), size))
    return Fail({path, "cannot be sized: " + SystemText(GetLastError())});

  PayloadTrailer trailer;
  std::memset(&trailer, 0, sizeof trailer);
  if (size < kTrailerSize) {
    std::printf("%s: no package (the file is shorter than a trailer)\n", path.c_str());
    return kExitNoPackage;
  }
  if (!ReadAt(file.Get(), size - kTrailerSize, &trailer, kTrailerSize))
    return Fail({path, "cannot be read: " + SystemText(GetLastError())});
  if (trailer.magic != kTrailerMagic) {
    std::printf("%s: no package (no trailer at the end of the file)\n", path.c_str());
    return kExitNoPackage;
  }
  if (!TrailerHasPackage(trailer)) {
    std::printf("%s: no package (the trailer names no player)\n", path.c_str());
    return kExitNoPackage;
  }
  std::printf("%s: package\n", path.c_str());
  const HANDLE handle = file.Get();
  const std::string text =
      DescribeTrailer(trailer, size, [handle, size](uint64_t offset, void* buffer, size_t count) {
        return offset <= size && count <= size - offset && ReadAt(handle, offset, buffer, count);
      });
  std::fputs(text.c_str(), stdout);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  int code = 0;
  if (toolcli::AnswerHelpOrVersion(kHelp, argc, argv, 1, &code)) return code;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty())
    return toolcli::UsageError(kHelp, "what to make? Name SAVER PROJECT PLAYER OUTPUT");
  if (args[0] == "--inspect" || args[0] == "/inspect") {
    if (args.size() != 2) return toolcli::UsageError(kHelp, "--inspect takes one SAVER");
    return Inspect(args[1]);
  }

  PackRequest request;
  std::vector<std::string> positional;
  bool operandsOnly = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (!operandsOnly && arg == "--") {
      operandsOnly = true;
    } else if (!operandsOnly && arg == "--strict") {
      request.strict = true;
    } else if (!operandsOnly && (arg == "--settings-box" || arg == "--preview")) {
      if (i + 1 >= args.size()) return toolcli::UsageError(kHelp, arg + " needs a BMP file");
      (arg == "--preview" ? request.preview : request.settingsBox) = args[++i];
    } else if (!operandsOnly && toolcli::LooksLikeOption(arg.c_str())) {
      return toolcli::UsageError(kHelp, "unknown option " + arg);
    } else {
      positional.push_back(arg);
    }
  }
  if (positional.size() != 4)
    return toolcli::UsageError(kHelp, "four files are needed, SAVER PROJECT PLAYER OUTPUT; " +
                                          std::to_string(positional.size()) + " given");
  request.saver = positional[0];
  request.project = positional[1];
  request.player = positional[2];
  request.output = positional[3];
  return Pack(request);
}
