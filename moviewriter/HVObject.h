// Placeable objects of the high-level movie model.
//
// An object is defined once, in the first frame it is added to (its
// definition tags go into that frame), and placed each time it is added.
// Objects belong to the client; frames and movies never delete them. Because
// character identifiers restart with every movie, an object serves one movie.
#pragma once

#include "moviewriter/VRecords.h"
#include "moviewriter/VShapeStyles.h"

class HVFrame;
class HVMovie;
class VDT;

class HVObject {
 public:
  HVObject() : depth(1), defined(0), characterId(-1) {}
  virtual ~HVObject() {}
  HVObject(const HVObject&) = delete;
  HVObject& operator=(const HVObject&) = delete;

  virtual void AddToFrame(HVFrame* frame, HVMovie* movie) = 0;
  // Adds a RemoveObject for the object's last placement. The object must have
  // a placement in this movie that has not been removed yet.
  virtual void RemoveFromFrame(HVFrame* frame, HVMovie* movie);
  virtual bool HasTransform() { return false; }
  // A new matrix (the caller owns it), or null.
  virtual VMatrix* GetMatrix() { return nullptr; }

  U16 depth;  // requested stacking order; larger is in front
  U8 defined;
  S32 characterId;  // -1 until defined
};

class HVShape : public HVObject {
 public:
  HVShape(S32 x1, S32 y1, S32 x2, S32 y2);
  ~HVShape() override;

  // True unless x, y, rotation and scales are all neutral.
  bool HasTransform() override;
  // Rotation and scale about the centre of the bounds, then translation by
  // (x, y); single-precision intermediates, truncation toward zero.
  VMatrix* GetMatrix() override;

  VRect bounds;
  S32 lineWidth;  // twips; 0 or less: no outline
  U8 lineColor[4];
  S32 lineStyleIndex;
  S32 fillStyleIndex;
  S32 x, y;
  S32 rotation;        // degrees, 16.16
  S32 scaleX, scaleY;  // 16.16
  S32 fillType;        // 1 solid, 2 linear gradient, 3 radial gradient, 4 bitmap, else none
  U8 fillColor[4];
  S32 bitmapKind;                 // 0 JPEG, 1 lossless
  S32 bitmapWidth, bitmapHeight;  // pixels
  S32 bitmapDataSize;
  VDT* bitmapTag;           // owned until AddToFrame hands it to a frame
  VMatrix* gradientMatrix;  // owned until moved into a gradient fill
  VGradient* gradient;      // likewise
};

class HVRectangle : public HVShape {
 public:
  HVRectangle(S32 x1, S32 y1, S32 x2, S32 y2) : HVShape(x1, y1, x2, y2) {}
  void AddToFrame(HVFrame* frame, HVMovie* movie) override;
};

// A rectangle filled with a picture, without outline. The bitmap definition
// is created here, so it takes its identifier before the shape's.
class HVBitmap : public HVRectangle {
 public:
  // JPEG: data is referenced, not copied; it must stay valid until the movie
  // has been written.
  HVBitmap(S32 x1, S32 y1, S32 x2, S32 y2, S32 bitmapWidth, S32 bitmapHeight, const U8* data,
           U32 size);
  // Colour-mapped or direct pixels: table and pixels are compressed now and
  // may be freed after the constructor returns.
  HVBitmap(S32 x1, S32 y1, S32 x2, S32 y2, U8 format, S32 bitmapWidth, S32 bitmapHeight,
           U32 colorTableSize, bool hasAlpha, const U8* pixels, const U8* colorTable);
  // Deletes the bitmap definition if it was never handed to a frame.
  ~HVBitmap() override;
};
