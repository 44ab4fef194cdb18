#include "moviewriter/VDTShapes.h"

#include "clib/Assert.h"

VShapeWStyle::VShapeWStyle(VFillStyleArray* fillStyles_, VLineStyleArray* lineStyles_)
    : fillStyles(fillStyles_),
      lineStyles(lineStyles_),
      nFillBits(MinBits(fillStyles_->Count(), 0)),
      nLineBits(MinBits(lineStyles_->Count(), 0)) {}

VShapeWStyle::~VShapeWStyle() {
  delete fillStyles;
  delete lineStyles;
  for (VShapeRec* r : records) delete r;
}

void VShapeWStyle::WriteTo(VKMVStream& s) {
  fillStyles->WriteTo(s);
  lineStyles->WriteTo(s);
  s.WriteUBits(nFillBits, 4, "fill index size");
  s.WriteUBits(nLineBits, 4, "line index size");
  for (VShapeRec* r : records) r->WriteTo(s);
  s.FlushBits();
}

VDTDefineShape3::VDTDefineShape3(VRect* bounds_)
    : characterId(NextCharacterId()),
      bounds(bounds_),
      shape(nullptr),
      fillStyles(new VFillStyleArray),
      lineStyles(new VLineStyleArray),
      styleArraysFinished(false) {}

VDTDefineShape3::~VDTDefineShape3() {
  delete bounds;
  delete shape;
  delete fillStyles;
  delete lineStyles;
}

U32 VDTDefineShape3::AddFillStyle(VFillStyle* style) {
  ASSERT(!styleArraysFinished);
  return fillStyles->Add(style);
}

U32 VDTDefineShape3::AddLineStyle(U32 width, VColor* color) {
  ASSERT(!styleArraysFinished);
  color->alphaChannel = true;
  return lineStyles->Add(new VLineStyle(width, color));
}

void VDTDefineShape3::FinishStyleArrays() {
  ASSERT(!styleArraysFinished);
  styleArraysFinished = true;
  shape = new VShapeWStyle(fillStyles, lineStyles);
  fillStyles = nullptr;
  lineStyles = nullptr;
}

void VDTDefineShape3::AddShapeRecord(VShapeRec* rec) {
  ASSERT(styleArraysFinished);
  rec->SetFillBits(shape->nFillBits);
  rec->SetLineBits(shape->nLineBits);
  shape->AddRecord(rec);
}

void VDTDefineShape3::WriteTo(VKMVStream& s) {
  ASSERT(styleArraysFinished);
  VKMVStream body;
  body.WriteWord(characterId);
  bounds->WriteTo(body);
  shape->WriteTo(body);
  s.AppendTag(32, body.TotalSize(), &body);
}
