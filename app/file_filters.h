// File dialog filters, kept in the "description|patterns|...||" form the
// commands are written with, and turned into the form Qt's dialogs take.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

inline constexpr char kOpenFilter[] =
    "BMP PNG JPG WebP TIFF HEIC AVIF (*.bmp, *.png, *.jpg, *.webp, *.tif, *.tiff, *.heic, *.heif, *.avif)"
    "|*.bmp;*.png;*.jpg;*.jpeg;*.jpe;*.jfif;*.webp;*.tif;*.tiff;*.heic;*.heif;*.avif||";
// Offered after every picture type, for a picture whose name has no known ending.
inline constexpr char kAllFilesFilter[] = "All files (*)|*||";
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

// The open dialog's filter: kOpenFilter's entries, then kAllFilesFilter's.
std::string OpenDialogFilter();

// "jpg" for an entry whose first pattern is "*.jpg"; empty for "*".
std::string FilterEnding(const FilterEntry& entry);

// path as it is written: a file name without an ending the writer knows
// gets ending (the chosen filter's); "photo" becomes "photo.jpg", while
// "photo.png" stays, whatever filter was chosen.
std::string PathWithEnding(const std::string& path, const std::string& ending);

}  // namespace quorvel
