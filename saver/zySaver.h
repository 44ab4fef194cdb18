// The saver that launches and supervises the movie player.
#pragma once

#include <windows.h>

#include <cstdint>

#include "clib/Path.h"
#include "saver/cSaverWindow.h"
#include "saver/zyBackground.h"
#include "saver/zyPak.h"

class zyCloseSaverDlg;

class zySaver : public cSaverWindow {
 public:
  zySaver();

  zyPak m_Pak;
  BOOL m_bHandover = FALSE;    // at the end the player keeps running in front
  BOOL m_bRunCommand = FALSE;  // a command key was pressed; never reset
  char m_ErrorText[512];       // the error line's buffer
  zyBackground m_Background;
  int32_t m_RunCount = 1;  // told to the player, one more for each start
  char m_Parameters[1024];
  zyCloseSaverDlg* m_pCloseNotice = nullptr;  // owned; none until a command runs
  char m_PictureMoviePath[kMaxPath];          // empty: no picture movie
};
