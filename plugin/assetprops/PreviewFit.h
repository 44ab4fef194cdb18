// Where the preview draws an image inside its bounds. OS-free.
#pragma once

#include <cstdint>

// A rectangle as left, top, right, bottom.
struct PreviewRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

// The rectangle an image of width x height takes inside `bounds`:
// - an image of exactly the bounds' proportions and at least their size gets
//   the bounds themselves;
// - an image larger than the bounds in either direction is scaled down,
//   keeping its proportions, in integer arithmetic;
// - the scaled (or unscaled) rectangle is centred in the bounds.
// False, leaving *out alone, for a negative size or inverted bounds.
bool FitPreview(int32_t width, int32_t height, const PreviewRect& bounds, PreviewRect* out);
