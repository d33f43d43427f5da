// Polyline records of the outline model. All coordinates and lengths are
// float32; a float field is where a computed value is rounded.
//
// Polyline frame: shape polylines live in a square 300 units wide centred on
// the origin, x to the right, y downwards on the displayed picture.
#pragma once

#include <vector>

namespace quorvel {

struct TPointF {
  float x = 0.0f;
  float y = 0.0f;
};

struct TSegment {
  float x1 = 0.0f;
  float y1 = 0.0f;
  float x2 = 0.0f;
  float y2 = 0.0f;
  float length = 0.0f;      // valid after MeasurePolyline
  float cum_length = 0.0f;  // length from the polyline's start to this segment's end
};

struct TPolyline {
  float t = 0.0f;       // assist polylines: the parameter they were taken at
  float length = 0.0f;  // valid after MeasurePolyline
  float arc = 0.0f;     // assist polylines: t * length of the outer loop
  std::vector<TSegment> segments;
};

// Value semantics: copying a list copies every polyline with its segments.
using PolylineList = std::vector<TPolyline>;

}  // namespace quorvel
