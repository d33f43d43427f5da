// Tracing a PNG silhouette into a coverage mask.
#pragma once

#include <cstdint>
#include <string>

#include "shapebuild/shape_region.h"

namespace quorvel {

// Within a SvgRenderingScope: the picture's shape is where it is opaque
// (alpha of at least half) when any pixel is not, else where it is dark
// (luminance below half). That bitmap is traced into smooth curves, which
// are rendered like an SVG drawing: side pixels on the longer side of their
// box, a few empty pixels around. False with error set when the file cannot
// be read as a PNG; a picture with no shape in it gives an all-empty mask.
[[nodiscard]] bool TracePngMask(const std::string& path, std::int32_t side, TCoverageMask& mask,
                                std::string& error);

}  // namespace quorvel
