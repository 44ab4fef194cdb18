// Kinetra's interface objects: each carries state of its own after the
// three-word header.
#pragma once

#include <cstddef>

#include "plugin/frame/VrixHost.h"

// Asset-options object. The leading fields, up to the dialog tables, are
// cleared when the object is made; the dialog's tables and strings follow
// with the dialog itself.
struct AssetOptionsObject {
  const VxAssetOptionsOps* ops;
  VxInstance* owner;
  uint32_t refCount;
  VxAsset* asset;                   // not owned: set by the caller
  ZepBuilderWindow* builderWindow;  // the dialog builder's window while it runs
  VxOptionsDialog* optionsDialog;   // the options-dialog object attached to it
};

// Options-dialog object: one word of its own.
struct OptionsDialogObject {
  const VxOptionsDialogOps* ops;
  VxInstance* owner;
  uint32_t refCount;
  AssetOptionsObject* assetOptions;  // not owned: set by attach
};

constexpr size_t kAssetOptionsClearFrom = offsetof(AssetOptionsObject, asset);
constexpr size_t kAssetOptionsClearSize = sizeof(AssetOptionsObject) - kAssetOptionsClearFrom;
