// Turning a rendered outline into the contents of a shape file: the outline
// in the design square and nested loops in the polyline frame, outer
// boundary first, all anticlockwise on screen from the bottom, start points
// in correspondence.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shapebuild/loop_checks.h"
#include "shapebuild/loop_options.h"
#include "shapebuild/shape_region.h"
#include "shapebuild/shape_writer.h"
#include "shapebuild/warp_quality.h"

namespace quorvel {

struct LoopBuildResult {
  ShapeFileContents contents;
  LoopMethod method = LoopMethod::kAuto;  // the one that was used
  LoopCheckReport check;                  // of the loops as they decode
  // The test warp of the loops taken; on kNoLoops, of the best try that
  // could be measured.
  WarpQuality quality;
  // What was changed about the drawing to build it (pieces dropped, holes
  // filled), one English sentence each, for standard error.
  std::vector<std::string> notices;
};
// On kNoLoops, result.method and result.check tell how the last try failed.
// Loops with no crossing assist polylines are taken at once, and so are
// loops whose test warp is excellent; otherwise the best-scoring try whose
// test warp is acceptable (see warp_quality.h).
// Without a hole, loops whose innermost loop is large (kMaxCoreShare) are
// never taken.

[[nodiscard]] ShapeBuildProblem BuildShapeLoops(const TCoverageMask& mask,
                                                const LoopBuildOptions& options,
                                                LoopBuildResult& result);

}  // namespace quorvel
