// vrixhost gif-options: Palvex's GIF options dialog over options kept in a
// text file, so that a person can choose options that `vrixhost gif-export
// --options=FILE` then uses. The file is read first when it exists and is
// written only after OK; Cancel leaves it as it was.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "host/Commands.h"
#include "host/DictionaryFile.h"
#include "host/HostDictionary.h"
#include "host/PalvexSession.h"

namespace vrixhost {

namespace {

const char kUsage[] =
    "usage: vrixhost gif-options [--plugin=Palvex.dll] [--host-path=PATH] OPTIONS.txt\n"
    "  Palette files are listed from the folder \"Palettes\" beside PATH\n"
    "  (default: beside vrixhost.exe).\n";

int Fail(const std::string& message) {
  std::fprintf(stderr, "vrixhost gif-options: %s\n", message.c_str());
  return 1;
}

struct GifOptionsRequest {
  std::string plugin;
  std::string hostPath;
  std::string file;
};

bool ParseArgs(int argc, char** argv, GifOptionsRequest* r) {
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strncmp(a, "--plugin=", 9) == 0 && a[9]) {
      r->plugin = a + 9;
    } else if (std::strncmp(a, "--host-path=", 12) == 0 && a[12]) {
      r->hostPath = a + 12;
    } else if (a[0] == '-' || !r->file.empty()) {
      return false;
    } else {
      r->file = a;
    }
  }
  return !r->file.empty();
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

int RunGifOptions(int argc, char** argv) {
  GifOptionsRequest request;
  if (!ParseArgs(argc, argv, &request)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  std::string error;
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
