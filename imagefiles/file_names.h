// Picture file names: type by ending, and the title offered when saving.
#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// ImageFileType codes.
inline constexpr int kFileTypeNone = 0;
inline constexpr int kFileTypeBmp = 1;
inline constexpr int kFileTypePng = 2;
inline constexpr int kFileTypeJpg = 3;
// Read and written through the codec layer beside PNG and JPG; HEIF (heic,
// heif and avif) is read only.
inline constexpr int kFileTypeWebp = 4;
inline constexpr int kFileTypeTiff = 5;
inline constexpr int kFileTypeHeif = 6;

// True when name ends in suffix; ASCII letters match regardless of case
// (bytes equal, or both ASCII and 32 apart). No dot is required.
bool EndsWithNoCase(std::string_view name, std::string_view suffix);

// 1 for "bmp", 2 for "png", 3 for "jpg", "jpeg", "jpe" and "jfif" endings
// (tested in that order), then 4 for "webp", 5 for "tif"/"tiff", 6 for
// "heic"/"heif"/"avif"; 0 otherwise; "photoJPG" is 3.
int ImageFileType(std::string_view name);

// Sets title to the part of path between the last separator and the last
// dot after it. Leaves title untouched when there is no separator, or no
// dot after the last one.
void ExtractFileTitle(std::string& title, std::string_view path);

}  // namespace quorvel
