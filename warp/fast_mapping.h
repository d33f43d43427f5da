// The mapping passes on every core, byte for byte equal to the plain ones.
#pragma once

#include "warp/engine.h"

namespace quorvel {

void SquareToDiskFast(TWarpEngine& engine);
void SweepRaysFast(TWarpEngine& engine, const PolylineList& list);
void MapAllPixelsFast(TWarpEngine& engine, const PolylineList& list);
void ApplyFeatherFast(TWarpEngine& engine, PolylineList& list);

// Lets the fast passes use the CPU's wider vector kernels where it has them
// (the default); false keeps them on the portable kernels. For tests that
// check both against the plain engine.
void AllowWideKernels(bool allow);

}  // namespace quorvel
