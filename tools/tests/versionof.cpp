// versionof MODULE: prints the file version of MODULE's version resource,
// "a.b.c.d", then its FileVersion text on a second line. Exit code 1 when
// it has none.
#include <windows.h>

#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "versionof: name one module\n");
    return 2;
  }
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(argv[1], &handle);
  if (size == 0) {
    std::fprintf(stderr, "versionof: %s: no version resource\n", argv[1]);
    return 1;
  }
  std::vector<char> data(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  char* text = nullptr;
  UINT textLength = 0;
  if (!GetFileVersionInfoA(argv[1], handle, size, data.data()) ||
      !VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length) ||
      length < sizeof *fixed ||
      !VerQueryValueA(data.data(), "\\StringFileInfo\\040904E4\\FileVersion",
                      reinterpret_cast<void**>(&text), &textLength)) {
    std::fprintf(stderr, "versionof: %s: the version resource cannot be read\n", argv[1]);
    return 1;
  }
  std::printf("%lu.%lu.%lu.%lu\n%s\n", HIWORD(fixed->dwFileVersionMS) + 0ul,
              LOWORD(fixed->dwFileVersionMS) + 0ul, HIWORD(fixed->dwFileVersionLS) + 0ul,
              LOWORD(fixed->dwFileVersionLS) + 0ul, text);
  return 0;
}
