// Records shared by the fast mapping passes and their per-CPU kernels.
#pragma once

#include <cstdint>
#include <vector>

#include "warp/geometry.h"
#include "warp/sample_kernel.h"

namespace quorvel::fast_mapping {

// One chord of the first pass, with everything that depends only on c.
struct Chord {
  float along;        // R + c
  float r;            // half chord
  float v;            // squeeze factor
  std::int32_t line;  // destination column (vertical) or row (horizontal)
};

// Per distance b along a ray (0, 0.5, ... R): e = b / R and 1 - e, the
// same for every ray. The lists are padded to a multiple of four entries;
// count is how many are real.
struct RaySteps {
  std::vector<float> e;
  std::vector<float> one_minus_e;
  std::size_t count = 0;
};

RaySteps MakeRaySteps(float r_centre);

// The first pass over count chords, sampling every step (target.ids unset).
void MapChords(const SampleTarget& target, const Chord* chords, std::size_t count, float r_centre,
               bool vertical);

// The second pass over the given ray angles, in order; first is the index of
// angles[0] among all, for the sample ids.
void MapRays(const SampleTarget& target, const PolylineList& list, std::int32_t angle, float r_centre,
             const RaySteps& steps, const float* angles, std::size_t count, std::uint32_t first);

// Where each recorded sample reads: by id, the source point of a chord's or
// a ray's step.
//
// A chord's u walk (from -r in half steps while u <= r) is exact: every
// -r + k / 2 with |value| <= r fits r's precision. So the step k alone
// gives a sample's u.
struct SampleSources {
  // Chords: along, half length and squeeze factor of each.
  std::vector<float> along, half, squeeze;
  bool vertical = false;
  // Rays: the end point of each, and the steps they share.
  std::vector<float> end_x, end_y;
  const RaySteps* steps = nullptr;
  float r_centre = 0.0f;
};

// Pixels [begin, end) of target.dest take the sample recorded for them: the
// id in the last of `layers` id rasters that has one. A pixel none records
// keeps its value, or becomes `background` when restore is set (the first
// id raster then lies in dest itself).
struct ResolveJob {
  const std::uint32_t* const* layers = nullptr;
  int layer_count = 0;
  bool restore = false;
  std::uint32_t background = 0;
};
void ResolveRays(const SampleTarget& target, const SampleSources& sources, const ResolveJob& job,
                 std::size_t begin, std::size_t end);

// The same with AVX2 (only where the CPU has it).
bool HasAvx2();
void MapChordsAvx2(const SampleTarget& target, const Chord* chords, std::size_t count, float r_centre,
                   bool vertical);
void MapRaysAvx2(const SampleTarget& target, const PolylineList& list, std::int32_t angle,
                 float r_centre, const RaySteps& steps, const float* angles, std::size_t count,
                 std::uint32_t first);
// Chords [first, first + count), whole lines, the last sample of each
// position only; line_ids: as many entries as a line has pixels, plus 3,
// all kNoSample (and left so).
void MapChordLinesAvx2(const SampleTarget& target, const SampleSources& sources, const Chord* chords,
                       std::size_t first, std::size_t count, std::uint32_t* line_ids);
void ResolveRaysAvx2(const SampleTarget& target, const SampleSources& sources, const ResolveJob& job,
                     std::size_t begin, std::size_t end);

}  // namespace quorvel::fast_mapping
