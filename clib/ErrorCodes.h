// Error codes kept by class-library objects (cError and everything derived
// from it). OS-free so that tests and OS-free callers can name them too.
#pragma once

enum : int {
  kErrorNone = 0,        // no error
  kErrorEndOfFile = 17,  // a read returned no bytes
  kErrorNotOpen = 19,    // the file is not open
  kErrorNoMemory = 23,   // out of memory
  kErrorSystem = 99,     // a system call failed; the system code holds the reason
};
