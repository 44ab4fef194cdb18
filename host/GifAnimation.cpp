#include "host/GifAnimation.h"

#include <algorithm>
#include <utility>

namespace vrixhost {

std::string GifPixelsProblem(const std::string& what, uint64_t width, uint64_t height) {
  const std::string size = std::to_string(width) + " x " + std::to_string(height) + " pixels";
  if (width == 0 || height == 0) return what + " is empty (" + size + ")";
  // Both are 16-bit in a GIF (32-bit at most here), so the product fits.
  if (width * height > kGifMaxPixels)
    return what + " is " + size + ", more than the " + std::to_string(kGifMaxPixels) +
           " (4096 x 4096) a preview takes";
  return std::string();
}

std::string GifBudget::Start(uint32_t width, uint32_t height) {
  *this = GifBudget();
  const std::string problem = GifPixelsProblem("its logical screen", width, height);
  if (!problem.empty()) return problem;
  width_ = width;
  height_ = height;
  // Budgeted up front: the canvas, and a canvas's worth of room to restore
  // what a frame covered.
  bytes_ = 2 * uint64_t{width} * height * sizeof(uint32_t);
  return std::string();
}

std::string GifBudget::Take(uint32_t left, uint32_t top, uint32_t width, uint32_t height,
                            size_t colourCount, GifFrame* clipped) {
  std::string problem = GifPixelsProblem("frame " + std::to_string(frames_ + 1), width, height);
  if (!problem.empty()) return problem;
  clipped->left = std::min(left, width_);
  clipped->top = std::min(top, height_);
  clipped->width = std::min(width, width_ - clipped->left);
  clipped->height = std::min(height, height_ - clipped->top);
  // The indices count at the frame's declared size: a decoder may hold every
  // frame whole, though the preview keeps only the part on the screen.
  const uint64_t frame =
      uint64_t{width} * height + colourCount * sizeof(uint32_t) + sizeof(GifFrame);
  if (bytes_ + frame > kGifMaxKeptBytes)
    return "its frames would keep more than " + std::to_string(kGifMaxKeptBytes) +
           " bytes (256 MiB), the most a preview keeps (frame " + std::to_string(frames_ + 1) +
           " goes past it)";
  bytes_ += frame;
  ++frames_;
  return std::string();
}

bool GifPictures::Start(uint32_t width, uint32_t height, std::string* why) {
  *this = GifPictures();
  *why = budget_.Start(width, height);
  return why->empty();
}

void GifPictures::AddFrame(GifFrame frame) {
  frameBytes_ += frame.indices.size() + frame.colours.size() * sizeof(uint32_t) + sizeof(GifFrame);
  frames_.push_back(std::move(frame));
  composed_ = kNone;
}

uint64_t GifPictures::BytesKept() const {
  return frameBytes_ + (canvas_.capacity() + restore_.capacity()) * sizeof(uint32_t);
}

void GifPictures::Rewind() const {
  canvas_.assign(static_cast<size_t>(budget_.width()) * budget_.height(), 0);
  restore_.clear();
  composed_ = kNone;
}

void GifPictures::Step() const {
  const size_t next = composed_ == kNone ? 0 : composed_ + 1;
  const GifFrame& f = frames_[next];
  const size_t width = budget_.width();
  if (composed_ != kNone) {
    // What the frame before leaves behind.
    const GifFrame& before = frames_[composed_];
    for (uint32_t y = 0; y < before.height; ++y) {
      uint32_t* row = &canvas_[static_cast<size_t>(before.top + y) * width + before.left];
      if (before.disposal == kGifDisposeBackground) std::fill(row, row + before.width, 0u);
      if (before.disposal == kGifDisposePrevious)
        std::copy_n(&restore_[static_cast<size_t>(y) * before.width], before.width, row);
    }
  }
  restore_.clear();
  for (uint32_t y = 0; y < f.height; ++y) {
    uint32_t* row = &canvas_[static_cast<size_t>(f.top + y) * width + f.left];
    if (f.disposal == kGifDisposePrevious) restore_.insert(restore_.end(), row, row + f.width);
    const uint8_t* indices = &f.indices[static_cast<size_t>(y) * f.width];
    for (uint32_t x = 0; x < f.width; ++x) {
      const uint32_t pixel = indices[x] < f.colours.size() ? f.colours[indices[x]] : 0;
      if (pixel >> 24) row[x] = pixel;
    }
  }
  composed_ = next;
}

std::vector<uint32_t> GifPictures::operator[](size_t index) const {
  if (index >= frames_.size()) return std::vector<uint32_t>();
  if (composed_ == kNone || composed_ > index) Rewind();
  while (composed_ != index) Step();
  return canvas_;
}

}  // namespace vrixhost
