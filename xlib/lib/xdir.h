// Record-style directory search with an attribute filter.
#pragma once

#include <windows.h>

#include "xlib/lib/xdirfilter.h"

struct xff {
  HANDLE handle = INVALID_HANDLE_VALUE;  // search handle, invalid when none
  DWORD filter = 0;
  WIN32_FIND_DATAA data{};  // the current entry
};

// 1 when an entry that passes filter was found (it is then the current
// entry), else 0. A pattern without wild cards finds that file or directory
// itself. A search still open in the record is ended first. On 0 the record
// holds no search handle.
int xDirFindFirst(xff& search, const char* pattern, DWORD filter);
// Requires an open search. 1 when a further passing entry was found.
int xDirFindNext(xff& search);
// Closes a valid search handle and marks it invalid.
void xDirFindEnd(xff& search);

// A file (or a directory carrying one of the kFilterFiles bits) named path.
int xFileExists(const char* path);
// A directory named path.
int xDirExists(const char* path);
