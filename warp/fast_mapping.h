// The mapping passes on every core, byte for byte equal to the plain ones.
#pragma once

#include "warp/engine.h"

namespace quorvel {

// Blocks whose contents the sweep may overwrite, lent so that its working
// memory needs no new room: each serves, where it holds S x S pixels, as a
// raster of sample ids (bits, of any size, holds written-bits where the
// working square is too large for ids). Either may be null.
struct SweepSpare {
  PixelBlock* raster = nullptr;
  PixelBlock* bits = nullptr;
};

void SquareToDiskFast(TWarpEngine& engine);
// dest_is_background: every pixel of dest holds engine.background (as
// SquareToDiskFast leaves it), so dest can hold sample ids meanwhile.
void SweepRaysFast(TWarpEngine& engine, const PolylineList& list, SweepSpare spare = {},
                   bool dest_is_background = false);
void MapAllPixelsFast(TWarpEngine& engine, const PolylineList& list, SweepSpare spare = {});
void ApplyFeatherFast(TWarpEngine& engine, PolylineList& list);

// Lets the fast passes use the CPU's wider vector kernels where it has them
// (the default); false keeps them on the portable kernels. For tests that
// check both against the plain engine.
void AllowWideKernels(bool allow);
// Lets the passes record sample ids and sample only the last writer of each
// pixel (the default, where the working square is small enough); false
// samples every one, as for the largest squares.
void AllowSampleIds(bool allow);

}  // namespace quorvel
