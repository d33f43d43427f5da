// Turning a rendered outline into the contents of a shape file: the outline
// in the design square and nested loops in the polyline frame, outer
// boundary first, all anticlockwise on screen from the bottom, start points
// in correspondence.
#pragma once

#include <cstdint>
#include <string>

#include "shapes/loop_checks.h"
#include "shapes/shape_region.h"
#include "shapes/shape_writer.h"

namespace quorvel {

enum class LoopMethod {
  kAuto,      // scaled when the outline is star-shaped, else harmonic, else distance, else strip
  kScaled,    // copies of the boundary scaled about a centre
  kHarmonic,  // level sets of a harmonic function
  kDistance,  // level sets of the distance to the boundary
  kStrip,     // offsets of the boundary cut short along a strip with two ends
};

struct LoopBuildOptions {
  LoopMethod method = LoopMethod::kAuto;
  // 0: 8 scaled loops, 42 distance ones, up to 86 strip ones, or as many
  // harmonic ones as the spacing asks
  std::int32_t loops = 0;
  double margin = 12.0;        // design units left free on the fitted side
  std::int32_t grid = 401;     // harmonic grid nodes per side
  double spacing = 3.0;        // widest gap between harmonic loops, frame units
  std::int32_t variants = 0;   // at most this many tries of each method; 0: all of them
};

struct LoopBuildResult {
  ShapeFileContents contents;
  LoopMethod method = LoopMethod::kAuto;  // the one that was used
  LoopCheckReport check;                  // of the loops as they decode
};
// On kNoLoops, result.method and result.check tell how the last try failed.

// Parses "auto", "scaled", "harmonic", "distance", "strip".
bool ParseLoopMethod(const std::string& text, LoopMethod& method);
const char* LoopMethodName(LoopMethod method);

[[nodiscard]] ShapeBuildProblem BuildShapeLoops(const TCoverageMask& mask,
                                                const LoopBuildOptions& options,
                                                LoopBuildResult& result);

}  // namespace quorvel
