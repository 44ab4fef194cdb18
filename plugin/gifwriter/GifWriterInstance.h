// The GIF writer's class instance: the host's part first, then the export
// options and the export state. The host allocates it with the size from
// the class table; the initialiser constructs it in place.
#pragma once

#include "plugin/frame/VrixHost.h"
#include "plugin/gifwriter/ExportOptions.h"
#include "plugin/gifwriter/GifExport.h"

struct GifWriterInstance {
  VxInstance host;  // filled by the host before the initialiser runs
  gif::ExportSettings settings;
  VxImageSource* imageSource;  // not owned: the host keeps it for the next export
  gif::GifExportState exportState;  // the export in progress
};

// The instance behind one of Palvex's interface objects (all of its state
// lives in the instance; the objects are the three-word header only).
inline GifWriterInstance* InstanceOf(const void* interfaceObject) {
  return reinterpret_cast<GifWriterInstance*>(
      static_cast<const VxInterfaceObject*>(interfaceObject)->owner);
}
