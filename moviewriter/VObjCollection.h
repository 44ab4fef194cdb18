// The ordered list of tag objects that becomes one movie file.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "moviewriter/VObj.h"

// Thrown when a movie cannot be written correctly: a value that does not fit
// its field (a size, an identifier, a count), or a write, close or rename that
// failed part-way. No movie file is left behind in that case; an existing file
// of the same name is left untouched, unless only the final rename failed
// (it has been removed by then).
class KmvWriteError : public std::runtime_error {
 public:
  explicit KmvWriteError(const std::string& text) : std::runtime_error(text) {}
};

class VObjCollection {
 public:
  VObjCollection();
  ~VObjCollection();
  VObjCollection(const VObjCollection&) = delete;
  VObjCollection& operator=(const VObjCollection&) = delete;

  // Takes ownership.
  void AddObject(VObj* obj);

  // Writes the header, every object's tag and the End tag to fileName.
  // Returns true when the movie was written. Returns false, writing nothing
  // and keeping the identifier counter, when the file cannot be created.
  // Throws KmvWriteError (see above); the identifier counter is reset then too.
  // The bytes go to fileName + ".tmp" first and are renamed into place only
  // when complete.
  bool CreateMovie(const char* fileName, S32 width, S32 height, U32 frameRate);

  U32 ShowFrameCount() const { return m_ShowFrameCount; }
  size_t Size() const { return m_Objects.size(); }

 private:
  U32 m_ShowFrameCount;
  std::vector<VObj*> m_Objects;  // owned
};
