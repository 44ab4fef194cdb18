// The GIF writer's export options and their persistence in the host's
// dictionaries: keys, value types, read defaults, the defaults set, the
// dialog's write-back and the file-format registration.
#pragma once

#include <cstdint>

#include "plugin/frame/VrixHost.h"
#include "plugin/gifwriter/encoder/GifEncoder.h"
#include "plugin/gifwriter/encoder/PaletteSpec.h"

namespace gif {

// Dictionary keys.
extern const char kKeyInterlaced[];        // "PixelFormat_Interlaced", bool
extern const char kKeyTransparent[];       // "PixelFormatRegKey_Transparent", bool
extern const char kKeyDither[];            // "PixelFormatRegKey_Dither", bool
extern const char kKeyPaletteChoice[];     // "PixelFormatRegKey_OverridePalette", i32
extern const char kKeyTransparentIndex[];  // "PixelFormatRegKey_TransparentIndex", i32
extern const char kKeyPaletteSize[];       // "PixelFormatRegKey_PaletteSize", i32
extern const char kKeyPalette[];           // "PixelFormatRegKey_Palette", size * 8 bytes
extern const char kKeyAnimation[];         // "Agent_Animation", bool
extern const char kKeyFrameNumber[];       // "PixelFormat_FrameNumber", i32
extern const char kKeyInitialFrame[];      // "PixelFormat_InitialFrame", bool
extern const char kKeyFramesPerSecond[];   // "PixelFormat_FPS", i32
extern const char kKeyXOffset[];           // "PixelFormat_XOffset", i32
extern const char kKeyYOffset[];           // "PixelFormat_YOffset", i32
// Not one of the host's described keys: the opt-in adaptive palette. A
// dictionary without it reads as off.
extern const char kKeyAdaptivePalette[];  // "PixelFormatRegKey_AdaptivePalette", bool

// What the GIF writer's instance keeps of the options.
struct ExportSettings {
  EncoderOptions options;
  PaletteSpec working;  // the palette to write with
  int16_t currentTransparentIndex;
};

// Class initialisation: everything cleared, 5 frames per second, current
// transparent index 32.
void InitExportSettings(ExportSettings* settings);

// Reads the keys in their fixed order; a key that is missing or has another
// type takes its default. Returns VX_E_INVALIDARG for a null dictionary,
// else 0.
VxStatus ReadOptions(ExportSettings* settings, VxDictionary* dictionary);

// Creates a dictionary through the host's dictionary service (asked of
// `host`) when *dictionary is null; the new one is stored in *dictionary.
// Returns the failure to obtain or create it as is, VX_E_INVALIDARG for a
// null pointer.
VxStatus ObtainDictionary(VxHostCallback* host, VxDictionary** dictionary);

// Puts interlaced, transparent and dither, in that order; returns the first
// failing put's status.
VxStatus WriteOptions(const ExportSettings& settings, VxDictionary* dictionary);

// Puts interlaced false, transparent false, dither true.
VxStatus WriteDefaults(VxDictionary* dictionary);

// After the options dialog: interlaced, transparent, dither, palette choice;
// when the choice is not 0 the palette size and size * 8 bytes of entries;
// then the transparent index; last the adaptive palette, only when it is on
// or the dictionary already holds it, so a dictionary of a user who never
// turned it on gets no key it did not have. The first failing put ends it.
VxStatus WriteDialogOptions(const ExportSettings& settings, VxDictionary* dictionary);

// Puts the file-format description and the export-options entries into the
// registry cache's dictionaries for (clsid, interface); the first failure is
// returned.
VxStatus RegisterFileFormat(VxRegistryCache* cache, const VxGuid& clsid);

}  // namespace gif
