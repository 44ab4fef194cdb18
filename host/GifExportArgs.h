// The command line of `vrixhost gif-export`. OS-free, so it is tested
// natively.
#pragma once

#include <cstdint>
#include <string>

namespace vrixhost {

// The palette choice that the options dialog gives its first palette file.
constexpr int32_t kFirstPaletteFileChoice = 8;

struct GifExportRequest {
  std::string input;
  std::string output;
  std::string plugin;  // path of Palvex.dll; empty = look beside vrixhost
  bool interlaced = false;
  bool transparent = false;
  bool hasTransparentIndex = false;  // the host flags this index in the image
  int32_t transparentIndex = 0;
  bool dither = false;
  // Build a palette for a picture the exact palette cannot hold.
  bool adaptivePalette = false;
  int32_t paletteChoice = 0;  // 0 exact, 1-7 built-in, kFirstPaletteFileChoice a file
  std::string paletteFile;    // read through the stand-in's palette readers
  std::string optionsFile;    // options saved by vrixhost gif-options
  bool animation = false;
  bool initialFrame = true;  // false: append a frame to an existing animation
  int32_t framesPerSecond = 5;
  int32_t xOffset = 0;
  int32_t yOffset = 0;
};

// The built-in palette a --palette value names: the name the options dialog
// shows or its short name ("Web", "web"; "Macintosh System", "mac"), without
// regard to case, blanks, '-' and '_'. False when it names none.
bool BuiltinPaletteChoice(const std::string& name, int32_t* choice);
// The built-in palettes' names as the dialog shows them, each with its short
// name: "\"Exact Palette\" (exact), \"Web\", ...".
std::string BuiltinPaletteNames();
// True when a --palette value that names no built-in palette looks like a
// file (it has a '.', a folder or a drive), false when it looks like a
// misspelt name.
bool NamesAPaletteFile(const std::string& value);

// argv[0] is the command's name. Returns false with a message in *error for
// bad or missing arguments.
bool ParseGifExportArgs(int argc, char** argv, GifExportRequest* request, std::string* error);

}  // namespace vrixhost
