// Program entry of the screen saver.
#include <windows.h>

#include "saver/CommandLine.h"
#include "saver/Startup.h"

// The runtime's own cut of the command line differs between runtimes in how
// it treats quotes, so the program name is skipped here, from the full line.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  return SaverMain(instance, SkipProgramName(GetCommandLineA()), showCommand);
}
