// The asset properties dialog: its start, run and end, and the
// options-dialog interface that receives the builder's item events.
#pragma once

#include "plugin/assetprops/KinetraObjects.h"

extern const VxOptionsDialogOps kOptionsDialogOps;

// Dialog start: the tables, "Play" and "Stop", the options-dialog object
// attached to the host and to `o`, the builder's window, the item list and
// its wrappers, every wrapper initialised, the records attached to the
// window. 0, the builder's status, VX_E_OUTOFMEMORY (tables, or no window);
// throws CTavException for a missing host interface. On failure what was
// made is freed again.
VxStatus StartOptionsDialog(AssetOptionsObject* o, VxHostCallback* host);

// The items' sizes: the file name 220 x 12, "Linked" 78 x 12, "Direct to
// Stage" 90 x 16, the three information lines 75 x 10, "fps" 15 x 12, the
// tempo pop-up 90 x 12.
void SetItemSizes(AssetOptionsObject* o);

// The values a dialog shows without an asset: linked, not direct to stage,
// "Normal", 15 frames per second, no file.
void FillItemsWithoutAsset(AssetOptionsObject* o);

// Runs the dialog modally over the 51 items; *result is the item that ended
// it (39 OK, 42 Cancel).
VxStatus RunOptionsDialog(AssetOptionsObject* o, int32_t* result);

// Frees the wrappers, tables and strings and lets the window and the
// options-dialog object go. Safe to call more than once.
void FreeOptionsDialog(AssetOptionsObject* o);

// The wrapper of an item, null where there is none or no dialog.
ZepItemWrapper* ItemWrapper(AssetOptionsObject* o, int item);

// The asset-side actions of the options-dialog interface (Browse, Internet
// address, reload, the asset's player), in AssetDialogActions.cpp.
VxStatus DialogBrowse(OptionsDialogObject* d);
VxStatus DialogInternetAddress(OptionsDialogObject* d);
VxStatus DialogReloadFile(OptionsDialogObject* d);
VxStatus DialogStopPlayer(OptionsDialogObject* d);
VxStatus DialogStartPlayer(OptionsDialogObject* d);

// Help topic of the dialog's Help button.
constexpr int32_t kDialogHelpTopic = 3503;
// Frames per second: the default, and the range the field accepts.
constexpr int32_t kDefaultFixedTempo = 15;
constexpr int32_t kMinFixedTempo = 1;
constexpr int32_t kMaxFixedTempo = 1000;
