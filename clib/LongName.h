// The long file name of a path, as the directory stores it.
#pragma once

// When a file (or a directory carrying one of the read-only, system, archive,
// normal or compressed bits) matches path, out receives the name from its
// directory entry; otherwise the name part of path. out holds kMaxPath
// characters. Returns true when the name came from the directory.
bool LongName(const char* path, char* out);
