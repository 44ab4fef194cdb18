// An animated GIF's frames kept compactly and composed on demand on one
// canvas, with the limits on what a file may make the preview keep. No
// operating-system calls: the frames come from a reader (host/GifMedia.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vrixhost {

// A GIF declares its sizes in 16-bit fields, so a 95-byte file can ask for a
// 65535 x 65535 screen. What the preview keeps is checked against these
// before it is taken:
// - the logical screen, and every frame as the file declares it, at most
//   16 Mi pixels (4096 x 4096; one 64 MiB canvas): far beyond any animation a
//   160 x 120 preview shows, and affordable in a 32-bit process;
// - everything kept, at most 256 MiB: the canvas and room to restore it (two
//   canvases), and each frame's palette indices (one byte a pixel, counted
//   at the frame's declared size, which a decoder may hold) and colours. A
//   500 x 500 animation of 300 full frames counts under 80 MiB; 2000 tiny
//   frames on a 2000 x 2000 screen about 34 MiB.
constexpr uint64_t kGifMaxPixels = 4096u * 4096u;
constexpr uint64_t kGifMaxKeptBytes = uint64_t{256} << 20;

// GIF frame disposal methods: what a frame leaves when the next one comes.
enum : unsigned { kGifDisposeBackground = 2, kGifDisposePrevious = 3 };

// One frame as the reader gives it: its rectangle on the screen (already
// clipped to it), its pixels as palette indices and its colours.
struct GifFrame {
  uint32_t left = 0, top = 0, width = 0, height = 0;
  std::vector<uint8_t> indices;  // width x height, top row first
  // 32-bit BGRA by index; alpha 0 is transparent, and an index past the end
  // draws nothing.
  std::vector<uint32_t> colours;
  unsigned disposal = 0;
};

// Why a picture of width x height ("its logical screen", "frame 3") is too
// large, in words; empty when it fits.
std::string GifPixelsProblem(const std::string& what, uint64_t width, uint64_t height);

// What an animation keeps, counted frame by frame against the limits before
// anything is taken for it: by the reader as it reads, and over the sizes a
// file declares before it is read at all.
class GifBudget {
 public:
  // Starts over on a screen of width x height: why it is too large or empty,
  // or empty when it fits.
  std::string Start(uint32_t width, uint32_t height);
  // Counts one more frame, declared at (left, top), width x height with
  // colourCount colours: why it is too large or would take what is kept past
  // kGifMaxKeptBytes (then it is not counted), or empty. *clipped gets its
  // part on the screen, the part that is kept.
  std::string Take(uint32_t left, uint32_t top, uint32_t width, uint32_t height, size_t colourCount,
                   GifFrame* clipped);

  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }
  size_t frames() const { return frames_; }

 private:
  uint32_t width_ = 0, height_ = 0;
  size_t frames_ = 0;
  uint64_t bytes_ = 0;  // the canvas, its restore room, and the frames counted
};

// The frames of one animation, each picture composed when asked for: frame
// after frame on one canvas, as a player shows them (transparent pixels keep
// what is below, and each frame's disposal is honoured before the next).
// Pictures are 32-bit BGRA, top row first, alpha 0 where the animation shows
// nothing, 255 elsewhere. Not for use from several threads at once.
class GifPictures {
 public:
  // Makes an empty animation on a screen of width x height. False with *why
  // when the screen is too large or empty.
  bool Start(uint32_t width, uint32_t height, std::string* why);

  // Counts a frame before its pixels are read (GifBudget::Take).
  std::string Take(uint32_t left, uint32_t top, uint32_t width, uint32_t height, size_t colourCount,
                   GifFrame* clipped) {
    return budget_.Take(left, top, width, height, colourCount, clipped);
  }
  // Keeps a frame that Take counted, with the indices of its clipped size.
  void AddFrame(GifFrame frame);

  size_t size() const { return frames_.size(); }
  bool empty() const { return frames_.empty(); }
  // The picture of frame `index` (< size()), composed on the canvas from
  // where it stands: moving on by one frame composes one frame.
  std::vector<uint32_t> operator[](size_t index) const;

  // Bytes this animation keeps: the frames, the canvas and its restore room.
  uint64_t BytesKept() const;

 private:
  void Rewind() const;
  void Step() const;  // composes the frame after composed_ onto the canvas

  GifBudget budget_;
  uint64_t frameBytes_ = 0;  // the frames' indices and colours
  std::vector<GifFrame> frames_;
  // The composition so far: the canvas holds frame composed_ (none yet when
  // composed_ is kNone); restore_ holds what frame composed_ covered, when
  // its disposal is to restore it.
  static constexpr size_t kNone = static_cast<size_t>(-1);
  mutable std::vector<uint32_t> canvas_, restore_;
  mutable size_t composed_ = kNone;
};

}  // namespace vrixhost
