#include "tools/somnel-pack/SaverInputs.h"

#include <windows.h>

#include <cstdint>

#include "saver/resource.h"
#include "tools/common/BmpProblem.h"

std::string PackagePictureProblem(const std::vector<char>& bytes) {
  const uint8_t* data = reinterpret_cast<const uint8_t*>(bytes.data());
  std::string problem = BmpHeaderProblem(data, bytes.size());
  // The preview's reader counts the colour table as colours used, else
  // the depth's default.
  if (problem.empty()) problem = BmpReadProblem(data, bytes.size(), false);
  return problem.empty() ? "" : "the saver cannot show it: " + problem;
}

std::string BareSaverProblem(const std::string& path) {
  // As data: nothing of the program runs, and any bitness can be looked at.
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) return "is not the generic saver: it cannot be read as a Windows program";
  const bool settings = FindResourceA(module, MAKEINTRESOURCEA(IDD_SETTINGS), RT_DIALOG) != nullptr;
  const bool notice =
      FindResourceA(module, MAKEINTRESOURCEA(IDD_CLOSENOTICE), RT_DIALOG) != nullptr;
  FreeLibrary(module);
  if (settings && notice) return "";
  return "is not the generic saver: it lacks the saver's settings dialog (resource 1000) and "
         "close notice (1001); name Somnel.scr as SAVER";
}
