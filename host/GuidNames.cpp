#include "host/GuidNames.h"

#include <cstdio>

namespace vrixhost {

std::string GuidText(const VxGuid& g) {
  char text[40];
  std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned>(g.data1), g.data2, g.data3, g.data4[0], g.data4[1],
                g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
  return text;
}

const char* GuidName(const VxGuid& guid) {
  static const struct {
    const VxGuid* guid;
    const char* name;
  } kNames[] = {
      {&IID_IClassFactory, "class factory"},
      {&CLSID_PalvexGifWriter, "GIF writer"},
      {&CLSID_KinetraGifOptions, "animated-GIF options"},
      {&IID_VxFileFormat, "file-format description"},
      {&IID_VxExportOptions, "export options"},
      {&IID_VxPixelReceptor, "pixel receiving"},
      {&IID_VxPaletteSetter, "palette setting"},
      {&IID_VxRegistration, "registration"},
      {&IID_VxAssetOptions, "asset options"},
      {&IID_VxOptionsDialog, "options dialog"},
  };
  for (const auto& n : kNames)
    if (VxGuidEqual(*n.guid, guid)) return n.name;
  return "";
}

}  // namespace vrixhost
