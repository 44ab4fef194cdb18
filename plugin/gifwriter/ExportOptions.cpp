#include "plugin/gifwriter/ExportOptions.h"

#include <cstring>

namespace gif {

const char kKeyInterlaced[] = "PixelFormat_Interlaced";
const char kKeyTransparent[] = "PixelFormatRegKey_Transparent";
const char kKeyDither[] = "PixelFormatRegKey_Dither";
const char kKeyPaletteChoice[] = "PixelFormatRegKey_OverridePalette";
const char kKeyTransparentIndex[] = "PixelFormatRegKey_TransparentIndex";
const char kKeyPaletteSize[] = "PixelFormatRegKey_PaletteSize";
const char kKeyPalette[] = "PixelFormatRegKey_Palette";
const char kKeyAnimation[] = "Agent_Animation";
const char kKeyFrameNumber[] = "PixelFormat_FrameNumber";
const char kKeyInitialFrame[] = "PixelFormat_InitialFrame";
const char kKeyFramesPerSecond[] = "PixelFormat_FPS";
const char kKeyXOffset[] = "PixelFormat_XOffset";
const char kKeyYOffset[] = "PixelFormat_YOffset";
const char kKeyAdaptivePalette[] = "PixelFormatRegKey_AdaptivePalette";

namespace {

bool GetBool(VxDictionary* d, const char* key, bool fallback) {
  uint8_t value = 0;
  if (d->ops->Get(d, VX_DICT_BOOL, &value, 1, key) != VX_OK) return fallback;
  return value != 0;
}

int32_t GetInt(VxDictionary* d, const char* key, int32_t fallback) {
  int32_t value = 0;
  if (d->ops->Get(d, VX_DICT_INT32, &value, 4, key) != VX_OK) return fallback;
  return value;
}

VxStatus PutBool(VxDictionary* d, const char* key, bool value) {
  const uint8_t byte = value ? 1 : 0;
  return d->ops->Put(d, VX_DICT_BOOL, &byte, 1, key);
}

VxStatus PutInt(VxDictionary* d, const char* key, int32_t value) {
  return d->ops->Put(d, VX_DICT_INT32, &value, 4, key);
}

VxStatus PutText(VxDictionary* d, const char* key, const char* text) {
  return d->ops->Put(d, VX_DICT_TEXT, text, 0, key);
}

}  // namespace

void InitExportSettings(ExportSettings* settings) {
  std::memset(&settings->working, 0, sizeof settings->working);
  settings->options = EncoderOptions();
  settings->options.interlaced = false;
  settings->options.transparent = false;
  settings->options.dither = false;
  settings->options.paletteChoice = 0;
  settings->options.animation = false;
  settings->options.frameNumber = 0;
  settings->options.initialFrame = false;
  settings->options.framesPerSecond = 5;
  settings->options.xOffset = 0;
  settings->options.yOffset = 0;
  settings->options.adaptivePalette = false;
  settings->currentTransparentIndex = 32;
}

VxStatus ReadOptions(ExportSettings* settings, VxDictionary* d) {
  if (!d) return VX_E_INVALIDARG;
  EncoderOptions& o = settings->options;
  o.interlaced = GetBool(d, kKeyInterlaced, false);
  o.transparent = GetBool(d, kKeyTransparent, false);
  o.dither = GetBool(d, kKeyDither, false);
  o.paletteChoice = GetInt(d, kKeyPaletteChoice, 0);
  if (o.paletteChoice != 0) {
    PaletteSpec& p = settings->working;
    p.kind = kPaletteKindExplicit;
    p.one = 1;
    p.bitsPerComponent = 8;
    p.transparent = o.transparent ? 1 : 0;
    p.transparentIndex = static_cast<int16_t>(GetInt(d, kKeyTransparentIndex, 0));
    settings->currentTransparentIndex = p.transparentIndex;
    p.capacity = kPaletteCapacity;
    // A stored size beyond the table would make the entry read overrun it;
    // such a size counts as unreadable.
    int32_t size = GetInt(d, kKeyPaletteSize, 0);
    if (size < 0 || size > static_cast<int32_t>(kPaletteCapacity)) size = 0;
    p.size = static_cast<uint32_t>(size);
    if (size > 0) {
      // On failure the entries are left as they were.
      d->ops->Get(d, VX_DICT_BYTES, p.entries, static_cast<uint32_t>(size) * 8, kKeyPalette);
    }
  }
  o.animation = GetBool(d, kKeyAnimation, false);
  o.frameNumber = GetInt(d, kKeyFrameNumber, 0);
  o.initialFrame = GetBool(d, kKeyInitialFrame, true);
  // The frame delay divides by the rate; a stored rate below 1 becomes 1.
  o.framesPerSecond = GetInt(d, kKeyFramesPerSecond, 5);
  if (o.framesPerSecond < 1) o.framesPerSecond = 1;
  o.xOffset = GetInt(d, kKeyXOffset, 0);
  o.yOffset = GetInt(d, kKeyYOffset, 0);
  o.adaptivePalette = GetBool(d, kKeyAdaptivePalette, false);
  return VX_OK;
}

VxStatus ObtainDictionary(VxHostCallback* host, VxDictionary** dictionary) {
  if (!dictionary) return VX_E_INVALIDARG;
  if (*dictionary) return VX_OK;
  if (!host) return VX_E_INVALIDARG;
  void* object = nullptr;
  VxStatus status =
      host->ops->CreateObject(host, &CLSID_VxDictionaryService, &IID_VxDictionaryService, &object);
  if (status != VX_OK) return status;
  if (!object) return VX_E_INTERFACEMISSING;
  VxDictionaryService* service = static_cast<VxDictionaryService*>(object);
  VxDictionary* created = nullptr;
  status = service->ops->CreateDictionary(service, &created);
  service->ops->Release(service);
  if (status != VX_OK) return status;
  if (!created) return VX_E_INTERFACEMISSING;
  *dictionary = created;
  return VX_OK;
}

VxStatus WriteOptions(const ExportSettings& settings, VxDictionary* d) {
  if (!d) return VX_E_INVALIDARG;
  VxStatus status = PutBool(d, kKeyInterlaced, settings.options.interlaced);
  if (status == VX_OK) status = PutBool(d, kKeyTransparent, settings.options.transparent);
  if (status == VX_OK) status = PutBool(d, kKeyDither, settings.options.dither);
  return status;
}

VxStatus WriteDefaults(VxDictionary* d) {
  if (!d) return VX_E_INVALIDARG;
  VxStatus status = PutBool(d, kKeyInterlaced, false);
  if (status == VX_OK) status = PutBool(d, kKeyTransparent, false);
  if (status == VX_OK) status = PutBool(d, kKeyDither, true);
  return status;
}

VxStatus WriteDialogOptions(const ExportSettings& settings, VxDictionary* d) {
  if (!d) return VX_E_INVALIDARG;
  const EncoderOptions& o = settings.options;
  VxStatus status = PutBool(d, kKeyInterlaced, o.interlaced);
  if (status == VX_OK) status = PutBool(d, kKeyTransparent, o.transparent);
  if (status == VX_OK) status = PutBool(d, kKeyDither, o.dither);
  if (status == VX_OK) status = PutInt(d, kKeyPaletteChoice, o.paletteChoice);
  if (status == VX_OK && o.paletteChoice != 0) {
    uint32_t size = settings.working.size;
    if (size > kPaletteCapacity) size = kPaletteCapacity;
    status = PutInt(d, kKeyPaletteSize, static_cast<int32_t>(size));
    if (status == VX_OK)
      status = d->ops->Put(d, VX_DICT_BYTES, settings.working.entries, size * 8, kKeyPalette);
  }
  if (status == VX_OK) status = PutInt(d, kKeyTransparentIndex, settings.working.transparentIndex);
  uint8_t held = 0;
  if (status == VX_OK &&
      (o.adaptivePalette || d->ops->Get(d, VX_DICT_BOOL, &held, 1, kKeyAdaptivePalette) == VX_OK))
    status = PutBool(d, kKeyAdaptivePalette, o.adaptivePalette);
  return status;
}

VxStatus RegisterFileFormat(VxRegistryCache* cache, const VxGuid& clsid) {
  if (!cache) return VX_E_INVALIDARG;
  VxDictionary* d = nullptr;
  VxStatus status = cache->ops->GetDictionary(cache, &clsid, &IID_VxFileFormat, &d);
  if (status != VX_OK) return status;
  if (!d) return VX_E_INTERFACEMISSING;
  static const char* const kFormat[][2] = {
      {"Name", "GIF"},
      {"FileExts", "*.gif"},
      {"FileTypes", "GIFfGIF "},
      {"FileCreator", "GIF"},
      {"MimeType", "image/gif"},
      {"MacScrapTypes", "GIFfGIF "},
      {"Format", "kTavCfFormat_GIF"},
  };
  for (const auto& entry : kFormat) {
    status = PutText(d, entry[0], entry[1]);
    if (status != VX_OK) break;
  }
  d->ops->Release(d);
  if (status != VX_OK) return status;

  d = nullptr;
  status = cache->ops->GetDictionary(cache, &clsid, &IID_VxExportOptions, &d);
  if (status != VX_OK) return status;
  if (!d) return VX_E_INTERFACEMISSING;
  status = d->ops->Put(d, VX_DICT_BYTES, &IID_VxPixelReceptor, sizeof(VxGuid), "ProvidedReceptors");
  if (status == VX_OK) status = PutBool(d, "HasUI", true);
  if (status == VX_OK) status = PutBool(d, kKeyAnimation, true);
  d->ops->Release(d);
  return status;
}

}  // namespace gif
