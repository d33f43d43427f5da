// File dialog filters, kept in the "description|patterns|...||" form the
// commands are written with, and turned into the form Qt's dialogs take.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

inline constexpr char kOpenFilter[] =
    "BMP PNG JPG WebP TIFF HEIC AVIF (*.bmp, *.png, *.jpg, *.webp, *.tif, *.tiff, *.heic, *.heif, *.avif)"
    "|*.bmp;*.png;*.jpg;*.webp;*.tif;*.tiff;*.heic;*.heif;*.avif||";
// PNG comes last of the three: it keeps the result's alpha, which the two
// others drop. WebP and TIFF, which keep it too, follow.
inline constexpr char kSaveFilterJpgFirst[] = "JPG(*.jpg)|*.jpg|BMP(*.bmp)|*.bmp|PNG(*.png)|*.png|"
                                              "WebP(*.webp)|*.webp|TIFF(*.tif)|*.tif;*.tiff||";
inline constexpr char kSaveFilterBmpFirst[] = "BMP(*.bmp)|*.bmp|JPG(*.jpg)|*.jpg|PNG(*.png)|*.png|"
                                              "WebP(*.webp)|*.webp|TIFF(*.tif)|*.tif;*.tiff||";

struct SaveDialogChoice {
  const char* filter;
  const char* defaultExtension;
};

// A picture read from PNG, JPG, WebP, TIFF or HEIF is offered JPG first,
// anything else BMP.
SaveDialogChoice SaveDialogChoiceFor(int fileType);

struct FilterEntry {
  std::string description;
  std::vector<std::string> patterns;
};

// Splits "A|a1;a2|B|b||" into its entries, up to the first empty field.
std::vector<FilterEntry> ParseFilterPairs(std::string_view filter);

// "A (a1 a2)": the form QFileDialog reads its patterns from.
std::string QtNameFilter(const FilterEntry& entry);

}  // namespace quorvel
