// The engine's arithmetic rules, written once for the plain and the fast
// code: every expression is evaluated in double, and a value becomes float32
// exactly where F() stores it. Vector kernels repeat these rules lane by
// lane; these are the definitions they are checked against.
#pragma once

#include <cmath>
#include <cstdint>

#include "warp/geometry.h"

namespace quorvel {

// Rounds to float32: the one place a value is stored as a float.
inline float F(double v) { return static_cast<float>(v); }
// A float32 value taken into double arithmetic (exact).
inline double D(float v) { return v; }

// Truncation toward zero; NaN and values at or below -1 give -1 (dropped by
// the callers), values beyond int range the largest int (clamped later).
inline std::int32_t TruncIndex(double v) {
  if (!(v > -1.0)) return -1;
  if (v >= 2147483647.0) return 2147483647;
  return static_cast<std::int32_t>(v);
}

// fn(x) for x = from, from + 0.5, ... while x <= to, each step rounded to
// float32: the walk of every offset, chord position and ray distance.
template <class Fn>
inline void HalfSteps(float from, float to, Fn&& fn) {
  for (float x = from; x <= to; x = F(D(x) + 0.5)) fn(x);
}

// One chord of the first pass: the column (vertical) or row (horizontal) at
// offset c from the centre, squeezed into the disk.
struct ChordGeometry {
  float along;  // R + c
  float r;      // half the chord
  float v;      // squeeze factor R / r
};

// fn(chord) for every chord of the disk of centre R, in order of c; the two
// of zero length (c = +-R) are skipped.
template <class Fn>
inline void ForEachChord(float r_centre, Fn&& fn) {
  const double centre = r_centre;
  const float r_squared = F(centre * centre);
  HalfSteps(-r_centre, r_centre, [&](float c) {
    const float c_squared = F(D(c) * D(c));
    const float r = F(std::sqrt(D(F(D(r_squared) - D(c_squared)))));
    const float u0 = -r;
    if (std::fabs(D(u0) - D(r)) < 1e-7) return;  // no chord
    fn(ChordGeometry{F(centre + D(c)), r, F(2.0 * centre / (D(r) - D(u0)))});
  });
}

// The squeezed coordinate of chord position u: R + v u.
inline float ChordSqueezed(double centre, float v, float u) { return F(centre + D(F(D(v) * D(u)))); }
// The coordinate across the disk of chord position u: R + u.
inline float ChordAcross(double centre, float u) { return F(centre + D(u)); }

// fn(e, 1 - e) for every distance b = 0, 0.5, ... R along a ray: e = b / R
// (0 at the centre, 1 at the rim), the same for every ray.
template <class Fn>
inline void ForEachRayStep(float r_centre, Fn&& fn) {
  const double centre = r_centre;
  HalfSteps(0.0f, r_centre, [&](float b) {
    const float e = F(D(b) / centre);
    fn(e, F(1.0 - D(e)));
  });
}

// A ray step's source coordinate from the rim point's coordinate: end e + R.
inline float RaySource(float end, float e, double centre) { return F(D(F(D(end) * D(e))) + centre); }
// A ray step's distance along its assist polyline: (1 - e) length.
inline float RayDistance(float one_minus_e, float length) {
  return F(D(one_minus_e) * D(length));
}

// The walk rule: a distance at least this far inside one segment from both
// of its ends is answered by that segment, exactly as the binary search of
// PointAtLength would; nearer a boundary the search decides.
inline constexpr double kWalkMargin = 1e-7;
inline bool WellInside(double start, double end, double at) {
  return at - start >= kWalkMargin && end - at >= kWalkMargin;
}

// The point at distance `at` on segment g, which starts at distance `start`.
inline TPointF PointInSegment(const TSegment& g, double start, double at) {
  const float d = F((at - start) / D(g.length));
  return TPointF{F(D(g.x1) + (D(g.x2) - D(g.x1)) * D(d)), F(D(g.y1) + (D(g.y2) - D(g.y1)) * D(d))};
}

// Bilinear weights of the four source pixels around (sx, sy), whose
// truncated indices are m, h; each weight rounded to float.
struct BilinearWeights {
  float w00, w01, w10, w11;
};
inline BilinearWeights WeightsAt(float sx, float sy, std::int32_t m, std::int32_t h) {
  const float fx = F(D(sx) - m);
  const float fy = F(D(sy) - h);
  return {F((1.0 - D(fx)) * (1.0 - D(fy))), F((1.0 - D(fx)) * D(fy)), F(D(fx) * (1.0 - D(fy))),
          F(D(fx) * D(fy))};
}

}  // namespace quorvel
