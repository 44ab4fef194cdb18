#include "clib/cBitmap.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include "clib/Assert.h"
#include "clib/ErrorText.h"
#include "clib/cFile.h"
#include "xlib/mm/XDibFileSource.h"
#include "xlib/mm/xdib.h"

namespace {

// The class library's code for a picture it cannot read.
constexpr int kErrorBadBitmap = 0x0800000A;

[[noreturn]] void ThrowBadBitmap() {
  char text[256];
  FormatErrorText(kErrorBadBitmap, text, 0, sizeof text);
  throw std::runtime_error(text);
}

class cFileSource final : public XDibHandleSource {
 public:
  explicit cFileSource(cFile& file) : XDibHandleSource(file.m_Handle), m_File(file) {}
  long Read(void* buffer, uint32_t count) override {
    const DWORD n = m_File.Read(buffer, count);
    if (m_File.GetError() == kErrorSystem) return -1;
    return static_cast<long>(n);
  }

 private:
  cFile& m_File;  // not owned
};

}  // namespace

cBitmap::cBitmap() : m_hBits(nullptr), m_pBits(nullptr), m_RowBytes(0), m_bAbort(0) {
  std::memset(&m_Header, 0, sizeof m_Header);
  std::memset(m_Colors, 0, sizeof m_Colors);
  m_Reserved[0] = m_Reserved[1] = 0;
}

void cBitmap::LoadFile(const char* path, LONG offset) {
  ASSERT(path != nullptr);
  cFile file;
  // An unopened cFile must never be read: a file that cannot be opened is
  // reported like a bad picture.
  if (file.OpenRead(GENERIC_READ, path, FILE_SHARE_READ | FILE_SHARE_WRITE) != kErrorNone)
    ThrowBadBitmap();
  file.Seek(offset, FILE_BEGIN);
  try {
    Read(file);
  } catch (...) {
    file.Close();
    throw;
  }
  file.Close();
}

void cBitmap::Read(cFile& file) {
  ASSERT(file.IsOpen());
  // The shared loader does the reading, checking and decoding; this holder
  // then keeps the pixels in its moveable block.
  std::unique_ptr<XDIB> dib(new XDIB());
  std::memset(dib.get(), 0, sizeof(XDIB));
  cFileSource src(file);
  XDibReadOptions options;
  options.importantColorsCount = true;
  options.abortFlag = &m_bAbort;
  if (xdibReadWith(dib.get(), src, options) != XERR_OK) {
    Free();
    ThrowBadBitmap();
  }
  const SIZE_T size =
      static_cast<SIZE_T>(dib->rowBytes) * static_cast<DWORD>(dib->bmiHeader.biHeight);
  Free();
  m_hBits = GlobalAlloc(GMEM_MOVEABLE, size);
  m_pBits = m_hBits ? static_cast<BYTE*>(GlobalLock(m_hBits)) : nullptr;
  if (!m_pBits) {
    xdibFree(dib.get());
    Free();
    ThrowBadBitmap();
  }
  std::memcpy(m_pBits, dib->bits, size);
  xdibFree(dib.get());
  m_Header = dib->bmiHeader;
  std::memcpy(m_Colors, dib->palette, sizeof m_Colors);
  m_RowBytes = dib->rowBytes;
}

void cBitmap::Free() {
  if (m_hBits) {
    if (m_pBits) GlobalUnlock(m_hBits);
    GlobalFree(m_hBits);
  }
  m_hBits = nullptr;
  m_pBits = nullptr;
}

DWORD cBitmap::RowBytes() const {
  return xdibRowBytes(m_Header.biWidth, m_Header.biBitCount);
}

DWORD cBitmap::NumColors() const {
  if (m_Header.biClrUsed) return m_Header.biClrUsed;
  if (m_Header.biClrImportant) return m_Header.biClrImportant;
  return xdibNumColors(&m_Header);
}

DWORD cBitmap::ImageSize() const {
  if (m_Header.biSizeImage) return m_Header.biSizeImage;
  return RowBytes() * static_cast<DWORD>(m_Header.biHeight);
}
