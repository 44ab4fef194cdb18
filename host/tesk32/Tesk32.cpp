// Stand-in for the host library Tesk32: only its user-interface language
// query, exported by ordinal 1262. The answer comes from the environment
// variable VRIXHOST_LANGUAGE (a number: 1 Japanese, 2 French, 3 German,
// anything else English), read at every call so that a test can change it.
#include <windows.h>

#include <cstdlib>

// No arguments, so the C and the standard calling conventions agree and one
// undecorated name serves both Windows targets.
extern "C" int TeskGetUiLanguage(void) {
  char text[32];
  const DWORD n = GetEnvironmentVariableA("VRIXHOST_LANGUAGE", text, sizeof text);
  if (n == 0 || n >= sizeof text) return 0;
  return std::atoi(text);
}
