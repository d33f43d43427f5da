// The mapping passes on every core, byte for byte equal to the plain ones.
#pragma once

#include "warp/engine.h"

namespace quorvel {

void SquareToDiskFast(TWarpEngine& engine);
// Blocks whose contents the sweep may overwrite, lent so that its working
// memory needs no new room: raster, of S x S pixels, serves as a ray
// range's raster; bits, of any size, holds written-bits where it is large
// enough. Either may be null.
struct SweepSpare {
  PixelBlock* raster = nullptr;
  PixelBlock* bits = nullptr;
};

void SweepRaysFast(TWarpEngine& engine, const PolylineList& list, SweepSpare spare = {});
void MapAllPixelsFast(TWarpEngine& engine, const PolylineList& list, SweepSpare spare = {});
void ApplyFeatherFast(TWarpEngine& engine, PolylineList& list);

// Lets the fast passes use the CPU's wider vector kernels where it has them
// (the default); false keeps them on the portable kernels. For tests that
// check both against the plain engine.
void AllowWideKernels(bool allow);

}  // namespace quorvel
