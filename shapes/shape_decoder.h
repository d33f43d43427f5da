// Decoding a whole .qshp file held in memory: the outline records and the
// polyline blocks with their points, exactly as the format's arithmetic says.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "warp/geometry.h"

namespace quorvel {

enum class ShapeFileProblem {
  kNone,
  kCannotOpen,
  kTooShort,              // fewer than 44 bytes
  kNegativeOutlineCount,  // N < 0
  kOutlinePastEnd,        // 44 + 16 N beyond the file
  kPolylinesPastEnd,      // a block or its deltas beyond the file
  kNotFinite,             // a coordinate that is NaN or overflows float32
  kTooManyLoops,          // P above kMaxShapeLoops
  kTooManyPoints,         // the loops' points together above kMaxShapePoints
};

// Far above what the shape builder writes (a few dozen loops, some ten
// thousand points): every loop adds a point to each of the thousands of
// assist polylines a warp derives, so a file of countless small loops would
// otherwise take gigabytes to warp.
inline constexpr std::int32_t kMaxShapeLoops = 4096;
inline constexpr std::size_t kMaxShapePoints = std::size_t{1} << 22;

// One polyline block: the start is where the first delta counts from; it is
// not a point of the loop.
struct DecodedLoop {
  float start_x = 0.0f;
  float start_y = 0.0f;
  std::vector<TPointF> points;
};

struct DecodedShapeFile {
  std::vector<TPointF> outline;  // design square, float32 as held in memory
  std::vector<DecodedLoop> loops;
};

// Negative P and M count as zero. A malformed file is rejected whole: out is
// written only when the result is kNone.
[[nodiscard]] ShapeFileProblem DecodeShapeFile(std::span<const std::uint8_t> bytes,
                                               DecodedShapeFile& out);

// English, for the command line.
const char* DescribeShapeFileProblem(ShapeFileProblem problem);

}  // namespace quorvel
