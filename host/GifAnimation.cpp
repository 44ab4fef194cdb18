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

bool GifPictures::Start(uint32_t width, uint32_t height, std::string* why) {
  *this = GifPictures();
  *why = GifPixelsProblem("its logical screen", width, height);
  if (!why->empty()) return false;
  width_ = width;
  height_ = height;
  return true;
}

void GifPictures::Clip(uint32_t left, uint32_t top, uint32_t width, uint32_t height,
                       GifFrame* frame) const {
  frame->left = std::min(left, width_);
  frame->top = std::min(top, height_);
  frame->width = std::min(width, width_ - frame->left);
  frame->height = std::min(height, height_ - frame->top);
}

uint64_t GifPictures::CanvasBytes() const {
  return uint64_t{width_} * height_ * sizeof(uint32_t);
}

std::string GifPictures::RoomProblem(const GifFrame& clipped, size_t colourCount) const {
  // Budgeted up front: the canvas, and a canvas's worth of room to restore
  // what a frame covered.
  const uint64_t frame =
      uint64_t{clipped.width} * clipped.height + colourCount * sizeof(uint32_t) + sizeof(GifFrame);
  if (2 * CanvasBytes() + frameBytes_ + frame <= kGifMaxKeptBytes) return std::string();
  return "its frames would keep more than " + std::to_string(kGifMaxKeptBytes) +
         " bytes (256 MiB), the most a preview keeps (frame " + std::to_string(size() + 1) +
         " goes past it)";
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
  canvas_.assign(static_cast<size_t>(width_) * height_, 0);
  restore_.clear();
  composed_ = kNone;
}

void GifPictures::Step() const {
  const size_t next = composed_ == kNone ? 0 : composed_ + 1;
  const GifFrame& f = frames_[next];
  if (composed_ != kNone) {
    // What the frame before leaves behind.
    const GifFrame& before = frames_[composed_];
    for (uint32_t y = 0; y < before.height; ++y) {
      uint32_t* row = &canvas_[static_cast<size_t>(before.top + y) * width_ + before.left];
      if (before.disposal == kGifDisposeBackground) std::fill(row, row + before.width, 0u);
      if (before.disposal == kGifDisposePrevious)
        std::copy_n(&restore_[static_cast<size_t>(y) * before.width], before.width, row);
    }
  }
  restore_.clear();
  for (uint32_t y = 0; y < f.height; ++y) {
    uint32_t* row = &canvas_[static_cast<size_t>(f.top + y) * width_ + f.left];
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
