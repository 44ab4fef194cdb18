// The options-dialog operations that work on the asset: choosing another
// file (Browse, Internet address), reloading it and driving the asset's
// player.
#include "plugin/assetprops/AssetOptions.h"
#include "plugin/assetprops/OptionsDialog.h"
#include "plugin/assetprops/TavHelper.h"

namespace {

AssetOptionsObject* Target(OptionsDialogObject* d) {
  return d ? d->assetOptions : nullptr;
}

// Play or stop the asset's player; 0 or the player's status.
VxStatus DrivePlayer(OptionsDialogObject* d, bool play) {
  AssetOptionsObject* o = Target(d);
  if (!o || !o->asset) return VX_E_INVALIDARG;
  VxPlayer* player = nullptr;
  VxStatus status = o->asset->ops->GetPlayer(o->asset, &player);
  if (status != VX_OK) return status;
  if (!player) return VX_E_INTERFACEMISSING;
  status = play ? player->ops->Play(player) : player->ops->Stop(player);
  player->ops->Release(player);
  return status;
}

}  // namespace

VxStatus DialogBrowse(OptionsDialogObject* d) {
  return Target(d) ? AssetOptionsBrowse(Target(d)) : VX_E_INVALIDARG;
}
VxStatus DialogInternetAddress(OptionsDialogObject* d) {
  return Target(d) ? AssetOptionsInternetAddress(Target(d)) : VX_E_INVALIDARG;
}
VxStatus DialogReloadFile(OptionsDialogObject* d) {
  return Target(d) ? AssetOptionsReloadFile(Target(d)) : VX_E_INVALIDARG;
}
VxStatus DialogStopPlayer(OptionsDialogObject* d) {
  return DrivePlayer(d, false);
}
VxStatus DialogStartPlayer(OptionsDialogObject* d) {
  return DrivePlayer(d, true);
}
