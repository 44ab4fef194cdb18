// The records of a shape outline: style change, straight edge, end.
#pragma once

#include "moviewriter/VShapeStyles.h"

class VShapeRec {
 public:
  virtual ~VShapeRec() {}
  virtual void WriteTo(VKMVStream& s) = 0;
  virtual void SetFillBits(U32 n) = 0;
  virtual void SetLineBits(U32 n) = 0;
};

class VShapeRecChange : public VShapeRec {
 public:
  // Owns newFillStyles and newLineStyles (either may be null).
  VShapeRecChange(U32 stateNewStyles, U32 stateLineStyle, U32 stateFillStyle1, U32 stateFillStyle0,
                  U32 stateMoveTo, S32 moveX, S32 moveY, U32 fillStyle0, U32 fillStyle1,
                  U32 lineStyle, VFillStyleArray* newFillStyles, VLineStyleArray* newLineStyles);
  ~VShapeRecChange() override;
  void WriteTo(VKMVStream& s) override;
  void SetFillBits(U32 n) override { nFillBits = n; }
  void SetLineBits(U32 n) override { nLineBits = n; }

  U32 stateNewStyles, stateLineStyle, stateFillStyle1, stateFillStyle0, stateMoveTo;
  U32 nMoveBits;
  U32 nFillBits, nLineBits;
  S32 moveX, moveY;
  U32 fillStyle0, fillStyle1, lineStyle;
  VFillStyleArray* newFillStyles;
  VLineStyleArray* newLineStyles;
};

// A straight edge. Its deltas take at most 17 bits (a 4-bit count of
// nBits - 2); a longer edge is refused when written (use several edges).
class VShapeRecEdgeStraight : public VShapeRec {
 public:
  VShapeRecEdgeStraight(S32 dx, S32 dy);
  void WriteTo(VKMVStream& s) override;
  void SetFillBits(U32) override {}
  void SetLineBits(U32) override {}

  U32 nBits;
  U32 generalLine;
  S32 dx, dy;  // general line
  U32 vertLine;
  S32 horzDelta, vertDelta;
};

// The largest delta a straight edge can carry.
constexpr S32 kMaxEdgeDelta = 65535;

class VShapeRecEnd : public VShapeRec {
 public:
  void WriteTo(VKMVStream& s) override;
  void SetFillBits(U32) override {}
  void SetLineBits(U32) override {}
};
