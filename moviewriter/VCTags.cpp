#include "moviewriter/VCTags.h"

VCTPlaceObject2::VCTPlaceObject2(U16 hasClipDepth_, U16 hasRatio_, U16 hasCharacter_, U16 move_,
                                 U16 depth_, U16 characterId_, VMatrix* matrix_,
                                 VACXForm* colorTransform_, U16 ratio_, VString* name_,
                                 U16 clipDepth_)
    : hasClipDepth(hasClipDepth_),
      hasRatio(hasRatio_),
      hasCharacter(hasCharacter_),
      move(move_),
      depth(depth_),
      characterId(characterId_),
      matrix(matrix_),
      colorTransform(colorTransform_),
      ratio(ratio_),
      name(name_),
      clipDepth(clipDepth_) {}

VCTPlaceObject2::~VCTPlaceObject2() {
  delete matrix;
  delete colorTransform;
  delete name;
}

void VCTPlaceObject2::WriteTo(VKMVStream& s) {
  VKMVStream body;
  body.WriteBits(0, 1);
  body.WriteBits(hasClipDepth ? 1 : 0, 1);
  body.WriteBits(name ? 1 : 0, 1);
  body.WriteBits(hasRatio ? 1 : 0, 1);
  body.WriteBits(colorTransform ? 1 : 0, 1);
  body.WriteBits(matrix ? 1 : 0, 1);
  body.WriteBits(hasCharacter ? 1 : 0, 1);
  body.WriteBits(move ? 1 : 0, 1);
  body.WriteU16(depth, "placement depth");
  if (hasCharacter) body.WriteWord(characterId);
  if (matrix) matrix->WriteTo(body);
  if (colorTransform) {
    body.SetError("colour transforms are not supported");
    colorTransform->WriteTo(body);
  }
  if (hasRatio) body.WriteWord(ratio);
  if (hasClipDepth) body.WriteWord(clipDepth);
  if (name) name->WriteTo(body, true);
  s.AppendTag(26, body.TotalSize(), &body);
}

void VCTRemoveObject::WriteTo(VKMVStream& s) {
  VKMVStream body;
  body.WriteWord(characterId);
  body.WriteU16(depth, "removal depth");
  s.AppendTag(5, body.TotalSize(), &body);
}

void VCTShowFrame::WriteTo(VKMVStream& s) {
  s.AppendTag(1, 0);
}
