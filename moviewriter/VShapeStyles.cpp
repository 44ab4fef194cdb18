#include "moviewriter/VShapeStyles.h"

VFillStyleSolid::VFillStyleSolid(VColor* color_) : color(color_) {
  color->alphaChannel = true;
}

VFillStyleSolid::~VFillStyleSolid() {
  delete color;
}

void VFillStyleSolid::WriteTo(VKMVStream& s) {
  s.WriteByte(0x00);
  color->alphaChannel = true;  // shape colours always carry alpha
  color->WriteTo(s);
}

VFillStyleBitmap::VFillStyleBitmap(U32 repeat_, U16 bitmapId_, VMatrix* matrix_)
    : repeat(repeat_), bitmapId(bitmapId_), matrix(matrix_) {}

VFillStyleBitmap::~VFillStyleBitmap() {
  delete matrix;
}

void VFillStyleBitmap::WriteTo(VKMVStream& s) {
  s.WriteByte(repeat ? 0x40 : 0x41);
  s.WriteWord(bitmapId);
  matrix->WriteTo(s);
}

VGradient::~VGradient() {
  for (VAGradRecord* r : records) delete r;
}

void VGradient::WriteTo(VKMVStream& s) {
  s.WriteUBits(static_cast<U32>(records.size()), 8, "gradient record count");
  for (VAGradRecord* r : records) r->WriteTo(s);
}

VFillStyleGradient::VFillStyleGradient(U32 linear_, VMatrix* matrix_, VGradient* gradient_)
    : linear(linear_), matrix(matrix_), gradient(gradient_) {}

VFillStyleGradient::~VFillStyleGradient() {
  delete matrix;
  delete gradient;
}

void VFillStyleGradient::WriteTo(VKMVStream& s) {
  s.WriteByte(linear ? 0x10 : 0x12);
  matrix->WriteTo(s);
  gradient->WriteTo(s);
}

VLineStyle::VLineStyle(U32 width_, VColor* color_) : width(width_), color(color_) {
  color->alphaChannel = true;
}

VLineStyle::~VLineStyle() {
  delete color;
}

void VLineStyle::WriteTo(VKMVStream& s) {
  s.WriteU16(width, "line width");
  color->WriteTo(s);
}

void WriteStyleCount(VKMVStream& s, U32 count) {
  if (count < 255) {
    s.WriteByte(count);
  } else {
    s.WriteByte(0xFF);
    s.WriteU16(count, "style count");
  }
}

VFillStyleArray::~VFillStyleArray() {
  for (VFillStyle* f : styles) delete f;
}

void VFillStyleArray::WriteTo(VKMVStream& s) {
  WriteStyleCount(s, Count());
  for (VFillStyle* f : styles) f->WriteTo(s);
}

U32 VFillStyleArray::Add(VFillStyle* style) {
  styles.push_back(style);
  return Count();
}

VLineStyleArray::~VLineStyleArray() {
  for (VLineStyle* l : styles) delete l;
}

void VLineStyleArray::WriteTo(VKMVStream& s) {
  WriteStyleCount(s, Count());
  for (VLineStyle* l : styles) l->WriteTo(s);
}

U32 VLineStyleArray::Add(VLineStyle* style) {
  styles.push_back(style);
  return Count();
}
