// The encoder's side of Palvex: the export in progress (encoder, output
// stream) kept in the GIF writer's instance, and the module-wide encoder
// state shared by every export.
#pragma once

#include "plugin/frame/VrixHost.h"
#include "plugin/gifwriter/encoder/ByteSink.h"
#include "plugin/gifwriter/encoder/GifEncoder.h"

namespace gif {

// Writes the encoder's bytes to a host stream.
class HostStreamSink : public ByteSink {
 public:
  size_t Write(const uint8_t* data, size_t count) override;
  Status Flush() override;
  VxStream* stream = nullptr;  // not owned here; see GifExportState
};

// Module-wide: the global colour table memory, the noise generator and the
// current palette (the one the options dialog shows).
EncoderModuleState& PalvexEncoderModule();

// The 216-colour web palette, used when an exact palette overflows.
const PaletteSpec& PalvexOverflowPalette();

struct GifExportState {
  GifEncoder encoder{&PalvexEncoderModule(), &PalvexOverflowPalette()};
  HostStreamSink sink;
  VxStream* stream = nullptr;  // the output of the export in progress
  bool ownsStream = false;     // opened here, so closed and released here
};

}  // namespace gif
