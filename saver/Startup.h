// Start-up of the saver program: its own names, the command line read
// against the real window system, and the dispatch to the mode's object.
#pragma once

#include <windows.h>

#include "saver/CommandLine.h"

// The long file name of the running program without its extension. It
// titles every dialog and message box and prefixes the error line.
const char* zyDisplayName();

// Command-line decision against the real window system.
uint32_t ParseCommandLine(const char* text, cSaverArgs& args);
HWND ParseWindowHandle(const char* text);

// Works out the program's names, reads commandLine (the text after the
// program name) and runs the mode it asks for. Always returns 0.
int SaverMain(HINSTANCE instance, const char* commandLine, int showCommand);
