// The stand-in's sprite view: the preview of an animated-GIF asset in a
// dialog. It draws the asset's current frame in the window the dialog
// builder places for it, and while the asset's player plays it moves the asset on
// frame after frame at the file's own delays.
#pragma once

#include <cstdint>

#include "host/HostObject.h"

namespace vrixhost {

struct GifAsset;

class HostSpriteView : public VxSpriteView {
 public:
  static HostSpriteView* Create();  // one reference, the caller's

  uint32_t refs = 1;
  int32_t width = 0;  // as ShowMedia gave it
  int32_t height = 0;
  int paints = 0;          // times the picture was drawn
  int32_t lastFrame = -1;  // the frame drawn last

  GifAsset* asset() const { return asset_; }
  void* window() const { return window_; }  // an HWND, null before the builder places it
  VxAssetOptions* client() const { return client_; }

  // Called by the asset when its frame, media or playing state changed.
  void Update();

  VxStatus ShowMedia(VxAsset* asset, int32_t w, int32_t h);
  VxStatus SetClient(VxAssetOptions* client);
  VxStatus AttachWindow(void* window);

  // The window procedure's parts.
  void Paint(void* dc);
  void Tick();
  void WindowGone();
  void* previousProc = nullptr;  // the window's own procedure, which the view's passes on to

 private:
  HostSpriteView();
  ~HostSpriteView();
  void Detach();
  void Schedule();
  GifAsset* asset_ = nullptr;         // one reference
  VxAssetOptions* client_ = nullptr;  // not owned
  void* window_ = nullptr;            // an HWND: destroyed with its dialog
  bool timing_ = false;
  template <class, class, const VxGuid*>
  friend struct HostRefCounting;
};

}  // namespace vrixhost
