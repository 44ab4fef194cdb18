#include "moviewriter/VRecords.h"

void VRect::WriteTo(VKMVStream& s) const {
  U32 n = MinBits(MaxAbs(xmin, xmax, ymin, ymax), 1);
  s.WriteUBits(n, 5, "rectangle field size");
  s.WriteSBits(xmin, n, "rectangle xmin");
  s.WriteSBits(xmax, n, "rectangle xmax");
  s.WriteSBits(ymin, n, "rectangle ymin");
  s.WriteSBits(ymax, n, "rectangle ymax");
  s.FlushBits();
}

VMatrix::VMatrix()
    : hasScale(0),
      nScaleBits(0),
      scaleX(0),
      scaleY(0),
      hasRotate(0),
      nRotateBits(0),
      rotateSkew0(0),
      rotateSkew1(0),
      nTranslateBits(0),
      translateX(0),
      translateY(0),
      identity(1) {}

VMatrix::VMatrix(U32 hasScale_, S32 scaleX_, S32 scaleY_, U32 hasRotate_, S32 rotateSkew0_,
                 S32 rotateSkew1_, S32 translateX_, S32 translateY_)
    : hasScale(hasScale_),
      nScaleBits(MinBits(MaxAbs(scaleX_, scaleY_, 0, 0), 1)),
      scaleX(scaleX_),
      scaleY(scaleY_),
      hasRotate(hasRotate_),
      nRotateBits(MinBits(MaxAbs(rotateSkew0_, rotateSkew1_, 0, 0), 1)),
      rotateSkew0(rotateSkew0_),
      rotateSkew1(rotateSkew1_),
      nTranslateBits(MinBits(MaxAbs(translateX_, translateY_, 0, 0), 1)),
      translateX(translateX_),
      translateY(translateY_),
      identity(0) {}

void VMatrix::WriteTo(VKMVStream& s) const {
  if (identity) {
    s.WriteByte(0);  // no scale, no rotation, 0-bit translation; no flush
    return;
  }
  s.WriteBits(hasScale ? 1 : 0, 1);
  if (hasScale) {
    s.WriteUBits(nScaleBits, 5, "matrix scale size");
    s.WriteSBits(scaleX, nScaleBits, "matrix scaleX");
    s.WriteSBits(scaleY, nScaleBits, "matrix scaleY");
  }
  s.WriteBits(hasRotate ? 1 : 0, 1);
  if (hasRotate) {
    s.WriteUBits(nRotateBits, 5, "matrix rotation size");
    s.WriteSBits(rotateSkew0, nRotateBits, "matrix rotateSkew0");
    s.WriteSBits(rotateSkew1, nRotateBits, "matrix rotateSkew1");
  }
  s.WriteUBits(nTranslateBits, 5, "matrix translation size");
  s.WriteSBits(translateX, nTranslateBits, "matrix translateX");
  s.WriteSBits(translateY, nTranslateBits, "matrix translateY");
  s.FlushBits();
}

void VColor::WriteTo(VKMVStream& s) const {
  s.WriteUBits(red, 8, "colour red");
  s.WriteUBits(green, 8, "colour green");
  s.WriteUBits(blue, 8, "colour blue");
  if (alphaChannel) s.WriteUBits(alpha, 8, "colour alpha");
}

void VString::WriteTo(VKMVStream& s, bool nulTerminate) const {
  for (char c : m_Text) s.WriteByte(static_cast<unsigned char>(c));
  if (nulTerminate) s.WriteByte(0);
}
