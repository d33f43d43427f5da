#include "shapebuild/loop_methods.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "shapebuild/disk_map_loops.h"
#include "shapebuild/harmonic_loops.h"
#include "shapebuild/mesh_loops.h"
#include "shapebuild/polygon_ops.h"
#include "shapebuild/smooth_loops.h"
#include "shapebuild/strip_loops.h"

namespace quorvel {
namespace {

constexpr std::int32_t kDefaultScaledLoops = 8;
// The innermost scaled loop: small enough that the few pixels it encloses,
// which no ray reaches, do not show.
constexpr double kInnermostScale = 0.02;
constexpr double kKernelMargin = 0.5;  // frame units

std::vector<PolygonD> ScaledLoops(const PolygonD& outer, ShapePointD centre, std::int32_t count) {
  ShapePointD hit;
  std::size_t edge = 0;
  PolygonD start = outer;
  if (RayHit(outer, centre, {0.0, -1.0}, hit, edge)) start = StartLoopAt(outer, edge, hit);
  std::vector<PolygonD> loops;
  for (std::int32_t k = 0; k < count; ++k) {
    const double s = count == 1 ? 1.0 : 1.0 - k * (1.0 - kInnermostScale) / (count - 1);
    loops.push_back(ScaledAbout(start, centre, s));
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

bool BuildScaled(LoopMethodInput& in, std::size_t, std::vector<PolygonD>& loops) {
  ShapePointD centre;
  if (!in.hole().empty() || !StarCentre(in.outer(), centre)) return false;
  const std::int32_t count = in.options().loops > 0 ? std::max(2, in.options().loops) : kDefaultScaledLoops;
  loops = ScaledLoops(in.outer(), centre, count);
  return true;
}

// Scaled copies smoothed inwards, about the most central point that sees
// enough of the boundary, or about the deepest point; smoothed to two
// strengths (a border jagged at a coarser scale needs the stronger).
constexpr std::array kSmoothings = {0.06, 0.12};
constexpr double kCentralDepth = 0.3;  // of the deepest point's distance to the boundary

ShapePointD DeepestPoint(LoopMethodInput& in, double& depth) {
  const DistanceField& field = in.distance();
  const SampledField& phi = field.grid.phi;
  std::size_t best = 0;
  depth = 0.0;
  for (std::size_t p = 0; p < phi.values.size(); ++p)
    if (field.inside[p] && phi.values[p] > depth) depth = phi.values[p], best = p;
  return field.grid.NodePoint(double(best % std::size_t(phi.width)), double(best / std::size_t(phi.width)));
}

bool BuildSmooth(LoopMethodInput& in, std::size_t attempt, std::vector<PolygonD>& loops) {
  if (!in.hole().empty()) return false;
  double depth = 0.0;
  ShapePointD centre = DeepestPoint(in, depth);
  if (!(depth > 0.0)) return false;
  if (attempt / kSmoothings.size() == 0) {
    ShapePointD central;
    if (!StarCentre(in.outer(), central)) central = AreaCentroid(in.outer());
    if (PointInPolygon(in.outer(), central) && DistanceToPolygon(in.outer(), central) >= kCentralDepth * depth)
      centre = central;
    else
      return false;  // the deepest point: the tries that follow
  }
  SmoothLoopOptions smooth;
  smooth.smoothing = kSmoothings[attempt % kSmoothings.size()];
  if (in.options().loops > 0) smooth.loops = std::max(2, in.options().loops);
  return BuildSmoothLoops(in.outer(), centre, smooth, loops);
}

// Outlines with serifs and arms: the disk map's level circles from half the
// spacing asked (which is for the harmonic loops) at the rim, then on a
// grid twice as fine, which follows thin serifs closer, then closer still
// with more loops (each costs the warp a little time).
struct DiskTry {
  double spacing;
  std::int32_t grid;
  std::int32_t max_loops;
};
constexpr std::array<DiskTry, 3> kDiskTries = {{{0.5, 1, 160}, {0.5, 2, 160}, {0.15, 1, 200}}};

bool BuildDisk(LoopMethodInput& in, std::size_t attempt, std::vector<PolygonD>& loops) {
  const DiskTry& t = kDiskTries[attempt];
  DiskMapLoopOptions disk;
  disk.grid = std::clamp((in.options().grid - 1) * t.grid + 1, 101, 1201);
  disk.spacing = std::max(0.5, in.options().spacing) * t.spacing;
  disk.max_loops = t.max_loops;
  disk.loops = in.options().loops;
  return BuildDiskMapLoops(in.outer(), in.hole(), disk, loops);
}

// A small core first; then cores that reach along the shape's arms.
constexpr std::array kHarmonicCores = {0.0, 0.6, 0.4};

bool BuildHarmonic(LoopMethodInput& in, std::size_t attempt, std::vector<PolygonD>& loops) {
  HarmonicLoopOptions harmonic;
  harmonic.grid = std::clamp(in.options().grid, 101, 1201);
  harmonic.spacing = std::max(0.5, in.options().spacing);
  harmonic.loops = in.options().loops;
  harmonic.core_share = kHarmonicCores[attempt];
  if (harmonic.core_share > 0.0 && in.hole().empty()) harmonic.distance = &in.distance();
  return BuildHarmonicLoops(in.outer(), in.hole(), harmonic, loops);
}

// Long curved shapes: distance level sets, about the deepest point or the
// most central of the deep ones, tapered along the arms by two amounts, at
// three loop spacings. Which of them keeps every assist polyline apart
// depends on the shape's proportions.
constexpr std::size_t kDistanceTries = 3 * 2 * 2;

bool BuildDistance(LoopMethodInput& in, std::size_t attempt, std::vector<PolygonD>& loops) {
  constexpr std::int32_t kLevels[] = {30, 40, 60};
  DistanceLoopOptions d;
  d.loops = in.options().loops > 7 ? in.options().loops - 6 : kLevels[attempt / 4];
  d.central = (attempt / 2) % 2 == 1;
  d.taper = attempt % 2 == 0 ? 0.5 : 0.3;
  return BuildDistanceLoops(in.distance(), d, loops);
}

// Strips with two ends (a letter C): the ends retreat along the strip a
// little with every loop. Which proportions of the last loop suit depends on
// the shape; more loops suit straighter, longer strips.
constexpr std::array<StripLoopOptions, 6> kStripTries = {
    {{40, 2.0}, {40, 1.5}, {40, 3.0}, {60, 2.0}, {60, 3.0}, {80, 2.0}}};

bool BuildStrip(LoopMethodInput& in, std::size_t attempt, std::vector<PolygonD>& loops) {
  StripLoopOptions strip = kStripTries[attempt];
  if (in.options().loops > 7) strip.loops = in.options().loops - 6;
  return BuildStripLoops(in.distance(), strip, loops);
}

// Rings: the harmonic level sets between the outline and the hole, as
// rows of one mesh smoothed inwards. The level sets bend sharply where the
// function fades into a letter's legs, and neighbouring assist paths cross
// there; smoothed rows let them pass.
bool BuildMesh(LoopMethodInput& in, std::size_t attempt, std::vector<PolygonD>& loops) {
  if (in.hole().empty() || !BuildHarmonic(in, attempt, loops)) return false;
  MeshRelaxOptions mesh;
  mesh.distance = &in.distance().grid;
  return RelaxLoopMesh(mesh, loops);
}

constexpr LoopMethodEntry kMethods[] = {
    {LoopMethod::kScaled, "scaled", "copies of the boundary scaled about a centre (star-shaped outlines)",
     false, true, false, 1, BuildScaled},
    {LoopMethod::kSmooth, "smooth", "scaled copies smoothed more with every loop inwards (traced, jagged outlines)",
     false, true, false, 2 * kSmoothings.size(), BuildSmooth},
    {LoopMethod::kHarmonic, "harmonic", "level sets of a harmonic function (also rings)", true,
     false, false, kHarmonicCores.size(), BuildHarmonic},
    {LoopMethod::kDistance, "distance", "level sets of the distance to the boundary (long curved outlines)",
     false, false, false, kDistanceTries, BuildDistance},
    {LoopMethod::kStrip, "strip", "offsets cut short at both ends of a bent strip (a letter C)", false,
     false, false, kStripTries.size(), BuildStrip},
    {LoopMethod::kMesh, "mesh", "harmonic level sets smoothed inwards as rows of one mesh (rings)",
     true, false, false, kHarmonicCores.size(), BuildMesh},
    {LoopMethod::kDisk, "disk", "level circles of a harmonic map onto a disk (serifs, arms; also rings)", true,
     false, true, kDiskTries.size(), BuildDisk},
};

}  // namespace

const DistanceField& LoopMethodInput::distance() {
  if (!distance_) {
    distance_.emplace();
    MeasureDistance(outer_, options_.grid, *distance_);
  }
  return *distance_;
}

std::span<const LoopMethodEntry> LoopMethodTable() { return kMethods; }

const LoopMethodEntry* FindLoopMethod(LoopMethod method) {
  for (const LoopMethodEntry& e : kMethods)
    if (e.method == method) return &e;
  return nullptr;
}

bool ParseLoopMethod(const std::string& text, LoopMethod& method) {
  if (text == "auto") {
    method = LoopMethod::kAuto;
    return true;
  }
  for (const LoopMethodEntry& e : kMethods) {
    if (text == e.name) {
      method = e.method;
      return true;
    }
  }
  return false;
}

const char* LoopMethodName(LoopMethod method) {
  const LoopMethodEntry* e = FindLoopMethod(method);
  return e ? e->name : "auto";
}

std::string LoopMethodChoices() {
  std::string choices = "auto";
  for (const LoopMethodEntry& e : kMethods) choices += std::string("|") + e.name;
  return choices;
}

}  // namespace quorvel
