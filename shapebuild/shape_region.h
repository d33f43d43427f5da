// The filled area of a rendered outline: one piece, its small holes filled,
// at most one real hole.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shapebuild/iso_contours.h"

namespace quorvel {

// A rendered outline: coverage 0 (empty) to 255 (filled) per pixel, rows
// top-down. The builder fits whatever it finds into the design square, so
// the mask's scale and position do not matter.
struct TCoverageMask {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint8_t> coverage;
};

enum class ShapeBuildProblem {
  kNone,
  kNoFilledArea,   // nothing, or too little to build on
  kSeveralPieces,  // the filled area falls apart into pieces of some size
  kSeveralHoles,   // more than one hole of some size
  kNoLoops,        // the loops came out crossing, or could not be traced
  kOutOfTime,      // every try so far failed and the time limit is reached
};

// English, for the command line.
const char* DescribeShapeBuildProblem(ShapeBuildProblem problem);

struct ShapeRegion {
  // Coverage of the kept piece, padded by one empty sample on every side;
  // pixel (i, j) of the mask is sample (i + 1, j + 1).
  SampledField field;
  bool has_hole = false;
  // What was dropped or filled beyond specks, one English sentence each.
  std::vector<std::string> notices;
};

// Pieces and holes smaller than this share of the largest piece are specks:
// pieces are dropped, holes filled.
inline constexpr double kSpeckShare = 0.005;

// Unless strict: other pieces are dropped when the largest holds at least
// this share of the filled area (a country and its islands, a letter i),
// and holes up to kSmallHoleShare of the largest piece are filled; each
// with a notice. Strict refuses both.
inline constexpr double kMainPieceShare = 0.6;
inline constexpr double kSmallHoleShare = 0.02;

[[nodiscard]] ShapeBuildProblem IsolateShapeRegion(const TCoverageMask& mask, ShapeRegion& region,
                                                   bool strict = true);

}  // namespace quorvel
