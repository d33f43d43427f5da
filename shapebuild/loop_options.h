// How a shape's loops are to be built: the method and its knobs.
#pragma once

#include <cmath>
#include <cstdint>

namespace quorvel {

enum class LoopMethod {
  kAuto,      // every method in the table's order (see loop_methods.cpp)
  kScaled,    // copies of the boundary scaled about a centre
  kSmooth,    // scaled copies smoothed more with every loop inwards
  kHarmonic,  // level sets of a harmonic function
  kDistance,  // level sets of the distance to the boundary
  kStrip,     // offsets of the boundary cut short along a strip with two ends
  kMesh,      // another method's loops relaxed as the rows of a mesh
  kDisk,      // level circles of a harmonic map onto a disk
};

// What quorvel-shape build allows by default; the library itself sets no
// limit unless asked.
inline constexpr double kDefaultBuildSeconds = 30.0;

struct LoopBuildOptions {
  LoopMethod method = LoopMethod::kAuto;
  // 0: 8 scaled loops, 42 distance ones, up to 86 strip ones, or as many
  // harmonic ones (up to 64) or disk ones (up to 200) as the spacing asks
  std::int32_t loops = 0;
  double margin = 12.0;        // design units left free on the fitted side
  std::int32_t grid = 401;     // harmonic grid nodes per side
  double spacing = 3.0;        // widest gap between harmonic loops, frame units (disk: half of it at the rim)
  std::int32_t variants = 0;   // at most this many tries of each method; 0: all of them
  // Seconds (BuildClockSeconds) from the start of the build after which no
  // further try begins; a hostile drawing would otherwise keep every method
  // busy for minutes.
  double time_limit = HUGE_VAL;
  // Refuse an outline in several pieces or with small holes instead of
  // building from its largest piece with the small holes filled.
  bool strict = false;
};

}  // namespace quorvel
