#include "host/GifMedia.h"

#include <windows.h>

#include <wincodec.h>

#include <algorithm>
#include <fstream>
#include <utility>

#include "host/GifDeclaredSizes.h"

namespace vrixhost {

const int32_t kGifTooLarge = static_cast<int32_t>(WINCODEC_ERR_IMAGESIZEOUTOFRANGE);

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

// A frame's colours: BGRA by index, alpha 0 at the transparent one.
HRESULT ReadColours(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame,
                    std::vector<uint32_t>* colours) {
  ComRef<IWICPalette> palette;
  HRESULT hr = factory->CreatePalette(&palette);
  if (SUCCEEDED(hr)) hr = frame->CopyPalette(palette.get());
  UINT count = 0;
  if (SUCCEEDED(hr)) hr = palette->GetColorCount(&count);
  if (FAILED(hr)) return hr;
  colours->assign(std::min<UINT>(count, 256), 0);
  UINT actual = 0;
  hr = palette->GetColors(static_cast<UINT>(colours->size()), colours->data(), &actual);
  colours->resize(std::min<size_t>(actual, colours->size()));
  return hr;
}

// The palette indices of the frame's part on the screen (frame->width x
// frame->height, from its top left corner).
HRESULT ReadIndices(IWICBitmapFrameDecode* source, GifFrame* frame) {
  WICPixelFormatGUID format{};
  HRESULT hr = source->GetPixelFormat(&format);
  if (FAILED(hr)) return hr;
  if (!IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed))
    return WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
  frame->indices.assign(static_cast<size_t>(frame->width) * frame->height, 0);
  if (frame->indices.empty()) return S_OK;
  const WICRect part = {0, 0, static_cast<INT>(frame->width), static_cast<INT>(frame->height)};
  return source->CopyPixels(&part, frame->width, static_cast<UINT>(frame->indices.size()),
                            frame->indices.data());
}

// Reads frame `index` into `frames`, starting the animation at the first one
// on the file's screen (the first frame's extent when it declares none).
// The imaging components' status; *problem says what is too large when the
// frame is refused for a limit.
HRESULT ReadFrame(IWICImagingFactory* factory, IWICBitmapDecoder* decoder, UINT index,
                  uint32_t screenWidth, uint32_t screenHeight, GifFrames* frames,
                  std::string* problem) {
  ComRef<IWICBitmapFrameDecode> source;
  HRESULT hr = decoder->GetFrame(index, &source);
  if (FAILED(hr)) return hr;
  ComRef<IWICMetadataQueryReader> meta;
  source->GetMetadataQueryReader(&meta);
  UINT w = 0, h = 0;
  hr = source->GetSize(&w, &h);
  if (FAILED(hr)) return hr;
  const unsigned left = QueryNumber(meta.get(), L"/imgdesc/Left", 0);
  const unsigned top = QueryNumber(meta.get(), L"/imgdesc/Top", 0);
  if (index == 0) {
    if (screenWidth == 0 || screenHeight == 0) {
      screenWidth = left + w;
      screenHeight = top + h;
    }
    if (!frames->pictures.Start(screenWidth, screenHeight, problem)) return kGifTooLarge;
    frames->width = static_cast<int32_t>(screenWidth);
    frames->height = static_cast<int32_t>(screenHeight);
  }
  GifFrame frame;
  hr = ReadColours(factory, source.get(), &frame.colours);
  if (FAILED(hr)) return hr;
  *problem = frames->pictures.Take(left, top, w, h, frame.colours.size(), &frame);
  if (!problem->empty()) return kGifTooLarge;
  hr = ReadIndices(source.get(), &frame);
  if (FAILED(hr)) return hr;
  frame.disposal = QueryNumber(meta.get(), L"/grctlext/Disposal", 0);
  frames->pictures.AddFrame(std::move(frame));
  const unsigned hundredths = QueryNumber(meta.get(), L"/grctlext/Delay", 0);
  frames->delaysMs.push_back(hundredths < 2 ? kGifDefaultDelayMs
                                            : static_cast<int32_t>(hundredths * 10));
  return S_OK;
}

int32_t TooLarge(const std::string& problem, std::string* why) {
  if (why) *why = problem;
  return kGifTooLarge;
}

}  // namespace

int32_t LoadGifFrames(const std::string& path, GifFrames* out, std::string* why) {
  ComApartment apartment;
  ComRef<IWICImagingFactory> factory;
  HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return static_cast<int32_t>(hr);
  const std::wstring wide = Widen(path);
  if (wide.empty()) return static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
  // The sizes the file declares, before a decoder makes room for them.
  std::ifstream file(path, std::ios::binary);
  const std::string declared = GifDeclaredProblem(file);
  if (!declared.empty()) return TooLarge(declared, why);
  file.close();
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
  const uint32_t screenWidth = QueryNumber(screen.get(), L"/logscrdesc/Width", 0);
  const uint32_t screenHeight = QueryNumber(screen.get(), L"/logscrdesc/Height", 0);

  std::string problem;
  for (UINT i = 0; i < count; ++i) {
    hr = ReadFrame(factory.get(), decoder.get(), i, screenWidth, screenHeight, &frames, &problem);
    if (!problem.empty()) return TooLarge(problem, why);
    if (FAILED(hr)) return static_cast<int32_t>(hr);
  }
  *out = std::move(frames);
  return 0;
}

}  // namespace vrixhost
