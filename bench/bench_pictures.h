// Pictures and shapes for the benchmarks, made in memory.
#pragma once

#include "raster/image_pair.h"
#include "tests/warp/test_shapes.h"

namespace quorvel::bench {

inline PixelBlock Gradient(int w, int h) {
  PixelBlock block;
  AllocBlock(block, w, h);
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x)
      block[static_cast<std::size_t>(row) * w + x] =
          0xFF000000u | static_cast<Pixel>(x * 251 / w) << 16 | static_cast<Pixel>(row * 241 / h) << 8 |
          static_cast<Pixel>((x ^ row) & 0xFF);
  return block;
}

inline TImagePair GradientPicture(int w, int h) {
  TImagePair pair;
  pair.width = w;
  pair.height = h;
  pair.squareSide = w > h ? w : h;
  pair.src = Gradient(w, h);
  pair.loaded = 1;
  return pair;
}

// About ten nested loops of many points, like a bundled shape.
inline PolylineList TenLoops() { return testing::NestedCircles(10, 720); }

}  // namespace quorvel::bench
