// The saver's package: the trailer at the end of the program file, the user's
// settings, the directory the player is copied into, and the record of the
// running player process.
#pragma once

#include <windows.h>

#include <cstdint>

#include "clib/Path.h"
#include "clib/cFile.h"
#include "saver/PayloadTrailer.h"
#include "xlib/lib/xfile.h"

// The bitmap resource a picture comes from when the package holds none
// (IDB_PICTURE of the resource script).
constexpr int kPackageImageResource = 1002;

// Sound setting of the user settings file.
enum : int32_t { kSoundAlways = 0, kSoundOnce = 1, kSoundNever = 2 };

struct zyPlayerProcess {
  HANDLE hProcess;
  HANDLE hThread;
  DWORD processId;
  DWORD threadId;
  HWND hwnd;  // the player's main window, once found
};
#if defined(_WIN32) && !defined(_WIN64)
static_assert(sizeof(zyPlayerProcess) == 20, "player process record is 20 bytes");
#endif

class zyPak {
 public:
  enum Image { kSettingsBoxImage, kPreviewImage };

  zyPak();

  // Reads the trailer of the running program and the user settings; with
  // extract = 1 copies the player out. 1 when a player is available (package
  // found, or the development player beside the program), else 0.
  int Load(int extract);
  // The same for the program file at modulePath.
  int Load(const char* modulePath, int extract);

  // Copies the player out of the open program file into the extraction
  // directory, named like the program with the extension ".dat". 1 on success.
  int ExtractPlayer(cFile& module);
  int ExtractPlayer(cFile& module, const char* modulePath);

  // File offset of a picture in the package; 0 when there is none (then the
  // picture comes from bitmap resource kPackageImageResource).
  uint32_t ImageOffset(Image which) const;
  // Opens the program file for shared reading, positioned at the picture's
  // first byte. Null when the offset is 0 or the file cannot be opened or
  // positioned. The caller closes it with xFileClose.
  xfile* OpenImage(Image which, const char* modulePath) const;
  xfile* OpenImage(Image which) const;

  bool HasFlag(uint32_t flag) const { return (m_Trailer.flags & flag) != 0; }

  // Writes the parameter text (when given) into the player's ".cfg", starts
  // the player in its own directory and finds its window: adopted as a
  // disabled child filling `window` with asChild, else made top-most under
  // the saver. 1 on success, else 0 with m_ErrorText set; a player whose
  // window cannot be found stays recorded.
  int LaunchPlayer(HWND window, const char* parameters, BOOL asChild);
  // 1 when the recorded player has ended within `milliseconds` (the record
  // is then cleared), else 0.
  int PollPlayer(DWORD milliseconds);
  // Asks the player to close (or ends it), deletes the files the saver
  // extracted, and clears the record.
  void StopPlayer();

  PayloadTrailer m_Trailer;      // as read when it holds a package, else zero
  char m_ErrorText[512];         // last launch error of the player
  char m_ExtractDir[kMaxPath];   // where the player is copied to
  char m_PicturePath[kMaxPath];  // [Photo] File of the user settings
  int32_t m_Sound;               // kSoundAlways, kSoundOnce or kSoundNever (not range-checked)
  char m_PlayerPath[kMaxPath];   // the program that is started
  uint32_t m_bExtracted;         // 1: the saver created the player file and deletes it
  zyPlayerProcess m_Process;     // zero while no player runs
  // 1: the picture's directory would not take the player (read-only, or its
  // name taken), so it went to the temporary directory; the picture movie
  // follows it there (zySaver::PreparePictureMovie).
  uint32_t m_bPictureDirRefused;

 private:
  // The picture's directory when it exists (true), else the fallback.
  bool ChooseExtractDir();
  // The temporary directory, else the Windows directory.
  void ChooseFallbackDir();
  int UseDevelopmentPlayer(const char* modulePath);
};

// The running program's full long path. The start-up code sets it once; until
// then it is the path the system gives.
const char* zyModulePath();
