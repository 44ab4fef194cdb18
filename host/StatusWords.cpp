#include "host/StatusWords.h"

#include <cstdio>

#include "host/HostFile.h"

namespace vrixhost {

std::string StatusMeaning(VxStatus status) {
  struct Meaning {
    VxStatus status;
    const char* words;
  };
  static const Meaning kMeanings[] = {
      {VX_E_INVALIDARG, "a bad argument or an unsupported request"},
      {VX_E_OUTOFMEMORY, "out of memory"},
      {VX_E_LIVEOBJECTS, "the plug-in still has live objects"},
      {VX_E_NOINTERFACE, "the plug-in has no such interface"},
      {VX_E_NOCLASS, "no such class, or a service that is not provided"},
      {VX_E_MISMATCH, "a value of the wrong kind"},
      {VX_E_INTERFACEMISSING, "a host interface is missing, or the plug-in is not set up"},
      {VX_E_CANCELLED, "cancelled"},
      {VX_E_ENCODER, "the image encoder failed"},
      {kHostFileError, "the file system refused a file operation"},
  };
  for (const Meaning& m : kMeanings)
    if (m.status == status) return m.words;
  return "";
}

std::string StatusInWords(VxStatus status) {
  char number[32];
  std::snprintf(number, sizeof number, "status 0x%08X", static_cast<unsigned>(status));
  const std::string meaning = StatusMeaning(status);
  return meaning.empty() ? number : meaning + " (" + number + ")";
}

}  // namespace vrixhost
