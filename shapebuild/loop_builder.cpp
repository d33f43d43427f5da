#include "shapebuild/loop_builder.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>

#include "shapebuild/build_clock.h"
#include "shapebuild/iso_contours.h"
#include "shapebuild/loop_encoder.h"
#include "shapebuild/loop_methods.h"
#include "shapebuild/polygon_ops.h"

namespace quorvel {
namespace {

constexpr double kCoverageLevel = 127.5;
constexpr double kFrameHalf = 150.0;
constexpr double kLoopTolerance = 0.02;     // frame units; about 1/3 pixel at S = 5000
constexpr double kOutlineTolerance = 0.2;   // design units; 1/60 of a thumbnail pixel

struct Traced {
  PolygonD outer;
  PolygonD hole;
};

bool TraceRegion(const ShapeRegion& region, Traced& traced) {
  const std::vector<ContourLoop> contours = TraceIsoContours(region.field, kCoverageLevel);
  double outer_area = 0.0, hole_area = 0.0;
  for (const ContourLoop& c : contours) {
    const double a = SignedArea(c);
    if (a > outer_area) outer_area = a, traced.outer = c;
    if (region.has_hole && -a > hole_area) hole_area = -a, traced.hole = c;
  }
  if (traced.outer.empty() || (region.has_hole && traced.hole.empty())) return false;
  std::reverse(traced.hole.begin(), traced.hole.end());
  return true;
}

// Fits the outer boundary's box into the frame, leaving margin (design
// units) on its longer side, centred.
void FitToFrame(Traced& traced, double margin) {
  double x0 = traced.outer[0].x, x1 = x0, y0 = traced.outer[0].y, y1 = y0;
  for (const ShapePointD& p : traced.outer) {
    x0 = std::min(x0, p.x), x1 = std::max(x1, p.x);
    y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  }
  const double k = (2.0 * kFrameHalf - margin) / std::max(x1 - x0, y1 - y0);
  const double cx = (x0 + x1) * 0.5, cy = (y0 + y1) * 0.5;
  for (PolygonD* poly : {&traced.outer, &traced.hole}) {
    for (ShapePointD& p : *poly) p = {(p.x - cx) * k, (p.y - cy) * k};
    *poly = SimplifyLoop(*poly, kLoopTolerance);
  }
}

// Upside down and back: the loops are worked out on the shape turned upside
// down (clockwise, starting at the top) and turned back here, so they start
// at the bottom and run anticlockwise on screen. That is what lays a picture
// upright: the mapping puts the picture's bottom edge at the loops' start
// and its right edge a quarter further along.
PolygonD TurnedOver(const PolygonD& loop) {
  PolygonD turned;
  turned.reserve(loop.size());
  for (const ShapePointD& p : loop) turned.push_back({p.x, -p.y});
  return turned;
}

bool Encode(const std::vector<PolygonD>& worked, LoopBuildResult& result,
            std::vector<std::vector<TPointF>>& decoded) {
  std::vector<PolygonD> loops;
  for (const PolygonD& loop : worked) loops.push_back(TurnedOver(loop));
  ShapeFileContents contents;
  decoded.clear();
  for (const PolygonD& loop : loops) {
    ShapeFileBlock block;
    if (!EncodeShapeLoop(loop, block)) return false;
    decoded.push_back(DecodeShapeBlock(block));
    contents.blocks.push_back(std::move(block));
  }
  for (const ShapePointD& p : SimplifyLoop(loops.front(), kOutlineTolerance / 2.0))
    contents.outline.push_back({p.x * 2.0 + 300.0, p.y * 2.0 + 300.0});
  result.contents = std::move(contents);
  result.check = CheckShapeLoops(decoded);
  return true;
}

}  // namespace

ShapeBuildProblem BuildShapeLoops(const TCoverageMask& mask, const LoopBuildOptions& options,
                                  LoopBuildResult& result) {
  const double deadline = BuildClockSeconds() + std::max(0.0, options.time_limit);
  ShapeRegion region;
  const ShapeBuildProblem problem = IsolateShapeRegion(mask, region, options.strict);
  if (problem != ShapeBuildProblem::kNone) return problem;
  result.notices = region.notices;
  Traced traced;
  if (!TraceRegion(region, traced)) return ShapeBuildProblem::kNoLoops;
  FitToFrame(traced, std::clamp(options.margin, 0.0, 200.0));
  if (traced.outer.size() < 3) return ShapeBuildProblem::kNoFilledArea;
  // Worked on upside down (see TurnedOver), keeping the clockwise order.
  for (PolygonD* poly : {&traced.outer, &traced.hole}) {
    *poly = TurnedOver(*poly);
    std::reverse(poly->begin(), poly->end());
  }

  // Encodes the loops of one try; true, with result holding them, when no
  // assist polylines cross or the test warp is excellent. Otherwise a try
  // whose test warp is acceptable is kept in best when it beats the one
  // there.
  std::optional<LoopBuildResult> best;
  WarpQuality best_failed;
  auto Taken = [&](const LoopMethodEntry& method, bool built, const std::vector<PolygonD>& loops) {
    LoopBuildResult attempt;
    attempt.method = method.method;
    std::vector<std::vector<TPointF>> decoded;
    const bool small_core = !built || loops.size() < 2 || !traced.hole.empty() ||
                            std::fabs(SignedArea(loops.back())) <= kMaxCoreShare * std::fabs(SignedArea(loops.front()));
    if (built && small_core && Encode(loops, attempt, decoded)) {
      if (attempt.check.Usable()) {
        attempt.quality = MeasureWarpQuality(decoded);
        attempt.notices = std::move(result.notices);
        result = std::move(attempt);
        return true;
      }
      if (attempt.check.same_orientation) {
        attempt.quality = MeasureWarpQuality(decoded);
        if (method.straight && attempt.quality.Excellent()) {
          attempt.notices = std::move(result.notices);
          result = std::move(attempt);
          return true;
        }
        if (attempt.quality.Acceptable()) {
          if (!best || attempt.quality.Score() > best->quality.Score()) best = attempt;
        } else if (!best_failed.measured || attempt.quality.Score() > best_failed.Score()) {
          best_failed = attempt.quality;
        }
      }
    }
    result.method = attempt.method;
    result.check = attempt.check;
    return false;
  };
  // At most options.variants tries of each method.
  auto Limited = [&options](std::size_t count) {
    return options.variants > 0 ? std::min(count, std::size_t(options.variants)) : count;
  };

  // The chosen method, or every method in the table's order; a ring goes
  // to the methods that take a hole.
  const bool ring = !traced.hole.empty();
  std::vector<const LoopMethodEntry*> methods;
  for (const LoopMethodEntry& e : LoopMethodTable()) {
    const bool chosen = options.method == LoopMethod::kAuto || options.method == e.method;
    if (ring ? e.takes_hole && (chosen || !FindLoopMethod(options.method)->takes_hole) : chosen)
      methods.push_back(&e);
  }
  LoopMethodInput input(traced.outer, traced.hole, options);
  for (const LoopMethodEntry* e : methods) {
    if (e->unless_straight && best && FindLoopMethod(best->method)->straight) continue;
    for (std::size_t k = 0; k < Limited(e->tries); ++k) {
      if (BuildClockSeconds() > deadline) return ShapeBuildProblem::kOutOfTime;
      std::vector<PolygonD> loops;
      if (Taken(*e, e->build(input, k, loops), loops)) return ShapeBuildProblem::kNone;
    }
  }
  if (best) {
    best->notices = std::move(result.notices);
    result = std::move(*best);
    return ShapeBuildProblem::kNone;
  }
  result.quality = best_failed;
  return ShapeBuildProblem::kNoLoops;
}

}  // namespace quorvel
