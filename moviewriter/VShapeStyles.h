// Fill and line styles of a shape and the arrays that hold them.
#pragma once

#include <vector>

#include "moviewriter/VRecords.h"

class VAFillStyle {
 public:
  virtual ~VAFillStyle() {}
  virtual void WriteTo(VKMVStream& s) = 0;
};

class VFillStyle : public VAFillStyle {};

class VFillStyleSolid : public VFillStyle {
 public:
  // Owns the colour; shape colours always carry alpha.
  explicit VFillStyleSolid(VColor* color);
  ~VFillStyleSolid() override;
  void WriteTo(VKMVStream& s) override;

  VColor* color;
};

class VFillStyleBitmap : public VFillStyle {
 public:
  // Owns the matrix (bitmap pixels to shape twips).
  VFillStyleBitmap(U32 repeat, U16 bitmapId, VMatrix* matrix);
  ~VFillStyleBitmap() override;
  void WriteTo(VKMVStream& s) override;

  U32 repeat;
  U16 bitmapId;
  VMatrix* matrix;
};

class VAGradRecord {
 public:
  virtual ~VAGradRecord() {}
  virtual void WriteTo(VKMVStream& s) = 0;
};

class VGradient {
 public:
  VGradient() {}
  ~VGradient();
  VGradient(const VGradient&) = delete;
  VGradient& operator=(const VGradient&) = delete;
  void Add(VAGradRecord* record) { records.push_back(record); }
  // One count byte (at most 255 records), then each record.
  void WriteTo(VKMVStream& s);

  std::vector<VAGradRecord*> records;  // owned
};

class VFillStyleGradient : public VFillStyle {
 public:
  // Owns the matrix and the gradient.
  VFillStyleGradient(U32 linear, VMatrix* matrix, VGradient* gradient);
  ~VFillStyleGradient() override;
  void WriteTo(VKMVStream& s) override;

  U32 linear;
  VMatrix* matrix;
  VGradient* gradient;
};

class VALineStyle {
 public:
  virtual ~VALineStyle() {}
  virtual void WriteTo(VKMVStream& s) = 0;
};

class VLineStyle : public VALineStyle {
 public:
  // Owns the colour. The width is written as 16 bits.
  VLineStyle(U32 width, VColor* color);
  ~VLineStyle() override;
  void WriteTo(VKMVStream& s) override;

  U32 width;
  VColor* color;
};

// Counts below 255 take one byte; 255 and more the byte 0xFF, then a U16.
class VFillStyleArray {
 public:
  VFillStyleArray() {}
  virtual ~VFillStyleArray();
  VFillStyleArray(const VFillStyleArray&) = delete;
  VFillStyleArray& operator=(const VFillStyleArray&) = delete;
  virtual void WriteTo(VKMVStream& s);
  U32 Add(VFillStyle* style);  // returns the new count
  U32 Count() const { return static_cast<U32>(styles.size()); }

  std::vector<VFillStyle*> styles;  // owned
};

class VLineStyleArray {
 public:
  VLineStyleArray() {}
  ~VLineStyleArray();
  VLineStyleArray(const VLineStyleArray&) = delete;
  VLineStyleArray& operator=(const VLineStyleArray&) = delete;
  void WriteTo(VKMVStream& s);
  U32 Add(VLineStyle* style);  // returns the new count
  U32 Count() const { return static_cast<U32>(styles.size()); }

  std::vector<VLineStyle*> styles;  // owned
};

// Writes the extended style count shared by both arrays.
void WriteStyleCount(VKMVStream& s, U32 count);
