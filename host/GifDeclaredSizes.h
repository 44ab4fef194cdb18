// The sizes a GIF declares, walked over its blocks without decoding a pixel,
// so that they are checked before a reader takes memory for them (a decoder
// may make room for every frame as it opens the file).
#pragma once

#include <cstddef>
#include <istream>
#include <string>

namespace vrixhost {

// Why the sizes `in` declares (its logical screen, each image's place and
// size, and its colour tables) would make the preview keep more than the
// limits of host/GifAnimation.h allow, in words; empty when they fit, and
// also when `in` is not a GIF or ends early (its reader then says what is
// wrong). Counts as the reader keeps: a screen of 0 takes the first image's
// extent. *imagesWalked, when given, counts the images it went over.
std::string GifDeclaredProblem(std::istream& in, size_t* imagesWalked = nullptr);

}  // namespace vrixhost
