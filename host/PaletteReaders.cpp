#include "host/PaletteReaders.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "plugin/gifwriter/encoder/PaletteSpec.h"

namespace vrixhost {
namespace {

constexpr size_t kMaxPaletteFile = 64u << 20;  // the readers never need more
constexpr VxStatus kReadFailed = VX_E_ENCODER;

uint32_t U16(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | (b[at + 1] << 8);
}
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return U16(b, at) | (U16(b, at + 2) << 16);
}

VxColorEntry Entry(uint8_t r, uint8_t g, uint8_t b) {
  return VxColorEntry{0, static_cast<uint16_t>(r * 257), static_cast<uint16_t>(g * 257),
                      static_cast<uint16_t>(b * 257)};
}

bool ParseBmp(const std::vector<uint8_t>& b, std::vector<VxColorEntry>* out) {
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') return false;
  const uint32_t headerSize = U32(b, 14);
  if (headerSize < 40 || headerSize > b.size() - 14) return false;
  const uint32_t bits = U16(b, 28);
  if (bits != 1 && bits != 4 && bits != 8) return false;  // only these carry a colour table
  uint32_t used = U32(b, 46);
  const uint32_t most = 1u << bits;
  if (used == 0 || used > most) used = most;
  const size_t table = 14 + static_cast<size_t>(headerSize);
  if (table + static_cast<size_t>(used) * 4 > b.size()) return false;
  out->clear();
  for (uint32_t i = 0; i < used; ++i) {
    const size_t at = table + i * 4;  // blue, green, red, reserved
    out->push_back(Entry(b[at + 2], b[at + 1], b[at]));
  }
  return true;
}

bool ParseGif(const std::vector<uint8_t>& b, std::vector<VxColorEntry>* out) {
  if (b.size() < 13 ||
      (std::memcmp(b.data(), "GIF87a", 6) != 0 && std::memcmp(b.data(), "GIF89a", 6) != 0))
    return false;
  size_t at = 13;
  uint8_t flags = b[10];
  if (!(flags & 0x80)) {
    // No global table: take the first image's local table.
    while (at < b.size() && b[at] == 0x21) {  // skip extensions
      at += 2;
      while (at < b.size() && b[at] != 0) at += 1 + b[at];
      ++at;
    }
    if (at + 10 > b.size() || b[at] != 0x2C) return false;
    flags = b[at + 9];
    at += 10;
    if (!(flags & 0x80)) return false;
  }
  const size_t count = static_cast<size_t>(2) << (flags & 7);
  if (at + count * 3 > b.size()) return false;
  out->clear();
  for (size_t i = 0; i < count; ++i)
    out->push_back(Entry(b[at + 3 * i], b[at + 3 * i + 1], b[at + 3 * i + 2]));
  return true;
}

// 256 RGB triples; the newer form adds the number of colours in use and a
// transparent index, each 16 bits, most significant byte first. The index
// is not carried: a reader hands on colours only.
bool ParseAct(const std::vector<uint8_t>& b, std::vector<VxColorEntry>* out) {
  constexpr size_t kTable = 768;
  if (b.size() != kTable && b.size() != kTable + 4) return false;
  size_t count = 256;
  if (b.size() == kTable + 4) {
    count = static_cast<size_t>(b[kTable] << 8 | b[kTable + 1]);
    if (count == 0 || count > 256) return false;
  }
  out->clear();
  for (size_t i = 0; i < count; ++i) out->push_back(Entry(b[3 * i], b[3 * i + 1], b[3 * i + 2]));
  return true;
}

const char* Description(PaletteFileKind kind) {
  switch (kind) {
    case PaletteFileKind::kBmp:
      return "Windows Bitmap";
    case PaletteFileKind::kGif:
      return "GIF Image";
    default:
      return "Color Table";
  }
}

const char* Extensions(PaletteFileKind kind) {
  switch (kind) {
    case PaletteFileKind::kBmp:
      return "*.bmp;*.dib";
    case PaletteFileKind::kGif:
      return "*.gif";
    default:
      return "*.act";
  }
}

bool HasExtension(const std::string& path, PaletteFileKind kind) {
  std::string lower;
  for (char c : path) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string list = Extensions(kind);
  size_t start = 0;
  while (start < list.size()) {
    size_t end = list.find(';', start);
    if (end == std::string::npos) end = list.size();
    const std::string ext = list.substr(start + 1, end - start - 1);  // ".bmp"
    if (lower.size() >= ext.size() &&
        lower.compare(lower.size() - ext.size(), ext.size(), ext) == 0)
      return true;
    start = end + 1;
  }
  return false;
}

VxStatus CopyText(const char* text, char* buffer, uint32_t size) {
  if (!buffer || size == 0) return VX_E_INVALIDARG;
  std::snprintf(buffer, size, "%s", text);
  return std::strlen(text) < size ? VX_OK : VX_E_INVALIDARG;
}

// 0 when the file is one of ours; "maybe" when only its name says so.
VxStatus VXAPI ReaderCanRead(VxPaletteReader* self, const char* path) {
  if (!path) return VX_E_INVALIDARG;
  HostPaletteReader* reader = static_cast<HostPaletteReader*>(self);
  std::vector<uint8_t> bytes;
  std::vector<VxColorEntry> colours;
  if (ReadWholeFile(path, &bytes, kMaxPaletteFile) && ParsePalette(reader->kind, bytes, &colours))
    return VX_OK;
  return HasExtension(path, reader->kind) ? VX_S_READER_MAYBE : VX_S_READER_UNLIKELY;
}

VxStatus VXAPI ReaderDescription(VxPaletteReader* self, char* buffer, uint32_t size) {
  return CopyText(Description(static_cast<HostPaletteReader*>(self)->kind), buffer, size);
}

VxStatus VXAPI ReaderExtensions(VxPaletteReader* self, char* buffer, uint32_t size) {
  return CopyText(Extensions(static_cast<HostPaletteReader*>(self)->kind), buffer, size);
}

VxStatus VXAPI ReaderRead(VxPaletteReader* self, const char* path, VxImageSource** out) {
  if (!path || !out) return VX_E_INVALIDARG;
  *out = nullptr;
  HostPaletteReader* reader = static_cast<HostPaletteReader*>(self);
  ++reader->reads;
  std::vector<uint8_t> bytes;
  std::vector<VxColorEntry> colours;
  if (!ReadWholeFile(path, &bytes, kMaxPaletteFile) || !ParsePalette(reader->kind, bytes, &colours))
    return kReadFailed;
  *out = HostPaletteSource::Create(colours);
  return VX_OK;
}

const VxPaletteReaderOps kReaderOps = {
    VRIXHOST_UNKNOWN(HostPaletteReader, VxPaletteReader, IID_VxPaletteReader), ReaderCanRead,
    ReaderDescription, ReaderExtensions, ReaderRead};

VxStatus VXAPI SourceSend(VxImageSource* self, void* receptor, const VxGuid* iid) {
  if (!receptor || !iid) return VX_E_INVALIDARG;
  if (!VxGuidEqual(*iid, IID_VxPaletteSetter)) return VX_E_NOINTERFACE;
  const gif::PaletteSpec palette =
      ExplicitPaletteOf(static_cast<HostPaletteSource*>(self)->colours);
  VxPaletteSetter* setter = static_cast<VxPaletteSetter*>(receptor);
  return setter->ops->SetPalette(setter, &palette);
}

const VxImageSourceOps kSourceOps = {
    VRIXHOST_UNKNOWN(HostPaletteSource, VxImageSource, IID_VxImageSource), SourceSend};

VxStatus VXAPI RegistryCount(VxReaderRegistry* self, uint32_t category, uint32_t* count) {
  if (!count) return VX_E_INVALIDARG;
  const HostReaderRegistry* r = static_cast<HostReaderRegistry*>(self);
  *count = category == VX_READER_CATEGORY_PALETTE ? static_cast<uint32_t>(r->kinds.size()) : 0;
  return VX_OK;
}

VxStatus VXAPI RegistryGet(VxReaderRegistry* self, uint32_t category, uint32_t index,
                           VxPaletteReader** out) {
  if (!out) return VX_E_INVALIDARG;
  *out = nullptr;
  const HostReaderRegistry* r = static_cast<HostReaderRegistry*>(self);
  if (category != VX_READER_CATEGORY_PALETTE || index >= r->kinds.size()) return VX_E_INVALIDARG;
  *out = HostPaletteReader::Create(r->kinds[index]);
  return VX_OK;
}

const VxReaderRegistryOps kRegistryOps = {
    VRIXHOST_UNKNOWN(HostReaderRegistry, VxReaderRegistry, IID_VxReaderRegistry), RegistryCount,
    RegistryGet};

VxStatus VXAPI PathGet(VxPathService* self, char* buffer, uint32_t size) {
  const HostPathService* s = static_cast<HostPathService*>(self);
  if (!buffer || size == 0) return VX_E_INVALIDARG;
  if (s->path.empty()) return VX_E_NOCLASS;
  return CopyText(s->path.c_str(), buffer, size);
}

const VxPathServiceOps kPathOps = {
    VRIXHOST_UNKNOWN(HostPathService, VxPathService, IID_VxPathService), PathGet};

}  // namespace

