// The two mapping passes: square -> inscribed disk -> shape.
//
// Rasters are S x S. A source coordinate (sx, sy) is column sx, memory row
// sy of src; a destination coordinate (dx, dy) is column dx, memory row
// S - 1 - dy of dest (destination y counts display rows from the top).
#pragma once

#include <cstdint>
#include <vector>

#include "raster/pixels.h"
#include "warp/engine.h"

namespace quorvel {

inline constexpr double kTwoPiF = 6.2831854820251465;   // 2 pi rounded to float32
inline constexpr double kPiF = 3.1415927410125732;      // pi rounded to float32

// Sets up S x S rasters: dest filled with the background, src a copy of square.
void PrepareWarp(TWarpEngine& engine, std::int32_t side, const Pixel* square);

void FillBackground(TWarpEngine& engine);

// One bilinear read of src at (sx, sy) written to the nearest dest pixel of
// (dx, dy). Indices are clamped from above; a sample whose truncated index is
// negative is dropped, so nothing outside the rasters is touched.
void SampleBilinear(TWarpEngine& engine, float sx, float sy, float dx, float dy);

// First pass: ends with the disk picture in src and dest all background.
void SquareToDisk(TWarpEngine& engine);

std::int32_t SelectAssistPolyline(const PolylineList& list, std::int32_t angle, float theta);

// Rim point of the ray at angle theta: (R sin theta, R cos theta), per quadrant.
TPointF RayEnd(float r, float theta);

// The ray angles the sweep visits for centre R, in order: 0, step, ... up
// to 2 pi, then the first angle beyond it.
std::vector<float> RayAngles(float r);

void MapRay(TWarpEngine& engine, const PolylineList& list, float theta);

// Second pass: every ray of the disk laid along its assist polyline.
void SweepRays(TWarpEngine& engine, const PolylineList& list);

void MapAllPixels(TWarpEngine& engine, const PolylineList& list);

// Fades alpha along the outer boundary over engine.feather pixels (clamped
// to S / 2, and the clamped value kept).
void ApplyFeather(TWarpEngine& engine, PolylineList& list);

// The centre of the working square, float32(S * 0.5).
inline float WarpCentre(const TWarpEngine& engine) {
  return static_cast<float>(engine.width * 0.5);
}

}  // namespace quorvel
