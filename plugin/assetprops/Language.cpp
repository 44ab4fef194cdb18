#include "plugin/assetprops/Language.h"

// Imported from Tesk32 by ordinal. It takes no arguments, so the C and the
// standard calling conventions agree and one undecorated name serves both
// Windows targets.
extern "C" __declspec(dllimport) int TeskGetUiLanguage(void);

int32_t LanguageIdForHostAnswer(int32_t answer) {
  switch (answer) {
    case 1:
      return 17;  // Japanese
    case 2:
      return 12;  // French
    case 3:
      return 7;  // German
    default:
      return 9;  // English
  }
}

int32_t HostLanguageId() {
  return LanguageIdForHostAnswer(TeskGetUiLanguage());
}
