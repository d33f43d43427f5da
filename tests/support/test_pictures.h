// Pictures made in memory for the tests and the benchmarks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "raster/image_pair.h"

namespace quorvel::testing {

// A w x h block whose pixel at (x, memory row) is pixel(x, row).
template <class PixelAt>
PixelBlock BlockOf(std::int32_t w, std::int32_t h, PixelAt pixel) {
  PixelBlock block;
  AllocBlock(block, w, h);
  for (std::int32_t row = 0; row < h; ++row)
    for (std::int32_t x = 0; x < w; ++x)
      block[static_cast<std::size_t>(row) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)] =
          pixel(x, row);
  return block;
}

// A pair holding that block as its loaded picture.
template <class PixelAt>
TImagePair LoadedPicture(std::int32_t w, std::int32_t h, PixelAt pixel) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  pair.src = BlockOf(w, h, pixel);
  pair.loaded = 1;
  return pair;
}

// Opaque, with a little of every channel, so that misplaced samples show.
inline PixelBlock Gradient(std::int32_t w, std::int32_t h) {
  return BlockOf(w, h, [w, h](std::int32_t x, std::int32_t row) {
    return 0xFF000000u | static_cast<Pixel>(x * 251 / w) << 16 |
           static_cast<Pixel>(row * 241 / h) << 8 | static_cast<Pixel>((x ^ row) & 0xFF);
  });
}

inline TImagePair GradientPicture(std::int32_t w, std::int32_t h) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  pair.squareSide = w > h ? w : h;
  pair.src = Gradient(w, h);
  pair.loaded = 1;
  return pair;
}

}  // namespace quorvel::testing
