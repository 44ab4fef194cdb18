// Which directory entries a search reports. OS-free so that the rule can be
// tested on its own.
#pragma once

#include "clib/WinTypes.h"

// Attribute masks for the search filter.
constexpr DWORD kFilterFiles = 0x8A5;  // read-only, system, archive, normal, compressed
constexpr DWORD kFilterDirectories = 0x10;

// An entry passes when the filter is 0, or filter and attributes share a
// bit, or the filter holds one of the kFilterFiles bits and the entry has no
// attributes at all. "." and ".." never pass.
bool xDirEntryPasses(DWORD filter, DWORD attributes, const char* name);
