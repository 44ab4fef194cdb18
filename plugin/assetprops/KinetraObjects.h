// Kinetra's interface objects: each carries state of its own after the
// three-word header.
#pragma once

#include <cstddef>

#include "plugin/assetprops/ItemTable.h"
#include "plugin/frame/VrixHost.h"

class ZepItemWrapper;
class MMString;
struct DialogContext;

// Asset-options object. Everything before the information block is cleared
// when the object is made: the tables too, so that an object whose dialog
// never started frees nothing it does not own.
struct AssetOptionsObject {
  const VxAssetOptionsOps* ops;
  VxInstance* owner;
  uint32_t refCount;
  VxAsset* asset;                   // not owned: set by the caller
  ZepBuilderWindow* builderWindow;  // the dialog builder's window while it runs
  VxOptionsDialog* optionsDialog;   // the options-dialog object attached to it
  // The dialog's tables, made at dialog start and freed with the dialog.
  ItemDescription* items;      // kItemTableSize entries
  ZepPropertyRecord* records;  // kItemCount records
  ZepItemWrapper** wrappers;   // kItemCount slots; null where an item has none
  DialogContext* context;      // what the wrappers share (host interfaces, symbols)
  MMString* playText;          // "Play" (3)
  MMString* stopText;          // "Stop" (23)
  VxSpriteView* spriteView;    // the preview, one reference; null without one
  uint8_t infoSaved;           // info holds the block taken at dialog start
  uint8_t supportHeld;         // the exception support is initialised for this dialog
  uint8_t dialogRan;
  uint8_t okPressed;
  uint8_t playing;
  uint8_t linkTextChanged;
  uint8_t linkedToggled;
  uint8_t fileChanged;
  uint8_t linked;  // the "Linked" box as last read
  uint8_t previewAvailable;
  int32_t playbackMode;              // 0 normal, 1 fixed, 2 lock-step
  int32_t fixedTempo;                // frames per second
  uint8_t info[VX_ASSET_INFO_SIZE];  // the asset's information block at dialog start
};

// Options-dialog object. Attach gives it the host and the asset-options
// object it works on, so it keeps both (two words rather than one).
struct OptionsDialogObject {
  const VxOptionsDialogOps* ops;
  VxInstance* owner;
  uint32_t refCount;
  VxHostCallback* host;              // not owned: set by attach
  AssetOptionsObject* assetOptions;  // not owned: set by attach
};

constexpr size_t kAssetOptionsClearFrom = offsetof(AssetOptionsObject, asset);
constexpr size_t kAssetOptionsClearSize =
    offsetof(AssetOptionsObject, info) - kAssetOptionsClearFrom;
constexpr size_t kOptionsDialogClearFrom = offsetof(OptionsDialogObject, host);
constexpr size_t kOptionsDialogClearSize = sizeof(OptionsDialogObject) - kOptionsDialogClearFrom;
