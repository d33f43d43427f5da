#include "shapes/loop_builder.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "shapes/distance_loops.h"
#include "shapes/harmonic_loops.h"
#include "shapes/iso_contours.h"
#include "shapes/loop_encoder.h"
#include "shapes/polygon_ops.h"
#include "shapes/strip_loops.h"

namespace quorvel {
namespace {

constexpr double kCoverageLevel = 127.5;
constexpr double kFrameHalf = 150.0;
constexpr std::int32_t kDefaultScaledLoops = 8;
// The innermost scaled loop: small enough that the few pixels it encloses,
// which no ray reaches, do not show.
constexpr double kInnermostScale = 0.02;
constexpr double kLoopTolerance = 0.02;     // frame units; about 1/3 pixel at S = 5000
constexpr double kOutlineTolerance = 0.2;   // design units; 1/60 of a thumbnail pixel
constexpr double kKernelMargin = 0.5;       // frame units

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

std::vector<PolygonD> ScaledLoops(const PolygonD& outer, ShapePointD centre, std::int32_t count) {
  ShapePointD hit;
  std::size_t edge = 0;
  PolygonD start = outer;
  if (RayHit(outer, centre, {0.0, -1.0}, hit, edge)) start = StartLoopAt(outer, edge, hit);
  std::vector<PolygonD> loops;
  for (std::int32_t k = 0; k < count; ++k) {
    const double s = count == 1 ? 1.0 : 1.0 - k * (1.0 - kInnermostScale) / (count - 1);
    PolygonD loop;
    loop.reserve(start.size());
    for (const ShapePointD& p : start)
      loop.push_back({centre.x + s * (p.x - centre.x), centre.y + s * (p.y - centre.y)});
    loops.push_back(std::move(loop));
  }
  return loops;
}

// A star centre: the area centroid when the boundary is seen whole from
// there, else the middle of the region that sees it whole.
bool StarCentre(const PolygonD& outer, ShapePointD& centre) {
  const PolygonD kernel = StarKernel(outer, kKernelMargin);
  if (kernel.empty()) return false;
  centre = AreaCentroid(outer);
  if (!PointInPolygon(kernel, centre)) centre = AreaCentroid(kernel);
  return true;
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

bool Encode(const std::vector<PolygonD>& worked, LoopBuildResult& result) {
  std::vector<PolygonD> loops;
  for (const PolygonD& loop : worked) loops.push_back(TurnedOver(loop));
  ShapeFileContents contents;
  std::vector<std::vector<TPointF>> decoded;
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

bool ParseLoopMethod(const std::string& text, LoopMethod& method) {
  if (text == "auto") method = LoopMethod::kAuto;
  else if (text == "scaled") method = LoopMethod::kScaled;
  else if (text == "harmonic") method = LoopMethod::kHarmonic;
  else if (text == "distance") method = LoopMethod::kDistance;
  else if (text == "strip") method = LoopMethod::kStrip;
  else return false;
  return true;
}

const char* LoopMethodName(LoopMethod method) {
  switch (method) {
    case LoopMethod::kAuto: return "auto";
    case LoopMethod::kScaled: return "scaled";
    case LoopMethod::kHarmonic: return "harmonic";
    case LoopMethod::kDistance: return "distance";
    case LoopMethod::kStrip: return "strip";
  }
  return "auto";
}

ShapeBuildProblem BuildShapeLoops(const TCoverageMask& mask, const LoopBuildOptions& options,
                                  LoopBuildResult& result) {
  ShapeRegion region;
  const ShapeBuildProblem problem = IsolateShapeRegion(mask, region);
  if (problem != ShapeBuildProblem::kNone) return problem;
  Traced traced;
  if (!TraceRegion(region, traced)) return ShapeBuildProblem::kNoLoops;
  FitToFrame(traced, std::clamp(options.margin, 0.0, 200.0));
  if (traced.outer.size() < 3) return ShapeBuildProblem::kNoFilledArea;
  // Worked on upside down (see TurnedOver), keeping the clockwise order.
  for (PolygonD* poly : {&traced.outer, &traced.hole}) {
    *poly = TurnedOver(*poly);
    std::reverse(poly->begin(), poly->end());
  }

  // Encodes the loops of one try; true, with result holding them, when they
  // are usable, else result tells how the try failed.
  auto Taken = [&result](LoopMethod method, bool built, const std::vector<PolygonD>& loops) {
    LoopBuildResult attempt;
    attempt.method = method;
    if (built && Encode(loops, attempt) && attempt.check.Usable()) {
      result = std::move(attempt);
      return true;
    }
    result.method = attempt.method;
    result.check = attempt.check;
    return false;
  };
  // At most options.variants tries of each method.
  auto Limited = [&options](std::size_t count) {
    return options.variants > 0 ? std::min(count, std::size_t(options.variants)) : count;
  };

  ShapePointD centre;
  const bool ring = !traced.hole.empty();
  const bool any = options.method == LoopMethod::kAuto;
  if (!ring && (any || options.method == LoopMethod::kScaled) && StarCentre(traced.outer, centre)) {
    const std::int32_t count = options.loops > 0 ? std::max(2, options.loops) : kDefaultScaledLoops;
    if (Taken(LoopMethod::kScaled, true, ScaledLoops(traced.outer, centre, count)))
      return ShapeBuildProblem::kNone;
  }
  if (options.method == LoopMethod::kScaled && !ring) return ShapeBuildProblem::kNoLoops;

  if (any || options.method == LoopMethod::kHarmonic || ring) {
    // Finer spacing on a finer grid when the first try crosses.
    HarmonicLoopOptions harmonic;
    harmonic.grid = std::clamp(options.grid, 101, 1201);
    harmonic.spacing = std::max(0.5, options.spacing);
    harmonic.loops = options.loops;
    // A small core first; then cores that reach along the shape's arms.
    const double shares[] = {0.0, 0.6, 0.4};
    for (std::size_t k = 0; k < Limited(std::size(shares)); ++k) {
      harmonic.core_share = shares[k];
      std::vector<PolygonD> loops;
      if (Taken(LoopMethod::kHarmonic, BuildHarmonicLoops(traced.outer, traced.hole, harmonic, loops), loops))
        return ShapeBuildProblem::kNone;
    }
  }
  if (ring || !(any || options.method == LoopMethod::kDistance || options.method == LoopMethod::kStrip))
    return ShapeBuildProblem::kNoLoops;

  DistanceField field;
  MeasureDistance(traced.outer, options.grid, field);
  // Long curved shapes: distance level sets, about the deepest point or the
  // most central of the deep ones, tapered along the arms by two amounts,
  // at three loop spacings. Which of them keeps every assist polyline apart
  // depends on the shape's proportions; the first that does is taken.
  if (any || options.method == LoopMethod::kDistance) {
    std::vector<DistanceLoopOptions> tries;
    for (const std::int32_t levels : {30, 40, 60})
      for (const bool central : {false, true})
        for (const double taper : {0.5, 0.3})
          tries.push_back({options.loops > 7 ? options.loops - 6 : levels, central, taper});
    for (std::size_t k = 0; k < Limited(tries.size()); ++k) {
      std::vector<PolygonD> loops;
      if (Taken(LoopMethod::kDistance, BuildDistanceLoops(field, tries[k], loops), loops))
        return ShapeBuildProblem::kNone;
    }
  }
  if (!(any || options.method == LoopMethod::kStrip)) return ShapeBuildProblem::kNoLoops;

  // Strips with two ends (a letter C): the ends retreat along the strip a
  // little with every loop. Which proportions of the last loop keep every
  // assist polyline apart depends on the shape; more loops suit straighter,
  // longer strips.
  const StripLoopOptions strip_tries[] = {{40, 2.0}, {40, 1.5}, {40, 3.0}, {60, 2.0}, {60, 3.0}, {80, 2.0}};
  for (std::size_t k = 0; k < Limited(std::size(strip_tries)); ++k) {
    StripLoopOptions strip = strip_tries[k];
    if (options.loops > 7) strip.loops = options.loops - 6;
    std::vector<PolygonD> loops;
    if (Taken(LoopMethod::kStrip, BuildStripLoops(field, strip, loops), loops))
      return ShapeBuildProblem::kNone;
  }
  return ShapeBuildProblem::kNoLoops;
}

}  // namespace quorvel
