// Assist polyline generation on every core, equal to the plain generator.
#pragma once

#include "warp/engine.h"

namespace quorvel {

void GenerateAssistPolylineFast(PolylineList& guides, PolylineList& out);

}  // namespace quorvel
