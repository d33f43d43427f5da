// Closed contour lines of a sampled field (marching squares).
#pragma once

#include <cstdint>
#include <vector>

#include "shapebuild/shape_writer.h"

namespace quorvel {

using ContourLoop = std::vector<ShapePointD>;

// A field of width x height samples, row-major, sample (i, j) at position
// (i, j): x to the right, y downwards.
struct SampledField {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<double> values;

  double At(std::int32_t i, std::int32_t j) const {
    return values[static_cast<std::size_t>(j) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(i)];
  }
};

// Every closed line where the field crosses level; "inside" is above level.
// Samples on the field's rim must lie at or below level so every line closes.
// Each loop runs with the inside on the same hand, so an outer boundary and
// a hole come out with opposite signed areas. Saddles join the inside when
// the cell's mean is above level.
std::vector<ContourLoop> TraceIsoContours(const SampledField& field, double level);

}  // namespace quorvel
