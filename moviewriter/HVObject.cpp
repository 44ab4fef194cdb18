#include "moviewriter/HVObject.h"

#include <cmath>
#include <cstdint>

#include "clib/Assert.h"
#include "moviewriter/HVMovie.h"
#include "moviewriter/VDTBits.h"
#include "moviewriter/VDTShapes.h"

namespace {

// Truncation toward zero, saturating instead of overflowing.
S32 TruncS32(double v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<S32>(v);
}

S32 SaturateS32(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<S32>(v);
}

// Bitmap pixels to shape twips: the outline's extent (one twip more than the
// bounds) over the bitmap's size, in 16.16. Computed in 64 bits: a picture
// thousands of pixels wide overflows 32. A bitmap with no pixels (a picture
// whose header could not be read) is scaled as if one pixel wide, so the
// movie is still written. A factor too large for a matrix field saturates and
// is then refused when written.
S32 BitmapScale(S32 lo, S32 hi, S32 pixels) {
  int64_t extent = int64_t(hi) - int64_t(lo) + 1;
  int64_t divisor = pixels > 0 ? pixels : 1;
  return SaturateS32(extent * 65536 / divisor);
}

// One side of the outline, as collinear edges that each fit a straight edge.
void AddSide(VDTDefineShape3* shape, int64_t dx, int64_t dy) {
  while (dx != 0 || dy != 0) {
    int64_t stepX =
        dx > kMaxEdgeDelta ? kMaxEdgeDelta : (dx < -kMaxEdgeDelta ? -kMaxEdgeDelta : dx);
    int64_t stepY =
        dy > kMaxEdgeDelta ? kMaxEdgeDelta : (dy < -kMaxEdgeDelta ? -kMaxEdgeDelta : dy);
    shape->AddShapeRecord(
        new VShapeRecEdgeStraight(static_cast<S32>(stepX), static_cast<S32>(stepY)));
    dx -= stepX;
    dy -= stepY;
  }
}

}  // namespace

void HVObject::RemoveFromFrame(HVFrame* frame, HVMovie* movie) {
  ASSERT(characterId >= 0);
  auto it = movie->events.find(characterId);
  ASSERT(it != movie->events.end() && !it->second.empty() && it->second.back().remove == nullptr);
  VCTRemoveObject* remove = new VCTRemoveObject(static_cast<U16>(characterId), depth);
  frame->tags.push_back(remove);
  it->second.back().remove = remove;
}

HVShape::HVShape(S32 x1, S32 y1, S32 x2, S32 y2)
    : bounds(x1, y1, x2, y2),
      lineWidth(20),
      lineColor{0, 0, 0, 255},
      lineStyleIndex(1),
      fillStyleIndex(1),
      x(0),
      y(0),
      rotation(0),
      scaleX(0x10000),
      scaleY(0x10000),
      fillType(1),
      fillColor{255, 255, 255, 255},
      bitmapKind(0),
      bitmapWidth(0),
      bitmapHeight(0),
      bitmapDataSize(0),
      bitmapTag(nullptr),
      gradientMatrix(new VMatrix(0, 0, 0, 0, 0, 0, 0, 0)),
      gradient(new VGradient) {}

HVShape::~HVShape() {
  delete gradientMatrix;
  delete gradient;
}

bool HVShape::HasTransform() {
  return x != 0 || y != 0 || rotation != 0 || scaleX != 0x10000 || scaleY != 0x10000;
}

VMatrix* HVShape::GetMatrix() {
  // Every intermediate is single precision; the casts mark each rounding.
  // They hold only where each operation is rounded to its type: SSE2
  // arithmetic on every target (the toolchain files), never x87, whose
  // extended intermediates GCC keeps across such casts. cos and sin come from
  // the C library in double precision and are then rounded to float.
  const float cx = static_cast<float>(
      TruncS32(static_cast<float>(static_cast<float>(int64_t(bounds.xmin) + bounds.xmax) * 0.5f)));
  const float cy = static_cast<float>(
      TruncS32(static_cast<float>(static_cast<float>(int64_t(bounds.ymin) + bounds.ymax) * 0.5f)));
  const float sx = static_cast<float>(static_cast<float>(scaleX) / 65536.0f);
  const float sy = static_cast<float>(static_cast<float>(scaleY) / 65536.0f);
  const float deg = static_cast<float>(static_cast<float>(rotation) / 65536.0f);
  const float theta = static_cast<float>(deg * 0.017453292519943295);
  const float cosA = static_cast<float>(std::cos(static_cast<double>(theta)));
  const float sinA = static_cast<float>(std::sin(static_cast<double>(theta)));

  const S32 mScaleX = TruncS32(static_cast<float>(static_cast<float>(cosA * sx) * 65536.0f));
  const S32 mScaleY = TruncS32(static_cast<float>(static_cast<float>(cosA * sy) * 65536.0f));
  const S32 mRotate0 = TruncS32(static_cast<float>(static_cast<float>(sinA * sx) * 65536.0f));
  const S32 mRotate1 = TruncS32(static_cast<float>(static_cast<float>(-sinA * sy) * 65536.0f));

  const float ax = static_cast<float>(cosA * cx);
  const float bx = static_cast<float>(sinA * cy);
  const float dx = static_cast<float>(static_cast<float>(ax - bx) - cx);
  const float ay = static_cast<float>(sinA * cx);
  const float by = static_cast<float>(cosA * cy);
  const float dy = static_cast<float>(static_cast<float>(ay + by) - cy);
  const S32 tx = SaturateS32(int64_t(x) - TruncS32(static_cast<float>(sx * dx)));
  const S32 ty = SaturateS32(int64_t(y) - TruncS32(static_cast<float>(sy * dy)));
  return new VMatrix(1, mScaleX, mScaleY, 1, mRotate0, mRotate1, tx, ty);
}

