#include "host/GifAsset.h"

#include <cstring>

#include "host/DictionaryFile.h"
#include "host/HostDictionary.h"
#include "host/HostMediaUtils.h"
#include "host/SpriteView.h"

namespace vrixhost {

const char kModeNormal[] = "normal";
const char kModeFixed[] = "fixed";
const char kModeLockStep[] = "lockStep";
const char kPropFileName[] = "fileName";
const char kPropLinked[] = "linked";
const char kPropDirectToStage[] = "directToStage";
const char kPropPlaybackMode[] = "playbackMode";
const char kPropFixedTempo[] = "fixedTempo";

namespace {

// Values of the media utilities' kinds (host/HostMediaUtils.h).
void MakeIntegerValue(int32_t number, VxValue* out) {
  *out = MakeInteger(number);
}
void MakeSymbolValue(VxSymbol symbol, VxValue* out) {
  *out = VxValue{kValueSymbol, 0, symbol};
}
bool MakeTextValue(const std::string& text, VxValue* out) {
  *out = MakeText(text);
  return out->type == kValueText;
}
bool ValueInteger(const VxValue& value, int32_t* out) {
  if (value.type != kValueInteger) return false;
  *out = static_cast<int32_t>(static_cast<uint32_t>(value.data));
  return true;
}
bool ValueSymbol(const VxValue& value, VxSymbol* out) {
  if (value.type != kValueSymbol) return false;
  *out = static_cast<VxSymbol>(value.data);
  return true;
}

bool IsMode(const std::string& text) {
  return text == kModeNormal || text == kModeFixed || text == kModeLockStep;
}

bool TakeInt(const HostDictionary& d, const char* key, int32_t* out, std::string* error) {
  const DictionaryValue* v = d.Find(key);
  if (!v) return true;
  if (v->type != VX_DICT_INT32 || v->bytes.size() != 4) {
    *error = std::string(key) + " must be an int";
    return false;
  }
  std::memcpy(out, v->bytes.data(), 4);
  return true;
}

bool TakeText(const HostDictionary& d, const char* key, std::string* out, std::string* error) {
  const DictionaryValue* v = d.Find(key);
  if (!v) return true;
  if (v->type != VX_DICT_TEXT) {
    *error = std::string(key) + " must be a text";
    return false;
  }
  out->assign(v->bytes.begin(), v->bytes.end());
  return true;
}

// Holds one reference to a host dictionary.
struct DictionaryRef {
  HostDictionary* d = HostDictionary::Create();
  ~DictionaryRef() { d->ops->Release(d); }
};

bool FromDictionary(const HostDictionary& d, GifAssetProperties* p, std::string* error) {
  GifAssetProperties r = *p;
  if (!TakeText(d, "FileName", &r.fileName, error) || !TakeInt(d, "Linked", &r.linked, error) ||
      !TakeInt(d, "DirectToStage", &r.directToStage, error) ||
      !TakeText(d, "PlaybackMode", &r.playbackMode, error) ||
      !TakeInt(d, "FixedTempo", &r.fixedTempo, error))
    return false;
  if (!IsMode(r.playbackMode)) {
    *error = "PlaybackMode must be normal, fixed or lockStep, not \"" + r.playbackMode + "\"";
    return false;
  }
  *p = r;
  return true;
}

// Put in this order, which the file keeps.
void ToDictionary(const GifAssetProperties& p, HostDictionary* d) {
  const auto text = [d](const char* key, const std::string& value) {
    d->Put(VX_DICT_TEXT, value.c_str(), 0, key);
  };
  const auto number = [d](const char* key, int32_t value) {
    d->Put(VX_DICT_INT32, &value, sizeof value, key);
  };
  text("FileName", p.fileName);
  number("Linked", p.linked);
  number("DirectToStage", p.directToStage);
  text("PlaybackMode", p.playbackMode);
  number("FixedTempo", p.fixedTempo);
}

}  // namespace

bool ParseAssetProperties(const std::string& text, GifAssetProperties* p, std::string* error) {
  DictionaryRef d;
  return ParseDictionary(text, d.d, error) && FromDictionary(*d.d, p, error);
}

std::string FormatAssetProperties(const GifAssetProperties& p) {
  DictionaryRef d;
  ToDictionary(p, d.d);
  return FormatDictionary(*d.d);
}

bool LoadAssetFile(const std::string& path, GifAssetProperties* p, std::string* error) {
  DictionaryRef d;
  if (!LoadDictionaryFile(path, d.d, error)) return false;
  if (!FromDictionary(*d.d, p, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

bool SaveAssetFile(const std::string& path, const GifAssetProperties& p, std::string* error) {
  DictionaryRef d;
  ToDictionary(p, d.d);
  return SaveDictionaryFile(path, *d.d, error);
}

// ---------------------------------------------------------------------------
// The player.

namespace {

VxStatus VXAPI PlayerPlay(VxPlayer* self) {
  GifPlayer* p = static_cast<GifPlayer*>(self);
  if (!p->asset) return VX_E_INVALIDARG;  // the asset has gone
  if (p->failStatus != VX_OK) return p->failStatus;
  p->asset->playerLog.push_back("play");
  p->asset->playing = true;
  p->asset->UpdateViews();
  return VX_OK;
}

VxStatus VXAPI PlayerStop(VxPlayer* self) {
  GifPlayer* p = static_cast<GifPlayer*>(self);
  if (!p->asset) return VX_E_INVALIDARG;  // the asset has gone
  if (p->failStatus != VX_OK) return p->failStatus;
  p->asset->playerLog.push_back("stop");
  p->asset->playing = false;
  p->asset->UpdateViews();
  return VX_OK;
}

// Back to the first frame of the current file, read again.
VxStatus VXAPI PlayerReset(VxPlayer* self) {
  GifPlayer* p = static_cast<GifPlayer*>(self);
  if (!p->asset) return VX_E_INVALIDARG;  // the asset has gone
  if (p->failStatus != VX_OK) return p->failStatus;
  p->asset->playerLog.push_back("reset");
  p->asset->ReloadMedia();
  p->asset->UpdateViews();
  return VX_OK;
}

const VxPlayerOps kPlayerOps = {VRIXHOST_UNKNOWN(GifPlayer, VxPlayer, IID_VxPlayer), PlayerPlay,
                                PlayerStop, PlayerReset};

}  // namespace

GifPlayer::GifPlayer(GifAsset* a) : asset(a) {
  ops = &kPlayerOps;
  CountHostObject(+1);
}
GifPlayer::~GifPlayer() {
  CountHostObject(-1);
}

// ---------------------------------------------------------------------------
// The asset.

struct AssetOps {
  static GifAsset* Self(VxAsset* a) { return static_cast<GifAsset*>(a); }

  static VxStatus VXAPI GetPropertyId(VxAsset*, uint32_t role, VxSymbol* out) {
    if (!out) return VX_E_INVALIDARG;
    const char* name = nullptr;
    switch (role) {
      case VX_ASSET_PROP_FILE_NAME:
        name = kPropFileName;
        break;
      case VX_ASSET_PROP_LINKED:
        name = kPropLinked;
        break;
      case VX_ASSET_PROP_DIRECT_TO_STAGE:
        name = kPropDirectToStage;
        break;
      case VX_ASSET_PROP_PLAYBACK_MODE:
        name = kPropPlaybackMode;
        break;
      case VX_ASSET_PROP_FIXED_TEMPO:
        name = kPropFixedTempo;
        break;
      default:
        return VX_E_INVALIDARG;
    }
    *out = InternSymbol(name);
    return VX_OK;
  }

  static VxStatus VXAPI GetProperty(VxAsset* self, VxSymbol id, VxValue* out) {
    if (!out) return VX_E_INVALIDARG;
    GifAsset* a = Self(self);
    const GifAssetProperties& p = a->properties;
    const std::string name = SymbolText(id);
    if (name == kPropFileName) {
      if (!MakeTextValue(p.fileName, out)) return VX_E_OUTOFMEMORY;
    } else if (name == kPropLinked) {
      MakeIntegerValue(p.linked, out);
    } else if (name == kPropDirectToStage) {
      MakeIntegerValue(p.directToStage, out);
    } else if (name == kPropPlaybackMode) {
      MakeSymbolValue(InternSymbol(p.playbackMode), out);
    } else if (name == kPropFixedTempo) {
      MakeIntegerValue(p.fixedTempo, out);
    } else {
      return VX_E_INVALIDARG;
    }
    a->log.push_back("get " + name);
    return VX_OK;
  }

  static VxStatus VXAPI SetProperty(VxAsset* self, VxSymbol id, const VxValue* value) {
    if (!value) return VX_E_INVALIDARG;
    GifAsset* a = Self(self);
    GifAssetProperties& p = a->properties;
    const std::string name = SymbolText(id);
    std::string shown;
    int32_t number = 0;
    if (name == kPropFileName) {
      std::string text;
      if (!ValueText(*value, &text) || text.size() >= VX_ASSET_NAME_CHARS) return VX_E_INVALIDARG;
      p.fileName = text;
      shown = text;
      a->ReloadMedia();
      a->UpdateViews();
    } else if (name == kPropPlaybackMode) {
      VxSymbol mode = 0;
      if (!ValueSymbol(*value, &mode) || !IsMode(SymbolText(mode))) return VX_E_INVALIDARG;
      p.playbackMode = SymbolText(mode);
      shown = p.playbackMode;
    } else if (name == kPropLinked || name == kPropDirectToStage || name == kPropFixedTempo) {
      if (!ValueInteger(*value, &number)) return VX_E_INVALIDARG;
      (name == kPropLinked          ? p.linked
       : name == kPropDirectToStage ? p.directToStage
                                    : p.fixedTempo) = number;
      shown = std::to_string(number);
    } else {
      return VX_E_INVALIDARG;
    }
    a->log.push_back("set " + name + " " + shown);
    return VX_OK;
  }

  static VxStatus VXAPI GetMediaSize(VxAsset* self, int32_t* width, int32_t* height) {
    GifAsset* a = Self(self);
    if (!width || !height) return VX_E_INVALIDARG;
    if (a->mediaStatus != VX_OK) return a->mediaStatus;
    *width = a->media.width;
    *height = a->media.height;
    return VX_OK;
  }

  static VxStatus VXAPI GetFrameCount(VxAsset* self, int32_t* count) {
    GifAsset* a = Self(self);
    if (!count) return VX_E_INVALIDARG;
    if (a->mediaStatus != VX_OK) return a->mediaStatus;
    *count = static_cast<int32_t>(a->media.pictures.size());
    return VX_OK;
  }

  // One new reference to the asset's player for the caller.
  static VxStatus VXAPI GetPlayer(VxAsset* self, VxPlayer** out) {
    GifAsset* a = Self(self);
    if (!out) return VX_E_INVALIDARG;
    *out = nullptr;
    if (a->failPlayerIn != VX_OK) return a->failPlayerIn;
    a->player_->ops->AddRef(a->player_);
    *out = a->player_;
    return VX_OK;
  }

  static VxStatus VXAPI GetInfo(VxAsset* self, void* block) {
    GifAsset* a = Self(self);
    if (!block) return VX_E_INVALIDARG;
    VxAssetInfo info{};
    info.version = VX_ASSET_INFO_VERSION;
    info.linked = a->properties.linked != 0;
    info.directToStage = a->properties.directToStage != 0;
    info.playbackMode = InternSymbol(a->properties.playbackMode);
    info.fixedTempo = a->properties.fixedTempo;
    if (a->mediaStatus == VX_OK) {
      info.width = a->media.width;
      info.height = a->media.height;
      info.frameCount = static_cast<int32_t>(a->media.pictures.size());
    }
    std::strncpy(info.fileName, a->properties.fileName.c_str(), sizeof info.fileName - 1);
    std::memcpy(block, &info, sizeof info);
    a->log.push_back("get info");
    return VX_OK;
  }

  // Puts back the settings of a block taken earlier. The file name in the
  // block is what the asset was showing then; changing the file is a
  // property set of its own, so a block alone never reloads the media.
  static VxStatus VXAPI SetInfo(VxAsset* self, const void* block) {
    GifAsset* a = Self(self);
    if (!block) return VX_E_INVALIDARG;
    VxAssetInfo info;
    std::memcpy(&info, block, sizeof info);
    const std::string mode = SymbolText(info.playbackMode);
    if (info.version != VX_ASSET_INFO_VERSION || !IsMode(mode)) return VX_E_INVALIDARG;
    a->properties.linked = info.linked != 0;
    a->properties.directToStage = info.directToStage != 0;
    a->properties.playbackMode = mode;
    a->properties.fixedTempo = info.fixedTempo;
    a->log.push_back("set info");
    return VX_OK;
  }
};

namespace {
const VxAssetOps kAssetOps = {VRIXHOST_UNKNOWN(GifAsset, VxAsset, IID_VxAsset),
                              AssetOps::GetPropertyId,
                              AssetOps::GetProperty,
                              AssetOps::SetProperty,
                              AssetOps::GetMediaSize,
                              AssetOps::GetFrameCount,
                              AssetOps::GetPlayer,
                              AssetOps::GetInfo,
                              AssetOps::SetInfo};
}  // namespace

GifAsset::GifAsset(const GifAssetProperties& p) : properties(p) {
  ops = &kAssetOps;
  CountHostObject(+1);
  player_ = new GifPlayer(this);
  ReloadMedia();
}

GifAsset::~GifAsset() {
  // Views hold references to the asset, so none is left.
  player_->asset = nullptr;
  player_->ops->Release(player_);
  CountHostObject(-1);
}

GifAsset* GifAsset::Create(const GifAssetProperties& p) {
  return new GifAsset(p);
}

GifAsset* GifAsset::FromAsset(VxAsset* asset) {
  return asset && asset->ops == &kAssetOps ? static_cast<GifAsset*>(asset) : nullptr;
}

std::vector<std::string> GifAsset::Sets() const {
  std::vector<std::string> sets;
  for (const std::string& line : log)
    if (line.compare(0, 4, "set ") == 0) sets.push_back(line);
  return sets;
}

void GifAsset::ReloadMedia() {
  media = GifFrames();
  mediaProblem.clear();
  frame = 0;
  mediaStatus = LoadGifFrames(properties.fileName, &media, &mediaProblem);
}

void GifAsset::NextFrame() {
  if (mediaStatus != VX_OK || media.pictures.empty()) return;
  frame = (frame + 1) % static_cast<int32_t>(media.pictures.size());
}

int32_t GifAsset::FrameDelayMs() const {
  if (mediaStatus != VX_OK || media.delaysMs.empty()) return kGifDefaultDelayMs;
  return media.delaysMs[static_cast<size_t>(frame) % media.delaysMs.size()];
}

void GifAsset::UpdateViews() {
  for (HostSpriteView* view : views) view->Update();
}

}  // namespace vrixhost
