// The encoder behind the pixel-receiving interface: begin image, rows, end
// image, either gathering the image's colours ("Exact Palette") or writing
// GIF data to a byte sink.
#pragma once

#include <cstdint>
#include <memory>

#include "plugin/gifwriter/encoder/AdaptivePalette.h"
#include "plugin/gifwriter/encoder/ByteSink.h"
#include "plugin/gifwriter/encoder/ColorMapper.h"
#include "plugin/gifwriter/encoder/EncoderContext.h"
#include "plugin/gifwriter/encoder/GifFrameWriter.h"
#include "plugin/gifwriter/encoder/GifStatus.h"
#include "plugin/gifwriter/encoder/NoiseGenerator.h"
#include "plugin/gifwriter/encoder/PaletteSpec.h"

namespace gif {

struct EncoderOptions {
  bool interlaced = false;
  bool transparent = false;
  bool dither = false;
  int32_t paletteChoice = 0;  // 0 = gather an exact palette from the image
  bool animation = false;
  int32_t frameNumber = 0;  // kept with the options only
  bool initialFrame = true;
  int32_t framesPerSecond = 5;
  int32_t xOffset = 0;
  int32_t yOffset = 0;
  // When the exact palette overflows, build a palette for the picture (the
  // octree colour cube) instead of writing it with the web palette.
  bool adaptivePalette = false;
};

// What the host says about the image it pushes.
struct ImageDescription {
  uint32_t width = 0;
  uint32_t height = 0;
  int32_t kind = 0;  // PixelKind
  int16_t transparentIndex = 0;
  bool hasTransparentIndex = false;
  const PaletteEntry* palette = nullptr;  // 256 entries for kind 2; low bytes used
};

// State shared by every export of the module: it survives from one export to
// the next, as frames of one animation are separate exports.
struct EncoderModuleState {
  GlobalColorTable globalColors{};
  NoiseGenerator noise;
  PaletteSpec currentPalette{};  // what the last export wrote with
};

class GifEncoder {
 public:
  // `module` and `overflowPalette` (used when an exact palette would need
  // more than 256 colours) are not owned and must outlive the encoder.
  GifEncoder(EncoderModuleState* module, const PaletteSpec* overflowPalette);
  ~GifEncoder();
  GifEncoder(const GifEncoder&) = delete;
  GifEncoder& operator=(const GifEncoder&) = delete;

  EncoderOptions options;
  PaletteSpec working{};  // the palette of this export
  int16_t currentTransparentIndex = 32;

  void SetGathering(bool gathering) { m_bGathering = gathering; }
  bool Gathering() const { return m_bGathering; }
  bool Overflowed() const { return m_bOverflowed; }
  // Where the writing pass goes; not owned.
  void SetOutput(ByteSink* out) { m_Out = out; }

  // Each returns 0, kBadArgument, kOutOfMemory, kEncoderFailure, or the
  // sink's flush status; after a failure the same status until the next
  // begin.
  Status BeginImage(const ImageDescription& image);
  Status ReceiveRow(uint32_t row, const uint8_t* pixels);
  Status EndImage();

 private:
  Status BeginGathering(const ImageDescription& image);
  void GatherRow(const uint8_t* pixels);
  Status EndGathering();
  Status UseAdaptivePalette();
  Status BeginWriting(const ImageDescription& image);
  Status Fail(Status status);
  void Release();
  int FindGathered(uint32_t color) const;
  void AddGathered(uint32_t color, int index);

  EncoderModuleState* m_Module;   // not owned
  const PaletteSpec* m_Overflow;  // not owned
  ByteSink* m_Out = nullptr;      // not owned
  bool m_bGathering = false;
  bool m_bOverflowed = false;
  bool m_bNoDitherNext = false;  // an exact palette needs no dither
  bool m_bDitherOff = false;     // ... so this writing pass has none
  bool m_bBegun = false;
  Status m_Status = kOk;
  PixelKind m_Kind = PixelKind::kRgb24;
  uint32_t m_Width = 0;
  uint32_t m_Height = 0;
  uint32_t m_Rows = 0;
  MapOptions m_Map;
  EncoderContext m_Context{};
  GifFrameWriter* m_Writer = nullptr;  // in the context's pool
  std::unique_ptr<ColorMapCache> m_Cache;
  // The adaptive palette's counts while gathering with the option on, and
  // the entry it keeps free for transparency (-1: none).
  std::unique_ptr<AdaptivePalette> m_Adaptive;
  bool m_bCountColours = false;
  int m_AdaptiveTransparent = -1;
  bool m_bAdaptiveNext = false;  // the gathering pass made an adaptive palette
  bool m_bAdaptiveNow = false;   // ... for this writing pass
  // With the dither option on, an adaptive palette is dithered by error
  // diffusion instead of the noise dither.
  std::unique_ptr<ErrorDiffusion> m_Diffusion;
  bool m_bDiffuse = false;
  // Colours gathered so far: open addressing, colour + 1 (0 = empty) and index.
  static constexpr int kGatherSlots = 1024;
  uint32_t m_GatherColor[kGatherSlots];
  uint16_t m_GatherIndex[kGatherSlots];
};

}  // namespace gif
