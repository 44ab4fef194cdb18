// The tag objects of a movie and the process-wide character identifier.
#pragma once

#include "moviewriter/VKMVStream.h"

class VObj {
 public:
  virtual ~VObj() {}
  // Appends the object's complete tag (header and body) to the stream.
  virtual void WriteTo(VKMVStream& s) = 0;
  virtual bool IsShowFrame() { return false; }
};

// Definition tags: they define a character that control tags place.
class VDT : public VObj {
 public:
  virtual U16 CharacterId() { return 0; }
};

// Control tags.
class VCT : public VObj {};

// The next character identifier: 1 for the first definition of a movie.
// Identifiers are 16-bit; once more than 65535 have been handed out since the
// last reset, CharacterIdOverflowed() is true and the movie is refused.
U16 NextCharacterId();
bool CharacterIdOverflowed();
// Back to 0, done by VObjCollection after a movie has been written.
void ResetCharacterId();
