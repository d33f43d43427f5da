// The plain engine, written as the arithmetic reads (warp/arithmetic.h).
#include "warp/mapping.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "warp/arithmetic.h"
#include "warp/polyline.h"

namespace quorvel {
namespace {

constexpr float kHalfPiF = static_cast<float>(1.5707963267948966);   // 1.5707964
constexpr float kPiF32 = static_cast<float>(3.141592653589793);      // 3.1415927
constexpr float kThreeHalfPiF = static_cast<float>(4.71238898038469);  // 4.712389

}  // namespace

void FillBackground(TWarpEngine& engine) {
  std::fill(engine.dest.begin(), engine.dest.end(), engine.background);
}

void PrepareWarp(TWarpEngine& engine, std::int32_t side, const Pixel* square) {
  engine.width = side;
  engine.height = side;
  engine.bytes_per_pixel = 4;
  AllocBlock(engine.dest, side, side);
  FillBackground(engine);
  AllocBlock(engine.src, side, side);
  if (square && !engine.src.empty())
    std::memcpy(engine.src.data(), square, engine.src.size() * sizeof(Pixel));
}

void SampleBilinear(TWarpEngine& engine, float sx, float sy, float dx, float dy) {
  const std::int32_t width = engine.width;
  const std::int32_t height = engine.height;
  std::int32_t m = TruncIndex(sx);
  std::int32_t h = TruncIndex(sy);
  const auto [w00, w01, w10, w11] = WeightsAt(sx, sy, m, h);

  std::int32_t x = TruncIndex(D(dx) + 0.5);
  std::int32_t y = TruncIndex(D(dy) + 0.5);
  if (x >= width) x = width - 1;
  if (y >= height) y = height - 1;
  // At the last column or row the 2 x 2 block moves one pixel inwards and
  // keeps its fractions.
  if (m >= width - 1) m = width - 2;
  if (h >= height - 1) h = height - 2;
  if (m < 0 || h < 0 || x < 0 || y < 0) return;

  const std::uint8_t* s = BytesOf(engine.src);
  const std::size_t row = static_cast<std::size_t>(width) * 4u;
  const std::uint8_t* p00 = s + static_cast<std::size_t>(h) * row + static_cast<std::size_t>(m) * 4u;
  const std::uint8_t* p01 = p00 + row;  // (m, h + 1)
  const std::uint8_t* p10 = p00 + 4;    // (m + 1, h)
  const std::uint8_t* p11 = p01 + 4;    // (m + 1, h + 1)
  std::uint8_t* d = BytesOf(engine.dest) +
                    static_cast<std::size_t>(height - 1 - y) * row + static_cast<std::size_t>(x) * 4u;
  const int channels = engine.bytes_per_pixel == 4 ? 4 : 3;
  for (int b = 0; b < channels; ++b) {
    const double value = p01[b] * D(w01) + p00[b] * D(w00) + p10[b] * D(w10) + p11[b] * D(w11);
    d[b] = static_cast<std::uint8_t>(static_cast<std::int32_t>(value));
  }
}

void SquareToDisk(TWarpEngine& engine) {
  const float r_centre = WarpCentre(engine);
  const double centre = r_centre;
  const bool vertical = engine.direction == 0;
  ForEachChord(r_centre, [&](const ChordGeometry& chord) {
    HalfSteps(-chord.r, chord.r, [&](float u) {
      const float squeezed = ChordSqueezed(centre, chord.v, u);
      const float across = ChordAcross(centre, u);
      if (vertical)
        SampleBilinear(engine, chord.along, squeezed, chord.along, across);
      else
        SampleBilinear(engine, squeezed, chord.along, across, chord.along);
    });
  });
  engine.src = engine.dest;
  FillBackground(engine);
}

std::int32_t SelectAssistPolyline(const PolylineList& list, std::int32_t angle, float theta) {
  const std::int64_t n = static_cast<std::int64_t>(list.size());
  if (n == 0) return 0;
  const std::int64_t a = (360 - static_cast<std::int64_t>(angle)) * n / 360;
  const std::int64_t b = static_cast<std::int64_t>(D(theta) / kTwoPiF * static_cast<double>(n) + 0.5);
  std::int64_t index = (a + b) % n;
  if (index < 0) index += n;  // only for an angle outside 0..360
  return static_cast<std::int32_t>(index);
}

TPointF RayEnd(float r, float theta) {
  const double radius = r;
  float y;
  bool negative_x;
  if (theta <= kHalfPiF) {
    const float sine = F(std::sin(D(F(D(kHalfPiF) - D(theta)))));
    y = F(radius * D(sine));
    negative_x = false;
  } else if (theta <= kPiF32) {
    const float sine = F(std::sin(D(F(D(theta) - D(kHalfPiF)))));
    y = F(-radius * D(sine));
    negative_x = false;
  } else if (theta <= kThreeHalfPiF) {
    const float sine = F(std::sin(D(F(D(kThreeHalfPiF) - D(theta)))));
    y = F(-radius * D(sine));
    negative_x = true;
  } else {
    const float sine = F(std::sin(D(F(D(theta) - D(kThreeHalfPiF)))));
    y = F(radius * D(sine));
    negative_x = true;
  }
  // R^2 and y^2 are exact in double; only their difference is rounded.
  const float diff = F(std::max(0.0, radius * radius - D(y) * D(y)));
  const float x = F(std::sqrt(D(diff)));
  return TPointF{negative_x ? -x : x, y};
}

void MapRay(TWarpEngine& engine, const PolylineList& list, float theta) {
  const TPolyline& p = list[SelectAssistPolyline(list, engine.angle, theta)];
  const float r_centre = WarpCentre(engine);
  const double centre = r_centre;
  const TPointF end = RayEnd(r_centre, theta);
  ForEachRayStep(r_centre, [&](float e, float one_minus_e) {
    const float sx = RaySource(end.x, e, centre);
    const float sy = RaySource(end.y, e, centre);
    TPointF q;
    if (PointAtLength(p, RayDistance(one_minus_e, p.length), q))
      SampleBilinear(engine, sx, sy, F(D(q.x) + centre), F(D(q.y) + centre));
  });
}

std::vector<float> RayAngles(float r) {
  const float circ = F(D(r) * kTwoPiF);
  const float step = F(kPiF / D(circ));  // about half a pixel at the rim
  std::vector<float> angles;
  float theta = 0.0f;
  do {
    angles.push_back(theta);
    theta = F(D(theta) + D(step));
  } while (D(theta) <= kTwoPiF);
  angles.push_back(theta);
  return angles;
}

void SweepRays(TWarpEngine& engine, const PolylineList& list) {
  if (list.empty()) return;
  for (float theta : RayAngles(WarpCentre(engine))) MapRay(engine, list, theta);
}

void MapAllPixels(TWarpEngine& engine, const PolylineList& list) {
  SquareToDisk(engine);
  SweepRays(engine, list);
}

}  // namespace quorvel
