#include "moviewriter/VShapeRecords.h"

VShapeRecChange::VShapeRecChange(U32 stateNewStyles_, U32 stateLineStyle_, U32 stateFillStyle1_,
                                 U32 stateFillStyle0_, U32 stateMoveTo_, S32 moveX_, S32 moveY_,
                                 U32 fillStyle0_, U32 fillStyle1_, U32 lineStyle_,
                                 VFillStyleArray* newFillStyles_, VLineStyleArray* newLineStyles_)
    : stateNewStyles(stateNewStyles_),
      stateLineStyle(stateLineStyle_),
      stateFillStyle1(stateFillStyle1_),
      stateFillStyle0(stateFillStyle0_),
      stateMoveTo(stateMoveTo_),
      nMoveBits(MinBits(MaxAbs(moveX_, moveY_, 0, 0), 1)),
      nFillBits(0),
      nLineBits(0),
      moveX(moveX_),
      moveY(moveY_),
      fillStyle0(fillStyle0_),
      fillStyle1(fillStyle1_),
      lineStyle(lineStyle_),
      newFillStyles(newFillStyles_),
      newLineStyles(newLineStyles_) {}

VShapeRecChange::~VShapeRecChange() {
  delete newFillStyles;
  delete newLineStyles;
}

void VShapeRecChange::WriteTo(VKMVStream& s) {
  s.WriteBits(0, 1);  // not an edge
  s.WriteBits(stateNewStyles ? 1 : 0, 1);
  s.WriteBits(stateLineStyle ? 1 : 0, 1);
  s.WriteBits(stateFillStyle1 ? 1 : 0, 1);
  s.WriteBits(stateFillStyle0 ? 1 : 0, 1);
  s.WriteBits(stateMoveTo ? 1 : 0, 1);
  if (stateMoveTo) {
    s.WriteUBits(nMoveBits, 5, "move field size");
    s.WriteSBits(moveX, nMoveBits, "move x");
    s.WriteSBits(moveY, nMoveBits, "move y");
  }
  // With no styles of a kind the index takes no bits at all.
  if (stateFillStyle0 && nFillBits) s.WriteUBits(fillStyle0, nFillBits, "fill style 0 index");
  if (stateFillStyle1 && nFillBits) s.WriteUBits(fillStyle1, nFillBits, "fill style 1 index");
  if (stateLineStyle && nLineBits) s.WriteUBits(lineStyle, nLineBits, "line style index");
  if (stateNewStyles) {
    // Nothing follows the new arrays here: the bit counts of the enclosing
    // shape stay in force, and no part of this program sets new styles.
    if (newFillStyles) {
      newFillStyles->WriteTo(s);
    } else {
      WriteStyleCount(s, 0);
    }
    if (newLineStyles) {
      newLineStyles->WriteTo(s);
    } else {
      WriteStyleCount(s, 0);
    }
  }
}

VShapeRecEdgeStraight::VShapeRecEdgeStraight(S32 dx_, S32 dy_)
    : nBits(0), generalLine(0), dx(0), dy(0), vertLine(0), horzDelta(0), vertDelta(0) {
  if (dx_ != 0 && dy_ != 0) {
    generalLine = 1;
    dx = dx_;
    dy = dy_;
  } else if (dx_ != 0) {
    horzDelta = dx_;
  } else {
    vertLine = 1;
    vertDelta = dy_;
  }
  nBits = MinBits(MaxAbs(dx, dy, horzDelta, vertDelta), 1);
}

void VShapeRecEdgeStraight::WriteTo(VKMVStream& s) {
  s.WriteBits(1, 1);  // edge
  s.WriteBits(1, 1);  // straight
  // A zero-length edge would need a count of -1 and cannot be decoded.
  if (nBits < 2) s.SetError("zero-length edge");
  s.WriteUBits(nBits < 2 ? 0 : nBits - 2, 4, "edge field size");
  s.WriteBits(generalLine, 1);
  if (generalLine) {
    s.WriteSBits(dx, nBits, "edge dx");
    s.WriteSBits(dy, nBits, "edge dy");
  } else {
    s.WriteBits(vertLine, 1);
    s.WriteSBits(vertLine ? vertDelta : horzDelta, nBits, "edge delta");
  }
}

void VShapeRecEnd::WriteTo(VKMVStream& s) {
  s.WriteBits(0, 6);
  s.FlushBits();
}
