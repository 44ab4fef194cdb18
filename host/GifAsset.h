// The stand-in's animated-GIF asset, as the host hands it to Kinetra: its
// properties (kept in a text file between runs), its information block, its
// media (the GIF file, read through Windows' imaging components) and its
// player. It logs every property get and set, in order, for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/GifMedia.h"
#include "host/HostObject.h"

namespace vrixhost {

// The three playback modes, as symbol texts.
extern const char kModeNormal[];    // "normal"
extern const char kModeFixed[];     // "fixed"
extern const char kModeLockStep[];  // "lockStep"

// Property identifiers are the symbols of these texts.
extern const char kPropFileName[];       // "fileName": text
extern const char kPropLinked[];         // "linked": integer 0/1
extern const char kPropDirectToStage[];  // "directToStage": integer 0/1
extern const char kPropPlaybackMode[];   // "playbackMode": symbol
extern const char kPropFixedTempo[];     // "fixedTempo": integer

struct GifAssetProperties {
  std::string fileName;  // a file name or an Internet address
  int32_t linked = 1;
  int32_t directToStage = 0;
  std::string playbackMode = kModeNormal;
  int32_t fixedTempo = 15;
};

// The asset file: a dictionary file (host/DictionaryFile.h) with the keys
// FileName (text), Linked (int), DirectToStage (int), PlaybackMode (text:
// normal, fixed or lockStep) and FixedTempo (int). A missing key keeps its
// default; a key of another type or an unknown mode is an error.
bool ParseAssetProperties(const std::string& text, GifAssetProperties* p, std::string* error);
std::string FormatAssetProperties(const GifAssetProperties& p);
bool LoadAssetFile(const std::string& path, GifAssetProperties* p, std::string* error);
bool SaveAssetFile(const std::string& path, const GifAssetProperties& p, std::string* error);

struct GifAsset;
class HostSpriteView;

struct GifPlayer : VxPlayer {
  uint32_t refs = 1;
  GifAsset* asset;              // not owned: the asset owns this player
  VxStatus failStatus = VX_OK;  // when not 0, every operation answers it

 private:
  explicit GifPlayer(GifAsset* a);
  ~GifPlayer();
  friend struct GifAsset;
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

struct GifAsset : VxAsset {
  static GifAsset* Create(const GifAssetProperties& p);  // one reference, the caller's

  uint32_t refs = 1;
  GifAssetProperties properties;
  // "get NAME", "set NAME VALUE", "get info", "set info", in order.
  std::vector<std::string> log;
  // Player calls, in order: "play", "stop", "reset".
  std::vector<std::string> playerLog;
  VxStatus failPlayerIn = VX_OK;  // when not 0, GetPlayer answers it

  // The media of the current file name.
  VxStatus mediaStatus = VX_OK;
  std::string mediaProblem;  // why a file too large was refused, in words
  GifFrames media;
  int32_t frame = 0;  // the frame the views show
  bool playing = false;

  // Everything set, in the order set (for tests: the properties the dialog
  // wrote).
  std::vector<std::string> Sets() const;
  void ReloadMedia();
  // Moves to the next frame (a view's timer does this while playing).
  void NextFrame();
  int32_t FrameDelayMs() const;

  // Views showing this asset (not owned; a view removes itself).
  std::vector<HostSpriteView*> views;
  void UpdateViews();

  static GifAsset* FromAsset(VxAsset* asset);  // null when not one of ours

 private:
  explicit GifAsset(const GifAssetProperties& p);
  ~GifAsset();
  GifPlayer* player_ = nullptr;
  friend struct GifPlayer;
  friend struct AssetOps;
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

}  // namespace vrixhost
