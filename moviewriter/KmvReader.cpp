#include "moviewriter/KmvReader.h"

#include <zlib.h>

#include <cstdio>
#include <sstream>

#include "clib/Counted.h"

namespace kmv {

ParseError::ParseError(uint32_t offset, const std::string& text)
    : std::runtime_error("offset " + std::to_string(offset) + ": " + text), m_Offset(offset) {}

namespace {

// Reads bits most significant first from bytes [pos, end) of the file.
class BitReader {
 public:
  BitReader(const std::vector<uint8_t>& bytes, uint32_t start, uint32_t end)
      : m_Bytes(bytes), m_Start(start), m_Pos(start), m_End(end), m_BitPos(0) {}

  uint32_t Offset() const { return m_Pos; }
  uint32_t BitsRead() const { return (m_Pos - m_Start) * 8 + m_BitPos; }
  uint32_t Remaining() const { return m_End - m_Pos; }
  bool AtEnd() const { return m_Pos >= m_End && m_BitPos == 0; }

  uint32_t Bits(uint32_t n, const char* what) {
    if (n > 32) Fail(std::string(what) + ": field of " + std::to_string(n) + " bits");
    uint32_t v = 0;
    for (uint32_t i = 0; i < n; ++i) {
      if (m_Pos >= m_End) Fail(std::string(what) + " runs past the end of its tag");
      uint32_t bit = (m_Bytes[m_Pos] >> (7 - m_BitPos)) & 1u;
      v = (v << 1) | bit;
      if (++m_BitPos == 8) {
        m_BitPos = 0;
        ++m_Pos;
      }
    }
    return v;
  }

  int32_t SBits(uint32_t n, const char* what) {
    uint32_t v = Bits(n, what);
    if (n > 0 && n < 32 && (v >> (n - 1)) & 1u) v |= ~uint32_t(0) << n;
    return static_cast<int32_t>(v);
  }

  void Align() {
    if (m_BitPos) {
      m_BitPos = 0;
      ++m_Pos;
    }
  }

  uint8_t U8(const char* what) {
    Align();
    return static_cast<uint8_t>(Bits(8, what));
  }
  uint16_t U16(const char* what) {
    uint32_t lo = U8(what);
    return static_cast<uint16_t>(lo | (uint32_t(U8(what)) << 8));
  }
  uint32_t U32(const char* what) {
    uint32_t lo = U16(what);
    return lo | (uint32_t(U16(what)) << 16);
  }
  void Skip(uint32_t n, const char* what) {
    Align();
    if (n > Remaining()) Fail(std::string(what) + " runs past the end of its tag");
    m_Pos += n;
  }

  [[noreturn]] void Fail(const std::string& text) const { throw ParseError(m_Pos, text); }

