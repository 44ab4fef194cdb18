// The high-level movie: frames of placed objects, depth assignment, output.
//
// Typical use (one picture filling a one-frame movie):
//   HVBitmap bitmap(0, 0, w, h, ...);
//   HVMovie movie;
//   movie.width = w; movie.height = h;
//   movie.Frame(0)->AddObject(&bitmap);
//   movie.WriteMovie(path);   // may throw KmvWriteError
#pragma once

#include <list>
#include <map>
#include <vector>

#include "moviewriter/HVObject.h"
#include "moviewriter/VCTags.h"
#include "moviewriter/VObjCollection.h"

// One display lifetime of an object instance.
struct AddRemoveEvent {
  VCTPlaceObject2* place;   // not owned
  VCTRemoveObject* remove;  // not owned; null until removed
  S32 depth;                // requested depth at placement; the sort key
};

class HVFrame {
 public:
  explicit HVFrame(HVMovie* movie_) : movie(movie_) {}
  ~HVFrame();
  HVFrame(const HVFrame&) = delete;
  HVFrame& operator=(const HVFrame&) = delete;

  // Defines (first time) and places the object; the frame does not own it.
  void AddObject(HVObject* obj);

  std::vector<VObj*> tags;  // owned, in the order produced
  HVMovie* movie;           // not owned
};

class HVMovie {
 public:
  HVMovie();
  ~HVMovie();
  HVMovie(const HVMovie&) = delete;
  HVMovie& operator=(const HVMovie&) = delete;

  // The frame at index, creating slots (index + 8) as needed.
  HVFrame* Frame(U32 index);

  // Assigns final depths (0 upwards, by requested depth, stable) and writes
  // the movie through VObjCollection::CreateMovie: true when written, false
  // when the file cannot be created (nothing written). Throws KmvWriteError
  // when the movie cannot be written correctly (no file left behind). In
  // every case the movie is consumed: no frames, frameCount 0, no events.
  bool WriteMovie(const char* fileName);

  std::vector<HVFrame*> frames;  // owned slots
  S32 frameCount;
  U32 frameRate;
  S32 width;   // twips
  S32 height;  // twips
  std::map<S32, std::list<AddRemoveEvent>> events;
};
