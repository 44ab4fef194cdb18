// The asset-options interface (Kinetra interface 1): the properties of the
// calling animated-GIF asset read into the dialog, the preview, Browse and
// Internet address, and on finishing the properties written back (OK) or
// put back (otherwise).
#pragma once

#include "plugin/assetprops/KinetraObjects.h"

extern const VxAssetOptionsOps kAssetOptionsOps;

// The symbol texts of the three playback modes, in pop-up order.
extern const char* const kPlaybackModeTexts[3];  // "normal", "fixed", "lockStep"

// Operations the options-dialog object calls on the asset-options object
// (its Browse, Internet address and reload file). Each returns 0 or the
// failure's status; none throws.
VxStatus AssetOptionsBrowse(AssetOptionsObject* self);
VxStatus AssetOptionsInternetAddress(AssetOptionsObject* self);
VxStatus AssetOptionsReloadFile(AssetOptionsObject* self);

// The same, throwing the CTavException family, for callers inside a catch.
void TavBrowse(AssetOptionsObject* self);
void TavInternetAddress(AssetOptionsObject* self);
void TavReloadFile(AssetOptionsObject* self);
