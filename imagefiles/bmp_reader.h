// Reads 24- and 32-bit BMP pictures, from files the user chose and from the
// memory images the codec layer hands over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "raster/pixels.h"

namespace quorvel {

// A picture read but not yet given to a TImagePair.
struct TDecodedPicture {
  PixelBlock pixels;  // width * height, bottom-up, B G R A
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::uint32_t bitDepth = 0;  // 24 or 32
};

enum class BmpVerdict {
  kRead,
  kUnreadable,   // cannot open, short or broken header, pixel data missing
  kBadBitDepth,  // neither 24 nor 32 bits
  kBadSize,      // a side outside [15, 5000]; top-down files land here too
  kOutOfMemory,  // no room for the pixels
};

inline constexpr std::int32_t kMinBmpSide = 15;
inline constexpr std::int32_t kMaxBmpSide = 5000;

// Reads a BMP file. The pixel data is what the header promises (file size -
// pixel offset) and no more than the file holds; it must cover the pixels.
// out is written only on kRead.
BmpVerdict ReadBmpFile(const std::filesystem::path& path, TDecodedPicture& out);

// Reads a memory image of any size (no side check); false when the image is
// not a consistent bottom-up 24- or 32-bit BMP. out is written only on true.
bool ReadBmpMemoryImage(const std::uint8_t* data, std::size_t size, TDecodedPicture& out);

}  // namespace quorvel
