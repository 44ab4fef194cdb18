// What kmvconvert says when the conversion ran out of memory, and which of
// the conversion's own texts carry words.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "tools/kmvconvert/ConversionProblem.h"

namespace {

const std::string kData = SOMNEL_SOURCE_DIR "/xlib/mm/tests/data/";

// The saver's BMP reader throws the class library's picture text for every
// failure, its pixel block not allocated included; the movie writer throws
// the allocation failure itself. A picture that reads well on its own was
// refused for memory, not for what it holds.
TEST(ConversionWords, MemoryThatRanOutIsSaidSo) {
  const struct {
    const char* picture;
    std::string text;
    const char* reason;
  } cases[] = {
      {"f8.bmp", "<unknown error: 134217738>",
       "cannot be converted: there is not enough memory to convert its 13 x 9 pixels"},
      {"f8.bmp", std::bad_alloc().what(),
       "cannot be converted: there is not enough memory to convert it"},
      {"f.jpg", std::bad_alloc().what(),
       "cannot be converted: there is not enough memory to convert it"},
  };
  for (const auto& c : cases) {
    const std::string picture = kData + c.picture;
    const ConversionProblem problem =
        ExplainConversionFailure(picture.c_str(), "out.kmv", c.text, false);
    EXPECT_EQ(problem.file, picture) << c.picture;
    EXPECT_EQ(problem.reason, c.reason) << c.picture << " " << c.text;
  }
}

TEST(ConversionWords, ABareCodeOrAnAllocationFailureHasNoWords) {
  EXPECT_FALSE(HasWords("<unknown error: 134217738>"));
  EXPECT_FALSE(HasWords(std::bad_alloc().what()));
  EXPECT_FALSE(HasWords(""));
  EXPECT_TRUE(HasWords("Bitmaps must be 8-bit."));
  EXPECT_TRUE(HasWords("Error reading file. p.jpg"));
  EXPECT_TRUE(HasWords("Uknown file type. p.png"));
}

}  // namespace
