// kmvinfo: prints what a KMV movie holds, or why it is damaged.
//
//   kmvinfo FILE.kmv
// Exit codes: 0 the movie reads cleanly; 1 it is damaged or cannot be read
// (the message names the byte offset); 2 wrong usage.
#include <cstdio>
#include <string>

#include "moviewriter/KmvReader.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kmvinfo FILE.kmv\n");
    return 2;
  }
  try {
    kmv::Movie movie = kmv::ReadFile(argv[1]);
    std::string text = kmv::Dump(movie);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
  } catch (const kmv::ParseError& e) {
    std::fprintf(stderr, "kmvinfo: %s: %s\n", argv[1], e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kmvinfo: %s: %s\n", argv[1], e.what());
    return 1;
  }
}
