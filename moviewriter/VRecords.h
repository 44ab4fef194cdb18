// The primitive records of a movie: rectangle, matrix, colour and string.
#pragma once

#include <string>

#include "moviewriter/VKMVStream.h"

// A rectangle in twips. Written with one field width for all four values,
// the fewest bits that hold the largest (with sign); 31 at most, as the 5-bit
// field count allows.
class VRect {
 public:
  VRect() : xmin(0), xmax(0), ymin(0), ymax(0) {}
  VRect(S32 xmin_, S32 ymin_, S32 xmax_, S32 ymax_)
      : xmin(xmin_), xmax(xmax_), ymin(ymin_), ymax(ymax_) {}
  void WriteTo(VKMVStream& s) const;

  S32 xmin, xmax, ymin, ymax;
};

// A placement or fill transform: optional scale pair, optional rotate/skew
// pair (16.16), translation in twips (always present).
class VMatrix {
 public:
  // Identity: written as a single zero byte.
  VMatrix();
  VMatrix(U32 hasScale, S32 scaleX, S32 scaleY, U32 hasRotate, S32 rotateSkew0, S32 rotateSkew1,
          S32 translateX, S32 translateY);
  void WriteTo(VKMVStream& s) const;

  U32 hasScale;
  U32 nScaleBits;
  S32 scaleX, scaleY;
  U32 hasRotate;
  U32 nRotateBits;
  S32 rotateSkew0, rotateSkew1;
  U32 nTranslateBits;
  S32 translateX, translateY;
  U16 identity;
};

class VColor {
 public:
  // Without alpha. Should the colour be written with alpha after all (shape
  // colours always are), it is opaque.
  VColor(U32 r, U32 g, U32 b) : red(r), green(g), blue(b), alpha(255), alphaChannel(false) {}
  VColor(U32 r, U32 g, U32 b, U32 a) : red(r), green(g), blue(b), alpha(a), alphaChannel(true) {}
  // Red, green, blue, then alpha only when alphaChannel is set.
  void WriteTo(VKMVStream& s) const;

  U32 red, green, blue, alpha;
  bool alphaChannel;
};

class VString {
 public:
  explicit VString(const std::string& text) : m_Text(text) {}
  void WriteTo(VKMVStream& s, bool nulTerminate) const;
  const std::string& Text() const { return m_Text; }

 private:
  std::string m_Text;
};
