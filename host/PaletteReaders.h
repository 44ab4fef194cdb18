// The stand-in's palette readers, the reader registry that lists them and
// the path service: enough for Palvex's options dialog to find and read
// palette files. Readers use the C library only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/HostObject.h"
#include "plugin/gifwriter/encoder/PaletteSpec.h"

namespace vrixhost {

enum class PaletteFileKind {
  kBmp,  // the colour table of an 8-bit (or smaller) BMP
  kGif,  // the global colour table of a GIF, else its first local table
  kAct,  // 768 bytes: 256 RGB triples; or 772, with the count of colours used
};

// Colours held in a palette file's bytes; false when the bytes are not a
// whole file of that kind with a colour table (1 to 256 colours).
bool ParsePalette(PaletteFileKind kind, const std::vector<uint8_t>& bytes,
                  std::vector<VxColorEntry>* colours);

// Reads a whole file (at most `limit` bytes); false when it cannot be read
// or is larger.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, size_t limit);

struct HostPaletteReader : VxPaletteReader {
  static HostPaletteReader* Create(PaletteFileKind kind);
  uint32_t refs = 1;
  PaletteFileKind kind;
  int reads = 0;  // ReadFile calls

 private:
  explicit HostPaletteReader(PaletteFileKind k);
  ~HostPaletteReader();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

// An image source holding only a palette; it sends it to a palette setter.
struct HostPaletteSource : VxImageSource {
  static HostPaletteSource* Create(const std::vector<VxColorEntry>& colours);
  uint32_t refs = 1;
  std::vector<VxColorEntry> colours;

 private:
  HostPaletteSource();
  ~HostPaletteSource();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

// The palette category lists readers of `kinds`, in that order.
struct HostReaderRegistry : VxReaderRegistry {
  static HostReaderRegistry* Create(std::vector<PaletteFileKind> kinds);
  uint32_t refs = 1;
  std::vector<PaletteFileKind> kinds;

 private:
  HostReaderRegistry();
  ~HostReaderRegistry();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

// Answers `path`; fails when it is empty (the host has no path).
struct HostPathService : VxPathService {
  static HostPathService* Create(std::string path);
  uint32_t refs = 1;
  std::string path;

 private:
  HostPathService();
  ~HostPathService();
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

// An explicit palette of `colours` (at most the first 256), as a reader's
// image source delivers it to a palette setter.
gif::PaletteSpec ExplicitPaletteOf(const std::vector<VxColorEntry>& colours);

// The three readers in the order the registry lists them by default.
std::vector<PaletteFileKind> AllPaletteReaders();

}  // namespace vrixhost
