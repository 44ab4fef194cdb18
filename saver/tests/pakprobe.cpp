// pakprobe: loads the package of its own program file exactly as the saver
// does at start, in a process of its own, so that tests can drive it through
// the environment (TMP, TEMP) and through its own file name and contents.
//
//   pakprobe REPORT EXTRACT
//
// EXTRACT is 1 (saver and preview) or 0 (settings dialog). REPORT receives
// "name=value" lines: result, module, player, extracted, dir, sound, picture,
// magic, flags. Exit code 0 when the report was written.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "saver/zyPak.h"

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  zyPak pak;
  const int result = pak.Load(std::atoi(argv[2]));
  FILE* report = std::fopen(argv[1], "wb");
  if (!report) return 3;
  std::fprintf(report, "result=%d\nmodule=%s\nplayer=%s\nextracted=%u\ndir=%s\n", result,
               zyModulePath(), pak.m_PlayerPath, static_cast<unsigned>(pak.m_bExtracted),
               pak.m_ExtractDir);
  std::fprintf(report, "sound=%d\npicture=%s\nmagic=%08X\nflags=%u\n",
               static_cast<int>(pak.m_Sound), pak.m_PicturePath,
               static_cast<unsigned>(pak.m_Trailer.magic),
               static_cast<unsigned>(pak.m_Trailer.flags));
  return std::fclose(report) == 0 ? 0 : 3;
}
