// vrixhost gif-export: exports a picture as a GIF through Palvex, the way the
// host does: options put in a dictionary and read by the plug-in, the picture
// pushed by an image source, the GIF written through a file stream.
//
// The plug-in writes into a side file "<OUTPUT>.partial" that replaces
// OUTPUT only when the export succeeded, so a failure never leaves a
// half-written GIF behind. An appended frame is written into a copy of the
// existing animation for the same reason: after a failed append the
// original file is unchanged.
#include <windows.h>

#include <cstdio>
#include <string>

#include "host/Commands.h"
#include "host/GifExportArgs.h"
#include "host/GifExportInput.h"
#include "host/HostDictionary.h"
#include "host/HostFile.h"
#include "host/HostImageSource.h"
#include "host/HostInstance.h"
#include "host/PluginModule.h"
#include "plugin/gifwriter/ExportOptions.h"
#include "plugin/gifwriter/Palettes.h"

namespace vrixhost {

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "vrixhost gif-export: %s\n", message.c_str());
  return 1;
}

std::string Hex(VxStatus status) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
  return text;
}

std::string ExeDirectory() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p(path, n < MAX_PATH ? n : 0);
  const size_t slash = p.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : p.substr(0, slash);
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Palvex beside vrixhost, else where the build tree puts it.
std::string DefaultPlugin() {
  const std::string dir = ExeDirectory();
  const std::string beside = dir + "\\Palvex.dll";
  if (Exists(beside)) return beside;
  return dir + "\\..\\plugin\\gifwriter\\Palvex.dll";
}

// What the options dialog would leave in the export's dictionary.
void PutOptions(HostDictionary* d, const GifExportRequest& r) {
  d->SetBool(gif::kKeyInterlaced, r.interlaced);
  d->SetBool(gif::kKeyTransparent, r.transparent);
  d->SetBool(gif::kKeyDither, r.dither);
  d->SetInt(gif::kKeyPaletteChoice, r.paletteChoice);
  if (r.paletteChoice != gif::kChoiceExact) {
    gif::PaletteSpec p{};
    gif::BuildBuiltinPalette(r.paletteChoice, &p);
    d->SetInt(gif::kKeyPaletteSize, static_cast<int32_t>(p.size));
    d->SetBytes(gif::kKeyPalette, p.entries, p.size * sizeof(gif::PaletteEntry));
    d->SetInt(gif::kKeyTransparentIndex,
              r.hasTransparentIndex ? r.transparentIndex : p.transparentIndex);
  } else if (r.hasTransparentIndex) {
    d->SetInt(gif::kKeyTransparentIndex, r.transparentIndex);
  }
  d->SetBool(gif::kKeyAnimation, r.animation);
  d->SetBool(gif::kKeyInitialFrame, r.initialFrame);
  d->SetInt(gif::kKeyFramesPerSecond, r.framesPerSecond);
  d->SetInt(gif::kKeyXOffset, r.xOffset);
  d->SetInt(gif::kKeyYOffset, r.yOffset);
}

// An animation to append to must be an existing GIF89a that ends with its
// trailer.
bool CheckAppendable(const std::string& path, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) {
    *error = "cannot append: \"" + path + "\" does not exist (start it with --animate)";
    return false;
  }
  char head[6] = {};
  const size_t n = std::fread(head, 1, sizeof head, f);
  int last = EOF;
  if (std::fseek(f, -1, SEEK_END) == 0) last = std::fgetc(f);
  std::fclose(f);
  if (n != 6 || std::string(head, 6) != "GIF89a" || last != 0x3B) {
    *error = "cannot append: \"" + path + "\" is not a complete GIF89a file";
    return false;
  }
  return true;
}

// The plug-in's side of one export: instance, interface, dictionary, source.
VxStatus ExportThroughPlugin(const PluginModule& module, const GifExportRequest& r,
                             const InputImage& image, const std::string& target,
                             std::string* where) {
  HostAllocator allocator;
  HostCallback* callback = HostCallback::Create();
  HostInstance* instance = nullptr;
  VxStatus status = HostInstance::Create(module.exports(), CLSID_PalvexGifWriter, &allocator,
                                         callback, &instance);
  if (status != VX_OK) {
    *where = "creating the GIF writer";
    callback->ops->Release(callback);
    return status;
  }
  VxExportOptions* options = nullptr;
  status = instance->GetInterface(IID_VxExportOptions, reinterpret_cast<void**>(&options));
  if (status != VX_OK) {
    *where = "asking for the export-options interface";
  } else {
    HostDictionary* dictionary = HostDictionary::Create();
    PutOptions(dictionary, r);
    HostImageSource* source =
        HostImageSource::Create(image.width, image.height, image.kind, image.pixels, image.palette);
    if (r.hasTransparentIndex)
      source->SetTransparentIndex(static_cast<int16_t>(r.transparentIndex));
    status = options->ops->ReadOptions(options, dictionary);
    if (status != VX_OK) *where = "reading the options";
    if (status == VX_OK) status = options->ops->SetImageSource(options, source);
    if (status == VX_OK) {
      FileTarget file(target);
      status = options->ops->ExportToFile(options, &file.target);
      if (status != VX_OK) *where = "exporting";
    }
    options->ops->Release(options);
    source->ops->Release(source);
    dictionary->ops->Release(dictionary);
  }
  const VxStatus finished = instance->Destroy();
  if (status == VX_OK && finished != VX_OK) {
    status = finished;
    *where = "finalising the GIF writer";
  }
  callback->ops->Release(callback);
  return status;
}

}  // namespace

int RunGifExport(int argc, char** argv) {
  GifExportRequest request;
  std::string error;
  if (!ParseGifExportArgs(argc, argv, &request, &error)) {
    std::fprintf(stderr, "vrixhost gif-export: %s\nusage: vrixhost gif-export %s\n", error.c_str(),
                 kGifExportUsage);
    return 2;
  }
  InputImage image;
  if (!ReadInputImage(request.input, &image, &error)) return Fail(error);
  if (!request.initialFrame && !CheckAppendable(request.output, &error)) return Fail(error);

  PluginModule module;
  const std::string plugin = request.plugin.empty() ? DefaultPlugin() : request.plugin;
  if (!module.Load(plugin)) return Fail(module.error());

  const std::string partial = request.output + ".partial";
  DeleteFileA(partial.c_str());
  if (!request.initialFrame && !CopyFileA(request.output.c_str(), partial.c_str(), FALSE)) {
    return Fail("cannot copy \"" + request.output + "\" to append to it");
  }
  std::string where;
  const VxStatus status = ExportThroughPlugin(module, request, image, partial, &where);
  if (status != VX_OK) {
    DeleteFileA(partial.c_str());
    return Fail(where + " failed with status " + Hex(status) + "; \"" + request.output +
                "\" is unchanged");
  }
  if (!MoveFileExA(partial.c_str(), request.output.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFileA(partial.c_str());
    return Fail("cannot write \"" + request.output + "\"");
  }
  std::printf(
      "%s: %ux%u %s -> %s%s\n", request.input.c_str(), image.width, image.height,
      image.kind == VX_PIXEL_INDEX8  ? "8-bit"
      : image.kind == VX_PIXEL_RGB24 ? "24-bit"
                                     : "32-bit",
      request.output.c_str(),
      request.animation ? (request.initialFrame ? " (first frame)" : " (frame appended)") : "");
  return 0;
}

}  // namespace vrixhost
