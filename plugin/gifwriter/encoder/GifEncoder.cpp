#include "plugin/gifwriter/encoder/GifEncoder.h"

#include <cstring>
#include <new>

#include "clib/Assert.h"

namespace gif {

namespace {

constexpr uint32_t kMaxSide = 0xFFFF;  // GIF widths and heights are 16-bit

uint32_t BytesPerPixel(PixelKind kind) {
  switch (kind) {
    case PixelKind::kRgb24:
      return 3;
    case PixelKind::kRgba32:
      return 4;
    case PixelKind::kIndexed8:
      break;
  }
  return 1;
}

// The entry the writing pass will make transparent, or -1 when it will
// write no transparency: the host's index when it names one, else entry 2
// for 32-bit pictures (where the gathering pass keeps its white).
int AdaptiveTransparentIndex(const EncoderOptions& options, const ImageDescription& image) {
  if (!options.transparent) return -1;
  int t = -1;
  if (image.hasTransparentIndex) {
    t = image.transparentIndex;
  } else if (image.kind == static_cast<int32_t>(PixelKind::kRgba32)) {
    t = 2;
  }
  if (t > 255) t = 255;  // the writing pass holds it below the palette size
  return t;
}

inline uint32_t Hash(uint32_t color) {
  return (color * 2654435761u) >> 22;
}

}  // namespace

GifEncoder::GifEncoder(EncoderModuleState* module, const PaletteSpec* overflowPalette)
    : m_Module(module), m_Overflow(overflowPalette) {
  ASSERT(module != nullptr && overflowPalette != nullptr);
}

GifEncoder::~GifEncoder() {
  Release();
}

void GifEncoder::Release() {
  DestroyContext(&m_Context);
  m_Writer = nullptr;
  m_Cache.reset();
  m_bBegun = false;
}

Status GifEncoder::Fail(Status status) {
  if (m_Status == kOk) m_Status = status;
  Release();
  return m_Status;
}

Status GifEncoder::BeginImage(const ImageDescription& image) {
  Release();
  m_Status = kOk;
  if (!m_bGathering) {
    // The gathering pass's verdict holds for the writing pass that follows it.
    m_bDitherOff = m_bNoDitherNext;
    m_bNoDitherNext = false;
    m_bAdaptiveNow = m_bAdaptiveNext;
    m_bAdaptiveNext = false;
  }
  if (image.kind < 0 || image.kind > 2) return Fail(kBadArgument);
  // Empty images and sides a GIF cannot record are refused.
  if (image.width == 0 || image.height == 0 || image.width > kMaxSide || image.height > kMaxSide) {
    return Fail(kBadArgument);
  }
  m_Kind = static_cast<PixelKind>(image.kind);
  if (m_Kind == PixelKind::kIndexed8 && image.palette == nullptr) return Fail(kBadArgument);
  m_Width = image.width;
  m_Height = image.height;
  m_Rows = 0;
  const Status status = m_bGathering ? BeginGathering(image) : BeginWriting(image);
  if (status != kOk) return Fail(status);
  m_bBegun = true;
  return kOk;
}

Status GifEncoder::ReceiveRow(uint32_t row, const uint8_t* pixels) {
  if (m_Status != kOk) return m_Status;
  if (!m_bBegun || pixels == nullptr || row != m_Rows || row >= m_Height) {
    return Fail(kBadArgument);
  }
  ++m_Rows;
  if (m_bGathering) {
    GatherRow(pixels);
    return kOk;
  }
  if (m_Kind == PixelKind::kIndexed8 && !m_Writer->options.interlaced) {
    // Indices need no mapping: the coder reads the host's row itself.
    if (!CompressPixels(m_Writer, pixels)) return Fail(m_Context.err.status);
    return kOk;
  }
  uint8_t* dst = WriterRow(m_Writer, row);
  if (m_Kind == PixelKind::kIndexed8) {
    std::memcpy(dst, pixels, m_Width);
  } else {
    m_Map.row = row;
    // The cache grows as colours arrive; the host's call must not see an
    // exception, so memory it cannot get fails the image like the pools do.
    try {
      if (m_bDiffuse) {
        m_Diffusion->MapRow(pixels, m_Kind, dst, m_Map, *m_Cache);
      } else {
        MapRow(pixels, m_Kind, m_Width, dst, m_Map, *m_Cache, m_Module->noise);
      }
    } catch (const std::bad_alloc&) {
      return Fail(kOutOfMemory);
    }
  }
  if (!m_Writer->options.interlaced && !CompressRow(m_Writer)) {
    return Fail(m_Context.err.status);
  }
  return kOk;
}

Status GifEncoder::EndImage() {
  if (m_Status != kOk) return m_Status;
  if (!m_bBegun) return Fail(kBadArgument);
  if (m_bGathering) {
    m_bBegun = false;
    const Status status = EndGathering();
    return status == kOk ? kOk : Fail(status);
  }
  // Rows the host never sent are written as index 0, so the image data
  // always holds width x height pixels and no stale memory.
  while (m_Rows < m_Height) {
    std::memset(WriterRow(m_Writer, m_Rows), 0, m_Width);
    if (!m_Writer->options.interlaced && !CompressRow(m_Writer)) {
      return Fail(m_Context.err.status);
    }
    ++m_Rows;
  }
  if (!FinishWriter(m_Writer)) return Fail(m_Context.err.status);
  Release();
  return kOk;
}

// --- gathering pass --------------------------------------------------------

int GifEncoder::FindGathered(uint32_t color) const {
  for (uint32_t i = Hash(color);; i = (i + 1) & (kGatherSlots - 1)) {
    if (m_GatherColor[i] == 0) return -1;
    if (m_GatherColor[i] == color + 1) return m_GatherIndex[i];
  }
}

void GifEncoder::AddGathered(uint32_t color, int index) {
  uint32_t i = Hash(color);
  while (m_GatherColor[i] != 0) i = (i + 1) & (kGatherSlots - 1);
  m_GatherColor[i] = color + 1;
  m_GatherIndex[i] = static_cast<uint16_t>(index);
}

Status GifEncoder::BeginGathering(const ImageDescription& image) {
  working = MakeExplicitPalette();
  working.size = 2;
  working.entries[0] = MakeEntry(255, 255, 255);
  working.entries[1] = MakeEntry(0, 0, 0);
  working.transparentIndex = 0;
  working.transparent = 0;
  if (image.kind == static_cast<int32_t>(PixelKind::kRgba32)) {
    // A white entry kept for transparent pixels.
    working.entries[2] = MakeEntry(255, 255, 255);
    working.size = 3;
    working.transparentIndex = 2;
    working.transparent = 1;
  }
  m_bOverflowed = false;
  m_bNoDitherNext = false;
  std::memset(m_GatherColor, 0, sizeof m_GatherColor);
  // Only the first match counts, so the reserved white needs no slot.
  AddGathered(0xFFFFFF, 0);
  AddGathered(0x000000, 1);
  m_bCountColours = false;
  m_bAdaptiveNext = false;
  if (options.adaptivePalette && m_Kind != PixelKind::kIndexed8) {
    if (!m_Adaptive) m_Adaptive.reset(new (std::nothrow) AdaptivePalette());
    if (!m_Adaptive || !m_Adaptive->Start()) return kOutOfMemory;
    m_bCountColours = true;
    m_AdaptiveTransparent = AdaptiveTransparentIndex(options, image);
  }
  return kOk;
}

void GifEncoder::GatherRow(const uint8_t* pixels) {
  if (m_bCountColours) m_Adaptive->AddRow(pixels, m_Kind, m_Width, m_AdaptiveTransparent >= 0);
  if (m_bOverflowed || m_Kind == PixelKind::kIndexed8) return;
  const uint32_t step = BytesPerPixel(m_Kind);
  bool overflow = false;
  for (uint32_t x = 0; x < m_Width; ++x, pixels += step) {
    const uint32_t color = pixels[0] | pixels[1] << 8 | static_cast<uint32_t>(pixels[2]) << 16;
    if (FindGathered(color) >= 0) continue;
    if (working.size >= kPaletteCapacity) {
      overflow = true;
      continue;
    }
    working.entries[working.size] = MakeEntry(pixels[0], pixels[1], pixels[2]);
    AddGathered(color, static_cast<int>(working.size));
    ++working.size;
  }
  if (overflow) {
    working = *m_Overflow;
    m_bOverflowed = true;
  }
}

Status GifEncoder::EndGathering() {
  if (m_bOverflowed && m_bCountColours) {
    const Status status = UseAdaptivePalette();
    if (status != kOk) return status;
  } else if (!m_bOverflowed) {
    const uint32_t t = static_cast<uint32_t>(working.transparentIndex);
    const uint32_t k = t + 1 > working.size ? t + 1 : working.size;
    const PaletteEntry black = working.entries[1];
    working.entries[1] = working.entries[k - 1];
    working.entries[k - 1] = black;
    m_bNoDitherNext = true;
  }
  // The colour counts (some 8 MB) are not kept from one export to the next.
  m_Adaptive.reset();
  m_bCountColours = false;
  m_Module->currentPalette = working;
  return kOk;
}

// The cube's palette in place of the web one: 256 colours, or 255 around
// the entry kept for transparency. That entry sits where the writing pass
// looks for it (the host's index, else entry 2 as the gathering pass keeps
// it for 32-bit pictures) and is white, as the gathered palette's is. The
// dither option keeps its meaning: the writing pass dithers when it is on.
Status GifEncoder::UseAdaptivePalette() {
  const int t = m_AdaptiveTransparent;
  PaletteEntry colours[kPaletteCapacity];
  int count = m_Adaptive->Build(t >= 0 ? 255 : 256, colours);
  if (count < 0) return kOutOfMemory;
  if (count == 0) {  // every pixel was transparent
    colours[0] = MakeEntry(0, 0, 0);
    count = 1;
  }
  PaletteSpec p = MakeExplicitPalette();
  int size = count + (t >= 0 ? 1 : 0);
  if (t >= size) size = t + 1;
  // Should the cube give fewer colours than the index needs, the entries up
  // to it repeat the first colour, which the mapping never prefers.
  for (int i = 0, next = 0; i < size; ++i) {
    if (i == t) {
      p.entries[i] = MakeEntry(255, 255, 255);
    } else {
      p.entries[i] = colours[next < count ? next++ : 0];
    }
  }
  p.size = static_cast<uint32_t>(size);
  p.transparentIndex = static_cast<int16_t>(t >= 0 ? t : m_Kind == PixelKind::kRgba32 ? 2 : 0);
  p.transparent = t >= 0 ? 1 : 0;
  working = p;
  m_bAdaptiveNext = true;
  return kOk;
}

// --- writing pass ----------------------------------------------------------

Status GifEncoder::BeginWriting(const ImageDescription& image) {
  // An exact palette turns dithering off for this writing pass only.
  const bool dither = options.dither && !m_bDitherOff;
  if (m_Out == nullptr) return kBadArgument;
  const bool indexed = m_Kind == PixelKind::kIndexed8;
  bool transparent = options.transparent;
  int32_t t = working.transparentIndex;
  if (image.hasTransparentIndex) {
    t = image.transparentIndex;
  } else if (m_Kind != PixelKind::kRgba32) {
    transparent = false;
  }
  const uint32_t paletteSize = working.size;
  int colors = 256;
  if (!indexed) {
    if (paletteSize == 0) return kBadArgument;  // nothing to map onto
    // More than 256 is the writer's error; keep it visible as such.
    colors = paletteSize > 256 ? 257 : static_cast<int>(paletteSize);
    if (t >= colors) t = colors - 1;
  }
  // An index no table entry has cannot mark a transparent colour.
  if (t < 0 || t > 255) {
    transparent = false;
    t = 0;
  }
  currentTransparentIndex = static_cast<int16_t>(t);

  Status status = CreateContext(&m_Context, m_Width, m_Height, colors);
  if (status != kOk) return status;
  m_Context.left = options.xOffset;
  m_Context.top = options.yOffset;
  JSAMPARRAY map = m_Context.cinfo.colormap;
  for (int i = 0; i < 256 && i < colors; ++i) {
    if (indexed) {
      map[0][i] = static_cast<JSAMPLE>(image.palette[i].red & 0xFF);
      map[1][i] = static_cast<JSAMPLE>(image.palette[i].green & 0xFF);
      map[2][i] = static_cast<JSAMPLE>(image.palette[i].blue & 0xFF);
    } else {
      map[0][i] = static_cast<JSAMPLE>(working.entries[i].red >> 8);
      map[1][i] = static_cast<JSAMPLE>(working.entries[i].green >> 8);
      map[2][i] = static_cast<JSAMPLE>(working.entries[i].blue >> 8);
    }
  }
  if (!indexed) {
    try {
      m_Cache = std::make_unique<ColorMapCache>(&working, uint64_t(m_Width) * m_Height);
    } catch (const std::bad_alloc&) {
      return kOutOfMemory;
    }
  }

  m_Map = MapOptions{};
  m_Map.transparent = transparent;
  m_Map.transparentIndex = static_cast<uint8_t>(t);
  m_Map.dither = dither;
  m_bDiffuse = dither && m_bAdaptiveNow && !indexed;
  if (m_bDiffuse) {
    if (!m_Diffusion) m_Diffusion.reset(new (std::nothrow) ErrorDiffusion());
    if (!m_Diffusion || !m_Diffusion->Start(m_Width)) return kOutOfMemory;
  }

  WriterOptions wo{};
  wo.interlaced = options.interlaced;
  wo.transparent = transparent;
  wo.transparentIndex = static_cast<uint8_t>(t);
  wo.framesPerSecond = options.framesPerSecond;
  wo.animation = options.animation;
  wo.initialFrame = options.initialFrame;
  m_Writer = StartWriter(&m_Context, m_Out, wo);
  if (m_Writer == nullptr) return m_Context.err.status;
  if (m_Writer->bufferRows != (options.interlaced ? m_Height : 1u)) return kBadArgument;
  if (!WritePrefix(m_Writer, &m_Module->globalColors)) return m_Context.err.status;
  return kOk;
}

}  // namespace gif
