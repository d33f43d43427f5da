// Pictures and shapes for the benchmarks, made in memory.
#pragma once

#include <string>

#include "raster/image_pair.h"
#include "shapes/platform.h"
#include "shapes/shape_library.h"
#include "tests/support/test_pictures.h"
#include "tests/support/test_shapes.h"

namespace quorvel::bench {

using testing::Gradient;
using testing::GradientPicture;

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
