// The DefineShape3 tag (code 32): bounds, styles and outline records.
//
// Two phases: styles are added first; FinishStyleArrays closes the style
// arrays (their final sizes decide the bits of every style index); then the
// records are added, ending with a VShapeRecEnd. Calls out of phase stop the
// program with an assertion.
#pragma once

#include <vector>

#include "moviewriter/VObj.h"
#include "moviewriter/VShapeRecords.h"

class VShapeWStyle {
 public:
  // Owns both arrays.
  VShapeWStyle(VFillStyleArray* fillStyles, VLineStyleArray* lineStyles);
  ~VShapeWStyle();
  VShapeWStyle(const VShapeWStyle&) = delete;
  VShapeWStyle& operator=(const VShapeWStyle&) = delete;
  void AddRecord(VShapeRec* rec) { records.push_back(rec); }
  void WriteTo(VKMVStream& s);

  VFillStyleArray* fillStyles;
  VLineStyleArray* lineStyles;
  U32 nFillBits, nLineBits;
  std::vector<VShapeRec*> records;  // owned
};

class VDTDefineShape3 : public VDT {
 public:
  // Owns bounds. Takes the next character identifier.
  explicit VDTDefineShape3(VRect* bounds);
  ~VDTDefineShape3() override;
  VDTDefineShape3(const VDTDefineShape3&) = delete;
  VDTDefineShape3& operator=(const VDTDefineShape3&) = delete;

  // Both return the 1-based index of the new style.
  U32 AddFillStyle(VFillStyle* style);
  U32 AddLineStyle(U32 width, VColor* color);
  void FinishStyleArrays();
  void AddShapeRecord(VShapeRec* rec);

  U16 CharacterId() override { return characterId; }
  void WriteTo(VKMVStream& s) override;

  const VShapeWStyle* Shape() const { return shape; }

 private:
  U16 characterId;
  VRect* bounds;
  VShapeWStyle* shape;
  VFillStyleArray* fillStyles;
  VLineStyleArray* lineStyles;
  bool styleArraysFinished;
};
