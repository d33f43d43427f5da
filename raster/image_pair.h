// TImagePair: one picture with every block derived from it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "raster/pixels.h"

namespace quorvel {

struct TImagePair {
  std::int32_t loaded = 0;       // 1 once a picture was loaded, 0 when cleared
  PixelBlock src;                // width * height, bottom-up
  std::int32_t width = 0;
  std::int32_t height = 0;
  PixelBlock square;             // squareSide^2, the warp job's work copy
  std::int32_t squareSide = 0;   // max(width, height), set on every load
  PixelBlock result;             // width * height; empty until the first warp
  std::int32_t fileType = 0;     // 1 bmp, 2 png, 3 jpg, 4 webp, 5 tiff, 6 heif
  ByteBlock iccProfile;          // the source file's colour profile, saved along; may be empty
  std::uint32_t bitDepth = 0;    // 24 or 32
  std::string title;             // file name without folder and extension (UTF-8)
  std::filesystem::path path;    // the file last opened
  PixelBlock srcPreview;
  std::int32_t srcPreviewWidth = 0;
  std::int32_t srcPreviewHeight = 0;
  PixelBlock resultPreview;
  std::int32_t resultPreviewWidth = 0;
  std::int32_t resultPreviewHeight = 0;
  PixelBlock composite;          // result over PaneBackColor, rebuilt on every save
  std::uint32_t bmpFormat = 0;   // 0 = 24-bit B, G, R
};

// Releases every block and marks the pair unloaded.
void ClearPair(TImagePair& pair);

// Releases what was derived from the previous picture (not src, not
// composite); every successful load calls it.
void DropDerived(TImagePair& pair);

}  // namespace quorvel
