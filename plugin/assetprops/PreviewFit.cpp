#include "plugin/assetprops/PreviewFit.h"

namespace {

// a * b / c without overflow for any 32-bit sizes; c > 0 and the result
// is never above the larger of a and b.
int32_t MulDiv(int32_t a, int32_t b, int32_t c) {
  return static_cast<int32_t>(static_cast<int64_t>(a) * b / c);
}

}  // namespace

bool FitPreview(int32_t w, int32_t h, const PreviewRect& bounds, PreviewRect* out) {
  if (!out || w < 0 || h < 0 || bounds.right < bounds.left || bounds.bottom < bounds.top)
    return false;
  const int64_t W64 = static_cast<int64_t>(bounds.right) - bounds.left;
  const int64_t H64 = static_cast<int64_t>(bounds.bottom) - bounds.top;
  if (W64 > INT32_MAX || H64 > INT32_MAX) return false;
  const int32_t W = static_cast<int32_t>(W64);
  const int32_t H = static_cast<int32_t>(H64);

  const bool sameProportions = static_cast<int64_t>(w) * H == static_cast<int64_t>(h) * W;
  if (sameProportions && w >= W && h >= H) {
    *out = bounds;
    return true;
  }
  int32_t width = w;
  int32_t height = h;
  // Larger in either direction means h > 0 when w < h and w > 0 otherwise,
  // so neither division below is by zero.
  if (w > W || h > H) {
    if (w < h) {
      width = MulDiv(w, H, h);
      height = H;
      if (width >= W) {
        height = MulDiv(W, h, w);
        width = W;
      }
    } else {
      height = MulDiv(W, h, w);
      width = W;
      if (height >= H) {
        width = MulDiv(w, H, h);
        height = H;
      }
    }
  }
  out->left = bounds.left + (W - width) / 2;
  out->top = bounds.top + (H - height) / 2;
  out->right = out->left + width;
  out->bottom = out->top + height;
  return true;
}
