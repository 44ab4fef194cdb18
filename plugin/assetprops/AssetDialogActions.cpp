// The options-dialog operations that work on the asset: choosing another
// file, reloading it and driving the asset's player. They arrive with the
// asset exchange and its preview; until then each answers "not provided".
#include "plugin/assetprops/OptionsDialog.h"

VxStatus DialogBrowse(OptionsDialogObject*) {
  return VX_E_NOCLASS;
}
VxStatus DialogInternetAddress(OptionsDialogObject*) {
  return VX_E_NOCLASS;
}
VxStatus DialogReloadFile(OptionsDialogObject*) {
  return VX_E_NOCLASS;
}
VxStatus DialogStopPlayer(OptionsDialogObject*) {
  return VX_E_NOCLASS;
}
VxStatus DialogStartPlayer(OptionsDialogObject*) {
  return VX_E_NOCLASS;
}
