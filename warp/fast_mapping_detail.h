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

// The first pass over chords [first, last).
void MapChords(const SampleTarget& target, const Chord* chords, std::size_t count, float r_centre,
               bool vertical);

// The second pass over the given ray angles, in order.
void MapRays(const SampleTarget& target, const PolylineList& list, std::int32_t angle, float r_centre,
             const RaySteps& steps, const float* angles, std::size_t count);

// The same two with AVX2 (only where the CPU has it).
bool HasAvx2();
void MapChordsAvx2(const SampleTarget& target, const Chord* chords, std::size_t count, float r_centre,
                   bool vertical);
void MapRaysAvx2(const SampleTarget& target, const PolylineList& list, std::int32_t angle,
                 float r_centre, const RaySteps& steps, const float* angles, std::size_t count);

}  // namespace quorvel::fast_mapping
