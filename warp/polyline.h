// Measuring, walking and scaling polylines.
#pragma once

#include <cstdint>

#include "warp/geometry.h"

namespace quorvel {

// Fills every segment's length and cum_length and the polyline's length.
bool MeasurePolyline(TPolyline& p);

// The point at distance s from the polyline's start (binary search over
// cum_length). Returns false, leaving out as it was, for a polyline without
// segments or a distance outside 0..length (or NaN).
bool PointAtLength(const TPolyline& p, float s, TPointF& out);

// dst = src with every coordinate times float32(S / 300).
void ScalePolylines(PolylineList& dst, const PolylineList& src, std::int32_t side);

}  // namespace quorvel
