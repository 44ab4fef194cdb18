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

#include "host/CommandPaths.h"
#include "host/Commands.h"
#include "host/DictionaryFile.h"
#include "host/GifExportArgs.h"
#include "host/GifExportInput.h"
#include "host/HostDictionary.h"
#include "host/HostFile.h"
#include "host/HostImageSource.h"
#include "host/PaletteReaders.h"
#include "host/PalvexSession.h"
#include "host/StatusWords.h"
#include "plugin/gifwriter/ExportOptions.h"
#include "plugin/gifwriter/Palettes.h"
#include "tools/common/SameFile.h"
#include "tools/common/SystemError.h"

namespace vrixhost {

const toolcli::Help kGifExportHelp = {
    "vrixhost gif-export",
    "exports a picture as a GIF through Palvex.dll, the way the host does; a failed export "
    "leaves OUTPUT.gif as it was",
    "[OPTIONS] INPUT OUTPUT.gif",
    "  INPUT           the picture: BMP (8, 24 or 32-bit), PPM (P6) or PAM (RGB, RGB_ALPHA)\n"
    "  OUTPUT.gif      the GIF to write (with --append: the animation to add a frame to)\n"
    "  --interlace     write the rows interlaced\n"
    "  --transparent[=INDEX]\n"
    "                  make alpha-0 pixels of 32-bit input transparent; with an INDEX the\n"
    "                  host also names that palette index as the transparent one\n"
    "  --dither        dither the picture to the palette\n"
    "  --adaptive      when the picture has more colours than the exact palette can hold\n"
    "                  (more than 256), build a palette for it instead of using the web\n"
    "                  palette\n"
    "  --palette=NAME|FILE\n"
    "                  a built-in palette by the name the options dialog shows or its\n"
    "                  short name, in any case: \"Exact Palette\" (exact, the default),\n"
    "                  Web, \"64 Colors\" (64), \"32 Colors\" (32), \"16 Colors\" (16),\n"
    "                  \"Macintosh System\" (mac), \"Windows System\" (windows), 3-3-2;\n"
    "                  any other value is a palette file (BMP, GIF or ACT) read by the\n"
    "                  host's palette readers\n"
    "  --options=OPTIONS.txt\n"
    "                  the options saved by vrixhost gif-options, instead of --interlace,\n"
    "                  --transparent, --dither, --adaptive and --palette\n"
    "  --animate       start an animated GIF\n"
    "  --append        add a frame to an animated GIF\n"
    "  --fps=N         frames a second of the animation, 1 to 1000 (default 5)\n"
    "  --x=N, --y=N    where the frame goes, 0 to 65535 (default 0)\n"
    "  --plugin=Palvex.dll\n"
    "                  the plug-in to load (default: Palvex.dll beside vrixhost.exe)",
    "vrixhost gif-export --palette=web --dither picture.bmp picture.gif",
    nullptr};

namespace {

int Fail(const std::string& message) {
  return toolcli::Failure(kGifExportHelp, message);
}

// A palette file through the first reader that takes its contents (size 0
// when none does); its transparent index is the last colour's, as with the
// built-in tables.
gif::PaletteSpec PaletteFromFile(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::vector<VxColorEntry> colours;
  if (ReadWholeFile(path, &bytes, 64u << 20)) {
    for (PaletteFileKind kind : AllPaletteReaders()) {
      if (!ParsePalette(kind, bytes, &colours)) continue;
      gif::PaletteSpec p = ExplicitPaletteOf(colours);
      p.transparentIndex = static_cast<int16_t>(p.size - 1);
      return p;
    }
  }
  return gif::MakeExplicitPalette();
}

// Every path of the command line, made full before anything is loaded.
void MakePathsFull(GifExportRequest* r) {
  MakeFull({&r->input, &r->output, &r->plugin, &r->paletteFile, &r->optionsFile});
}

// A --palette value that names neither a built-in palette nor a file that
// can be read: false, with the built-in names in *error.
bool CheckPaletteFile(const std::string& value, std::string* error) {
  if (value.empty()) return true;
  const std::string problem = toolcli::ReadProblem(value.c_str());
  if (problem.empty()) return true;
  *error = NamesAPaletteFile(value) ? "palette file \"" + value + "\" " + problem
                                    : "--palette=" + value + " names no palette and no file";
  *error += "; the built-in palettes are " + BuiltinPaletteNames();
  return false;
}

// What the options dialog would leave in the export's dictionary; false
// when no reader can read the palette file.
bool PutDialogOptions(HostDictionary* d, const GifExportRequest& r, std::string* error) {
  d->SetBool(gif::kKeyInterlaced, r.interlaced);
  d->SetBool(gif::kKeyTransparent, r.transparent);
  d->SetBool(gif::kKeyDither, r.dither);
  d->SetInt(gif::kKeyPaletteChoice, r.paletteChoice);
  if (r.paletteChoice != gif::kChoiceExact) {
    gif::PaletteSpec p{};
    if (!r.paletteFile.empty()) {
      p = PaletteFromFile(r.paletteFile);
      if (p.size == 0) {
        *error = "no palette reader can read \"" + r.paletteFile + "\"";
        return false;
      }
    } else {
      gif::BuildBuiltinPalette(r.paletteChoice, &p);
    }
    d->SetInt(gif::kKeyPaletteSize, static_cast<int32_t>(p.size));
    d->SetBytes(gif::kKeyPalette, p.entries, p.size * sizeof(gif::PaletteEntry));
    d->SetInt(gif::kKeyTransparentIndex,
              r.hasTransparentIndex ? r.transparentIndex : p.transparentIndex);
  } else if (r.hasTransparentIndex) {
    d->SetInt(gif::kKeyTransparentIndex, r.transparentIndex);
  }
  // Put only when asked for, as the dialog does: without --adaptive the
  // dictionary is the one it always was.
  if (r.adaptivePalette) d->SetBool(gif::kKeyAdaptivePalette, true);
  return true;
}

// The animation's keys, which the host sets for each export.
void PutFrameOptions(HostDictionary* d, const GifExportRequest& r) {
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

// The plug-in's side of one export: options read from `dictionary`, the
// picture pushed by an image source, the GIF written to `target`.
VxStatus ExportThroughPlugin(VxExportOptions* options, const GifExportRequest& r,
                             HostDictionary* dictionary, const InputImage& image,
                             const std::string& target, std::string* where,
                             std::string* fileProblem) {
  HostImageSource* source =
      HostImageSource::Create(image.width, image.height, image.kind, image.pixels, image.palette);
  if (r.hasTransparentIndex) source->SetTransparentIndex(static_cast<int16_t>(r.transparentIndex));
  VxStatus status = options->ops->ReadOptions(options, dictionary);
  if (status != VX_OK) *where = "reading the options";
  if (status == VX_OK) status = options->ops->SetImageSource(options, source);
  if (status == VX_OK) {
    FileTarget file(target);
    status = options->ops->ExportToFile(options, &file.target);
    if (status != VX_OK) *where = "exporting";
    *fileProblem = file.problem;
  }
  source->ops->Release(source);
  return status;
}

// A saved palette choice other than exact needs the palette saved with it;
// without one the plug-in refuses the export only as a bad argument.
bool CheckSavedPalette(const HostDictionary& d, const std::string& file, std::string* error) {
  int32_t choice = 0, size = 0;
  if (d.Get(VX_DICT_INT32, &choice, sizeof choice, gif::kKeyPaletteChoice) != VX_OK ||
      choice == gif::kChoiceExact)
    return true;
  if (d.Get(VX_DICT_INT32, &size, sizeof size, gif::kKeyPaletteSize) == VX_OK && size >= 1 &&
      size <= static_cast<int32_t>(gif::kPaletteCapacity) && d.Has(gif::kKeyPalette))
    return true;
  *error = "\"" + file + "\": " + gif::kKeyPaletteChoice + " " + std::to_string(choice) +
           " chooses a palette, but no palette of 1 to " + std::to_string(gif::kPaletteCapacity) +
           " colours is saved with it (" + gif::kKeyPaletteSize + " " + std::to_string(size) + ")";
  return false;
}

// The export's dictionary: the saved options or the command line's, then
// the frame's keys.
bool BuildDictionary(const GifExportRequest& r, HostDictionary* d, std::string* error) {
  if (!r.optionsFile.empty()) {
    if (!LoadDictionaryFile(r.optionsFile, d, error)) return false;
    if (!CheckSavedPalette(*d, r.optionsFile, error)) return false;
  } else if (!PutDialogOptions(d, r, error)) {
    return false;
  }
  PutFrameOptions(d, r);
  return true;
}

// Runs the export into a side file that replaces the output only when the
// export succeeded.
int Export(const GifExportRequest& request, const InputImage& image, HostDictionary* dictionary) {
  PalvexSession session;
  std::string error;
  if (!session.Open(request.plugin.empty() ? DefaultPalvexPath() : request.plugin, &error))
    return Fail(error);
  const std::string partial = request.output + ".partial";
  DeleteFileA(partial.c_str());
  if (!request.initialFrame && !CopyFileA(request.output.c_str(), partial.c_str(), FALSE)) {
    const DWORD error = GetLastError();
    DeleteFileA(partial.c_str());
    return Fail("cannot copy \"" + request.output + "\" to \"" + partial +
                "\" to append to it: " + toolcli::SystemErrorText(error));
  }
  std::string where, fileProblem;
  VxStatus status = ExportThroughPlugin(session.options(), request, dictionary, image, partial,
                                        &where, &fileProblem);
  const VxStatus finished = session.Close();
  if (status == VX_OK && finished != VX_OK) {
    status = finished;
    where = "finalising the GIF writer";
  }
  if (status != VX_OK) {
    DeleteFileA(partial.c_str());
    // The file system's own reason where it had one, else the status.
    const std::string why = !fileProblem.empty() ? "\"" + partial + "\" " + fileProblem
                                                 : where + " failed: " + StatusInWords(status);
    return Fail(why + "; \"" + request.output + "\" is unchanged");
  }
  if (!MoveFileExA(partial.c_str(), request.output.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    const DWORD error = GetLastError();
    DeleteFileA(partial.c_str());
    return Fail("cannot replace \"" + request.output +
                "\" with the new GIF: " + toolcli::SystemErrorText(error));
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

}  // namespace

int RunGifExport(int argc, char** argv) {
  GifExportRequest request;
  std::string error;
  if (!ParseGifExportArgs(argc, argv, &request, &error))
    return toolcli::UsageError(kGifExportHelp, error);
  if (!CheckPaletteFile(request.paletteFile, &error)) {
    return NamesAPaletteFile(request.paletteFile) ? Fail(error)
                                                  : toolcli::UsageError(kGifExportHelp, error);
  }
  MakePathsFull(&request);
  // The GIF replaces whatever has its name: never one of the files read.
  const std::string same = toolcli::SameFileProblem(
      request.output, {request.input, request.optionsFile, request.paletteFile, request.plugin});
  if (!same.empty()) return toolcli::FileFailure(kGifExportHelp, request.output, same);
  InputImage image;
  if (!ReadInputImage(request.input, &image, &error)) return Fail(error);
  if (!request.initialFrame && !CheckAppendable(request.output, &error)) return Fail(error);

  HostDictionary* dictionary = HostDictionary::Create();
  const bool built = BuildDictionary(request, dictionary, &error);
  const int status = built ? Export(request, image, dictionary) : Fail(error);
  dictionary->ops->Release(dictionary);
  return status;
}

}  // namespace vrixhost
