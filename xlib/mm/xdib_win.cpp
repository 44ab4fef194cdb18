// The Windows edge of the DIB library: files through xfile, bitmap
// resources, and drawing with GDI.
#include <windows.h>

#include "clib/Assert.h"
#include "xlib/lib/xfile.h"
#include "xlib/mm/XDibFileSource.h"
#include "xlib/mm/xdib.h"

int64_t XDibHandleSource::Remaining() {
  LARGE_INTEGER size;
  LARGE_INTEGER pos;
  LARGE_INTEGER zero;
  zero.QuadPart = 0;
  if (!GetFileSizeEx(m_Handle, &size)) return -1;
  if (!SetFilePointerEx(m_Handle, zero, &pos, FILE_CURRENT)) return -1;
  return size.QuadPart > pos.QuadPart ? size.QuadPart - pos.QuadPart : 0;
}

namespace {

class XFileSource final : public XDibHandleSource {
 public:
  explicit XFileSource(xfile* file) : XDibHandleSource(file->handle), m_File(file) {}
  long Read(void* buffer, uint32_t count) override {
    DWORD n = count;
    if (xFileRead(m_File, buffer, n) < 0) return -1;
    return static_cast<long>(n);
  }

 private:
  xfile* m_File;  // not owned: the caller closes it
};

}  // namespace

int xdibReadFile(XDIB* dib, xfile* file) {
  ASSERT(dib != nullptr && file != nullptr);
  XFileSource src(file);
  return xdibReadFrom(dib, src, true);
}

int xdibLoadResource(XDIB* dib, HINSTANCE module, const char* name) {
  ASSERT(dib != nullptr);
  dib->bits = nullptr;
  HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(2));  // RT_BITMAP
  if (!found) return XERR_RESOURCE;
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  if (!loaded) return XERR_RESOURCE;
  const void* data = LockResource(loaded);
  if (!data) {
    FreeResource(loaded);
    return XERR_RESOURCE;
  }
  // The resource's own size bounds every read: a header that claims more
  // finds only what is there.
  XDibMemorySource src(data, size);
  const int rc = xdibReadFrom(dib, src, false);
  FreeResource(loaded);
  return rc;
}

int xdibDraw(XDIB* dib, HDC dc, int x, int y, HDC memoryDc, DWORD rop) {
  ASSERT(dib != nullptr);
  (void)memoryDc;  // kept for callers; this system draws straight to dc
  const int w = dib->bmiHeader.biWidth;
  const int h = dib->bmiHeader.biHeight;
  return StretchDIBits(dc, x, y, w, h, 0, 0, w, h, dib->bits,
                       reinterpret_cast<const BITMAPINFO*>(&dib->bmiHeader),
                       static_cast<UINT>(dib->colorUse), rop);
}
