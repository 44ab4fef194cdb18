#include "moviewriter/HVMovie.h"

#include <algorithm>

#include "clib/Assert.h"

namespace {

// Diagnostic trace; this program keeps it silent.
void MovieTrace(const char* /*format*/, ...) {}

// Stable merge: an event of `from` goes before one of `into` only when its
// depth is strictly smaller. The events of `from` move.
void MergeByDepth(std::list<AddRemoveEvent>& into, std::list<AddRemoveEvent>& from) {
  auto pos = into.begin();
  while (!from.empty()) {
    while (pos != into.end() && !(from.front().depth < pos->depth)) ++pos;
    into.splice(pos, from, from.begin());
  }
}

}  // namespace

HVFrame::~HVFrame() {
  for (VObj* tag : tags) delete tag;
}

void HVFrame::AddObject(HVObject* obj) {
  obj->AddToFrame(this, movie);
}

HVMovie::HVMovie() : frameCount(0), frameRate(12), width(11000), height(8000) {}

HVMovie::~HVMovie() {
  for (HVFrame* f : frames) delete f;
}

HVFrame* HVMovie::Frame(U32 index) {
  // Frame numbers are 16-bit in the file; far larger indices are misuse.
  ASSERT(index < 0x7FFFFFF0u);
  if (frameCount < static_cast<S32>(index) + 1) frameCount = static_cast<S32>(index) + 1;
  if (index >= frames.size()) {
    size_t oldSize = frames.size();
    frames.resize(size_t(index) + 8, nullptr);
    for (size_t i = oldSize; i < frames.size(); ++i) frames[i] = new HVFrame(this);
  }
  return frames[index];
}

bool HVMovie::WriteMovie(const char* fileName) {
  // The movie is consumed whatever happens, including a thrown error.
  struct Consume {
    HVMovie* m;
    ~Consume() {
      for (HVFrame* f : m->frames) delete f;
      m->frames.clear();
      m->frameCount = 0;
      m->events.clear();
    }
  } consume{this};

  std::list<AddRemoveEvent> all;
  for (auto& entry : events) MergeByDepth(all, entry.second);
  MovieTrace("Depth sorting: %d shapes\n", static_cast<int>(all.size()));
  // std::list::sort is stable.
  all.sort([](const AddRemoveEvent& a, const AddRemoveEvent& b) { return a.depth < b.depth; });
  U32 n = 0;
  for (AddRemoveEvent& e : all) {
    e.place->depth = n;
    if (e.remove) e.remove->depth = n;
    ++n;
  }
  MovieTrace("Depth sorting: complete\n");

  VObjCollection collection;
  for (S32 i = 0; i < frameCount; ++i) {
    HVFrame* frame = frames[static_cast<size_t>(i)];
    for (VObj*& tag : frame->tags) {
      VObj* t = tag;
      tag = nullptr;
      collection.AddObject(t);
    }
    frame->tags.clear();
    collection.AddObject(new VCTShowFrame);
  }
  return collection.CreateMovie(fileName, width, height, frameRate);
}
