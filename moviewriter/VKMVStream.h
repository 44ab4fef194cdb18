// The byte and bit stream that every movie tag and movie file is assembled in.
//
// Bits are packed most significant bit first; multi-byte integers are
// little-endian. Large blocks of image data are not copied into the stream:
// they are kept as references (LargeData) and spliced in when the stream is
// written to a file.
//
// Fields that do not fit: the raw writers (WriteBits, WriteByte, WriteWord,
// WriteDWord) keep the low bits of a value, as the format's own framing
// expects. The checked writers (WriteUBits, WriteSBits, WriteU16) record the
// first value that does not fit in the stream's error text instead of letting
// a truncated field pass as valid; Failed() then reports true. A body's error
// moves with it into the stream it is appended to, so a movie collects every
// such fault and VObjCollection::CreateMovie refuses to write it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

typedef uint8_t U8;
typedef uint16_t U16;
typedef uint32_t U32;
typedef int32_t S32;

class VKMVStream {
 public:
  struct LargeData {
    U32 position;    // byte position in the owning stream where the block stands
    const U8* data;  // not owned; must outlive the final WriteToFile
    U32 size;
  };

  VKMVStream();

  // Appends the low nBits bits of value (0 to 32 bits).
  void WriteBits(U32 value, U32 nBits);
  // Completes the byte under construction, if any, with zero bits.
  void FlushBits();
  void WriteByte(U32 v);
  void WriteWord(U32 v);
  void WriteDWord(U32 v);

  // Checked field writers: a value that does not fit nBits is recorded as an
  // error (see above) and its low bits are written so the layout stays intact.
  // nBits above 32 is an error too.
  void WriteUBits(U32 value, U32 nBits, const char* what);
  void WriteSBits(S32 value, U32 nBits, const char* what);
  void WriteU16(U32 value, const char* what);

  // Records an error (the first one is kept) and marks the stream failed.
  void SetError(const std::string& text);
  bool Failed() const { return !m_Error.empty(); }
  const std::string& Error() const { return m_Error; }

  // References data (not copied) at the current streamPos; pending bits stay.
  void AddLargeData(const U8* data, U32 size);
  // streamPos plus all large data sizes.
  U32 TotalSize() const;

  // Tag header: short form for lengths 0 to 62, long form (0x3F, then U32
  // length) from 63. Then the body, if given.
  void AppendTag(U16 code, U32 length, VKMVStream* body = nullptr);
  // Moves the body's complete bytes and its large-data references in; the
  // body's unflushed bits are not copied. The body's list is emptied.
  void AppendStream(VKMVStream& body);
  // Writes the complete bytes with the large data spliced in. False when a
  // write call fails. The large-data list is emptied.
  bool WriteToFile(std::FILE* file);

  U8* Buffer() { return m_Buffer.data(); }
  const U8* Buffer() const { return m_Buffer.data(); }
  U32 StreamPos() const { return m_StreamPos; }
  U32 BitsFree() const { return m_BitsFree; }
  const std::vector<LargeData>& Large() const { return m_LargeData; }

 private:
  void EmitByte();

  // Invariant: m_Buffer holds exactly m_StreamPos + 1 bytes; the last one is
  // a zero placeholder for the byte under construction and is never written.
  std::vector<U8> m_Buffer;
  U32 m_StreamPos;
  U32 m_BitsFree;  // 8: the byte under construction is empty
  U8 m_CurrentByte;
  std::vector<LargeData> m_LargeData;  // in the order added
  std::string m_Error;
};

// Bits needed for value (plus signBit); MinBits(0, s) is s. At most 32 + s.
U32 MinBits(U32 value, U32 signBit);
// The largest of the four absolute values. Unsigned, so that the absolute
// value of the most negative 32-bit number does not overflow.
U32 MaxAbs(S32 a, S32 b, S32 c, S32 d);
