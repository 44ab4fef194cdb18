#include "saver/zyPak.h"

#include <cstring>

#include "clib/LongName.h"
#include "saver/Settings.h"
#include "xlib/lib/xdir.h"

namespace {

bool CopyPath(char* out, const char* text) {
  const size_t length = std::strlen(text);
  if (length >= static_cast<size_t>(kMaxPath)) {
    out[0] = '\0';
    return false;
  }
  std::memcpy(out, text, length + 1);
  return true;
}

// The file name part of a path, after its last separator.
const char* NamePart(const char* path) {
  const char* name = path;
  for (const char* p = path; *p; ++p)
    if (IsPathSeparator(*p)) name = p + 1;
  return name;
}

bool HasExeExtension(const char* path) {
  const char* dot = std::strrchr(NamePart(path), '.');
  return dot && lstrcmpiA(dot, ".exe") == 0;
}

}  // namespace

zyPak::zyPak() {
  std::memset(&m_Trailer, 0, sizeof m_Trailer);
  m_ErrorText[0] = '\0';
  m_ExtractDir[0] = '\0';
  m_PicturePath[0] = '\0';
  m_Sound = kSoundAlways;
  m_PlayerPath[0] = '\0';
  m_bExtracted = 0;
  std::memset(&m_Process, 0, sizeof m_Process);
  m_bPictureDirRefused = 0;
}

bool zyPak::ChooseExtractDir() {
  // The player runs in the picture's directory, where the picture movie lies.
  char dir[kMaxPath];
  if (m_PicturePath[0] && SplitPath(m_PicturePath, dir, nullptr) && dir[0] && xDirExists(dir)) {
    CopyPath(m_ExtractDir, dir);
    return true;
  }
  ChooseFallbackDir();
  return false;
}

void zyPak::ChooseFallbackDir() {
  char dir[kMaxPath];
  DWORD length = GetTempPathA(sizeof dir, dir);
  if (length > 0 && length < sizeof dir) {
    if (dir[length - 1] == '\\') dir[length - 1] = '\0';
    if (dir[0] && xDirExists(dir)) {
      CopyPath(m_ExtractDir, dir);
      return;
    }
  }
  length = GetWindowsDirectoryA(dir, sizeof dir);
  if (length == 0 || length >= sizeof dir) dir[0] = '\0';
  CopyPath(m_ExtractDir, dir);
}

int zyPak::Load(int extract) {
  return Load(zyModulePath(), extract);
}

int zyPak::Load(const char* modulePath, int extract) {
  char settingsFile[kMaxPath];
  if (UserSettingsPath(modulePath, settingsFile)) ReadUserSettings(*this, settingsFile);
  const bool inPictureDir = ChooseExtractDir();

  cFile module;
  if (module.OpenRead(GENERIC_READ, modulePath, FILE_SHARE_READ) != kErrorNone) return 0;

  // A file shorter than the trailer cannot be positioned there; the short
  // read that follows then says that there is no package.
  module.Seek(-static_cast<LONG>(kTrailerSize), FILE_END);
  if (module.Read(&m_Trailer, sizeof m_Trailer) < sizeof m_Trailer) m_Trailer.magic = 0;
  // The command fields come from the file and are used as C strings later.
  TerminateTrailerCommands(m_Trailer);

  const bool present = TrailerHasPackage(m_Trailer);
  // Without a package the last bytes of the file are the program's own
  // (linker data), not a trailer: read as one they would set every flag and
  // fill the commands. No package means a trailer of zeros.
  if (!present) std::memset(&m_Trailer, 0, sizeof m_Trailer);
  int extracted = 1;
  if (present && extract) {
    extracted = ExtractPlayer(module, modulePath);
    // A picture's directory that cannot be written to (read-only, or the
    // player's name taken there) would leave the saver without a show: the
    // player goes where it goes without a picture.
    if (!extracted && !m_bExtracted && inPictureDir) {
      m_bPictureDirRefused = 1;
      ChooseFallbackDir();
      extracted = ExtractPlayer(module, modulePath);
    }
  }
  module.Close();

  if (!extracted) return 0;
  if (present) return 1;
  return UseDevelopmentPlayer(modulePath);
}