bool ParsePalette(PaletteFileKind kind, const std::vector<uint8_t>& bytes,
                  std::vector<VxColorEntry>* colours) {
  switch (kind) {
    case PaletteFileKind::kBmp:
      return ParseBmp(bytes, colours);
    case PaletteFileKind::kGif:
      return ParseGif(bytes, colours);
    case PaletteFileKind::kAct:
      return ParseAct(bytes, colours);
  }
  return false;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, size_t limit) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  bytes->clear();
  uint8_t chunk[4096];
  size_t n;
  bool ok = true;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    if (bytes->size() + n > limit) {
      ok = false;
      break;
    }
    bytes->insert(bytes->end(), chunk, chunk + n);
  }
  if (std::ferror(f)) ok = false;
  std::fclose(f);
  return ok;
}

std::vector<PaletteFileKind> AllPaletteReaders() {
  return {PaletteFileKind::kBmp, PaletteFileKind::kGif, PaletteFileKind::kAct};
}

HostPaletteReader::HostPaletteReader(PaletteFileKind k) : kind(k) {
  ops = &kReaderOps;
  CountHostObject(+1);
}
HostPaletteReader::~HostPaletteReader() {
  CountHostObject(-1);
}
HostPaletteReader* HostPaletteReader::Create(PaletteFileKind kind) {
  return new HostPaletteReader(kind);
}

