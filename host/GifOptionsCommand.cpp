// vrixhost gif-options: Palvex's GIF options dialog over options kept in a
// text file, so that a person can choose options that `vrixhost gif-export
// --options=FILE` then uses. The file is read first when it exists and is
// written only after OK; Cancel leaves it as it was.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/CommandPaths.h"
#include "host/Commands.h"
#include "host/DictionaryFile.h"
#include "host/HostDictionary.h"
#include "host/NullDisplay.h"
#include "host/PalvexSession.h"

namespace vrixhost {

const toolcli::Help kGifOptionsHelp = {
    "vrixhost gif-options",
    "opens Palvex's GIF options dialog over options kept in a file, and saves what was chosen "
    "when OK is pressed; vrixhost gif-export --options=OPTIONS.txt then uses them",
    "[--plugin=Palvex.dll] [--host-path=PATH] OPTIONS.txt",
    "  OPTIONS.txt     the options: read first when the file exists, written only after OK\n"
    "                  (one KEY TYPE VALUE a line)\n"
    "  --host-path=PATH\n"
    "                  the host program's path; palette files are listed from the folder\n"
    "                  \"Palettes\" beside it (default: beside vrixhost.exe)\n"
    "  --plugin=Palvex.dll\n"
    "                  the plug-in to load (default: Palvex.dll beside vrixhost.exe)",
    "vrixhost gif-options my-options.txt",
    "the dialog was cancelled (the file is unchanged), or the options cannot be read, shown or "
    "saved"};

namespace {

int Fail(const std::string& message) {
  return toolcli::Failure(kGifOptionsHelp, message);
}

struct GifOptionsRequest {
  std::string plugin;
  std::string hostPath;
  std::string file;
};

// False with a message for bad or missing arguments.
bool ParseArgs(int argc, char** argv, GifOptionsRequest* r, std::string* error) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strncmp(a, "--plugin=", 9) == 0 && a[9]) {
      r->plugin = a + 9;
    } else if (std::strncmp(a, "--host-path=", 12) == 0 && a[12]) {
      r->hostPath = a + 12;
    } else if (toolcli::LooksLikeOption(a)) {
      *error = std::string("unknown option ") + a;
      return false;
    } else if (!r->file.empty()) {
      *error = "one OPTIONS.txt at a time";
      return false;
    } else {
      r->file = a;
    }
  }
  if (r->file.empty()) *error = "which options file? Name an OPTIONS.txt";
  return !r->file.empty();
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int RunGifOptions(int argc, char** argv) {
  GifOptionsRequest request;
  std::string error;
  if (!ParseArgs(argc, argv, &request, &error)) return toolcli::UsageError(kGifOptionsHelp, error);
  // The palette file dialog moves the current folder.
  MakeFull({&request.plugin, &request.hostPath, &request.file});
  // Saved options are read the way an export reads them, so the dialog
  // starts from them.
  HostDictionary* saved = nullptr;
  if (Exists(request.file)) {
    saved = HostDictionary::Create();
    if (!LoadDictionaryFile(request.file, saved, &error)) {
      saved->ops->Release(saved);
      return Fail(error);
    }
  }
  PalvexSession session;
  if (!session.Open(request.plugin.empty() ? DefaultPalvexPath() : request.plugin, &error)) {
    if (saved) saved->ops->Release(saved);
    return Fail(error);
  }
  session.callback()->hostPath =
      request.hostPath.empty() ? ProgramDirectory() + "\\vrixhost.exe" : request.hostPath;

  VxExportOptions* options = session.options();
  VxStatus status = VX_OK;
  if (saved) status = options->ops->ReadOptions(options, saved);
  // Without saved options the plug-in makes the dictionary itself.
  VxDictionary* dictionary = saved;
  if (status == VX_OK) NoticeWhenNobodyCanSee(kGifOptionsHelp.name);
  if (status == VX_OK) status = options->ops->RunOptionsDialog(options, nullptr, &dictionary);
  int exitCode = 0;
  if (status == VX_E_CANCELLED) {
    std::printf("cancelled; \"%s\" is unchanged\n", request.file.c_str());
    exitCode = 1;
  } else if (status != VX_OK) {
    exitCode = Fail("the options dialog failed with status " + StatusText(status));
  } else {
    // The stand-in's dictionary service makes HostDictionary objects.
    const HostDictionary& chosen = *static_cast<HostDictionary*>(dictionary);
    if (SaveDictionaryFile(request.file, chosen, &error)) {
      std::printf("saved to \"%s\":\n%s", request.file.c_str(), FormatDictionary(chosen).c_str());
    } else {
      exitCode = Fail(error);
    }
  }
  if (dictionary) dictionary->ops->Release(dictionary);
  return exitCode;
}

}  // namespace vrixhost
