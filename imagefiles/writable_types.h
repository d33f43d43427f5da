// The picture types the program can write, by the name's ending: one table,
// so that a new writer is one more row here and one more case in the saver.
#pragma once

#include <filesystem>
#include <string>

#include "imagefiles/file_names.h"

namespace quorvel {

struct TWritableType {
  const char* ending;  // lower case, without the dot
  int fileType;        // ImageFileType code the saver writes
};

inline constexpr TWritableType kWritableTypes[] = {
    {"bmp", kFileTypeBmp},
    {"jpg", kFileTypeJpg},
    {"jpeg", kFileTypeJpg},
    {"jpe", kFileTypeJpg},
    {"jfif", kFileTypeJpg},
    {"png", kFileTypePng},
    {"webp", kFileTypeWebp},
    {"tif", kFileTypeTiff},
    {"tiff", kFileTypeTiff},
};

// The type written for path's extension (after its last dot, ASCII letters
// in any case); 0 when there is none or it cannot be written.
int WritableFileType(const std::filesystem::path& path);

// The same for an ending given alone, with or without its dot ("png", ".PNG").
int WritableFileTypeOfEnding(std::string ending);

// "bmp, jpg, jpeg, ...": for usage texts.
std::string WritableEndings();

}  // namespace quorvel
