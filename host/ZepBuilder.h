// The stand-in's dialog builder: a window record and a list of property
// records become a real Win32 dialog (labels, edit controls, check boxes,
// buttons, a drop-down list, dividers, a preview child window), laid out in
// the records' vertical and horizontal groups. A person's actions reach the
// attached plug-in as item-changed and item-clicked events. Also the
// builder's common file, whose module holds the builder's shared resources.
#pragma once

#include "host/HostInstance.h"

namespace vrixhost {

// The builder service (CLSID_ZepDialogBuilder) and the common file
// (CLSID_ZepCommonFile) made for a host callback; VX_E_NOCLASS for any other
// class.
VxStatus CreateBuilderObject(HostCallback* host, const VxGuid& clsid, const VxGuid& iid,
                             void** out);

// The window class of the preview view, a child the plug-in paints in.
constexpr const char kPreviewViewClass[] = "ZepPreviewView";

// Control identifiers are the item index plus this.
constexpr int kFirstItemControlId = 1000;

}  // namespace vrixhost
