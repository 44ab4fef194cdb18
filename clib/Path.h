// Path helpers on narrow (ANSI) strings. The separators '\', ':' and '/' are
// treated alike everywhere.
//
// Every output buffer holds at least kMaxPath characters, NUL included, and
// no helper writes more than that. A result that would not fit is never cut
// short: a cut path may name another, existing file, and the saver creates and
// deletes files by these names. Instead the output becomes the empty string
// and the helper returns false. Inputs are read only up to their NUL.
#pragma once

constexpr int kMaxPath = 260;

// True for '\', ':' and '/'.
bool IsPathSeparator(char c);

// Splits at the last separator: nameOut receives the text after it, dirOut the
// text before it; the separator belongs to neither. Without a separator the
// name is the whole path and the directory is empty. Either output may be
// null, and either may be the same buffer as path.
bool SplitPath(const char* path, char* dirOut, char* nameOut);

// out = dir (empty when null); with a name, a '\' is appended when out has at
// least two characters and does not end in a separator, then the name. So
// "C:" + "x" gives the drive-relative "C:x", while "C:\dir" + "x" gives
// "C:\dir\x". out may be the same buffer as dir.
bool JoinPath(char* out, const char* dir, const char* name);

// Replaces the text from the last '.' of the whole path (directories
// included) with extension, which carries its own dot; a path without a dot
// gets the extension appended. path is a kMaxPath buffer changed in place.
bool ReplaceExtension(char* path, const char* extension);
