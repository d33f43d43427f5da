// How well a set of loops warps, measured on a test warp at a small working
// square with the engine itself: what a user would see, not whether any two
// assist polylines touch.
#pragma once

#include <cstdint>
#include <vector>

#include "warp/geometry.h"

namespace quorvel {

// Shares of the inside: the pixels within the outer loop and outside the
// innermost one (for a ring that is the hole; otherwise the few pixels the
// rays end on).
struct WarpQuality {
  bool measured = false;
  double reach = 0.0;  // written by the test warp
  double fold = 0.0;   // covered twice where the mapping folds over (neighbouring rays swap sides)
  double spill = 0.0;  // outside the outer loop but hit by samples, in inside pixels

  // Thresholds, at kQualitySide (see warp_quality.cpp for why).
  bool Acceptable() const;
  // So good that no later try could look better to a user: the cascade
  // stops at it instead of trying on for a zero-crossing set.
  bool Excellent() const;
  // Higher is better; for choosing among acceptable candidates.
  double Score() const { return reach - 4.0 * fold - 4.0 * spill; }
};

inline constexpr std::int32_t kQualitySide = 400;
inline constexpr double kMinReach = 0.99;
inline constexpr double kMaxFold = 0.005;
inline constexpr double kMaxSpill = 0.002;
// Of a shape without a hole, the innermost loop encloses at most this share
// of the outer loop's area. The engine paints what lies within it with the
// rays' last stretch to the centre, one smear the test warp does not count;
// a large core reads as a washed-out middle whatever the figures above say.
inline constexpr double kMaxCoreShare = 0.01;
inline constexpr double kExcellentReach = 0.997;
inline constexpr double kExcellentFold = 0.001;
inline constexpr double kExcellentSpill = 0.0005;

// loops: polyline frame, closed, as decoded from a file; nested and of one
// orientation (the caller has checked).
WarpQuality MeasureWarpQuality(const std::vector<std::vector<TPointF>>& loops,
                               std::int32_t side = kQualitySide);

}  // namespace quorvel