 private:
  const std::vector<uint8_t>& m_Bytes;
  uint32_t m_Start, m_Pos, m_End, m_BitPos;
};

Rect ReadRect(BitReader& r) {
  Rect rect;
  r.Align();
  rect.nBits = r.Bits(5, "rectangle field size");
  rect.xmin = r.SBits(rect.nBits, "rectangle");
  rect.xmax = r.SBits(rect.nBits, "rectangle");
  rect.ymin = r.SBits(rect.nBits, "rectangle");
  rect.ymax = r.SBits(rect.nBits, "rectangle");
  r.Align();
  return rect;
}

Matrix ReadMatrix(BitReader& r) {
  Matrix m;
  r.Align();
  m.hasScale = r.Bits(1, "matrix") != 0;
  if (m.hasScale) {
    m.scaleBits = r.Bits(5, "matrix scale size");
    m.scaleX = r.SBits(m.scaleBits, "matrix scale");
    m.scaleY = r.SBits(m.scaleBits, "matrix scale");
  }
  m.hasRotate = r.Bits(1, "matrix") != 0;
  if (m.hasRotate) {
    m.rotateBits = r.Bits(5, "matrix rotation size");
    m.rotateSkew0 = r.SBits(m.rotateBits, "matrix rotation");
    m.rotateSkew1 = r.SBits(m.rotateBits, "matrix rotation");
  }
  m.translateBits = r.Bits(5, "matrix translation size");
  m.translateX = r.SBits(m.translateBits, "matrix translation");
  m.translateY = r.SBits(m.translateBits, "matrix translation");
  r.Align();
  return m;
}

Color ReadRgba(BitReader& r) {
  Color c;
  c.r = r.U8("colour");
  c.g = r.U8("colour");
  c.b = r.U8("colour");
  c.a = r.U8("colour");
  return c;
}

uint32_t ReadStyleCount(BitReader& r) {
  uint32_t n = r.U8("style count");
  if (n == 0xFF) n = r.U16("extended style count");
  return n;
}

void ReadStyles(BitReader& r, std::vector<FillStyle>& fills, std::vector<LineStyle>& lines) {
  uint32_t nFills = ReadStyleCount(r);
  for (uint32_t i = 0; i < nFills; ++i) {
    uint32_t at = r.Offset();
    FillStyle f;
    f.type = r.U8("fill style type");
    if (f.type == 0x00) {
      f.color = ReadRgba(r);
    } else if (f.type == 0x10 || f.type == 0x12) {
      f.matrix = ReadMatrix(r);
      f.gradientRecords = r.U8("gradient record count");
      if (f.gradientRecords != 0) throw ParseError(at, "gradient records are not supported");
    } else if (f.type >= 0x40 && f.type <= 0x43) {
      f.bitmapId = r.U16("bitmap identifier");
      f.matrix = ReadMatrix(r);
    } else {
      throw ParseError(at, "unknown fill style type " + std::to_string(f.type));
    }
    fills.push_back(f);
  }
  uint32_t nLines = ReadStyleCount(r);
  for (uint32_t i = 0; i < nLines; ++i) {
    LineStyle l;
    l.width = r.U16("line width");
    l.color = ReadRgba(r);
    lines.push_back(l);
  }
}

void ReadShape(BitReader& r, Tag& tag) {
  Shape& s = tag.shape;
  s.id = r.U16("shape identifier");
  s.bounds = ReadRect(r);
  ReadStyles(r, s.fills, s.lines);
  s.nFillBits = r.Bits(4, "fill index size");
  s.nLineBits = r.Bits(4, "line index size");
  for (;;) {
    ShapeRecord rec;
    rec.bitOffset = r.BitsRead();
    uint32_t at = r.Offset();
    if (r.Bits(1, "shape record") == 0) {
      uint32_t flags = r.Bits(5, "shape record");
      if (flags == 0) {
        rec.kind = ShapeRecord::kEnd;
        s.records.push_back(rec);
        break;
      }
      rec.kind = ShapeRecord::kChange;
      rec.newStyles = (flags & 16) != 0;
      rec.hasLineStyle = (flags & 8) != 0;
      rec.hasFill1 = (flags & 4) != 0;
      rec.hasFill0 = (flags & 2) != 0;
      rec.moveTo = (flags & 1) != 0;
      if (rec.moveTo) {
        rec.moveBits = r.Bits(5, "move size");
        rec.moveX = r.SBits(rec.moveBits, "move");
        rec.moveY = r.SBits(rec.moveBits, "move");
      }
      if (rec.hasFill0) rec.fillStyle0 = r.Bits(s.nFillBits, "fill style 0");
      if (rec.hasFill1) rec.fillStyle1 = r.Bits(s.nFillBits, "fill style 1");
      if (rec.hasLineStyle) rec.lineStyle = r.Bits(s.nLineBits, "line style");
      if (rec.fillStyle0 > s.fills.size() || rec.fillStyle1 > s.fills.size()) {
        throw ParseError(at, "fill style index beyond the fill styles");
      }
      if (rec.lineStyle > s.lines.size()) {
        throw ParseError(at, "line style index beyond the line styles");
      }
      if (rec.newStyles) {
        std::vector<FillStyle> fills;
        std::vector<LineStyle> lines;
        ReadStyles(r, fills, lines);
      }
    } else if (r.Bits(1, "edge") == 1) {
      rec.kind = ShapeRecord::kStraight;
      rec.nBits = r.Bits(4, "edge size") + 2;
      rec.general = r.Bits(1, "edge") != 0;
      if (rec.general) {
        rec.dx = r.SBits(rec.nBits, "edge delta");
        rec.dy = r.SBits(rec.nBits, "edge delta");
      } else {
        rec.vertical = r.Bits(1, "edge") != 0;
        (rec.vertical ? rec.dy : rec.dx) = r.SBits(rec.nBits, "edge delta");
      }
    } else {
      rec.kind = ShapeRecord::kCurve;
      rec.nBits = r.Bits(4, "curve size") + 2;
      rec.dx = r.SBits(rec.nBits, "curve delta");
      rec.dy = r.SBits(rec.nBits, "curve delta");
      rec.anchorDx = r.SBits(rec.nBits, "curve delta");
      rec.anchorDy = r.SBits(rec.nBits, "curve delta");
    }
    s.records.push_back(rec);
  }
  r.Align();
}

uint64_t LosslessBytes(const Bitmap& b) {
  uint64_t table = uint64_t(b.hasAlpha ? 4 : 3) * b.colorTableSize;
  uint64_t rowBits = uint64_t(b.width) << b.format;
  return table + (rowBits + 31) / 32 * 4 * b.height;
}

void ReadLossless(const std::vector<uint8_t>& bytes, BitReader& r, Tag& tag, uint64_t maxInflated) {
  Bitmap& b = tag.bitmap;
  b.hasAlpha = tag.code == 36;
  b.id = r.U16("bitmap identifier");
  uint32_t at = r.Offset();
  b.format = r.U8("bitmap format");
  if (b.format != 3 && b.format != 4 && b.format != 5) {
    throw ParseError(at, "unknown bitmap format " + std::to_string(b.format));
  }
  b.width = r.U16("bitmap width");
  b.height = r.U16("bitmap height");
  if (b.format == 3) b.colorTableSize = uint32_t(r.U8("colour table size")) + 1;
  uint32_t zStart = r.Offset();
  b.compressedSize = r.Remaining();
  uint64_t expected = LosslessBytes(b);
  // Deflate expands at most 1032 to 1: a bitmap larger than that is damaged,
  // and is refused before a block of its size is allocated and cleared.
  if (expected > uint64_t(b.compressedSize) * 1032) {
    throw ParseError(at, "bitmap of " + Counted(expected, "byte", "bytes") + " cannot come from " +
                             Counted(b.compressedSize, "byte", "bytes") + " of zlib data");
  }
  if (expected > maxInflated) throw ParseError(at, "bitmap too large to check");
  b.inflated.resize(static_cast<size_t>(expected));

  z_stream z = {};
  if (inflateInit(&z) != Z_OK) throw ParseError(zStart, "zlib cannot start");
  z.next_in = const_cast<Bytef*>(bytes.data() + zStart);
  z.avail_in = b.compressedSize;
  uint8_t spare = 0;
  z.next_out = expected ? b.inflated.data() : &spare;
  z.avail_out = static_cast<uInt>(expected);
  int rc = inflate(&z, Z_FINISH);
  uint32_t consumed = b.compressedSize - z.avail_in;
  uint64_t produced = expected - z.avail_out;
  inflateEnd(&z);
  if (rc != Z_STREAM_END) {
    throw ParseError(zStart + consumed,
                     produced == expected && rc == Z_BUF_ERROR
                         ? "pixel data inflates to more than " + Counted(expected, "byte", "bytes")
                         : "damaged or short zlib stream (" + std::to_string(produced) + " of " +
                               Counted(expected, "byte", "bytes") + ")");
  }
  if (produced != expected) {
    throw ParseError(zStart + consumed, "pixel data inflates to " + std::to_string(produced) +
                                            " bytes, expected " + std::to_string(expected));
  }
  if (consumed != b.compressedSize) {
    throw ParseError(zStart + consumed, "bytes after the zlib stream");
  }
  r.Skip(b.compressedSize, "zlib stream");
}

void ReadJpeg(BitReader& r, Tag& tag) {
  tag.jpeg.id = r.U16("bitmap identifier");
  uint32_t at = r.Offset();
  if (r.Remaining() < 6) throw ParseError(at, "JPEG tag too short");
  uint8_t a = r.U8("JPEG"), b = r.U8("JPEG"), c = r.U8("JPEG"), d = r.U8("JPEG");
  if (a != 0xFF || b != 0xD9 || c != 0xFF || d != 0xD8) {
    throw ParseError(at, "JPEG data does not start with FF D9 FF D8");
  }
  tag.jpeg.dataOffset = r.Offset();
  tag.jpeg.dataSize = r.Remaining() - 2;
  r.Skip(tag.jpeg.dataSize, "JPEG data");
  uint32_t endAt = r.Offset();
  if (r.U8("JPEG") != 0xFF || r.U8("JPEG") != 0xD9) {
    throw ParseError(endAt, "JPEG data does not end with FF D9");
  }
}

void ReadPlace(BitReader& r, Tag& tag) {
  Place& p = tag.place;
  uint32_t at = r.Offset();
  p.flags = r.U8("placement flags");
  if (p.flags & 0x80) throw ParseError(at, "reserved placement flag set");
  if (p.flags & 0x08) throw ParseError(at, "colour transforms are not supported");
  p.hasClipDepth = (p.flags & 0x40) != 0;
  p.hasName = (p.flags & 0x20) != 0;
  p.hasRatio = (p.flags & 0x10) != 0;
  p.hasMatrix = (p.flags & 0x04) != 0;
  p.hasCharacter = (p.flags & 0x02) != 0;
  p.depth = r.U16("depth");
  if (p.hasCharacter) p.characterId = r.U16("character identifier");
  if (p.hasMatrix) p.matrix = ReadMatrix(r);
  if (p.hasRatio) p.ratio = r.U16("ratio");
  if (p.hasClipDepth) p.clipDepth = r.U16("clip depth");
  if (p.hasName) {
    for (;;) {
      char c = static_cast<char>(r.U8("name"));
      if (c == 0) break;
      p.name += c;
    }
  }
}

}  // namespace

const char* TagName(uint16_t code) {
  switch (code) {
    case 0:
      return "End";
    case 1:
      return "ShowFrame";
    case 5:
      return "RemoveObject";
    case 20:
      return "DefineBitsLossless";
    case 21:
      return "DefineBitsJPEG2";
    case 26:
      return "PlaceObject2";
    case 32:
      return "DefineShape3";
    case 36:
      return "DefineBitsLossless2";
    default:
      return "unknown";
  }
}

Movie Read(const std::vector<uint8_t>& bytes, uint64_t maxInflated) {
  Movie m;
  const uint64_t fullSize = bytes.size();  // lengths in the file are 32-bit
  if (fullSize > uint64_t(0xFFFFFFFFu)) throw ParseError(0, "file longer than 4 GB");
  const uint32_t size = static_cast<uint32_t>(bytes.size());
  BitReader h(bytes, 0, size);
  if (size < 3 || bytes[0] != 'V' || bytes[1] != 'M' || bytes[2] != 'K') {
    throw ParseError(0, "not a KMV movie (signature is not VMK)");
  }
  m.signature = "VMK";
  h.Skip(3, "signature");
  m.version = h.U8("version");
  uint32_t lengthAt = h.Offset();
  m.fileLength = h.U32("file length");
  if (m.fileLength != size) {
    throw ParseError(lengthAt, "file length field says " + std::to_string(m.fileLength) +
                                   ", file has " + Counted(size, "byte", "bytes"));
  }
  m.frame = ReadRect(h);
  m.frameRate = h.U16("frame rate");
  m.frameCount = h.U16("frame count");
  m.headerSize = h.Offset();

  uint32_t pos = m.headerSize;
  uint32_t showFrames = 0;
  bool ended = false;
  while (!ended) {
    if (pos >= size) throw ParseError(pos, "no End tag");
    Tag tag;
    tag.offset = pos;
    BitReader t(bytes, pos, size);
    uint16_t word = t.U16("tag header");
    tag.code = word >> 6;
    tag.length = word & 0x3F;
    tag.headerSize = 2;
    if (tag.length == 0x3F) {
      tag.length = t.U32("tag length");
      tag.headerSize = 6;
    }
    uint32_t bodyStart = pos + tag.headerSize;
    if (tag.length > size - bodyStart) {
      throw ParseError(pos, std::string(TagName(tag.code)) + " tag of length " +
                                std::to_string(tag.length) + " runs past the end of the file");
    }
    uint32_t bodyEnd = bodyStart + tag.length;
    BitReader r(bytes, bodyStart, bodyEnd);
    switch (tag.code) {
      case 0:
        ended = true;
        break;
      case 1:
        ++showFrames;
        break;
      case 5:
        tag.remove.characterId = r.U16("character identifier");
        tag.remove.depth = r.U16("depth");
        break;
      case 20:
      case 36:
        ReadLossless(bytes, r, tag, maxInflated);
        break;
      case 21:
        ReadJpeg(r, tag);
        break;
      case 26:
        ReadPlace(r, tag);
        break;
      case 32:
        ReadShape(r, tag);
        break;
      default:
        r.Skip(tag.length, "tag body");
        break;
    }
    r.Align();
    if (r.Offset() != bodyEnd) {
      throw ParseError(r.Offset(), std::string(TagName(tag.code)) + " tag has " +
                                       std::to_string(bodyEnd - r.Offset()) + " bytes left over");
    }
    m.tags.push_back(std::move(tag));
    pos = bodyEnd;
  }
  if (pos != size) throw ParseError(pos, "data after the End tag");
  if (showFrames != m.frameCount) {
    throw ParseError(m.headerSize - 2, "header counts " + std::to_string(m.frameCount) +
                                           " frames, the movie shows " +
                                           std::to_string(showFrames));
  }
  return m;
}

Movie ReadFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw ParseError(0, "cannot open " + path);
  std::vector<uint8_t> bytes;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  bool bad = std::ferror(f) != 0;
  std::fclose(f);
  if (bad) throw ParseError(static_cast<uint32_t>(bytes.size()), "read error in " + path);
  return Read(bytes);
}

