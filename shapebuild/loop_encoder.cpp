#include "shapebuild/loop_encoder.h"

#include <algorithm>
#include <cmath>

#include "shapes/shape_file_layout.h"

namespace quorvel {
namespace {

constexpr std::int32_t kMinDelta = -32768;
constexpr std::int32_t kMaxDelta = 32767;
// Longest piece a split step is cut into; leaves room below 3.2767 for the
// rounding of the pieces' ends.
constexpr double kSplitPiece = 3.0;

float Decode(float previous, std::int32_t delta) {
  return DecodeShapeStep(previous, static_cast<std::int16_t>(delta));
}

// Decoding is non-decreasing in the delta, so both bounds are binary searches.
// Smallest delta decoding to >= value; kMaxDelta + 1 when there is none.
std::int32_t FirstDeltaAtLeast(float previous, double value) {
  std::int32_t lo = kMinDelta;
  std::int32_t hi = kMaxDelta + 1;
  while (lo < hi) {
    const std::int32_t mid = lo + (hi - lo) / 2;
    if (static_cast<double>(Decode(previous, mid)) >= value)
      hi = mid;
    else
      lo = mid + 1;
  }
  return lo;
}

// Largest delta decoding to <= value; kMinDelta - 1 when there is none.
std::int32_t LastDeltaAtMost(float previous, double value) {
  std::int32_t lo = kMinDelta - 1;
  std::int32_t hi = kMaxDelta;
  while (lo < hi) {
    const std::int32_t mid = lo + (hi - lo + 1) / 2;
    if (static_cast<double>(Decode(previous, mid)) <= value)
      lo = mid;
    else
      hi = mid - 1;
  }
  return lo;
}

// Decoded values are floats, so no delta could do better than the float
// nearest to the target; a step needs splitting only when that float lies
// beyond what the int16 range decodes to.
bool Reachable(float previous, double target) {
  const auto nearest = static_cast<float>(target);
  return Decode(previous, kMinDelta) <= nearest && nearest <= Decode(previous, kMaxDelta);
}

bool UsableCoordinate(double v) { return std::isfinite(v) && std::fabs(v) <= kMaxLoopCoordinate; }

struct LoopCursor {
  float x = 0.0f;
  float y = 0.0f;
};

void AppendStep(LoopCursor& at, double tx, double ty, std::vector<ShapeDelta>& deltas) {
  const ShapeDelta d{NearestShapeDelta(at.x, tx), NearestShapeDelta(at.y, ty)};
  at.x = DecodeShapeStep(at.x, d.dx);
  at.y = DecodeShapeStep(at.y, d.dy);
  deltas.push_back(d);
}

}  // namespace

std::int16_t NearestShapeDelta(float previous, double target) {
  const std::int32_t above = FirstDeltaAtLeast(previous, target);
  const std::int32_t below = LastDeltaAtMost(previous, target);
  std::int32_t pick;
  if (above > kMaxDelta) {
    pick = below;
  } else if (below < kMinDelta) {
    pick = above;
  } else {
    const double up = static_cast<double>(Decode(previous, above)) - target;
    const double down = target - static_cast<double>(Decode(previous, below));
    pick = up < down ? above : below;
    if (up == down) {
      const double ideal = (target - static_cast<double>(previous)) * kShapeDeltaScale;
      pick = std::fabs(above - ideal) < std::fabs(below - ideal) ? above : below;
    }
  }
  // Many deltas can decode to the same float; take the one nearest the ideal
  // step so the choice does not depend on the search's edges.
  const float value = Decode(previous, pick);
  const std::int32_t first = FirstDeltaAtLeast(previous, value);
  const std::int32_t last = LastDeltaAtMost(previous, value);
  const double ideal = std::clamp((target - static_cast<double>(previous)) * kShapeDeltaScale, double{kMinDelta},
                                  double{kMaxDelta});
  const auto rounded = static_cast<std::int32_t>(std::lround(ideal));
  return static_cast<std::int16_t>(std::clamp(rounded, first, last));
}

bool EncodeShapeLoop(std::span<const ShapePointD> points, ShapeFileBlock& block) {
  for (const ShapePointD& p : points)
    if (!UsableCoordinate(p.x) || !UsableCoordinate(p.y)) return false;

  ShapeFileBlock out;
  if (points.empty()) {
    block = std::move(out);
    return true;
  }
  out.start_x = static_cast<float>(points[0].x);
  out.start_y = static_cast<float>(points[0].y);
  out.deltas.push_back(ShapeDelta{});
  LoopCursor at{out.start_x, out.start_y};

  for (std::size_t i = 1; i < points.size(); ++i) {
    const ShapePointD& a = points[i - 1];
    const ShapePointD& b = points[i];
    std::size_t pieces = 1;
    if (!Reachable(at.x, b.x) || !Reachable(at.y, b.y)) {
      const double longest = std::max(std::fabs(b.x - static_cast<double>(at.x)),
                                      std::fabs(b.y - static_cast<double>(at.y)));
      pieces = static_cast<std::size_t>(std::ceil(longest / kSplitPiece));
    }
    if (out.deltas.size() + pieces > kMaxLoopDeltas) return false;
    for (std::size_t k = 1; k < pieces; ++k) {
      const double f = static_cast<double>(k) / static_cast<double>(pieces);
      AppendStep(at, a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, out.deltas);
    }
    AppendStep(at, b.x, b.y, out.deltas);
  }
  block = std::move(out);
  return true;
}

std::vector<TPointF> DecodeShapeBlock(const ShapeFileBlock& block) {
  std::vector<TPointF> points;
  points.reserve(block.deltas.size());
  float x = block.start_x;
  float y = block.start_y;
  for (const ShapeDelta& d : block.deltas) {
    x = DecodeShapeStep(x, d.dx);
    y = DecodeShapeStep(y, d.dy);
    points.push_back(TPointF{x, y});
  }
  return points;
}

}  // namespace quorvel
