// The BMP layout this system reads and writes: a 14-byte file header, a
// 40-byte information header, uncompressed rows bottom-up, each padded to a
// multiple of 4 bytes. All fields little-endian.
//
//   0 "BM"        2 file size    6 reserved      10 pixel offset
//  14 header size 18 width       22 height       26 planes  28 bit count
//  30 compression 34 image size  38..53 resolutions and colour counts
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/pixels.h"

namespace quorvel {

inline constexpr std::size_t kBmpHeadersSize = 54;
// The reader takes the file header, then the information header plus the
// first palette entry, in one read each.
inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpReadHeaderSize = kBmpFileHeaderSize + 44;

struct TBmpHeader {
  std::uint32_t fileSize = 0;
  std::uint32_t pixelOffset = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;  // negative: rows stored top-down
  std::uint16_t bitCount = 0;
};

// Parses kBmpReadHeaderSize bytes; false unless the signature is "BM".
bool ParseBmpHeader(const std::uint8_t* bytes, TBmpHeader& out);

// Writes the 54 header bytes of an uncompressed bottom-up picture whose
// pixel rows take imageSize bytes. False (nothing written) when the file
// size does not fit the 32-bit field.
bool FillBmpHeaders(std::uint8_t* out, std::int32_t width, std::int32_t height,
                    std::uint16_t bitCount, std::uint64_t imageSize);

// Bytes per stored row: width * bitCount / 8 rounded up to a multiple of 4.
std::uint64_t BmpStride(std::int32_t width, std::uint16_t bitCount);

// Bytes the pixel rows must provide. A 24-bit picture may lack the pad
// after its last row; 32-bit rows have none.
std::uint64_t BmpPixelBytesNeeded(std::int32_t width, std::int32_t height,
                                  std::uint16_t bitCount);

// Turns stored rows (bottom-up, 24 or 32 bits) into packed 32-bit pixels:
// 24-bit pixels get alpha 255, 32-bit ones are taken as they are. rows must
// hold BmpPixelBytesNeeded bytes.
void ConvertBmpRows(const std::uint8_t* rows, std::int32_t width, std::int32_t height,
                    std::uint16_t bitCount, Pixel* out);

}  // namespace quorvel
