// Choosing the stored form of a loop: start coordinates and int16 deltas such
// that decoding (DecodeShapeStep) lands as near as possible to every point.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "shapebuild/shape_writer.h"
#include "warp/geometry.h"

namespace quorvel {

// Loop coordinates beyond this are refused; the frame itself spans -150..150.
inline constexpr double kMaxLoopCoordinate = 100000.0;
// Deltas one loop may hold after long steps are split.
inline constexpr std::size_t kMaxLoopDeltas = std::size_t{1} << 24;

// The int16 delta whose decoded value from previous is nearest to target;
// among deltas decoding to that same value, the one nearest the ideal.
std::int16_t NearestShapeDelta(float previous, double target);

// The first point is stored as the start with a zero delta, so it decodes to
// the float nearest to it. A step that no int16 delta reaches is cut into
// equal pieces on the straight segment between the two given points.
// False for a non-finite coordinate, one beyond kMaxLoopCoordinate, or a loop
// that would need more than kMaxLoopDeltas deltas; block is then untouched.
[[nodiscard]] bool EncodeShapeLoop(std::span<const ShapePointD> points, ShapeFileBlock& block);

// The points a block decodes to, with the reader's arithmetic.
std::vector<TPointF> DecodeShapeBlock(const ShapeFileBlock& block);

}  // namespace quorvel
