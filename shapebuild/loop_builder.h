// Turning a rendered outline into the contents of a shape file: the outline
// in the design square and nested loops in the polyline frame, outer
// boundary first, all anticlockwise on screen from the bottom, start points
// in correspondence.
#pragma once

#include <cstdint>
#include <string>

#include "shapebuild/loop_checks.h"
#include "shapebuild/loop_options.h"
#include "shapebuild/shape_region.h"
#include "shapebuild/shape_writer.h"

namespace quorvel {

struct LoopBuildResult {
  ShapeFileContents contents;
  LoopMethod method = LoopMethod::kAuto;  // the one that was used
  LoopCheckReport check;                  // of the loops as they decode
};
// On kNoLoops, result.method and result.check tell how the last try failed.

[[nodiscard]] ShapeBuildProblem BuildShapeLoops(const TCoverageMask& mask,
                                                const LoopBuildOptions& options,
                                                LoopBuildResult& result);

}  // namespace quorvel