HostPaletteSource::HostPaletteSource() {
  ops = &kSourceOps;
  CountHostObject(+1);
}
HostPaletteSource::~HostPaletteSource() {
  CountHostObject(-1);
}
HostPaletteSource* HostPaletteSource::Create(const std::vector<VxColorEntry>& colours) {
  HostPaletteSource* s = new HostPaletteSource();
  s->colours.assign(colours.begin(),
                    colours.begin() + (colours.size() > 256 ? 256 : colours.size()));
  return s;
}

HostReaderRegistry::HostReaderRegistry() {
  ops = &kRegistryOps;
  CountHostObject(+1);
}
HostReaderRegistry::~HostReaderRegistry() {
  CountHostObject(-1);
}
HostReaderRegistry* HostReaderRegistry::Create(std::vector<PaletteFileKind> kinds) {
  HostReaderRegistry* r = new HostReaderRegistry();
  r->kinds = std::move(kinds);
  return r;
}

HostPathService::HostPathService() {
  ops = &kPathOps;
  CountHostObject(+1);
}
HostPathService::~HostPathService() {
  CountHostObject(-1);
}
HostPathService* HostPathService::Create(std::string path) {
  HostPathService* s = new HostPathService();
  s->path = std::move(path);
  return s;
}

gif::PaletteSpec ExplicitPaletteOf(const std::vector<VxColorEntry>& colours) {
  gif::PaletteSpec palette = gif::MakeExplicitPalette();
  palette.size = static_cast<uint32_t>(std::min<size_t>(colours.size(), gif::kPaletteCapacity));
  for (uint32_t i = 0; i < palette.size; ++i) {
    const VxColorEntry& c = colours[i];
    palette.entries[i] = gif::PaletteEntry{c.value, c.red, c.green, c.blue};
  }
  return palette;
}

}  // namespace vrixhost
