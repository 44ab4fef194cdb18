#include "host/GifMedia.h"

#include <windows.h>

#include <wincodec.h>

#include <algorithm>

namespace vrixhost {
namespace {

// Holds one COM reference.
template <class T>
class ComRef {
 public:
  ComRef() = default;
  ~ComRef() {
    if (p_) p_->Release();
  }
  ComRef(const ComRef&) = delete;
  ComRef& operator=(const ComRef&) = delete;
  T** operator&() { return &p_; }
  T* operator->() const { return p_; }
  T* get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// Balances a successful CoInitializeEx (S_FALSE included) on this thread.
class ComApartment {
 public:
  ComApartment() : status_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(status_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT status_;
};

// An unsigned number from a metadata query, or `fallback` when the item is
// missing or not a number.
unsigned QueryNumber(IWICMetadataQueryReader* reader, const wchar_t* name, unsigned fallback) {
  if (!reader) return fallback;
  PROPVARIANT v;
  PropVariantInit(&v);
  unsigned result = fallback;
  if (SUCCEEDED(reader->GetMetadataByName(name, &v))) {
    if (v.vt == VT_UI1) result = v.bVal;
    if (v.vt == VT_UI2) result = v.uiVal;
    if (v.vt == VT_UI4) result = v.ulVal;
  }
  PropVariantClear(&v);
  return result;
}

std::wstring Widen(const std::string& text) {
  const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

// GIF frame disposal methods.
enum : unsigned { kDisposeBackground = 2, kDisposePrevious = 3 };

struct Placement {
  unsigned left = 0, top = 0, width = 0, height = 0;
};

void Clear(std::vector<uint32_t>& canvas, int32_t canvasWidth, int32_t canvasHeight,
           const Placement& p) {
  for (unsigned y = p.top; y < p.top + p.height && y < static_cast<unsigned>(canvasHeight); ++y)
    for (unsigned x = p.left; x < p.left + p.width && x < static_cast<unsigned>(canvasWidth); ++x)
      canvas[static_cast<size_t>(y) * canvasWidth + x] = 0;
}

}  // namespace

int32_t LoadGifFrames(const std::string& path, GifFrames* out) {
  ComApartment apartment;
  ComRef<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return static_cast<int32_t>(hr);
  const std::wstring wide = Widen(path);
  if (wide.empty()) return static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  ComRef<IWICBitmapDecoder> decoder;
  hr = factory->CreateDecoderFromFilename(wide.c_str(), nullptr, GENERIC_READ,
                                          WICDecodeMetadataCacheOnDemand, &decoder);
  if (FAILED(hr)) return static_cast<int32_t>(hr);
  GUID container{};
  hr = decoder->GetContainerFormat(&container);
  if (FAILED(hr)) return static_cast<int32_t>(hr);
  if (!IsEqualGUID(container, GUID_ContainerFormatGif))
    return static_cast<int32_t>(WINCODEC_ERR_UNKNOWNIMAGEFORMAT);
  UINT count = 0;
  hr = decoder->GetFrameCount(&count);
  if (FAILED(hr)) return static_cast<int32_t>(hr);
  if (count == 0) return static_cast<int32_t>(WINCODEC_ERR_FRAMEMISSING);

  ComRef<IWICMetadataQueryReader> screen;
  decoder->GetMetadataQueryReader(&screen);  // optional: the first frame's size serves
  GifFrames frames;
  frames.width = static_cast<int32_t>(QueryNumber(screen.get(), L"/logscrdesc/Width", 0));
  frames.height = static_cast<int32_t>(QueryNumber(screen.get(), L"/logscrdesc/Height", 0));

  std::vector<uint32_t> canvas, saved;
  Placement previous;
  unsigned previousDisposal = 0;
  for (UINT i = 0; i < count; ++i) {
    ComRef<IWICBitmapFrameDecode> frame;
    hr = decoder->GetFrame(i, &frame);
    if (FAILED(hr)) return static_cast<int32_t>(hr);
    ComRef<IWICMetadataQueryReader> meta;
    frame->GetMetadataQueryReader(&meta);
    ComRef<IWICBitmapSource> bgra;
    hr = WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame.get(), &bgra);
    if (FAILED(hr)) return static_cast<int32_t>(hr);
    UINT w = 0, h = 0;
    hr = bgra->GetSize(&w, &h);
    if (FAILED(hr)) return static_cast<int32_t>(hr);
    if (w > 16384 || h > 16384) return static_cast<int32_t>(WINCODEC_ERR_IMAGESIZEOUTOFRANGE);
    Placement p;
    p.left = QueryNumber(meta.get(), L"/imgdesc/Left", 0);
    p.top = QueryNumber(meta.get(), L"/imgdesc/Top", 0);
    p.width = w;
    p.height = h;
    if (i == 0) {
      if (frames.width <= 0 || frames.height <= 0) {
        frames.width = static_cast<int32_t>(p.left + w);
        frames.height = static_cast<int32_t>(p.top + h);
      }
      canvas.assign(static_cast<size_t>(frames.width) * frames.height, 0);
    }
    std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
    hr = bgra->CopyPixels(nullptr, w * 4, static_cast<UINT>(pixels.size() * 4),
                          reinterpret_cast<BYTE*>(pixels.data()));
    if (FAILED(hr)) return static_cast<int32_t>(hr);

    // What the previous frame left behind.
    if (previousDisposal == kDisposeBackground)
      Clear(canvas, frames.width, frames.height, previous);
    if (previousDisposal == kDisposePrevious && !saved.empty()) canvas = saved;
    const unsigned disposal = QueryNumber(meta.get(), L"/grctlext/Disposal", 0);
    if (disposal == kDisposePrevious) saved = canvas;

    for (unsigned y = 0; y < h && p.top + y < static_cast<unsigned>(frames.height); ++y) {
      for (unsigned x = 0; x < w && p.left + x < static_cast<unsigned>(frames.width); ++x) {
        const uint32_t pixel = pixels[static_cast<size_t>(y) * w + x];
        if (pixel >> 24) canvas[static_cast<size_t>(p.top + y) * frames.width + p.left + x] = pixel;
      }
    }
    frames.pictures.push_back(canvas);
    const unsigned hundredths = QueryNumber(meta.get(), L"/grctlext/Delay", 0);
    frames.delaysMs.push_back(hundredths < 2 ? kGifDefaultDelayMs
                                             : static_cast<int32_t>(hundredths * 10));
    previous = p;
    previousDisposal = disposal;
  }
  *out = std::move(frames);
  return 0;
}

}  // namespace vrixhost
