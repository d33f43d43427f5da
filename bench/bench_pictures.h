// Pictures and shapes for the benchmarks, made in memory.
#pragma once

#include <string>

#include "raster/image_pair.h"
#include "shapes/platform.h"
#include "shapes/shape_library.h"
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

// Selects a shape of the bundled library: the bench program lies in
// build/bench, the shape folder in build/bin.
inline bool LoadBundledShape(TWarpEngine& engine, const std::string& name) {
  ScanShapeFolder(engine, ExecutableFolder().parent_path() / "bin" / kShapeFolderName);
  for (std::size_t i = 0; i < engine.shapes.size(); ++i)
    if (engine.shapes[i].name == name) return SelectShape(engine, static_cast<std::int32_t>(i)) == 1;
  return false;
}

}  // namespace quorvel::bench
