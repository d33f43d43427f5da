#include "imagefiles/file_names.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(EndsWithNoCase, MatchesAsciiLettersInEitherCase) {
  EXPECT_TRUE(EndsWithNoCase("cat.PnG", "png"));
  EXPECT_TRUE(EndsWithNoCase("photoJPG", "jpg"));  // no dot needed
  EXPECT_TRUE(EndsWithNoCase("bmp", "BMP"));
  EXPECT_FALSE(EndsWithNoCase("mp", "bmp"));       // shorter than the suffix
  EXPECT_FALSE(EndsWithNoCase("cat.pnh", "png"));
  EXPECT_TRUE(EndsWithNoCase("anything", ""));
}

TEST(EndsWithNoCase, ComparesOtherBytesExactly) {
  // '@' and '`' are 32 apart like letters, as the rule allows.
  EXPECT_TRUE(EndsWithNoCase("a@", "`"));
  // The last byte of "も" (E3 82 82) is 32 above 'b' but no letter.
  EXPECT_FALSE(EndsWithNoCase("\xE3\x82\x82mp", "bmp"));
}

TEST(ImageFileType, ClassifiesByEnding) {
  EXPECT_EQ(ImageFileType("/p/a.bmp"), kFileTypeBmp);
  EXPECT_EQ(ImageFileType("/p/a.PNG"), kFileTypePng);
  EXPECT_EQ(ImageFileType("/p/a.Jpg"), kFileTypeJpg);
  EXPECT_EQ(ImageFileType("/p/photoJPG"), kFileTypeJpg);
  for (const char* jpeg : {"/p/a.jpeg", "/p/a.JPEG", "/p/a.Jpe", "/p/a.jfif", "/p/a.JFIF"})
    EXPECT_EQ(ImageFileType(jpeg), kFileTypeJpg) << jpeg;
  EXPECT_EQ(ImageFileType("/p/a.gif"), kFileTypeNone);
  EXPECT_EQ(ImageFileType(""), kFileTypeNone);
}

TEST(ExtractFileTitle, TakesTextBetweenLastSeparatorAndLastDot) {
  std::string title = "old";
  ExtractFileTitle(title, "/pics/cat.old.png");
  EXPECT_EQ(title, "cat.old");
  ExtractFileTitle(title, "/pics/.hidden");
  EXPECT_EQ(title, "");
}

TEST(ExtractFileTitle, LeavesTitleWithoutDotAfterLastSeparator) {
  std::string title = "old";
  ExtractFileTitle(title, "/pics.d/photoJPG");
  EXPECT_EQ(title, "old");
  ExtractFileTitle(title, "cat.png");  // no separator at all
  EXPECT_EQ(title, "old");
}

}  // namespace
}  // namespace quorvel