namespace {

std::string Fixed(int32_t v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.5f", v / 65536.0);
  return text;
}

std::string MatrixText(const Matrix& m) {
  std::ostringstream o;
  o << "[";
  if (m.hasScale)
    o << "scale " << Fixed(m.scaleX) << " " << Fixed(m.scaleY) << " (" << m.scaleX << " "
      << m.scaleY << "), ";
  if (m.hasRotate) o << "rotate " << Fixed(m.rotateSkew0) << " " << Fixed(m.rotateSkew1) << ", ";
  o << "translate " << m.translateX << " " << m.translateY << "]";
  return o.str();
}

std::string ColorText(const Color& c) {
  char text[32];
  std::snprintf(text, sizeof text, "#%02X%02X%02X/%02X", c.r, c.g, c.b, c.a);
  return text;
}

std::string RectText(const Rect& r) {
  std::ostringstream o;
  o << "x " << r.xmin << ".." << r.xmax << ", y " << r.ymin << ".." << r.ymax << " (" << r.nBits
    << "-bit fields)";
  return o.str();
}

}  // namespace

std::string Dump(const Movie& m) {
  std::ostringstream o;
  o << "signature " << m.signature << ", version " << int(m.version) << ", length " << m.fileLength
    << "\n";
  o << "frame " << RectText(m.frame) << " twips\n";
  o << "rate " << (m.frameRate >> 8) << "." << ((m.frameRate & 0xFF) * 100 / 256) << " frames/s, "
    << Counted(m.frameCount, "frame", "frames") << "\n";
  for (const Tag& t : m.tags) {
    o << "@" << t.offset << " " << TagName(t.code) << " (" << t.code << "), length " << t.length
      << (t.headerSize == 6 ? " (long header)" : "") << "\n";
    switch (t.code) {
      case 5:
        o << "  character " << t.remove.characterId << ", depth " << t.remove.depth << "\n";
        break;
      case 20:
      case 36: {
        const Bitmap& b = t.bitmap;
        o << "  id " << b.id << ", format " << int(b.format) << " ("
          << Counted(1u << b.format, "bit", "bits") << " a pixel), " << b.width << " x " << b.height
          << " pixels";
        if (b.format == 3) o << ", " << Counted(b.colorTableSize, "colour", "colours");
        o << ", zlib " << Counted(b.compressedSize, "byte", "bytes") << " -> "
          << Counted(b.inflated.size(), "byte", "bytes") << "\n";
        break;
      }
      case 21:
        o << "  id " << t.jpeg.id << ", " << Counted(t.jpeg.dataSize, "byte", "bytes")
          << " of JPEG data\n";
        break;
      case 26: {
        const Place& p = t.place;
        o << "  depth " << p.depth;
        if (p.hasCharacter) o << ", character " << p.characterId;
        if (p.flags & 1) o << ", move";
        if (p.hasMatrix) o << ", matrix " << MatrixText(p.matrix);
        if (p.hasRatio) o << ", ratio " << p.ratio;
        if (p.hasClipDepth) o << ", clip depth " << p.clipDepth;
        if (p.hasName) o << ", name \"" << p.name << "\"";
        o << "\n";
        break;
      }
      case 32: {
        const Shape& s = t.shape;
        o << "  id " << s.id << ", bounds " << RectText(s.bounds) << "\n";
        for (size_t i = 0; i < s.fills.size(); ++i) {
          const FillStyle& f = s.fills[i];
          o << "  fill " << (i + 1) << ": ";
          if (f.type == 0) {
            o << "solid " << ColorText(f.color);
          } else if (f.type == 0x10 || f.type == 0x12) {
            o << (f.type == 0x10 ? "linear" : "radial") << " gradient " << MatrixText(f.matrix);
          } else {
            o << ((f.type & 1) ? "clipped" : "repeating") << " bitmap " << f.bitmapId << " "
              << MatrixText(f.matrix);
          }
          o << "\n";
        }
        for (size_t i = 0; i < s.lines.size(); ++i) {
          o << "  line " << (i + 1) << ": width " << s.lines[i].width << " "
            << ColorText(s.lines[i].color) << "\n";
        }
        o << "  index bits: fill " << s.nFillBits << ", line " << s.nLineBits << "\n";
        for (const ShapeRecord& rec : s.records) {
          o << "  ";
          switch (rec.kind) {
            case ShapeRecord::kEnd:
              o << "end";
              break;
            case ShapeRecord::kChange:
              o << "style change";
              if (rec.moveTo) o << " move to " << rec.moveX << "," << rec.moveY;
              if (rec.hasFill0) o << " fill0 " << rec.fillStyle0;
              if (rec.hasFill1) o << " fill1 " << rec.fillStyle1;
              if (rec.hasLineStyle) o << " line " << rec.lineStyle;
              if (rec.newStyles) o << " new styles";
              break;
            case ShapeRecord::kStraight:
              o << "edge " << rec.dx << "," << rec.dy << " (" << rec.nBits << " bits)";
              break;
            case ShapeRecord::kCurve:
              o << "curve " << rec.dx << "," << rec.dy << " " << rec.anchorDx << "," << rec.anchorDy
                << " (" << rec.nBits << " bits)";
              break;
          }
          o << "\n";
        }
        break;
      }
      default:
        break;
    }
  }
  return o.str();
}

}  // namespace kmv
