#include "moviewriter/VKMVStream.h"

#include "clib/Assert.h"
#include "clib/Counted.h"

VKMVStream::VKMVStream() : m_StreamPos(0), m_BitsFree(8), m_CurrentByte(0) {
  m_Buffer.reserve(1024);
  m_Buffer.push_back(0);
}

void VKMVStream::EmitByte() {
  m_Buffer[m_StreamPos] = m_CurrentByte;
  m_StreamPos += 1;
  m_Buffer.push_back(0);
  m_CurrentByte = 0;
  m_BitsFree = 8;
}

void VKMVStream::WriteBits(U32 value, U32 nBits) {
  ASSERT(nBits <= 32);
  while (nBits > 0) {
    // Only the low nBits bits survive, now at the top of the word.
    U32 aligned = value << (32 - nBits);
    if (nBits > m_BitsFree) {
      m_CurrentByte |= static_cast<U8>(aligned >> (32 - m_BitsFree));
      U32 used = m_BitsFree;
      EmitByte();
      nBits -= used;
    } else {
      m_CurrentByte |= static_cast<U8>(aligned >> (32 - m_BitsFree));
      m_BitsFree -= nBits;
      nBits = 0;
      if (m_BitsFree == 0) EmitByte();
    }
  }
}

void VKMVStream::FlushBits() {
  if (m_BitsFree != 8) EmitByte();
}

void VKMVStream::WriteByte(U32 v) {
  WriteBits(v & 0xFF, 8);
}

void VKMVStream::WriteWord(U32 v) {
  WriteBits(v & 0xFF, 8);
  WriteBits((v >> 8) & 0xFF, 8);
}

void VKMVStream::WriteDWord(U32 v) {
  for (int i = 0; i < 4; ++i) WriteBits((v >> (8 * i)) & 0xFF, 8);
}

void VKMVStream::SetError(const std::string& text) {
  if (m_Error.empty()) m_Error = text.empty() ? "error" : text;
}

void VKMVStream::WriteUBits(U32 value, U32 nBits, const char* what) {
  if (nBits > 32) {
    SetError(std::string(what) + " needs " + std::to_string(nBits) + " bits");
    nBits = 32;
  } else if (nBits < 32 && (value >> nBits) != 0) {
    SetError(std::string(what) + " " + std::to_string(value) + " does not fit " +
             Counted(nBits, "bit", "bits"));
  }
  WriteBits(value, nBits);
}

void VKMVStream::WriteSBits(S32 value, U32 nBits, const char* what) {
  if (nBits > 32) {
    SetError(std::string(what) + " needs " + std::to_string(nBits) + " bits");
    nBits = 32;
  } else if (nBits < 32) {
    // Representable as nBits-bit two's complement: -2^(n-1) <= v < 2^(n-1).
    int64_t v = value;
    int64_t half = nBits == 0 ? 0 : (int64_t(1) << (nBits - 1));
    bool fits = nBits == 0 ? v == 0 : (v >= -half && v < half);
    if (!fits) {
      SetError(std::string(what) + " " + std::to_string(value) + " does not fit " +
               std::to_string(nBits) + " signed bits");
    }
  }
  WriteBits(static_cast<U32>(value), nBits);
}

void VKMVStream::WriteU16(U32 value, const char* what) {
  if (value > 0xFFFF) {
    SetError(std::string(what) + " " + std::to_string(value) + " does not fit 16 bits");
  }
  WriteWord(value);
}

void VKMVStream::AddLargeData(const U8* data, U32 size) {
  m_LargeData.push_back(LargeData{m_StreamPos, data, size});
}

U32 VKMVStream::TotalSize() const {
  uint64_t total = m_StreamPos;
  for (const LargeData& d : m_LargeData) total += d.size;
  // A movie file's length is a 32-bit field; callers check for this.
  return total > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<U32>(total);
}

void VKMVStream::AppendTag(U16 code, U32 length, VKMVStream* body) {
  if (length <= 62) {
    WriteWord((U32(code) << 6) | length);
  } else {
    WriteWord((U32(code) << 6) | 0x3F);
    WriteDWord(length);
  }
  if (body) AppendStream(*body);
}

void VKMVStream::AppendStream(VKMVStream& body) {
  if (body.Failed()) SetError(body.Error());
  U32 i = 0;
  for (const LargeData& e : body.m_LargeData) {
    for (; i < e.position; ++i) WriteBits(body.m_Buffer[i], 8);
    AddLargeData(e.data, e.size);
  }
  body.m_LargeData.clear();
  for (; i < body.m_StreamPos; ++i) WriteBits(body.m_Buffer[i], 8);
}

bool VKMVStream::WriteToFile(std::FILE* file) {
  bool ok = true;
  U32 pos = 0;
  for (const LargeData& e : m_LargeData) {
    if (e.position != pos) {
      size_t n = e.position - pos;
      ok = ok && std::fwrite(m_Buffer.data() + pos, 1, n, file) == n;
    }
    if (e.size != 0) ok = ok && std::fwrite(e.data, 1, e.size, file) == e.size;
    pos = e.position;
  }
  m_LargeData.clear();
  if (pos != m_StreamPos) {
    size_t n = m_StreamPos - pos;
    ok = ok && std::fwrite(m_Buffer.data() + pos, 1, n, file) == n;
  }
  return ok;
}

U32 MinBits(U32 value, U32 signBit) {
  if (value == 0) return signBit;
  U32 n = 1;
  while (n < 32 && value >= (U32(1) << n)) ++n;
  return n + signBit;
}

static U32 AbsU(S32 v) {
  return v < 0 ? 0u - static_cast<U32>(v) : static_cast<U32>(v);
}

U32 MaxAbs(S32 a, S32 b, S32 c, S32 d) {
  U32 m = AbsU(a);
  if (AbsU(b) > m) m = AbsU(b);
  if (AbsU(c) > m) m = AbsU(c);
  if (AbsU(d) > m) m = AbsU(d);
  return m;
}
