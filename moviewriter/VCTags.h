// Control tags: PlaceObject2 (code 26), RemoveObject (5), ShowFrame (1).
#pragma once

#include "moviewriter/VObj.h"
#include "moviewriter/VRecords.h"

// A colour transform. No part of this program creates one; a placement that
// carries one is refused when written, since its encoding is not defined here.
class VACXForm {
 public:
  virtual ~VACXForm() {}
  virtual void WriteTo(VKMVStream& s) = 0;
};

class VCTPlaceObject2 : public VCT {
 public:
  // Owns matrix, colorTransform and name (each may be null).
  VCTPlaceObject2(U16 hasClipDepth, U16 hasRatio, U16 hasCharacter, U16 move, U16 depth,
                  U16 characterId, VMatrix* matrix, VACXForm* colorTransform, U16 ratio,
                  VString* name, U16 clipDepth);
  ~VCTPlaceObject2() override;
  VCTPlaceObject2(const VCTPlaceObject2&) = delete;
  VCTPlaceObject2& operator=(const VCTPlaceObject2&) = delete;
  void WriteTo(VKMVStream& s) override;

  U16 hasClipDepth, hasRatio, hasCharacter, move;
  // Final depths are assigned by the movie and may exceed 16 bits when more
  // than 65536 placements exist; such a movie is refused when written.
  U32 depth;
  U16 characterId;
  VMatrix* matrix;
  VACXForm* colorTransform;
  U16 ratio;
  VString* name;
  U16 clipDepth;
};

class VCTRemoveObject : public VCT {
 public:
  VCTRemoveObject(U16 characterId_, U32 depth_) : characterId(characterId_), depth(depth_) {}
  void WriteTo(VKMVStream& s) override;

  U16 characterId;
  U32 depth;  // see VCTPlaceObject2::depth
};

class VCTShowFrame : public VCT {
 public:
  void WriteTo(VKMVStream& s) override;
  bool IsShowFrame() override { return true; }
};