// Without a package, a program next to the saver with the extension ".exe"
// serves as the player, configured by project keys in the saver file itself.
int zyPak::UseDevelopmentPlayer(const char* modulePath) {
  if (HasExeExtension(modulePath)) return 0;
  char player[kMaxPath];
  if (!CopyPath(player, modulePath) || !ReplaceExtension(player, ".exe")) return 0;
  if (!xFileExists(player)) return 0;
  CopyPath(m_PlayerPath, player);
  // The trailer is all zero here: the keys fill its flags, keys and
  // commands, and there are no pictures.
  ReadProjectKeys(*this, modulePath);
  m_bExtracted = 0;  // never delete a player we did not create
  return 1;
}

int zyPak::ExtractPlayer(cFile& module) {
  return ExtractPlayer(module, zyModulePath());
}

int zyPak::ExtractPlayer(cFile& module, const char* modulePath) {
  // A reversed range would wrap round to a copy of almost 4 GiB.
  if (m_Trailer.playerEnd < m_Trailer.playerStart) return 0;

  // The program's file name with the extension after its last '.' replaced;
  // a name without a '.' keeps no extension.
  char name[kMaxPath];
  CopyPath(name, NamePart(modulePath));
  if (char* dot = std::strrchr(name, '.')) {
    if (static_cast<size_t>(dot - name) + 5 > static_cast<size_t>(kMaxPath) - 1) return 0;
    std::strcpy(dot, ".dat");
  }
  const size_t dirLength = std::strlen(m_ExtractDir);
  const bool needSeparator = dirLength == 0 || !IsPathSeparator(m_ExtractDir[dirLength - 1]);
  if (dirLength + (needSeparator ? 1 : 0) + std::strlen(name) >= static_cast<size_t>(kMaxPath))
    return 0;
  std::strcpy(m_PlayerPath, m_ExtractDir);
  if (needSeparator) std::strcat(m_PlayerPath, "\\");
  std::strcat(m_PlayerPath, name);

  cFile player;
  if (player.Create(FILE_ATTRIBUTE_NORMAL, m_PlayerPath, FILE_SHARE_READ) != kErrorNone) return 0;
  m_bExtracted = 1;

  int error = kErrorSystem;
  // Offsets past 2 GiB cannot be reached by this seek; they fail here rather
  // than copying from the wrong place.
  if (m_Trailer.playerStart <= 0x7FFFFFFFu &&
      module.Seek(static_cast<LONG>(m_Trailer.playerStart), FILE_BEGIN) ==
          static_cast<LONG>(m_Trailer.playerStart) &&
      module.GetError() == kErrorNone) {
    error = module.CopyTo(player, m_Trailer.playerEnd - m_Trailer.playerStart);
  }
  player.Close();
  return error == kErrorNone ? 1 : 0;
}

uint32_t zyPak::ImageOffset(Image which) const {
  return which == kSettingsBoxImage ? m_Trailer.settingsBoxImageOffset
                                    : m_Trailer.previewImageOffset;
}

xfile* zyPak::OpenImage(Image which, const char* modulePath) const {
  const uint32_t offset = ImageOffset(which);
  if (offset == 0 || offset > 0x7FFFFFFFu) return nullptr;
  xfile* file = xFileOpen(modulePath, GENERIC_READ, FILE_SHARE_READ);
  if (!file) return nullptr;
  if (xFileSeek(file, static_cast<LONG>(offset), FILE_BEGIN) != offset) {
    xFileClose(file);
    return nullptr;
  }
  return file;
}

xfile* zyPak::OpenImage(Image which) const {
  return OpenImage(which, zyModulePath());
}

const char* zyModulePath() {
  static char path[kMaxPath];
  if (!path[0]) {
    char raw[kMaxPath];
    DWORD length = GetModuleFileNameA(nullptr, raw, sizeof raw);
    if (length == 0 || length >= sizeof raw) return path;
    char dir[kMaxPath], name[kMaxPath];
    SplitPath(raw, dir, nullptr);
    LongName(raw, name);
    if (!JoinPath(path, dir, name)) CopyPath(path, raw);
  }
  return path;
}