void HVRectangle::AddToFrame(HVFrame* frame, HVMovie* movie) {
  if (!defined) {
    VDTDefineShape3* shape = new VDTDefineShape3(new VRect(bounds));
    characterId = shape->CharacterId();

    VFillStyle* fill = nullptr;
    if (fillType == 4) {
      ASSERT(bitmapTag != nullptr);
      frame->tags.push_back(bitmapTag);  // written before the shape
      // A placeholder first, so the real fill is style 2.
      shape->AddFillStyle(
          new VFillStyleBitmap(0, 0xFFFF, new VMatrix(1, 0xA0000, 0xA0000, 0, 0, 0, 0, 0)));
      fill = new VFillStyleBitmap(0, bitmapTag->CharacterId(),
                                  new VMatrix(1, BitmapScale(bounds.xmin, bounds.xmax, bitmapWidth),
                                              BitmapScale(bounds.ymin, bounds.ymax, bitmapHeight),
                                              0, 0, 0, bounds.xmin, bounds.ymin));
      bitmapTag = nullptr;  // the frame owns it now
    } else if (fillType == 1) {
      fill =
          new VFillStyleSolid(new VColor(fillColor[0], fillColor[1], fillColor[2], fillColor[3]));
    } else if (fillType == 2 || fillType == 3) {
      fill = new VFillStyleGradient(fillType == 2 ? 1 : 0,
                                    gradientMatrix ? gradientMatrix : new VMatrix(),
                                    gradient ? gradient : new VGradient);
      gradientMatrix = nullptr;
      gradient = nullptr;
    }
    if (fill) fillStyleIndex = static_cast<S32>(shape->AddFillStyle(fill));
    if (lineWidth > 0) {
      lineStyleIndex = static_cast<S32>(
          shape->AddLineStyle(static_cast<U32>(lineWidth),
                              new VColor(lineColor[0], lineColor[1], lineColor[2], lineColor[3])));
    }
    shape->FinishStyleArrays();

    shape->AddShapeRecord(new VShapeRecChange(0, 1, 1, 0, 1, bounds.xmin, bounds.ymin, 0,
                                              static_cast<U32>(fillStyleIndex),
                                              static_cast<U32>(lineStyleIndex), nullptr, nullptr));
    // The outline is one twip wider and taller than the bounds.
    const int64_t w = int64_t(bounds.xmax) - bounds.xmin + 1;
    const int64_t h = int64_t(bounds.ymax) - bounds.ymin + 1;
    AddSide(shape, w, 0);
    AddSide(shape, 0, h);
    AddSide(shape, -w, 0);
    AddSide(shape, 0, -h);
    shape->AddShapeRecord(new VShapeRecEnd);

    frame->tags.push_back(shape);
    defined = 1;
  }

  ASSERT(characterId >= 0);
  VMatrix* matrix = HasTransform() ? GetMatrix() : nullptr;
  VCTPlaceObject2* place = new VCTPlaceObject2(0, 0, 1, 0, depth, static_cast<U16>(characterId),
                                               matrix, nullptr, 0, nullptr, 0);
  frame->tags.push_back(place);
  movie->events[characterId].push_back(AddRemoveEvent{place, nullptr, depth});
}

HVBitmap::HVBitmap(S32 x1, S32 y1, S32 x2, S32 y2, S32 bitmapWidth_, S32 bitmapHeight_,
                   const U8* data, U32 size)
    : HVRectangle(x1, y1, x2, y2) {
  fillType = 4;
  lineWidth = 0;
  bitmapKind = 0;
  bitmapWidth = bitmapWidth_;
  bitmapHeight = bitmapHeight_;
  bitmapDataSize = static_cast<S32>(size);
  bitmapTag = new VDTDefineBitsJPEG2(data, size);
}

HVBitmap::HVBitmap(S32 x1, S32 y1, S32 x2, S32 y2, U8 format, S32 bitmapWidth_, S32 bitmapHeight_,
                   U32 colorTableSize, bool hasAlpha, const U8* pixels, const U8* colorTable)
    : HVRectangle(x1, y1, x2, y2) {
  fillType = 4;
  lineWidth = 0;
  bitmapKind = 1;
  bitmapWidth = bitmapWidth_;
  bitmapHeight = bitmapHeight_;
  bitmapTag = new VDTDefineBitsLosslessBase(format, static_cast<U32>(bitmapWidth_),
                                            static_cast<U32>(bitmapHeight_), colorTableSize,
                                            colorTable, pixels, hasAlpha);
}

HVBitmap::~HVBitmap() {
  delete bitmapTag;
}
