// The mapping passes on every core, byte for byte equal to the plain ones.
#pragma once

#include "warp/engine.h"

namespace quorvel {

void SquareToDiskFast(TWarpEngine& engine);
void SweepRaysFast(TWarpEngine& engine, const PolylineList& list);
void MapAllPixelsFast(TWarpEngine& engine, const PolylineList& list);

}  // namespace quorvel
