// Why a picture could not be turned into a movie, in words a user
// understands, worked out by looking at the files after the conversion
// failed. The conversion's own texts are terse ("Uknown file type. "); this
// says which file is at fault and what to do about it. OS-free.
#pragma once

#include <string>

struct ConversionProblem {
  std::string file;    // the picture, or the movie when it could not be written
  std::string reason;  // "cannot be converted: ..." or "cannot be written: ..."
};

// picturePath and moviePath as given to the conversion, conversionText what
// it threw. hidden: the system marks the picture hidden (the saver's file
// search passes over hidden files).
ConversionProblem ExplainConversionFailure(const char* picturePath, const char* moviePath,
                                           const std::string& conversionText, bool hidden);

// False for a conversion text that says nothing in words: the class
// library's "<unknown error: N>" for its picture code 0x0800000A (every
// failure of its BMP reader), or the name of the allocation failure. The
// explanation above then says it all.
bool HasWords(const std::string& conversionText);

// The extensions that tell the kind of picture, for the help and the
// messages.
extern const char kKnownPictureExtensions[];
