// The GIF options dialog (resource 102) and the state it shares with its
// palette display. The state is module-wide: one dialog runs at a time, on
// the host's user-interface thread.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "plugin/gifwriter/GifWriterInstance.h"

// Control identifiers of dialog 102.
enum : int {
  kIdInterlaced = 1000,
  kIdTransparent = 1007,
  kIdDither = 1008,
  kIdPaletteCombo = 1009,
  kIdFileName = 1010,
  kIdPaletteDisplay = 1011,
  kIdIndexEdit = 1012,
  kIdIndexLabel = 1013,
  kIdAdaptivePalette = 1014,  // not a described control: the opt-in adaptive palette
  kGifOptionsDialog = 102,
};

struct GifDialogState {
  bool interlaced = false;
  bool transparent = false;
  bool dither = false;
  bool adaptivePalette = false;
  int32_t choice = 0;
  bool transparencyBit = false;           // how the display draws
  std::vector<std::string> paletteFiles;  // full paths, combo entries 8 onwards
  std::string lastFolder;                 // of the file dialog
  GifWriterInstance* instance = nullptr;  // not owned: the one running the dialog
  HINSTANCE resources = nullptr;          // not owned: lent by the host
};

GifDialogState& GifDialog();
// The palette being edited; the palette-setting interface writes into it.
gif::PaletteSpec& GifDialogPalette();

// Shows dialog 102 modally over `parent`. Returns 0 after OK, 1 after Cancel,
// -1 when the dialog could not be made or a step of it ran out of memory
// (no exception leaves the dialog).
INT_PTR RunGifOptionsDialog(HINSTANCE resources, HWND parent, GifWriterInstance* instance);

// The palette display tells the dialog of a click on a cell.
void GifDialogSetTransparentIndex(HWND dialog, int index);

// The palette folder: the host path service's path with its last component
// replaced by "Palettes", else the registry's shared folder. Empty when
// neither is there.
std::string FindPaletteFolder(VxHostCallback* host);
// Every file in `folder` and up to four folder levels below it, depth-first.
std::vector<std::string> WalkPaletteFolder(const std::string& folder);
