// `quorvel-shape pack`: a parsed dump turned into the contents of a .qshp file.
#pragma once

#include <string>

#include "cli/shape_dump.h"
#include "shapebuild/shape_writer.h"

namespace quorvel {

// Every loop is encoded so that it decodes as near as possible to its points
// (long steps split on the straight segment). Without an outline section the
// outline is the outer loop as it decodes, mapped to the design square:
// polyline frame -150..150 -> 0..600. False with error set when a loop
// cannot be encoded.
[[nodiscard]] bool PackShapeDump(const ShapeDump& dump, ShapeFileContents& contents,
                                 std::string& error);

}  // namespace quorvel
