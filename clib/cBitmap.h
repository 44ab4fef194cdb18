// The class library's bitmap holder: one BMP read from a file into a
// moveable global memory block. Failures throw std::runtime_error with the
// class library's text for a bad format.
#pragma once

#include <windows.h>

#include <cstddef>

class cFile;

class cBitmap {
 public:
  // Zeroes the header, the table and the memory members.
  cBitmap();
  // Does not release the pixel block: its owner calls Free first.
  ~cBitmap() = default;
  cBitmap(const cBitmap&) = delete;
  cBitmap& operator=(const cBitmap&) = delete;

  // Opens path for reading (sharing read and write), seeks to offset and
  // reads one BMP there. The file is closed on every path.
  void LoadFile(const char* path, LONG offset);
  // Reads one BMP from the file's current position; run-length data is
  // decoded, leaving compression and image size 0. On failure the pixel
  // block is released before the exception leaves.
  void Read(cFile& file);
  // Unlocks and frees the pixel block if one is held.
  void Free();

  DWORD RowBytes() const;
  // Colours used, else colours important, else 2, 16 or 256 for 1, 4 or 8
  // bits, else 0.
  DWORD NumColors() const;
  // The image-size field if non-zero, else row bytes times height.
  DWORD ImageSize() const;

  BITMAPINFOHEADER m_Header;
  RGBQUAD m_Colors[256];  // with m_Header, a BITMAPINFO with a full table
  HGLOBAL m_hBits;        // moveable block, locked while held
  BYTE* m_pBits;          // rows bottom-up, m_RowBytes each
  DWORD m_RowBytes;
  volatile int m_bAbort;  // tested by the run-length decoder; nothing sets it here
  DWORD m_Reserved[2];
};

// Header and table form the BITMAPINFO handed to GDI.
static_assert(offsetof(cBitmap, m_Colors) == sizeof(BITMAPINFOHEADER), "cBitmap layout");
#if !defined(_WIN64)
static_assert(sizeof(cBitmap) == 40 + 1024 + 4 + 4 + 4 + 4 + 8, "cBitmap is the 32-bit record");
#endif
