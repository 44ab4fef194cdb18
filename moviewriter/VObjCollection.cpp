#include "moviewriter/VObjCollection.h"

#include <cstdio>
#include <string>

#include "clib/Assert.h"

VObjCollection::VObjCollection() : m_ShowFrameCount(0) {}

VObjCollection::~VObjCollection() {
  for (VObj* obj : m_Objects) delete obj;
}

void VObjCollection::AddObject(VObj* obj) {
  if (obj->IsShowFrame()) m_ShowFrameCount += 1;
  m_Objects.push_back(obj);
}

namespace {

// The frame rectangle keeps 15-bit fields whenever the size fits them, so
// ordinary movies are byte for byte as always; a larger size widens all four
// fields (the header grows) instead of cutting the values.
U32 HeaderRectBits(S32 width, S32 height) {
  U32 needed = MinBits(MaxAbs(0, width, 0, height), 1);
  return needed <= 15 ? 15 : needed;
}

void WriteHeader(VKMVStream& h, U32 length, S32 width, S32 height, U32 frameRate, U32 frameCount) {
  h.WriteByte('V');
  h.WriteByte('M');
  h.WriteByte('K');
  h.WriteByte(4);
  h.WriteDWord(length);
  U32 n = HeaderRectBits(width, height);
  h.WriteUBits(n, 5, "movie rectangle field size");
  h.WriteBits(0, n);
  h.WriteSBits(width, n, "movie width");
  h.WriteBits(0, n);
  h.WriteSBits(height, n, "movie height");
  h.FlushBits();
  h.WriteByte(0);
  h.WriteByte(frameRate);  // the integer part of the 8.8 rate: its low 8 bits
  h.WriteU16(frameCount, "frame count");
}

// The movie is finished with once its file is open, whatever happens next.
struct ResetCharacterIdOnExit {
  ~ResetCharacterIdOnExit() { ResetCharacterId(); }
};

// The temporary file: removed unless it was renamed into place.
struct TempFile {
  std::string name;
  std::FILE* file = nullptr;
  bool kept = false;
  ~TempFile() {
    if (file) std::fclose(file);
    if (!kept) std::remove(name.c_str());
  }
};

}  // namespace

bool VObjCollection::CreateMovie(const char* fileName, S32 width, S32 height, U32 frameRate) {
  ASSERT(fileName != nullptr);
  const std::string target(fileName);
  TempFile temp;
  temp.name = target + ".tmp";
  temp.file = std::fopen(temp.name.c_str(), "wb");
  if (!temp.file) return false;  // skipped without report; identifiers keep counting
  ResetCharacterIdOnExit resetter;

  // Header size: 8 bytes, the rectangle, rate and frame count.
  const U32 n = HeaderRectBits(width, height);
  const U32 headerSize = 8 + (5 + 4 * n + 7) / 8 + 4;

  VKMVStream s;
  for (U32 i = 0; i < headerSize; ++i) s.WriteByte(0);
  for (VObj* obj : m_Objects) obj->WriteTo(s);
  s.AppendTag(0, 0);

  uint64_t length = s.StreamPos();
  for (const VKMVStream::LargeData& d : s.Large()) length += d.size;
  if (length > 0xFFFFFFFFull) s.SetError("movie longer than 4 GB");

  VKMVStream h;
  WriteHeader(h, static_cast<U32>(length), width, height, frameRate, m_ShowFrameCount);
  if (h.Failed()) s.SetError(h.Error());
  if (CharacterIdOverflowed()) s.SetError("more than 65535 definitions in one movie");
  if (s.Failed()) {
    throw KmvWriteError("Movie not written: " + s.Error() + ". " + target);
  }
  for (U32 i = 0; i < headerSize; ++i) s.Buffer()[i] = h.Buffer()[i];

  bool ok = s.WriteToFile(temp.file);
  ok = (std::fclose(temp.file) == 0) && ok;
  temp.file = nullptr;
  if (!ok) throw KmvWriteError("Error writing movie. " + target);
  // rename() does not replace an existing file on Windows.
  std::remove(target.c_str());
  if (std::rename(temp.name.c_str(), target.c_str()) != 0) {
    throw KmvWriteError("Error writing movie. " + target);
  }
  temp.kept = true;
  return true;
}
