// The saver that launches and supervises the movie player: it draws no movie
// itself but starts the player extracted from the package, keeps the
// player's window under its own invisible input-catching window (or adopts
// it in the preview), restarts it whenever it ends and stops it at the end.
#pragma once

#include <windows.h>

#include <cstdint>

#include "clib/Path.h"
#include "saver/PlayerRestarts.h"
#include "saver/cSaverWindow.h"
#include "saver/zyBackground.h"
#include "saver/zyPak.h"
#include "xlib/mm/xcube.h"
#include "xlib/mm/xdib.h"

class zyCloseSaverDlg;

class zySaver : public cSaverWindow {
 public:
  zySaver();
  ~zySaver() override;

  LRESULT OnActivateApp(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnMButtonDown(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnSysKeyDown(WPARAM wParam, LPARAM lParam) override;
  // Stays while the close notice is open; otherwise the generic close.
  LRESULT OnClose(WPARAM wParam, LPARAM lParam) override;

  void Start() override;
  // Restarts the player whenever it has ended; one that keeps ending at
  // once is restarted more slowly and then given up (see PlayerRestarts).
  void Tick(HDC hdc) override;
  void Paint(HDC hdc) override;
  // Stops the player, or leaves it running in front after a handover.
  void Finish(HDC hdc) override;
  void CreateOwnPalette() override;
  UINT RealizeOwnPalette() override;
  void DeleteOwnPalette() override;
  HPALETTE SelectOwnPalette(HDC hdc) override;
  void RestorePalette(HDC hdc, HPALETTE previous) override;
  UINT RealizeSelected(HDC hdc) override;

  // m_Parameters = "SS_Mode=..&SS_Sound=..&SS_RunCount=..[&SS_Picture=..]";
  // counts the run and mutes later runs after a sound-once run.
  void BuildParameters();
  // The black window behind the player (full screen only).
  void CreateBackground();
  // Enters the error state: the window stops being transparent and the
  // error line "<display name>: <text>" crawls across it.
  void ShowError(const char* text);
  // Steps the saver aside behind the close notice while a command runs.
  void ShowCloseNotice();
  // Records the command in the user settings file and opens it through the
  // shell; the word "ini" stands for [Command] Command<index + 1>.
  void RunCommand(const char* text, int index);
  bool IsInteractiveKey(uint32_t key) const;

  // Preview: loads the package's preview picture and prepares it for the
  // display (see PreparePackagePicture).
  void PreparePreviewPicture();
  // Show: turns the user's picture into a movie beside it, named like it
  // with the extension ".kmv", and names that movie for the player, also
  // when the conversion fails.
  void PreparePictureMovie();
  void FreePreviewPicture();

  zyPak m_Pak;
  BOOL m_bHandover = FALSE;    // at the end the player keeps running in front
  BOOL m_bRunCommand = FALSE;  // a command key was pressed; never reset
  char m_ErrorText[512];       // the error line's buffer
  zyBackground m_Background;
  int32_t m_RunCount = 1;  // told to the player, one more for each start
  char m_Parameters[1024];
  zyCloseSaverDlg* m_pCloseNotice = nullptr;  // owned; none until a command runs
  char m_PictureMoviePath[kMaxPath];          // empty: no picture movie
  XDIB m_PreviewDib;                          // the preview picture; no bits: none
  XCUBE m_PreviewCube;                        // its colour cube on a palette display
  HPALETTE m_hPreviewPalette = nullptr;       // made from the cube's palette
  PlayerRestarts m_Restarts;                  // when an ended player starts again

 private:
  // Mouse and button input: hands the movie over when OnMouse is set.
  void EndOnMouse();
};
