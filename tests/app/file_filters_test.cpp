#include <gtest/gtest.h>

#include "app/file_filters.h"

namespace quorvel {
namespace {

TEST(FileFilters, OpenFilterListsEveryReadableEndingThenAllFiles) {
  const auto entries = ParseFilterPairs(OpenDialogFilter());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].description,
            "BMP PNG JPG WebP TIFF HEIC AVIF (*.bmp, *.png, *.jpg, *.webp, *.tif, *.tiff, *.heic, *.heif, *.avif)");
  EXPECT_EQ(entries[0].patterns,
            (std::vector<std::string>{"*.bmp", "*.png", "*.jpg", "*.jpeg", "*.jpe", "*.jfif", "*.webp", "*.tif",
                                      "*.tiff", "*.heic", "*.heif", "*.avif"}));
  EXPECT_EQ(QtNameFilter(entries[0]).substr(entries[0].description.size()),
            " (*.bmp *.png *.jpg *.jpeg *.jpe *.jfif *.webp *.tif *.tiff *.heic *.heif *.avif)");
  EXPECT_EQ(QtNameFilter(entries[1]), "All files (*) (*)");
}

TEST(FileFilters, ANameWithoutAWritableEndingGetsTheChosenFiltersOne) {
  const auto entries = ParseFilterPairs(kSaveFilterJpgFirst);
  EXPECT_EQ(FilterEnding(entries[1]), "bmp");
  EXPECT_EQ(PathWithEnding("/p/photo", "bmp"), "/p/photo.bmp");
  EXPECT_EQ(PathWithEnding("/p/photoJPG", "png"), "/p/photoJPG.png");  // no dot: no ending
  EXPECT_EQ(PathWithEnding("/p/holiday.2024", "jpg"), "/p/holiday.2024.jpg");
  EXPECT_EQ(PathWithEnding("/p.d/photo", "jpg"), "/p.d/photo.jpg");
  for (const char* kept : {"/p/photo.PNG", "/p/photo.jpeg", "/p/photo.Jfif", "/p/photo.bmp"})
    EXPECT_EQ(PathWithEnding(kept, "jpg"), kept);
}

TEST(FileFilters, SaveOffersJpgFirstForPhotographsThenPngWebpTiff) {
  for (int type : {2, 3, 4, 5, 6}) {
    const SaveDialogChoice choice = SaveDialogChoiceFor(type);
    EXPECT_STREQ(choice.defaultExtension, "jpg");
    const auto entries = ParseFilterPairs(choice.filter);
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(entries[0].description, "JPG(*.jpg)");
    EXPECT_EQ(entries[1].description, "BMP(*.bmp)");
    EXPECT_EQ(entries[2].patterns, std::vector<std::string>{"*.png"});
    EXPECT_EQ(entries[3].patterns, std::vector<std::string>{"*.webp"});
    EXPECT_EQ(entries[4].patterns, (std::vector<std::string>{"*.tif", "*.tiff"}));
  }
  for (int type : {0, 1}) {
    const SaveDialogChoice choice = SaveDialogChoiceFor(type);
    EXPECT_STREQ(choice.defaultExtension, "bmp");
    EXPECT_EQ(ParseFilterPairs(choice.filter)[0].description, "BMP(*.bmp)");
  }
}

TEST(FileFilters, ReadingStopsAtTheFirstEmptyField) {
  const auto entries = ParseFilterPairs("A|*.a|B||C|*.c||");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].description, "A");
  EXPECT_TRUE(ParseFilterPairs("").empty());
}

}  // namespace
}  // namespace quorvel
