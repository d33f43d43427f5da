// Shapes built in code for the engine tests: nested loops in the polyline
// frame (300 units wide, centred on the origin).
#pragma once

#include <cmath>
#include <initializer_list>
#include <vector>

#include "warp/geometry.h"

namespace quorvel::testing {

// A closed loop through the given points (the closing segment comes last).
inline TPolyline Loop(std::initializer_list<TPointF> points) {
  TPolyline p;
  std::vector<TPointF> pts(points);
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const TPointF a = pts[i];
    const TPointF b = pts[(i + 1) % pts.size()];
    if (pts.size() < 2) break;
    p.segments.push_back(TSegment{a.x, a.y, b.x, b.y, 0.0f, 0.0f});
  }
  return p;
}

// A regular polygon of `corners` points on a circle of `radius`, starting at
// angle `phase` (radians), as a closed loop.
inline TPolyline Circle(float radius, int corners, double phase = 0.0) {
  TPolyline p;
  for (int i = 0; i < corners; ++i) {
    const double a0 = phase + 2.0 * M_PI * i / corners;
    const double a1 = phase + 2.0 * M_PI * (i + 1) / corners;
    p.segments.push_back(TSegment{static_cast<float>(static_cast<double>(radius) * std::cos(a0)),
                                  static_cast<float>(static_cast<double>(radius) * std::sin(a0)),
                                  static_cast<float>(static_cast<double>(radius) * std::cos(a1)),
                                  static_cast<float>(static_cast<double>(radius) * std::sin(a1)), 0.0f, 0.0f});
  }
  return p;
}

// `loops` circles scaled about the centre, the outer one just inside the
// frame, the last one small.
inline PolylineList NestedCircles(int loops, int corners = 64) {
  PolylineList list;
  for (int i = 0; i < loops; ++i) {
    const float radius = loops == 1 ? 148.0f : 148.0f - (148.0f - 6.0f) * i / (loops - 1);
    list.push_back(Circle(radius, corners));
  }
  return list;
}

}  // namespace quorvel::testing
