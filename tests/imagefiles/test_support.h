// Helpers shared by the image file suites: captured messages, test data,
// scratch folders and small pictures made in place.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "raster/image_pair.h"
#include "raster/message_sink.h"
#include "tests/support/message_capture.h"
#include "tests/support/temp_folder.h"

namespace quorvel::testing {

inline std::filesystem::path TestData(const std::string& relative) {
  return std::filesystem::path(QUORVEL_TESTDATA) / relative;
}

inline std::uint32_t Le32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

inline void PutLe32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A pattern that tells every pixel apart: colour from position, varied alpha.
inline Pixel PatternPixel(std::int32_t x, std::int32_t y) {
  return static_cast<Pixel>((x * 37 + y * 11) & 0xFF) << 24 |
         static_cast<Pixel>((x * 7) & 0xFF) << 16 | static_cast<Pixel>((y * 13) & 0xFF) << 8 |
         static_cast<Pixel>((x + y * 3) & 0xFF);
}

// A bottom-up BMP file as the reader expects it, built by hand: 24-bit rows
// padded to 4 bytes, or 32-bit pixels as they are.
inline std::vector<std::uint8_t> MakeBmpFile(std::int32_t width, std::int32_t height,
                                             std::uint16_t bitCount) {
  const std::size_t stride = (static_cast<std::size_t>(width) * bitCount / 8 + 3) / 4 * 4;
  std::vector<std::uint8_t> b(54 + stride * height, 0);
  b[0] = 'B';
  b[1] = 'M';
  PutLe32(b, 2, static_cast<std::uint32_t>(b.size()));
  PutLe32(b, 10, 54);
  PutLe32(b, 14, 40);
  PutLe32(b, 18, static_cast<std::uint32_t>(width));
  PutLe32(b, 22, static_cast<std::uint32_t>(height));
  b[26] = 1;
  b[28] = static_cast<std::uint8_t>(bitCount);
  PutLe32(b, 34, static_cast<std::uint32_t>(stride * height));
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; ++x) {
      const Pixel p = PatternPixel(x, y);
      std::uint8_t* d = &b[54 + y * stride + x * (bitCount / 8)];
      for (int c = 0; c < bitCount / 8; ++c) d[c] = static_cast<std::uint8_t>(p >> (8 * c));
    }
  return b;
}

// A pair holding a loaded-looking picture, to check that refusals keep it.
inline TImagePair PairWithPicture() {
  TImagePair pair;
  pair.width = 17;
  pair.height = 16;
  AllocBlock(pair.src, 17, 16);
  for (std::int32_t i = 0; i < 17 * 16; ++i) pair.src[i] = PatternPixel(i % 17, i / 17);
  pair.bitDepth = 32;
  pair.squareSide = 17;
  pair.loaded = 1;
  pair.title = "before";
  return pair;
}

inline bool PictureUnchanged(const TImagePair& pair) {
  const TImagePair before = PairWithPicture();
  return pair.width == before.width && pair.height == before.height &&
         pair.bitDepth == before.bitDepth && pair.src == before.src && pair.loaded == 1 &&
         pair.title == before.title && pair.squareSide == before.squareSide;
}

}  // namespace quorvel::testing
